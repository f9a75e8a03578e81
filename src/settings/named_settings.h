#pragma once

// Every setting a tab shows, by a stable name with a value in words: the vocabulary of
// kestra-cfg's show, set and diff. A value is checked by the rules of the tab that edits it
// (its values struct) and a refusal carries that tab's message.

#include "settings/camera_settings.h"
#include "settings/date_time_values.h"

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

struct NamedSetting
{
    std::string_view name;
    std::string_view tab;    // the tab that shows it: Triggers, Time Lapse, Images, ...
    std::string_view syntax; // the values it takes, for help texts
    // Free text (a label, a destination) is taken as typed; every other value is words or
    // numbers, read in any case.
    bool text = false;
};

// Every named setting, grouped by tab in the editor's order.
std::span<const NamedSetting> NamedSettings();
bool IsNamedSetting(std::string_view name);

struct NamedValue
{
    std::string name;
    std::string value;
    bool operator==(const NamedValue &) const = default;
};

// Each named setting with its value as `set` takes it (text as UTF-8), in the order of
// NamedSettings(). A value the tabs cannot enter (a stored count outside a list, say) is
// shown as stored, and `set` refuses it unless the setting holds it already.
std::vector<NamedValue> NamedSettingValues(const CameraSettings &settings);
// The value of one named setting; empty for an unknown name.
std::string NamedSettingValue(const CameraSettings &settings, std::string_view name);

struct SettingRefusal
{
    std::string name;
    std::string reason;
    // "name: reason", as kestra-cfg prints it.
    std::string text() const { return name + ": " + reason; }
};

// Changes a record by named values, in the order they come, as the tabs would. Words are read
// in any case (ON, Never, 12-Hour); a quickset
// applies its preset, turning the time lapse off stores the tab's default interval. A value
// equal to the one the setting shows changes nothing. Finish() then applies the rules that
// tie settings of different tabs together, for the settings that were changed.
class NamedSettingsChange
{
public:
    explicit NamedSettingsChange(const CameraSettings &start);

    std::optional<SettingRefusal> Set(std::string_view name, std::string_view value);
    std::optional<SettingRefusal> Finish();

    const CameraSettings &result() const { return settings; }

private:
    friend struct ChangeAccess;

    CameraSettings settings;
    // A To/BCC choice made for an empty destination, kept for the text that may follow it.
    std::array<bool, 4> phoneBcc{};
    std::array<bool, 2> emailBcc{};
    // When each setting was last changed (its position in the order of Set calls), 0 never.
    std::vector<int> changedAt;
    int sets = 0;
    bool presetApplied = false;
};

// All or nothing: applies every value in order to `settings` and returns nothing, or leaves
// `settings` alone and returns the first refusal.
std::optional<SettingRefusal> ApplyNamedSettings(CameraSettings &settings,
                                                 std::span<const NamedValue> values);

// The first of rules::SwitchOnChecks() that a switch-on moment fails, as the dialog words it:
// "Please enter an integer between MIN and MAX."; nothing when every check passes.
std::optional<std::string> SwitchOnRefusal(const rules::SwitchOnFields &fields,
                                           rules::HourClock clock);

// The refusals of this vocabulary that have no string-table entry, %1 and %2 standing for what
// they name: messages only the command line shows, which the user guide explains.
std::span<const char *const> NamedSettingMessages();
