#include "settings/named_settings.h"

#include "platform/text.h"

#include "resources/string_table.h"
#include "settings/cellular_values.h"
#include "settings/date_time_values.h"
#include "settings/images_values.h"
#include "settings/other_values.h"
#include "settings/refusal.h"
#include "settings/time_lapse_values.h"
#include "settings/trigger_values.h"
#include "settings/value_text.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <functional>

namespace {

using namespace valuetext;

using Reason = std::optional<std::string>;

// Messages of the command line where a tab has none.
constexpr const char *kBurstDoesNotFit =
    "The BurstClip pictures, taken 5 seconds apart, do not fit into the time lapse interval.";
constexpr const char *kBurstNeedsTimeLapse = "Please choose a time lapse interval first.";
constexpr const char *kNoSuchSetting = "There is no setting of this name.";

// A question of the tabs as a refusal: its first paragraph or sentence, without the question.
std::string withoutQuestion(int messageId)
{
    std::string text(strings::Text(messageId));
    for (const char *end : {"\n\n", "  Do you want"}) {
        if (const auto at = text.find(end); at != std::string::npos)
            text.resize(at);
    }
    return text;
}

// ---- Time lapse ----------------------------------------------------------------------------

constexpr std::array<std::string_view, 4> kUnitWords{"minute", "hour", "second", "millisecond"};

std::string timeLapseText(const CameraSettings &s)
{
    if (!s.TimeLapseOn())
        return "off";
    const unsigned count = IntervalCountOf(s.core.timeLapseInterval);
    const auto unit = static_cast<unsigned>(IntervalUnitOf(s.core.timeLapseInterval));
    return std::to_string(count) + " " + std::string(kUnitWords[unit]) + (count == 1 ? "" : "s");
}

// "Please enter one of 1, 2, ... hours.": the entries of the unit's list.
std::string listText(IntervalUnit unit, std::string_view unitWord)
{
    std::string text;
    for (int entry : TimeLapseValues::entries(unit))
        text += (text.empty() ? "" : ", ") + std::to_string(entry);
    return rules::Fill(kEnterOneOf, text + " " + std::string(unitWord));
}

// ---- Start delay ---------------------------------------------------------------------------

// The Other tab's list, entry for entry.
constexpr std::array<std::string_view, OtherValues::kStartDelayEntries> kStartDelays{
    "immediately", "1 day",   "2 days",  "3 days",  "4 days",  "5 days",   "6 days",  "1 week",
    "2 weeks",     "3 weeks", "4 weeks", "6 weeks", "8 weeks", "12 weeks", "42 weeks"};
static_assert(kStartDelays.size() == std::size(strings::kStartDelays));
// A stored code the list has no entry for: the tab selects nothing and keeps it.
constexpr std::string_view kNoStartDelay = "unset";

constexpr std::array<std::string_view, 5> kSensitivitySteps{"0", "25", "50", "75", "100"};
static_assert(kSensitivitySteps.size() == InternalTriggerValues::kSensitivityLastPosition + 1);
// The night sliders' positions, low to high.
constexpr std::array<std::string_view, 3> kShutterPositions{"slow", "middle", "fast"};
constexpr std::array<std::string_view, 3> kIsoPositions{"low", "middle", "high"};

constexpr std::array<std::string_view, 4> kQuicksets{"advanced", "normal", "aggressive",
                                                     "conservative"};
// Listed the way the tab shows them.
constexpr std::array<std::string_view, 4> kQuicksetChoices{"normal", "aggressive", "conservative",
                                                           "advanced"};

} // namespace

// The table of named settings, with access to a change's state.
struct ChangeAccess
{
    using Change = NamedSettingsChange;
    struct Entry
    {
        NamedSetting info;
        std::function<std::string(const Change &)> get;
        std::function<Reason(Change &, std::string_view)> set;
    };

    static const std::vector<Entry> &entries()
    {
        static const std::vector<Entry> table = build();
        return table;
    }

    static int indexOf(std::string_view name)
    {
        const auto &table = entries();
        for (std::size_t i = 0; i < table.size(); ++i) {
            if (table[i].info.name == name)
                return static_cast<int>(i);
        }
        return -1;
    }

    static CameraSettings &record(Change &change) { return change.settings; }
    static const CameraSettings &record(const Change &change) { return change.settings; }

    static std::vector<Entry> build();
    static std::optional<SettingRefusal> finish(Change &change);

    // Of the settings that break a rule (those with a reason) and were changed, the one
    // changed last: the value that made the record break it.
    static std::optional<SettingRefusal>
    refuseLatest(const Change &change,
                 std::initializer_list<std::pair<std::string_view, std::string>> candidates)
    {
        int latest = 0;
        std::optional<SettingRefusal> refusal;
        for (const auto &[name, reason] : candidates) {
            const int at = change.changedAt[static_cast<std::size_t>(indexOf(name))];
            if (!reason.empty() && at > latest) {
                latest = at;
                refusal = SettingRefusal{std::string(name), reason};
            }
        }
        return refusal;
    }
};

namespace {

using Entry = ChangeAccess::Entry;
using Change = NamedSettingsChange;

CameraSettings &rec(Change &c)
{
    return ChangeAccess::record(c);
}
const CameraSettings &rec(const Change &c)
{
    return ChangeAccess::record(c);
}

// A check box or a pair of radio buttons: on/off (or yes/no), stored as a flag that may be
// the inverse of the box.
Entry switchEntry(std::string_view name, std::string_view tab, bool (CameraSettings::*get)() const,
                  void (CameraSettings::*set)(bool), bool inverse = false)
{
    return {{name, tab, "on | off"},
            [get, inverse](const Change &c) {
                return std::string(((rec(c).*get)() != inverse) ? "on" : "off");
            },
            [set, inverse](Change &c, std::string_view value) -> Reason {
                bool on = false;
                if (auto refusal = readSwitch(value, kOnOff, on))
                    return refusal;
                (rec(c).*set)(on != inverse);
                return {};
            }};
}

// Two named choices over one flag: the first word for a clear flag.
Entry pairEntry(std::string_view name, std::string_view tab, std::string_view syntax,
                std::array<std::string_view, 2> words, bool (CameraSettings::*get)() const,
                void (CameraSettings::*set)(bool))
{
    return {{name, tab, syntax},
            [get, words](const Change &c) { return std::string(words[(rec(c).*get)() ? 1 : 0]); },
            [set, words](Change &c, std::string_view value) -> Reason {
                int index = 0;
                if (auto refusal = readChoice(value, words, index))
                    return refusal;
                (rec(c).*set)(index == 1);
                return {};
            }};
}

// A list or a slider: one of `words`, stored as the tab stores that position.
Entry listEntry(NamedSetting info, std::span<const std::string_view> words,
                std::function<std::string(const CameraSettings &)> shown,
                std::function<void(CameraSettings &, int)> store)
{
    return {info, [shown](const Change &c) { return shown(rec(c)); },
            [words, store](Change &c, std::string_view value) -> Reason {
                int position = 0;
                if (auto refusal = readChoice(value, words, position))
                    return refusal;
                store(rec(c), position);
                return {};
            }};
}

// A whole number of the core section, from a number field (`shape`), a plain field or a
// slider (none), checked by its tab's rule.
template <typename Field>
Entry integerEntry(std::string_view name, std::string_view tab, std::string_view syntax,
                   Field CoreSection::*field, const rules::NumberField *shape,
                   rules::Check (*check)(int))
{
    return {{name, tab, syntax},
            [field](const Change &c) { return std::to_string(rec(c).core.*field); },
            [field, shape, check](Change &c, std::string_view value) -> Reason {
                int number = 0;
                if (auto refusal = readInteger(value, shape, number))
                    return refusal;
                if (auto refusal = check(number))
                    return refusal->text();
                rec(c).core.*field = static_cast<Field>(number);
                return {};
            }};
}

Entry sliderEntry(std::string_view name, std::uint8_t CoreSection::*field)
{
    return integerEntry(name, "Images", "0 .. 255", field, nullptr, &ImagesValues::checkSlider);
}

// A day schedule of the core section. The schedule pages want a period on before they can be
// left, but a file may hold a day without one (the factory time-lapse schedule is such a day):
// what show prints, set takes back.
Entry dailyScheduleEntry(std::string_view name, std::string_view tab,
                         DaySchedule CoreSection::*field)
{
    return {{name, tab, "always | never | HH:MM-HH:MM,... (quarter hours)"},
            [field](const Change &c) { return scheduleText(rec(c).core.*field); },
            [field](Change &c, std::string_view value) -> Reason {
                DaySchedule schedule;
                if (!readSchedule(value, schedule))
                    return kScheduleSyntax;
                rec(c).core.*field = schedule;
                return {};
            }};
}

// One of the dual page's two schedules, taken as the file can hold it, like the day schedules.
Entry dualScheduleEntry(std::string_view name, DaySchedule DualScheduleSection::*field)
{
    return {{name, "Triggers", "always | never | HH:MM-HH:MM,... (quarter hours)"},
            [field](const Change &c) { return scheduleText(rec(c).dual.*field); },
            [field](Change &c, std::string_view value) -> Reason {
                DaySchedule schedule;
                if (!readSchedule(value, schedule))
                    return kScheduleSyntax;
                rec(c).dual.*field = schedule;
                return {};
            }};
}

} // namespace

std::vector<ChangeAccess::Entry> ChangeAccess::build()
{
    std::vector<Entry> t;

    // ---- Triggers
    t.push_back({{"quickset", "Triggers", "normal | aggressive | conservative | advanced"},
                 [](const Change &c) {
                     const std::uint16_t stored = rec(c).StoredQuickset();
                     return std::string(kQuicksets[stored == rec(c).DetectQuickset() ? stored : 0]);
                 },
                 [](Change &c, std::string_view value) -> Reason {
                     int index = 0;
                     if (auto refusal = readChoice(value, kQuicksetChoices, index))
                         return refusal;
                     const auto preset = static_cast<std::uint16_t>(
                         std::find(kQuicksets.begin(), kQuicksets.end(), value) -
                         kQuicksets.begin());
                     // As the tab's radios: Advanced keeps the values and forgets the preset; a
                     // preset makes the trigger schedules always armed, then sets its values.
                     if (preset == QuicksetAdvanced) {
                         rec(c).SetStoredQuickset(QuicksetAdvanced);
                     } else {
                         rec(c).MakeTriggerAlwaysArmed();
                         rec(c).ApplyQuickset(preset);
                     }
                     c.presetApplied = preset != QuicksetAdvanced;
                     return {};
                 }});
    t.push_back(switchEntry("internal-trigger", "Triggers", &CameraSettings::InternalTrigger,
                            &CameraSettings::SetInternalTrigger));
    t.push_back(listEntry(
        {"sensitivity", "Triggers", "0 | 25 | 50 | 75 | 100"}, kSensitivitySteps,
        [](const CameraSettings &s) { return std::to_string(s.Sensitivity()); },
        [](CameraSettings &s, int position) {
            s.SetSensitivity(InternalTriggerValues::sensitivityOf(position));
        }));
    t.push_back(integerEntry("pulses", "Triggers", "1 .. 5", &CoreSection::pulseCount, nullptr,
                             &InternalTriggerValues::checkPulseCount));
    t.push_back({{"pulse-window", "Triggers", "0.3 .. 10 (seconds, one decimal place)"},
                 [](const Change &c) {
                     return rules::NumberText(
                         InternalTriggerValues::pulseWindowSecondsOf(rec(c).core.pulseWindow));
                 },
                 [](Change &c, std::string_view value) -> Reason {
                     double seconds = 0;
                     if (auto refusal =
                             readNumber(value, InternalTriggerValues::kPulseWindowField, seconds))
                         return refusal;
                     if (auto refusal = InternalTriggerValues::checkPulseWindow(seconds))
                         return refusal->text();
                     rec(c).core.pulseWindow = InternalTriggerValues::pulseWindowTenths(seconds);
                     return {};
                 }});
    t.push_back(switchEntry("external-trigger", "Triggers", &CameraSettings::ExternalTrigger,
                            &CameraSettings::SetExternalTrigger));
    t.push_back(integerEntry(
        "pictures-per-trigger", "Triggers", "1 .. 99", &CoreSection::picturesPerTrigger,
        &TriggerValues::kPicturesPerTriggerField, &TriggerValues::checkPictures));
    // "as fast as possible" sets the flag.
    t.push_back(pairEntry("pacing", "Triggers", "fast | waiting", {"waiting", "fast"},
                          &CameraSettings::FastSequence, &CameraSettings::SetFastSequence));
    t.push_back({{"picture-interval", "Triggers", "1 .. 60 (seconds between pictures)"},
                 [](const Change &c) {
                     return rules::NumberText(
                         TriggerValues::pictureIntervalSecondsOf(rec(c).core.pictureInterval));
                 },
                 [](Change &c, std::string_view value) -> Reason {
                     double seconds = 0;
                     if (auto refusal =
                             readNumber(value, TriggerValues::kPictureIntervalField, seconds))
                         return refusal;
                     if (auto refusal = TriggerValues::checkPictureInterval(seconds))
                         return refusal->text();
                     rec(c).core.pictureInterval = TriggerValues::pictureIntervalMs(seconds);
                     return {};
                 }});
    t.push_back(integerEntry("quiet-period", "Triggers", "0 .. 3600 (seconds between triggers)",
                             &CoreSection::quietPeriod, &TriggerValues::kQuietPeriodField,
                             &TriggerValues::checkQuietPeriod));
    t.push_back(
        dailyScheduleEntry("trigger-schedule", "Triggers", &CoreSection::triggerDaySchedule));
    t.push_back(dualScheduleEntry("dual-schedule-1", &DualScheduleSection::triggerSchedule1));
    t.push_back(dualScheduleEntry("dual-schedule-2", &DualScheduleSection::triggerSchedule2));
    t.push_back({{"days-on-schedule-2", "Triggers", "none | sun,mon,tue,wed,thu,fri,sat"},
                 [](const Change &c) {
                     std::vector<std::string_view> days;
                     for (int d = 1; d <= 7; ++d) {
                         if (rec(c).TriggerDayUsesSchedule2(d))
                             days.push_back(kDays[static_cast<std::size_t>(d - 1)]);
                     }
                     return days.empty() ? std::string("none") : joined(days, ",");
                 },
                 [](Change &c, std::string_view value) -> Reason {
                     std::array<bool, 7> chosen{};
                     if (value != "none") {
                         for (std::string_view day : commaSeparated(value)) {
                             const auto found = std::find(kDays.begin(), kDays.end(), day);
                             if (found == kDays.end())
                                 return kDaysSyntax;
                             chosen[static_cast<std::size_t>(found - kDays.begin())] = true;
                         }
                     }
                     for (int d = 1; d <= 7; ++d)
                         rec(c).SetTriggerDayUsesSchedule2(d,
                                                           chosen[static_cast<std::size_t>(d - 1)]);
                     return {};
                 }});

    // ---- Time Lapse
    t.push_back({{"time-lapse", "Time Lapse", "off | N hours | N minutes | N seconds"},
                 [](const Change &c) { return timeLapseText(rec(c)); },
                 [](Change &c, std::string_view value) -> Reason {
                     CameraSettings &s = rec(c);
                     if (value == "off") {
                         TimeLapseValues::storeOff(s);
                         return {};
                     }
                     const auto blank = value.find(' ');
                     const std::string_view count = value.substr(0, blank);
                     std::string_view unit =
                         blank == std::string_view::npos ? "" : value.substr(blank + 1);
                     if (unit.ends_with('s'))
                         unit.remove_suffix(1);
                     int n = 0;
                     if (count.empty() || count.size() > 4 || !allDigits(count))
                         return kTimeLapseSyntax;
                     std::from_chars(count.data(), count.data() + count.size(), n);
                     IntervalUnit intervalUnit = IntervalUnit::Minutes;
                     if (unit == "hour")
                         intervalUnit = IntervalUnit::Hours;
                     else if (unit == "second")
                         intervalUnit = IntervalUnit::Seconds;
                     else if (unit != "minute")
                         return kTimeLapseSyntax;
                     if (!TimeLapseValues::listed(intervalUnit, n))
                         return listText(intervalUnit, std::string(unit) + "s");
                     s.SetTimeLapseOn(true);
                     s.core.timeLapseInterval =
                         MakeInterval(intervalUnit, static_cast<std::uint16_t>(n));
                     return {};
                 }});
    t.push_back(switchEntry("time-lapse-burst", "Time Lapse", &CameraSettings::TimeLapseBurst,
                            &CameraSettings::SetTimeLapseBurst));
    t.push_back(dailyScheduleEntry("time-lapse-schedule", "Time Lapse",
                                   &CoreSection::timeLapseDaySchedule));

    // ---- Images
    t.push_back({{"label", "Images", "up to 20 characters, not ~ ^ _ ` { } |", true},
                 [](const Change &c) { return Latin1ToUtf8(rec(c).Label()); },
                 [](Change &c, std::string_view value) -> Reason {
                     std::string bytes;
                     if (auto refusal = readText(value, ImagesValues::kLabelField, bytes))
                         return refusal;
                     rec(c).SetLabel(bytes);
                     return {};
                 }});
    t.push_back(sliderEntry("brightness", &CoreSection::brightness));
    t.push_back(sliderEntry("contrast", &CoreSection::contrast));
    t.push_back(sliderEntry("sharpness", &CoreSection::sharpness));
    t.push_back(sliderEntry("saturation", &CoreSection::saturation));
    t.push_back(pairEntry("temperature", "Images", "fahrenheit | celsius",
                          {"fahrenheit", "celsius"}, &CameraSettings::Celsius,
                          &CameraSettings::SetCelsius));
    t.push_back(pairEntry("clock", "Images", "12-hour | 24-hour", {"12-hour", "24-hour"},
                          &CameraSettings::Clock24h, &CameraSettings::SetClock24h));
    t.push_back(listEntry(
        {"night-shutter", "Images", "slow | middle | fast"}, kShutterPositions,
        [](const CameraSettings &s) {
            return std::string(kShutterPositions[static_cast<std::size_t>(
                ImagesValues::shutterPositionOf(s.NightShutter()))]);
        },
        [](CameraSettings &s, int position) {
            s.SetNightShutter(static_cast<std::uint16_t>(position));
        }));
    t.push_back(listEntry(
        {"night-iso", "Images", "low | middle | high"}, kIsoPositions,
        [](const CameraSettings &s) {
            return std::string(kIsoPositions[static_cast<std::size_t>(
                ImagesValues::isoPositionOf(s.NightIso()))]);
        },
        [](CameraSettings &s, int position) {
            s.SetNightIso(ImagesValues::isoCodeOf(position));
        }));
    t.push_back(pairEntry("resolution", "Images", "high | low", {"high", "low"},
                          &CameraSettings::LowResolution, &CameraSettings::SetLowResolution));
    t.push_back(switchEntry("print-border", "Images", &CameraSettings::PrintBorder,
                            &CameraSettings::SetPrintBorder));

    // ---- Cellular
    t.push_back(switchEntry("use-cellular", "Cellular", &CameraSettings::CellularOff,
                            &CameraSettings::SetCellularOff, true));
    t.push_back(switchEntry("daily-status-picture", "Cellular", &CameraSettings::DailyStatusOff,
                            &CameraSettings::SetDailyStatusOff, true));
    for (std::size_t i = 0; i < 4; ++i) {
        static constexpr std::array<std::string_view, 4> kNames{"phone-1", "phone-2", "phone-3",
                                                                "phone-4"};
        static constexpr std::array<std::string_view, 4> kBccNames{"phone-1-bcc", "phone-2-bcc",
                                                                   "phone-3-bcc", "phone-4-bcc"};
        const auto text = [i](const CameraSettings &s) {
            const PhoneNumberWords &words = s.cellular.phoneNumbers[i];
            return PhoneNumberKind(words) == DestinationNone ? std::string()
                                                             : UnpackPhoneNumber(words).text;
        };
        t.push_back({{kNames[i], "Cellular", "up to 15 digits, blanks and -; empty for none", true},
                     [text](const Change &c) { return text(rec(c)); },
                     [i](Change &c, std::string_view value) -> Reason {
                         std::string digits;
                         if (auto refusal = readText(value, CellularValues::phoneField(), digits))
                             return refusal;
                         rec(c).cellular.phoneNumbers[i] = PackPhoneNumber(digits, c.phoneBcc[i]);
                         return {};
                     }});
        t.push_back({{kBccNames[i], "Cellular", "yes | no"},
                     [i](const Change &c) { return std::string(c.phoneBcc[i] ? "yes" : "no"); },
                     [i, text](Change &c, std::string_view value) -> Reason {
                         bool bcc = false;
                         if (auto refusal = readSwitch(value, kYesNo, bcc))
                             return refusal;
                         c.phoneBcc[i] = bcc;
                         rec(c).cellular.phoneNumbers[i] = PackPhoneNumber(text(rec(c)), bcc);
                         return {};
                     }});
    }
    for (std::size_t j = 0; j < 2; ++j) {
        static constexpr std::array<std::string_view, 2> kNames{"email-1", "email-2"};
        static constexpr std::array<std::string_view, 2> kBccNames{"email-1-bcc", "email-2-bcc"};
        const auto text = [j](const CameraSettings &s) {
            const EmailAddressBytes &bytes = j == 0 ? s.cellular.email1 : s.cellular.email2;
            return EmailAddressKind(bytes) == DestinationNone ? std::string()
                                                              : UnpackEmailAddress(bytes).text;
        };
        const auto store = [j](CameraSettings &s, std::string_view chars, bool bcc) {
            (j == 0 ? s.cellular.email1 : s.cellular.email2) = PackEmailAddress(chars, bcc);
        };
        t.push_back(
            {{kNames[j], "Cellular", "up to 36 characters, not ( ) [ ] \\ ; : \" , < >", true},
             [text](const Change &c) { return text(rec(c)); },
             [j, store](Change &c, std::string_view value) -> Reason {
                 std::string chars;
                 if (auto refusal = readText(value, CellularValues::kEmailField, chars))
                     return refusal;
                 store(rec(c), chars, c.emailBcc[j]);
                 return {};
             }});
        t.push_back({{kBccNames[j], "Cellular", "yes | no"},
                     [j](const Change &c) { return std::string(c.emailBcc[j] ? "yes" : "no"); },
                     [j, store, text](Change &c, std::string_view value) -> Reason {
                         bool bcc = false;
                         if (auto refusal = readSwitch(value, kYesNo, bcc))
                             return refusal;
                         c.emailBcc[j] = bcc;
                         store(rec(c), text(rec(c)), bcc);
                         return {};
                     }});
    }

    // ---- Other
    t.push_back(switchEntry("loop-recording", "Other", &CameraSettings::LoopRecording,
                            &CameraSettings::SetLoopRecording));
    t.push_back(
        switchEntry("hide-logo", "Other", &CameraSettings::HideLogo, &CameraSettings::SetHideLogo));
    t.push_back(switchEntry("disable-illuminator", "Other", &CameraSettings::IlluminatorOff,
                            &CameraSettings::SetIlluminatorOff));
    t.push_back(listEntry(
        {"start-delay", "Other",
         "immediately | N days (1 .. 6) | N weeks (1, 2, 3, 4, 6, 8, 12, 42)"},
        kStartDelays,
        [](const CameraSettings &s) {
            const std::uint16_t delay = s.StartDelay();
            return std::string(delay < kStartDelays.size() ? kStartDelays[delay] : kNoStartDelay);
        },
        [](CameraSettings &s, int index) { s.SetStartDelay(static_cast<std::uint16_t>(index)); }));
    t.push_back(
        switchEntry("keybolt", "Other", &CameraSettings::KeyBoltOn, &CameraSettings::SetKeyBoltOn));
    t.push_back({{"keybolt-code", "Other", "four digits, each 1 .. 4"},
                 [](const Change &c) {
                     std::string code;
                     for (int d = 1; d <= 4; ++d)
                         code += static_cast<char>('1' + rec(c).CodeDigit(d));
                     return code;
                 },
                 [](Change &c, std::string_view value) -> Reason {
                     const bool valid = value.size() == OtherValues::kCodeDigits &&
                                        std::all_of(value.begin(), value.end(), [](char d) {
                                            return OtherValues::validCodeDigit(d - '1');
                                        });
                     if (!valid)
                         return kCodeSyntax;
                     for (int d = 1; d <= 4; ++d)
                         rec(c).SetCodeDigit(d, static_cast<std::uint16_t>(value[d - 1] - '1'));
                     return {};
                 }});
    return t;
}

std::optional<SettingRefusal> ChangeAccess::finish(Change &change)
{
    const CameraSettings &s = change.settings;

    // A time lapse faster than every five seconds rules out both triggers: the Time Lapse tab
    // asks 116 before it disarms them, the Triggers tab refuses a trigger with 117.
    if (TimeLapseValues::rulesOutTriggers(s) && (s.InternalTrigger() || s.ExternalTrigger())) {
        const std::string armed(strings::Text(117));
        const std::string none;
        if (auto refusal = refuseLatest(
                change, {{"time-lapse", withoutQuestion(116)},
                         {"internal-trigger", s.InternalTrigger() ? armed : none},
                         {"external-trigger", s.ExternalTrigger() ? armed : none},
                         {"quickset", change.presetApplied && s.InternalTrigger() ? armed : none}}))
            return refusal;
    }

    // A time-lapse burst must fit into the interval at five seconds a picture: the Time Lapse
    // tab offers it only then, the Triggers tab asks 126 before it gives it up.
    if (s.TimeLapseBurst()) {
        const bool offered = TimeLapseValues::burstOffered(s);
        const bool kept =
            TriggerValues::burstWithin(s.core.picturesPerTrigger, s.core.timeLapseInterval);
        const std::string tooMany = withoutQuestion(126);
        const std::string none;
        if (auto refusal = refuseLatest(
                change, {{"time-lapse", offered ? none : kBurstDoesNotFit},
                         {"time-lapse-burst", offered            ? none
                                              : !s.TimeLapseOn() ? kBurstNeedsTimeLapse
                                                                 : kBurstDoesNotFit},
                         {"pictures-per-trigger", kept ? none : tooMany},
                         {"quickset", change.presetApplied && !kept ? tooMany : none}}))
            return refusal;
    }

    return {};
}

// ---- The public interface ------------------------------------------------------------------

std::span<const NamedSetting> NamedSettings()
{
    static const std::vector<NamedSetting> settings = [] {
        std::vector<NamedSetting> out;
        for (const auto &entry : ChangeAccess::entries())
            out.push_back(entry.info);
        return out;
    }();
    return settings;
}

bool IsNamedSetting(std::string_view name)
{
    return ChangeAccess::indexOf(name) >= 0;
}

NamedSettingsChange::NamedSettingsChange(const CameraSettings &start)
    : settings(start), changedAt(ChangeAccess::entries().size(), 0)
{
    for (std::size_t i = 0; i < phoneBcc.size(); ++i)
        phoneBcc[i] = PhoneNumberKind(settings.cellular.phoneNumbers[i]) == DestinationBcc;
    emailBcc[0] = EmailAddressKind(settings.cellular.email1) == DestinationBcc;
    emailBcc[1] = EmailAddressKind(settings.cellular.email2) == DestinationBcc;
}

std::optional<SettingRefusal> NamedSettingsChange::Set(std::string_view name,
                                                       std::string_view value)
{
    const int index = ChangeAccess::indexOf(name);
    if (index < 0)
        return SettingRefusal{std::string(name), kNoSuchSetting};
    const auto &entry = ChangeAccess::entries()[static_cast<std::size_t>(index)];
    // Words are shown in lower case and read in any; free text is taken as it comes.
    std::string lowered;
    if (!entry.info.text) {
        lowered = LowerAscii(value);
        value = lowered;
    }
    // What the setting shows already is no change at all, also where the tab could not have
    // entered it.
    if (entry.get(*this) == value)
        return {};
    const std::uint16_t stored = settings.StoredQuickset();
    const bool presetShown = stored != QuicksetAdvanced && stored == settings.DetectQuickset();
    if (Reason refusal = entry.set(*this, value))
        return SettingRefusal{std::string(name), *refusal};
    // The tab lets trigger values be edited only under Advanced, which forgets the preset: a
    // value that leaves the preset behind does the same.
    if (presetShown && settings.DetectQuickset() != settings.StoredQuickset())
        settings.SetStoredQuickset(QuicksetAdvanced);
    changedAt[static_cast<std::size_t>(index)] = ++sets;
    return {};
}

std::optional<SettingRefusal> NamedSettingsChange::Finish()
{
    return ChangeAccess::finish(*this);
}

std::vector<NamedValue> NamedSettingValues(const CameraSettings &settings)
{
    const NamedSettingsChange view(settings);
    std::vector<NamedValue> values;
    for (const auto &entry : ChangeAccess::entries())
        values.push_back({std::string(entry.info.name), entry.get(view)});
    return values;
}

std::string NamedSettingValue(const CameraSettings &settings, std::string_view name)
{
    const int index = ChangeAccess::indexOf(name);
    if (index < 0)
        return {};
    return ChangeAccess::entries()[static_cast<std::size_t>(index)].get(
        NamedSettingsChange(settings));
}

std::optional<SettingRefusal> ApplyNamedSettings(CameraSettings &settings,
                                                 std::span<const NamedValue> values)
{
    NamedSettingsChange change(settings);
    for (const NamedValue &value : values) {
        if (auto refusal = change.Set(value.name, value.value))
            return refusal;
    }
    if (auto refusal = change.Finish())
        return refusal;
    settings = change.result();
    return {};
}

std::optional<std::string> SwitchOnRefusal(const rules::SwitchOnFields &fields,
                                           rules::HourClock clock)
{
    if (auto refusal = SwitchOnValues::check(fields, clock))
        return refusal->text();
    return std::nullopt;
}

std::span<const char *const> NamedSettingMessages()
{
    static constexpr const char *kMessages[] = {
        kCharacterNotAllowed, kNotUtf8,         kWholeNumber,         kDecimalPlaces,
        kEnterOneOf,          kScheduleSyntax,  kTimeLapseSyntax,     kDaysSyntax,
        kCodeSyntax,          kBurstDoesNotFit, kBurstNeedsTimeLapse, kNoSuchSetting,
    };
    return kMessages;
}
