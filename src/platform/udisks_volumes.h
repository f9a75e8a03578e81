#pragma once

// Card discovery on a Linux desktop asks UDisks2 over the system D-Bus, as file managers do:
// it knows volumes that are not mounted yet, mounts them for the user (polkit decides, no root
// needed), and announces drives and volumes as they come and go.

#include "platform/card_volumes.h"

#include <chrono>
#include <memory>
#include <string>
#include <string_view>

namespace platform {

// How long a question to UDisks2 may take, D-Bus activation of the daemon included.
inline constexpr std::chrono::milliseconds kUDisksTimeLimit{5000};

// How long the editor's start waits for UDisks2's first answer before it asks lsblk; the
// answer that comes later takes over from lsblk (CreateDesktopVolumeSource()).
inline constexpr std::chrono::milliseconds kUDisksFirstAnswerWait{50};

// The source over the system bus ($DBUS_SYSTEM_BUS_ADDRESS where set), once UDisks2 has told
// of its drives; nullptr where it has not within `limit`: no bus, no daemon, or one that
// hangs. This waits for that answer, so it is for programs without a window; the editor takes
// CreateDesktopVolumeSource(). The source answers its queries from what UDisks2 last told it,
// and counts as gone (no news, no volumes) once a question stays unanswered for `limit`.
std::unique_ptr<VolumeSource> CreateUDisksVolumeSource(std::chrono::milliseconds limit);

} // namespace platform
