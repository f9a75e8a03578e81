#pragma once

#include "platform/text.h"
#include "settings/camera_settings.h"

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

// Readable and machine-readable views of a settings record.

// Every named setting as NAME=VALUE, grouped like the editor's tabs, then the switch-on date
// and time, which no tab shows.
std::string DescribeSettings(const CameraSettings &settings);

// The last line of a deploy run, which accounts for every card: "20 of 20 cards written", or
// "17 of 20 written, 3 failed: " and the failed cards as given; a rehearsal says "would be".
std::string RunAccount(std::size_t cards, const std::vector<std::string> &failed,
                       bool rehearsal = false);

// The switch-on date and time ("YYYY-MM-DD HH:MM:SS"), or "not set".
std::string SwitchOnText(const CameraSettings &settings);

// {"core": {...}, "dual": {...}, "cellular": {...}} with the record's field names as keys, and
// "settings": {name: value} with every named setting.
nlohmann::ordered_json SettingsToJson(const CameraSettings &settings);
