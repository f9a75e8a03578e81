#include "report.h"

#include "settings/named_settings.h"

#include <cstdio>

std::string PrintableText(std::string_view utf8)
{
    // Control characters from a damaged or crafted file would otherwise reach the terminal as
    // escape sequences; show them as \xNN instead. C1 controls come as C2 80 .. C2 9F.
    std::string out;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        unsigned control = 0x100;
        if (c < 0x20 || c == 0x7F)
            control = c;
        else if (c == 0xC2 && i + 1 < utf8.size() &&
                 static_cast<unsigned char>(utf8[i + 1]) >= 0x80 &&
                 static_cast<unsigned char>(utf8[i + 1]) < 0xA0)
            control = static_cast<unsigned char>(utf8[++i]);
        if (control < 0x100) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", control);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

namespace {

nlohmann::ordered_json scheduleJson(const DaySchedule &schedule)
{
    return nlohmann::ordered_json(schedule.words);
}

nlohmann::ordered_json destinationJson(const Destination &destination, int kind)
{
    return {{"text", Latin1ToUtf8(destination.text)}, {"bcc", destination.bcc}, {"kind", kind}};
}

} // namespace

std::string SwitchOnText(const CameraSettings &s)
{
    if (s.core.loadTime == 0 && s.core.loadDate == 0)
        return "not set";
    int hour = 0, minute = 0, halfSeconds = 0, month = 0, day = 0, year = 0;
    s.GetLoadTime(&hour, &minute, &halfSeconds);
    s.GetLoadDate(&month, &day, &year);
    char text[48];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", 2000 + year, month, day, hour,
                  minute, 2 * halfSeconds);
    return text;
}

std::string DescribeSettings(const CameraSettings &s)
{
    std::string text;
    std::string_view tab;
    const std::vector<NamedValue> values = NamedSettingValues(s);
    for (std::size_t i = 0; i < values.size(); ++i) {
        const NamedSetting &setting = NamedSettings()[i];
        if (setting.tab != tab) {
            text += (tab.empty() ? "" : "\n") + std::string(setting.tab) + "\n";
            tab = setting.tab;
        }
        text += "  " + values[i].name + "=" + PrintableText(values[i].value) + "\n";
    }
    return text + "\nSwitch-on date and time: " + SwitchOnText(s) + "\n";
}

nlohmann::ordered_json SettingsToJson(const CameraSettings &s)
{
    const CoreSection &c = s.core;
    nlohmann::ordered_json core = {
        {"triggerFlags", c.triggerFlags},
        {"pulseCount", c.pulseCount},
        {"pulseWindow", c.pulseWindow},
        {"picturesPerTrigger", c.picturesPerTrigger},
        {"pictureInterval", c.pictureInterval},
        {"quietPeriod", c.quietPeriod},
        {"triggerDaySchedule", scheduleJson(c.triggerDaySchedule)},
        {"timeLapseFlags", c.timeLapseFlags},
        {"timeLapseInterval", c.timeLapseInterval},
        {"timeLapseDaySchedule", scheduleJson(c.timeLapseDaySchedule)},
        {"brightness", c.brightness},
        {"contrast", c.contrast},
        {"imageFlags", c.imageFlags},
        {"sharpness", c.sharpness},
        {"saturation", c.saturation},
        {"label", Latin1ToUtf8(s.Label())},
        {"optionFlags", c.optionFlags},
        {"loadTime", c.loadTime},
        {"loadDate", c.loadDate},
    };
    const DualScheduleSection &d = s.dual;
    nlohmann::ordered_json dual = {
        {"dayAssignment", d.dayAssignment},
        {"triggerSchedule1", scheduleJson(d.triggerSchedule1)},
        {"triggerSchedule2", scheduleJson(d.triggerSchedule2)},
        {"timeLapseSchedule1", scheduleJson(d.timeLapseSchedule1)},
        {"timeLapseSchedule2", scheduleJson(d.timeLapseSchedule2)},
    };
    const CellularSection &l = s.cellular;
    nlohmann::ordered_json cellular = {
        {"cellFlags", l.cellFlags},
        {"statusFlags", l.statusFlags},
    };
    for (int i = 0; i < 4; ++i) {
        const auto &words = l.phoneNumbers[i];
        cellular["phoneNumber" + std::to_string(i + 1)] =
            destinationJson(UnpackPhoneNumber(words), PhoneNumberKind(words));
    }
    cellular["email1"] = destinationJson(UnpackEmailAddress(l.email1), EmailAddressKind(l.email1));
    cellular["email2"] = destinationJson(UnpackEmailAddress(l.email2), EmailAddressKind(l.email2));
    nlohmann::ordered_json settings = nlohmann::ordered_json::object();
    for (const NamedValue &value : NamedSettingValues(s))
        settings[value.name] = value.value;
    return {{"core", core}, {"dual", dual}, {"cellular", cellular}, {"settings", settings}};
}
