#pragma once

#include "settings/camera_settings.h"

#include <nlohmann/json.hpp>
#include <string>

// Readable and machine-readable views of a settings record.

// "06:00-18:00, 20:00-21:15"; "none" for an all-off schedule.
std::string DescribeSchedule(const DaySchedule &schedule);

// Every setting, grouped like the editor's tabs.
std::string DescribeSettings(const CameraSettings &settings);

// {"core": {...}, "dual": {...}, "cellular": {...}} with the record's field names as keys.
nlohmann::ordered_json SettingsToJson(const CameraSettings &settings);

// ISO 8859-1 bytes as UTF-8 text.
std::string Latin1ToUtf8(std::string_view bytes);

// The same for a terminal: control bytes become \xNN, so a stored text cannot move the
// cursor or change the terminal's state.
std::string PrintableText(std::string_view bytes);
