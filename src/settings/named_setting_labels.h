#pragma once

// How each named setting is labelled on its tab, for a person comparing two sets of settings
// in the editor: the words of the control, or, for a setting without a label of its own (a
// phone's BCC, a schedule, the quickset), its group's label and what it is.

#include "settings/camera_settings.h"
#include "settings/named_settings.h"

#include <string>
#include <string_view>
#include <vector>

// The label of a named setting as its tab shows it, without access keys; empty for a name
// that is not a named setting.
std::string_view NamedSettingLabel(std::string_view name);

// One named setting whose value differs between two records.
struct SettingDifference
{
    const NamedSetting *setting;
    std::string_view label; // NamedSettingLabel(setting->name)
    std::string first;      // the value in the first record, in the words of kestra-cfg show
    std::string second;     // and in the second
};

// The named settings in which `first` and `second` differ, in the order of NamedSettings().
// The switch-on date and time are not named settings and never differ here.
std::vector<SettingDifference> NamedSettingDifferences(const CameraSettings &first,
                                                       const CameraSettings &second);
