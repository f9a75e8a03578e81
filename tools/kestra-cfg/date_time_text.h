#pragma once

// deploy's --date-time as a person types it.

#include "settings/date_time_values.h"

#include <optional>
#include <string>
#include <string_view>

// "YYYY-MM-DD HH:MM" into its five numbers; the reason when the text is not of that shape.
// The numbers are not checked here: SwitchOnRefusal() does that, as the date dialog does.
std::optional<std::string> readDateTime(std::string_view text, rules::SwitchOnFields &fields);
