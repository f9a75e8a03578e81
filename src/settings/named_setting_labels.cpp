#include "settings/named_setting_labels.h"

#include <algorithm>
#include <utility>

namespace {

// The words of each tab, in the order of NamedSettings(); the Internal Trigger Settings and
// the schedule sheet's are named with the button that opens them.
constexpr std::pair<std::string_view, std::string_view> kLabels[] = {
    {"quickset", "Quickset"},
    {"internal-trigger", "Use the internal motion trigger"},
    {"sensitivity", "Advanced... Sensitivity"},
    {"pulses", "Advanced... Require (pulses)"},
    {"pulse-window", "Advanced... pulses within (seconds)"},
    {"external-trigger", "Use the external trigger"},
    {"pictures-per-trigger", "When triggered take (pictures)"},
    {"pacing", "BurstClip: waiting or as fast as possible (i.e. SwiftShot)"},
    {"picture-interval", "seconds between pictures"},
    {"quiet-period", "Quiet Period: seconds between triggers"},
    {"trigger-schedule", "Schedule: Restrict triggers based on the time of day"},
    {"dual-schedule-1", "View Schedule... Dual Schedule: Schedule 1"},
    {"dual-schedule-2", "View Schedule... Dual Schedule: Schedule 2"},
    {"days-on-schedule-2", "View Schedule... Dual Schedule: Assign Daily Schedule"},
    {"time-lapse", "Time Lapse Interval"},
    {"time-lapse-burst", "Take multiple pictures using BurstClip settings"},
    {"time-lapse-schedule", "Schedule: Restrict time lapse based on the time of day"},
    {"label", "Label"},
    {"brightness", "Brightness"},
    {"contrast", "Contrast"},
    {"sharpness", "Sharpness"},
    {"saturation", "Saturation"},
    {"temperature", "Temperature"},
    {"clock", "Time"},
    {"night-shutter", "Night Shutter Speed"},
    {"night-iso", "Night ISO Sensitivity"},
    {"resolution", "Resolution"},
    {"print-border", "Include border for 4x6 prints"},
    {"use-cellular", "Use cellular"},
    {"daily-status-picture", "Send daily status picture"},
    {"phone-1", "Phone 1"},
    {"phone-1-bcc", "Phone 1 BCC"},
    {"phone-2", "Phone 2"},
    {"phone-2-bcc", "Phone 2 BCC"},
    {"phone-3", "Phone 3"},
    {"phone-3-bcc", "Phone 3 BCC"},
    {"phone-4", "Phone 4"},
    {"phone-4-bcc", "Phone 4 BCC"},
    {"email-1", "Email 1"},
    {"email-1-bcc", "Email 1 BCC"},
    {"email-2", "Email 2"},
    {"email-2-bcc", "Email 2 BCC"},
    {"loop-recording", "Use loop recording (security enabled models only)"},
    {"hide-logo", "Hide VELOMAR logo (security enabled models only)"},
    {"disable-illuminator", "Disable illuminator"},
    {"start-delay", "Start Delay: When armed"},
    {"keybolt", "Use KeyBolt"},
    {"keybolt-code", "KeyBolt: Digit 1 to 4"},
};

} // namespace

std::string_view NamedSettingLabel(std::string_view name)
{
    const auto *found = std::find_if(std::begin(kLabels), std::end(kLabels),
                                     [&](const auto &entry) { return entry.first == name; });
    return found == std::end(kLabels) ? std::string_view() : found->second;
}

std::vector<SettingDifference> NamedSettingDifferences(const CameraSettings &first,
                                                       const CameraSettings &second)
{
    const std::vector<NamedValue> a = NamedSettingValues(first);
    const std::vector<NamedValue> b = NamedSettingValues(second);
    const auto settings = NamedSettings();
    std::vector<SettingDifference> differences;
    for (std::size_t i = 0; i < settings.size() && i < a.size() && i < b.size(); ++i) {
        if (a[i].value != b[i].value)
            differences.push_back(
                {&settings[i], NamedSettingLabel(settings[i].name), a[i].value, b[i].value});
    }
    return differences;
}
