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

// The source over the system bus ($DBUS_SYSTEM_BUS_ADDRESS where set); nullptr where no
// UDisks2 answers within `limit`: no bus, no daemon, or one that hangs.
std::unique_ptr<VolumeSource> CreateUDisksVolumeSource(std::chrono::milliseconds limit);

} // namespace platform
