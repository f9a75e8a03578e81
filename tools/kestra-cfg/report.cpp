#include "report.h"

#include "resources/string_table.h"

#include <array>
#include <cstdio>
#include <sstream>

namespace {

void appendLatin1(std::string &out, unsigned char c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

} // namespace

std::string Latin1ToUtf8(std::string_view bytes)
{
    std::string out;
    for (unsigned char c : bytes)
        appendLatin1(out, c);
    return out;
}

std::string PrintableText(std::string_view bytes)
{
    // Control bytes from a damaged or crafted file would otherwise reach the terminal as
    // escape sequences; show them as \xNN instead.
    std::string out;
    for (unsigned char c : bytes) {
        if (c < 0x20 || (c >= 0x7F && c < 0xA0)) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            out += escaped;
        } else {
            appendLatin1(out, c);
        }
    }
    return out;
}

namespace {

std::string clockText(int minuteOfDay)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d", minuteOfDay / 60, minuteOfDay % 60);
    return text;
}

const char *onOff(bool on)
{
    return on ? "on" : "off";
}

const char *yesNo(bool yes)
{
    return yes ? "yes" : "no";
}

const char *quicksetName(std::uint16_t preset)
{
    static constexpr std::array<const char *, 4> kNames{"Advanced", "Normal", "Aggressive",
                                                        "Conservative"};
    return preset < kNames.size() ? kNames[preset] : "?";
}

std::string intervalText(std::uint16_t interval)
{
    static constexpr std::array<const char *, 4> kUnits{"minute", "hour", "second", "millisecond"};
    const unsigned count = IntervalCountOf(interval);
    const auto unit = static_cast<unsigned>(IntervalUnitOf(interval));
    return std::to_string(count) + " " + kUnits[unit] + (count == 1 ? "" : "s");
}

std::string secondsText(double seconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.15g s", seconds);
    return text;
}

std::string destinationText(const Destination &destination, int kind)
{
    if (kind == DestinationNone)
        return "(none)";
    std::string text =
        destination.text.empty() ? std::string("(empty)") : PrintableText(destination.text);
    if (kind == DestinationTo)
        return text + " (To)";
    if (kind == DestinationBcc)
        return text + " (BCC)";
    return text + " (kind " + std::to_string(kind) + ")";
}

std::string daysOnSchedule2(std::uint16_t dayBits)
{
    static constexpr std::array<const char *, 7> kDays{"Sun", "Mon", "Tue", "Wed",
                                                       "Thu", "Fri", "Sat"};
    std::string text;
    for (int d = 0; d < 7; ++d) {
        if (dayBits & (1u << d))
            text += (text.empty() ? "" : " ") + std::string(kDays[d]);
    }
    return text.empty() ? "none" : text;
}

class Lines
{
public:
    void heading(const std::string &title)
    {
        out << (first ? "" : "\n") << title << "\n", first = false;
    }
    void item(const std::string &name, const std::string &value)
    {
        out << "  " << name << ":" << std::string(name.size() < 26 ? 26 - name.size() : 1, ' ')
            << value << "\n";
    }
    std::string text() const { return out.str(); }

private:
    std::ostringstream out;
    bool first = true;
};

nlohmann::ordered_json scheduleJson(const DaySchedule &schedule)
{
    return nlohmann::ordered_json(schedule.words);
}

nlohmann::ordered_json destinationJson(const Destination &destination, int kind)
{
    return {{"text", Latin1ToUtf8(destination.text)}, {"bcc", destination.bcc}, {"kind", kind}};
}

} // namespace

std::string DescribeSchedule(const DaySchedule &schedule)
{
    std::string text;
    int start = -1;
    for (int slot = 0; slot <= DaySchedule::kSlots; ++slot) {
        const bool on =
            slot < DaySchedule::kSlots && schedule.IsOn(static_cast<std::uint16_t>(slot * 15));
        if (on && start < 0) {
            start = slot;
        } else if (!on && start >= 0) {
            text += (text.empty() ? "" : ", ") + clockText(start * 15) + "-" + clockText(slot * 15);
            start = -1;
        }
    }
    if (text == "00:00-24:00")
        return text + " (always on)";
    return text.empty() ? "none" : text;
}

std::string DescribeSettings(const CameraSettings &s)
{
    Lines lines;
    const CoreSection &core = s.core;

    lines.heading("Triggers");
    const std::uint16_t detected = s.DetectQuickset();
    const std::uint16_t stored = s.StoredQuickset();
    lines.item("Quickset", std::string(quicksetName(stored == detected ? stored : 0)) +
                               " (stored " + quicksetName(stored) + ", values match " +
                               quicksetName(detected) + ")");
    lines.item("Internal motion trigger", onOff(s.InternalTrigger()));
    lines.item("Sensitivity", std::to_string(s.Sensitivity()));
    lines.item("Trigger definition", "require " + std::to_string(core.pulseCount) +
                                         " pulses within " + secondsText(core.pulseWindow * 0.1));
    lines.item("External trigger", onOff(s.ExternalTrigger()));
    lines.item("Pictures per trigger", std::to_string(core.picturesPerTrigger));
    lines.item("Pacing",
               s.FastSequence()
                   ? std::string("as fast as possible")
                   : "waiting " + secondsText(core.pictureInterval / 1000.0) + " between pictures");
    lines.item("Quiet period", std::to_string(core.quietPeriod) + " s between triggers");
    lines.item("Daily schedule", DescribeSchedule(core.triggerDaySchedule));
    lines.item("Dual schedule 1", DescribeSchedule(s.dual.triggerSchedule1));
    lines.item("Dual schedule 2", DescribeSchedule(s.dual.triggerSchedule2));
    lines.item("Days on schedule 2", daysOnSchedule2(s.dual.dayAssignment & 0x7F));

    lines.heading("Time Lapse");
    lines.item("Time lapse", s.TimeLapseOn() ? "every " + intervalText(core.timeLapseInterval)
                                             : std::string("off"));
    lines.item("Stored interval", intervalText(core.timeLapseInterval));
    lines.item("At each interval",
               s.TimeLapseBurst() ? "multiple pictures (BurstClip)" : "one picture");
    lines.item("Daily schedule", DescribeSchedule(core.timeLapseDaySchedule));
    lines.item("Dual schedule 1", DescribeSchedule(s.dual.timeLapseSchedule1));
    lines.item("Dual schedule 2", DescribeSchedule(s.dual.timeLapseSchedule2));
    lines.item("Days on schedule 2", daysOnSchedule2((s.dual.dayAssignment >> 8) & 0x7F));

    lines.heading("Images");
    lines.item("Label", "\"" + PrintableText(s.Label()) + "\"");
    lines.item("Brightness", std::to_string(core.brightness));
    lines.item("Contrast", std::to_string(core.contrast));
    lines.item("Sharpness", std::to_string(core.sharpness));
    lines.item("Saturation", std::to_string(core.saturation));
    lines.item("Temperature", s.Celsius() ? "Celsius" : "Fahrenheit");
    lines.item("Time", s.Clock24h() ? "24 hr" : "12 hr");
    static constexpr std::array<const char *, 4> kShutter{"Slow", "middle", "Fast",
                                                          "3 (shown as middle)"};
    static constexpr std::array<const char *, 4> kIso{"middle", "Low", "High", "3 (shown as High)"};
    lines.item("Night shutter speed", kShutter[s.NightShutter()]);
    lines.item("Night ISO sensitivity", kIso[s.NightIso()]);
    lines.item("Resolution", s.LowResolution() ? "Low" : "High");
    lines.item("Border for 4x6 prints", yesNo(s.PrintBorder()));

    lines.heading("Cellular");
    lines.item("Use cellular", yesNo(!s.CellularOff()));
    lines.item("Daily status picture", yesNo(!s.DailyStatusOff()));
    for (int i = 0; i < 4; ++i) {
        const auto &words = s.cellular.phoneNumbers[i];
        lines.item("Phone number " + std::to_string(i + 1),
                   destinationText(UnpackPhoneNumber(words), PhoneNumberKind(words)));
    }
    int j = 1;
    for (const auto *email : {&s.cellular.email1, &s.cellular.email2}) {
        lines.item("E-mail address " + std::to_string(j++),
                   destinationText(UnpackEmailAddress(*email), EmailAddressKind(*email)));
    }

    lines.heading("Other");
    lines.item("Loop recording", yesNo(s.LoopRecording()));
    lines.item("Hide logo", yesNo(s.HideLogo()));
    lines.item("Disable illuminator", yesNo(s.IlluminatorOff()));
    const std::uint16_t delay = s.StartDelay();
    lines.item("Start delay", delay < std::size(strings::kStartDelays)
                                  ? std::string(strings::kStartDelays[delay])
                                  : "code " + std::to_string(delay));
    lines.item("KeyBolt", onOff(s.KeyBoltOn()));
    std::string code;
    for (int d = 1; d <= 4; ++d)
        code += std::to_string(s.CodeDigit(d) + 1);
    lines.item("KeyBolt code", code);
    int hour = 0, minute = 0, halfSeconds = 0, month = 0, day = 0, year = 0;
    s.GetLoadTime(&hour, &minute, &halfSeconds);
    s.GetLoadDate(&month, &day, &year);
    if (core.loadTime == 0 && core.loadDate == 0) {
        lines.item("Switch-on date and time", "not set");
    } else {
        char text[48];
        std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", 2000 + year, month, day,
                      hour, minute, 2 * halfSeconds);
        lines.item("Switch-on date and time", text);
    }
    return lines.text();
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
    return {{"core", core}, {"dual", dual}, {"cellular", cellular}};
}
