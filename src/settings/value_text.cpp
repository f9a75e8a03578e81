#include "settings/value_text.h"

#include "platform/text.h"
#include "resources/string_table.h"
#include "settings/refusal.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <limits>

namespace valuetext {

std::string joined(std::span<const std::string_view> words, std::string_view separator)
{
    std::string out;
    for (std::string_view word : words)
        out += (out.empty() ? "" : std::string(separator)) + std::string(word);
    return out;
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
    AppendUtf8(out, c);
    return out;
}

// A text field's filter and length, as the tab's field applies them; the text comes back one
// byte a character.
Reason readText(std::string_view value, const rules::TextField &field, std::string &bytes)
{
    std::u32string text;
    if (!decodeUtf8(value, text))
        return kNotUtf8;
    for (char32_t c : text) {
        if (c == 0 || c > field.highest ||
            (c < 0x80 && field.forbidden.find(static_cast<char>(c)) != std::string_view::npos))
            return rules::Fill(kCharacterNotAllowed, characterText(c));
    }
    if (auto refusal = rules::CheckLength(text.size(), field.maxChars, 0))
        return refusal->text();
    bytes.clear();
    for (char32_t c : text)
        bytes += static_cast<char>(c);
    return {};
}

// ---- Numbers -------------------------------------------------------------------------------

bool allDigits(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

Reason readInteger(std::string_view text, const rules::NumberField *field, int &value)
{
    const bool negative = text.starts_with('-');
    const std::string_view digits = negative ? text.substr(1) : text;
    if (digits.empty() || !allDigits(digits))
        return strings::kEnterInteger;
    const std::size_t maxDigits = field ? static_cast<std::size_t>(field->wholeDigits) : 9;
    if (negative) {
        value = std::numeric_limits<int>::min();
    } else if (digits.size() > maxDigits) {
        value = std::numeric_limits<int>::max();
    } else {
        value = 0;
        std::from_chars(digits.data(), digits.data() + digits.size(), value);
    }
    return {};
}

Reason readNumber(std::string_view text, rules::NumberField field, double &value)
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
        return field.decimalPlaces == 0
                   ? std::string(kWholeNumber)
                   : rules::Fill(kDecimalPlaces, std::to_string(field.decimalPlaces),
                                 field.decimalPlaces == 1 ? "" : "s");
    }
    if (negative || whole.size() > static_cast<std::size_t>(field.wholeDigits)) {
        value = negative ? -std::numeric_limits<double>::infinity()
                         : std::numeric_limits<double>::infinity();
        return {};
    }
    const std::string plain = std::string(whole.empty() ? "0" : whole) + "." +
                              std::string(fraction.empty() ? "0" : fraction);
    std::from_chars(plain.data(), plain.data() + plain.size(), value);
    return {};
}

// ---- Words ---------------------------------------------------------------------------------

std::string oneOf(std::span<const std::string_view> words)
{
    return rules::Fill(kEnterOneOf, joined(words, ", "));
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

namespace {

std::string clockText(int minuteOfDay)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d", minuteOfDay / 60, minuteOfDay % 60);
    return text;
}

} // namespace

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

namespace {

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

} // namespace

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
namespace {

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

} // namespace

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

} // namespace valuetext
