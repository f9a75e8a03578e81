// Trigger presets and the always-armed rule of the trigger schedules.
#include "settings/camera_settings.h"

#include <algorithm>

namespace {
struct PresetValues
{
    std::uint16_t pictures;
    bool fastSequence;
    std::uint16_t interval;
    std::uint16_t quietPeriod;
};

constexpr std::array<PresetValues, 3> kPresets{{
    {3, false, 1000, 0},  // Normal
    {5, true, 1000, 0},   // Aggressive
    {3, false, 5000, 15}, // Conservative
}};
} // namespace

void CameraSettings::ApplyQuickset(std::uint16_t preset)
{
    if (preset > QuicksetConservative)
        return;
    SetStoredQuickset(preset);
    SetInternalTrigger(true);
    SetSensitivity(100);
    core.triggerDaySchedule.SetAll(true);
    if (preset == QuicksetAdvanced)
        return;
    const PresetValues &values = kPresets[preset - 1];
    core.picturesPerTrigger = values.pictures;
    SetFastSequence(values.fastSequence);
    core.pictureInterval = values.interval;
    core.quietPeriod = values.quietPeriod;
}

std::uint16_t CameraSettings::DetectQuickset() const
{
    if (!core.triggerDaySchedule.IsAllOn())
        return QuicksetAdvanced;
    if (!InternalTrigger() || Sensitivity() != 100)
        return QuicksetAdvanced;
    for (std::size_t i = 0; i < kPresets.size(); ++i) {
        const PresetValues &values = kPresets[i];
        if (core.picturesPerTrigger == values.pictures && FastSequence() == values.fastSequence &&
            core.pictureInterval == values.interval && core.quietPeriod == values.quietPeriod)
            return static_cast<std::uint16_t>(i + 1);
    }
    return QuicksetAdvanced;
}

bool CameraSettings::IsTriggerAlwaysArmed() const
{
    const std::uint16_t days = dual.dayAssignment & 0x7F;
    return core.triggerDaySchedule.IsAllOn() &&
           (days == 0x7F || dual.triggerSchedule1.IsAllOn()) &&
           (days == 0 || dual.triggerSchedule2.IsAllOn());
}

void CameraSettings::MakeTriggerAlwaysArmed()
{
    // The whole word goes, time-lapse day choices included: the camera reads them as one.
    dual.dayAssignment = 0;
    dual.triggerSchedule1.SetAll(true);
    dual.triggerSchedule2.SetAll(true);
    core.triggerDaySchedule.SetAll(true);
}
