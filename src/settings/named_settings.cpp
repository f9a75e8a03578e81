#include "settings/named_settings.h"

#include "resources/string_table.h"
#include "settings/setting_rules.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <functional>

namespace {

using Reason = std::optional<std::string>;

// ---- Texts ---------------------------------------------------------------------------------

// Messages of the command line where a tab has none: its lists and filters only let the right
// values in.
constexpr const char *kCharacterNotAllowed = "The character \"%1\" is not allowed.";
constexpr const char *kNotUtf8 = "The text is not valid UTF-8.";
constexpr const char *kWholeNumber = "Please enter a whole number.";
constexpr const char *kDecimalPlaces =
    "Please enter a number with no more than %1 decimal place%2.";
constexpr const char *kEnterOneOf = "Please enter one of %1.";
constexpr const char *kScheduleSyntax =
    "Please enter always, never or periods of quarter hours such as 06:00-18:30,20:00-22:00.";
constexpr const char *kTimeLapseSyntax =
    "Please enter off or an interval such as 10 minutes, 1 hour or 30 seconds.";
constexpr const char *kDaysSyntax = "Please enter none or days such as sun,sat.";
constexpr const char *kCodeSyntax = "Please enter four digits, each from 1 to 4.";
constexpr const char *kBurstDoesNotFit =
    "The BurstClip pictures, taken 5 seconds apart, do not fit into the time lapse interval.";
constexpr const char *kBurstNeedsTimeLapse = "Please choose a time lapse interval first.";
constexpr const char *kNoSuchSetting = "There is no setting of this name.";

// The tab's text with %1 and %2 put in.
std::string fill(std::string_view text, std::string_view first, std::string_view second = {})
{
    std::string out(text);
    if (const auto at = out.find("%1"); at != std::string::npos)
        out.replace(at, 2, first);
    if (const auto at = out.find("%2"); at != std::string::npos)
        out.replace(at, 2, second);
    return out;
}

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

std::string joined(std::span<const std::string_view> words, std::string_view separator)
{
    std::string out;
    for (std::string_view word : words)
        out += (out.empty() ? "" : std::string(separator)) + std::string(word);
    return out;
}

void appendUtf8(std::string &out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool decodeUtf8(std::string_view text, std::u32string &out)
{
    out.clear();
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const int length = lead < 0x80           ? 1
                           : (lead >> 5) == 0x6  ? 2
                           : (lead >> 4) == 0xE  ? 3
                           : (lead >> 3) == 0x1E ? 4
                                                 : 0;
        if (length == 0 || i + length > text.size())
            return false;
        char32_t c = length == 1 ? lead : lead & (0x7F >> length);
        for (int k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            c = (c << 6) | (next & 0x3F);
        }
        static constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
        if (c < kLeast[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            return false;
        out += c;
        i += length;
    }
    return true;
}

std::string characterText(char32_t c)
{
    if (c < 0x20 || (c >= 0x7F && c < 0xA0)) {
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned>(c));
        return escaped;
    }
    std::string out;
    appendUtf8(out, c);
    return out;
}

// A text field's filter and length, as the tab's field applies them; the text comes back one
// byte a character.
Reason readText(std::string_view value, std::string_view forbidden, char32_t highest, int maxChars,
                std::string &bytes)
{
    std::u32string text;
    if (!decodeUtf8(value, text))
        return kNotUtf8;
    for (char32_t c : text) {
        if (c == 0 || c > highest ||
            (c < 0x80 && forbidden.find(static_cast<char>(c)) != std::string_view::npos))
            return fill(kCharacterNotAllowed, characterText(c));
    }
    if (text.size() > static_cast<std::size_t>(maxChars))
        return fill(strings::kEnterNoMoreCharacters, std::to_string(maxChars));
    bytes.clear();
    for (char32_t c : text)
        bytes += static_cast<char>(c);
    return {};
}

// ---- Numbers -------------------------------------------------------------------------------

// Up to `digits` significant digits, as "%.*g" writes them, whatever the locale.
std::string numberText(double value, int digits = 15)
{
    char text[32];
    const auto end =
        std::to_chars(text, text + sizeof text, value, std::chars_format::general, digits);
    return std::string(text, end.ptr);
}

std::string integerRangeText(rules::IntegerRange range)
{
    return fill(strings::kEnterIntegerBetween, std::to_string(range.min),
                std::to_string(range.max));
}

bool allDigits(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// An integer as a number field takes it: digits only, no more whole digits than the field
// holds (none given: a plain field). A sign is read only to word the refusal by the range.
Reason readInteger(std::string_view text, const rules::NumberField *field,
                   rules::IntegerRange range, int &value)
{
    const bool negative = text.starts_with('-');
    const std::string_view digits = negative ? text.substr(1) : text;
    if (digits.empty() || !allDigits(digits))
        return strings::kEnterInteger;
    const std::size_t maxDigits = field ? static_cast<std::size_t>(field->wholeDigits) : 9;
    if (negative || digits.size() > maxDigits)
        return integerRangeText(range);
    int parsed = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), parsed);
    if (!range.contains(parsed))
        return integerRangeText(range);
    value = parsed;
    return {};
}

// A number as a number field takes it: digits and one decimal point, within the field's
// whole digits and decimal places. Out of the field's reach is out of range.
Reason readNumber(std::string_view text, rules::NumberField field, const std::string &rangeMessage,
                  double &value)
{
    const bool negative = text.starts_with('-');
    const std::string_view number = negative ? text.substr(1) : text;
    const auto point = number.find('.');
    const std::string_view whole = number.substr(0, point);
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view() : number.substr(point + 1);
    if (whole.size() + fraction.size() == 0 || !allDigits(whole) || !allDigits(fraction))
        return strings::kEnterNumber;
    if (fraction.size() > static_cast<std::size_t>(field.decimalPlaces)) {
        return field.decimalPlaces == 0 ? std::string(kWholeNumber)
                                        : fill(kDecimalPlaces, std::to_string(field.decimalPlaces),
                                               field.decimalPlaces == 1 ? "" : "s");
    }
    if (negative || whole.size() > static_cast<std::size_t>(field.wholeDigits))
        return rangeMessage;
    const std::string plain = std::string(whole.empty() ? "0" : whole) + "." +
                              std::string(fraction.empty() ? "0" : fraction);
    std::from_chars(plain.data(), plain.data() + plain.size(), value);
    return {};
}

// ---- Words ---------------------------------------------------------------------------------

std::string oneOf(std::span<const std::string_view> words)
{
    return fill(kEnterOneOf, joined(words, ", "));
}

// Index of `value` among `words`, or a refusal naming them.
Reason readChoice(std::string_view value, std::span<const std::string_view> words, int &index)
{
    const auto found = std::find(words.begin(), words.end(), value);
    if (found == words.end())
        return oneOf(words);
    index = static_cast<int>(found - words.begin());
    return {};
}

constexpr std::array<std::string_view, 2> kOnOff{"on", "off"};
constexpr std::array<std::string_view, 2> kYesNo{"yes", "no"};

// Either pair is taken for any switch; each setting shows its own.
Reason readSwitch(std::string_view value, std::span<const std::string_view, 2> shown, bool &on)
{
    if (value == "on" || value == "yes")
        on = true;
    else if (value == "off" || value == "no")
        on = false;
    else
        return oneOf(shown);
    return {};
}

// ---- Schedules -----------------------------------------------------------------------------

std::string clockText(int minuteOfDay)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d", minuteOfDay / 60, minuteOfDay % 60);
    return text;
}

std::string scheduleText(const DaySchedule &schedule)
{
    if (schedule.IsAllOn())
        return "always";
    std::string text;
    int start = -1;
    for (int slot = 0; slot <= DaySchedule::kSlots; ++slot) {
        const bool on =
            slot < DaySchedule::kSlots &&
            schedule.IsOn(static_cast<std::uint16_t>(slot * DaySchedule::kMinutesPerSlot));
        if (on && start < 0) {
            start = slot;
        } else if (!on && start >= 0) {
            text += (text.empty() ? "" : ",") + clockText(start * DaySchedule::kMinutesPerSlot) +
                    "-" + clockText(slot * DaySchedule::kMinutesPerSlot);
            start = -1;
        }
    }
    return text.empty() ? "never" : text;
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

// Splits at commas, each piece without the blanks around it.
std::vector<std::string_view> commaSeparated(std::string_view text)
{
    std::vector<std::string_view> pieces;
    for (;;) {
        const auto comma = text.find(',');
        pieces.push_back(trimmed(text.substr(0, comma)));
        if (comma == std::string_view::npos)
            return pieces;
        text.remove_prefix(comma + 1);
    }
}

// "H:MM" or "HH:MM" at a quarter hour, 00:00 to 24:00.
bool readClock(std::string_view text, int &minuteOfDay)
{
    const auto colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0 || colon > 2 || text.size() != colon + 3 ||
        !allDigits(text.substr(0, colon)) || !allDigits(text.substr(colon + 1)))
        return false;
    int hour = 0, minute = 0;
    std::from_chars(text.data(), text.data() + colon, hour);
    std::from_chars(text.data() + colon + 1, text.data() + text.size(), minute);
    minuteOfDay = hour * 60 + minute;
    return minute < 60 && minute % DaySchedule::kMinutesPerSlot == 0 &&
           minuteOfDay <= DaySchedule::kMinutesPerDay;
}

bool readSchedule(std::string_view text, DaySchedule &schedule)
{
    DaySchedule result;
    if (text == "always" || text == "never") {
        result.SetAll(text == "always");
    } else {
        for (std::string_view period : commaSeparated(text)) {
            const auto dash = period.find('-');
            int start = 0, end = 0;
            if (dash == std::string_view::npos || !readClock(period.substr(0, dash), start) ||
                !readClock(period.substr(dash + 1), end) || start >= end)
                return false;
            for (int minute = start; minute < end; minute += DaySchedule::kMinutesPerSlot)
                result.SetOn(static_cast<std::uint16_t>(minute), true);
        }
    }
    schedule = result;
    return true;
}

constexpr std::array<std::string_view, 7> kDays{"sun", "mon", "tue", "wed", "thu", "fri", "sat"};

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

template <std::size_t N> bool listed(const std::array<int, N> &entries, int count)
{
    return std::find(entries.begin(), entries.end(), count) != entries.end();
}

template <std::size_t N>
std::string listText(const std::array<int, N> &entries, std::string_view unit)
{
    std::string text;
    for (int entry : entries)
        text += (text.empty() ? "" : ", ") + std::to_string(entry);
    return fill(kEnterOneOf, text + " " + std::string(unit));
}

// ---- Start delay ---------------------------------------------------------------------------

// The Other tab's list, entry for entry.
constexpr std::array<std::string_view, rules::kStartDelayEntries> kStartDelays{
    "immediately", "1 day",   "2 days",  "3 days",  "4 days",  "5 days",   "6 days",  "1 week",
    "2 weeks",     "3 weeks", "4 weeks", "6 weeks", "8 weeks", "12 weeks", "42 weeks"};
static_assert(kStartDelays.size() == std::size(strings::kStartDelays));
// A stored code the list has no entry for: the tab selects nothing and keeps it.
constexpr std::string_view kNoStartDelay = "unset";

constexpr std::array<std::string_view, 5> kSensitivitySteps{"0", "25", "50", "75", "100"};
static_assert(kSensitivitySteps.size() == rules::kSensitivityLastPosition + 1);
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
// slider (none).
template <typename Field>
Entry integerEntry(std::string_view name, std::string_view tab, std::string_view syntax,
                   Field CoreSection::*field, const rules::NumberField *shape,
                   rules::IntegerRange range)
{
    return {{name, tab, syntax},
            [field](const Change &c) { return std::to_string(rec(c).core.*field); },
            [field, shape, range](Change &c, std::string_view value) -> Reason {
                int number = 0;
                if (auto refusal = readInteger(value, shape, range, number))
                    return refusal;
                rec(c).core.*field = static_cast<Field>(number);
                return {};
            }};
}

Entry sliderEntry(std::string_view name, std::uint8_t CoreSection::*field)
{
    return integerEntry(name, "Images", "0 .. 255", field, nullptr, {0, rules::kSliderMax});
}

// A day schedule edited on a schedule page, which refuses one with no period on (121).
Entry dailyScheduleEntry(std::string_view name, std::string_view tab,
                         DaySchedule CoreSection::*field)
{
    return {{name, tab, "always | never | HH:MM-HH:MM,... (quarter hours)"},
            [field](const Change &c) { return scheduleText(rec(c).core.*field); },
            [field](Change &c, std::string_view value) -> Reason {
                DaySchedule schedule;
                if (!readSchedule(value, schedule))
                    return kScheduleSyntax;
                if (!schedule.AnyOn())
                    return std::string(strings::Text(121));
                rec(c).core.*field = schedule;
                return {};
            }};
}

// One of the dual page's two schedules; the rule over both and the days comes at the end.
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
            s.SetSensitivity(static_cast<std::uint16_t>(position * rules::kSensitivityStep));
        }));
    t.push_back(integerEntry("pulses", "Triggers", "1 .. 5", &CoreSection::pulseCount, nullptr,
                             rules::kPulseCount));
    t.push_back({{"pulse-window", "Triggers", "0.3 .. 10 (seconds, one decimal place)"},
                 [](const Change &c) { return numberText(rec(c).core.pulseWindow * 0.1); },
                 [](Change &c, std::string_view value) -> Reason {
                     // Compared in single precision and worded with 6 digits, as the dialog does.
                     const std::string range =
                         fill(strings::kEnterNumberBetween, numberText(rules::kPulseWindowMin, 6),
                              numberText(rules::kPulseWindowMax, 6));
                     double seconds = 0;
                     if (auto refusal = readNumber(value, rules::kPulseWindowField, range, seconds))
                         return refusal;
                     const auto single = static_cast<float>(seconds);
                     if (single < rules::kPulseWindowMin || single > rules::kPulseWindowMax)
                         return range;
                     rec(c).core.pulseWindow =
                         static_cast<std::uint8_t>(static_cast<int>(seconds * 10.0));
                     return {};
                 }});
    t.push_back(switchEntry("external-trigger", "Triggers", &CameraSettings::ExternalTrigger,
                            &CameraSettings::SetExternalTrigger));
    t.push_back(integerEntry("pictures-per-trigger", "Triggers", "1 .. 99",
                             &CoreSection::picturesPerTrigger, &rules::kPicturesPerTriggerField,
                             rules::kPicturesPerTrigger));
    // "as fast as possible" sets the flag.
    t.push_back(pairEntry("pacing", "Triggers", "fast | waiting", {"waiting", "fast"},
                          &CameraSettings::FastSequence, &CameraSettings::SetFastSequence));
    t.push_back(
        {{"picture-interval", "Triggers", "1 .. 60 (seconds between pictures)"},
         [](const Change &c) { return numberText(rec(c).core.pictureInterval / 1000.0); },
         [](Change &c, std::string_view value) -> Reason {
             const rules::IntegerRange limits = rules::kPictureIntervalSeconds;
             const std::string range =
                 fill(strings::kEnterNumberBetween, numberText(limits.min), numberText(limits.max));
             double seconds = 0;
             if (auto refusal = readNumber(value, rules::kPictureIntervalField, range, seconds))
                 return refusal;
             if (seconds < limits.min || seconds > limits.max)
                 return range;
             rec(c).core.pictureInterval = static_cast<std::uint16_t>(seconds * 1000.0);
             return {};
         }});
    t.push_back(integerEntry("quiet-period", "Triggers", "0 .. 3600 (seconds between triggers)",
                             &CoreSection::quietPeriod, &rules::kQuietPeriodField,
                             rules::kQuietPeriod));
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
                         // What the tab stores for Off: its default interval, and one picture.
                         s.SetTimeLapseOn(false);
                         s.core.timeLapseInterval = MakeInterval(IntervalUnit::Minutes, 5);
                         s.SetTimeLapseBurst(false);
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
                     if (unit == "hour") {
                         if (!listed(rules::kTimeLapseHours, n))
                             return listText(rules::kTimeLapseHours, "hours");
                         intervalUnit = IntervalUnit::Hours;
                     } else if (unit == "minute") {
                         if (!listed(rules::kTimeLapseMinutes, n))
                             return listText(rules::kTimeLapseMinutes, "minutes");
                     } else if (unit == "second") {
                         if (!listed(rules::kTimeLapseSeconds, n))
                             return listText(rules::kTimeLapseSeconds, "seconds");
                         intervalUnit = IntervalUnit::Seconds;
                     } else {
                         return kTimeLapseSyntax;
                     }
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
    t.push_back({{"label", "Images", "up to 20 characters, not ~ ^ _ ` { } |"},
                 [](const Change &c) { return Latin1ToUtf8(rec(c).Label()); },
                 [](Change &c, std::string_view value) -> Reason {
                     std::string bytes;
                     if (auto refusal =
                             readText(value, rules::kLabelForbidden, rules::kLabelHighestCharacter,
                                      rules::kLabelMaxChars, bytes))
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
                rules::NightShutterPosition(s.NightShutter()))]);
        },
        [](CameraSettings &s, int position) {
            s.SetNightShutter(static_cast<std::uint16_t>(position));
        }));
    t.push_back(listEntry(
        {"night-iso", "Images", "low | middle | high"}, kIsoPositions,
        [](const CameraSettings &s) {
            return std::string(
                kIsoPositions[static_cast<std::size_t>(rules::NightIsoPosition(s.NightIso()))]);
        },
        [](CameraSettings &s, int position) { s.SetNightIso(rules::NightIsoCode(position)); }));
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
        t.push_back({{kNames[i], "Cellular", "up to 15 digits, blanks and -; empty for none"},
                     [text](const Change &c) { return text(rec(c)); },
                     [i](Change &c, std::string_view value) -> Reason {
                         std::string digits;
                         if (auto refusal = readText(value, rules::PhoneForbiddenCharacters(),
                                                     rules::kDestinationHighestCharacter,
                                                     rules::kPhoneMaxChars, digits))
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
        t.push_back({{kNames[j], "Cellular", "up to 36 characters, not ( ) [ ] \\ ; : \" , < >"},
                     [text](const Change &c) { return text(rec(c)); },
                     [j, store](Change &c, std::string_view value) -> Reason {
                         std::string chars;
                         if (auto refusal = readText(value, rules::kEmailForbidden,
                                                     rules::kDestinationHighestCharacter,
                                                     rules::kEmailMaxChars, chars))
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
                     const bool valid =
                         value.size() == 4 && std::all_of(value.begin(), value.end(), [](char d) {
                             return d >= '1' && d < '1' + rules::kCodeDigitEntries;
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
    if (s.IsShortTimeLapse() && (s.InternalTrigger() || s.ExternalTrigger())) {
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
        std::uint16_t count = IntervalCountOf(s.core.timeLapseInterval);
        IntervalUnit unit = IntervalUnitOf(s.core.timeLapseInterval);
        if (unit == IntervalUnit::Milliseconds) {
            count = static_cast<std::uint16_t>(std::max(1, (count + 500) / 1000));
            unit = IntervalUnit::Seconds;
        }
        const bool offered =
            s.TimeLapseOn() && rules::BurstFits(unit, count, s.core.picturesPerTrigger);
        const bool kept = s.core.picturesPerTrigger <= rules::BurstLimit(s.core.timeLapseInterval);
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

    // The dual schedule: a schedule that some day uses must have a period on (121).
    DayChoices usesSchedule2{};
    for (int d = 1; d <= 7; ++d)
        usesSchedule2[static_cast<std::size_t>(d - 1)] = s.TriggerDayUsesSchedule2(d);
    if (!DualScheduleValid(s.dual.triggerSchedule1, s.dual.triggerSchedule2, usesSchedule2)) {
        const std::string text(strings::Text(121));
        if (auto refusal = refuseLatest(change, {{"dual-schedule-1", text},
                                                 {"dual-schedule-2", text},
                                                 {"days-on-schedule-2", text}}))
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

std::string Latin1ToUtf8(std::string_view bytes)
{
    std::string out;
    for (unsigned char c : bytes)
        appendUtf8(out, c);
    return out;
}

std::optional<std::string> SwitchOnRefusal(const rules::SwitchOnFields &fields,
                                           rules::HourClock clock)
{
    for (const rules::SwitchOnCheck &check : rules::SwitchOnChecks(fields, clock)) {
        if (!check.range.contains(check.value))
            return integerRangeText(check.range);
    }
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
