#pragma once

// The values of named settings as text: kestra-cfg's strict readers and writers. A reader
// takes what the tab's field or list would take and answers with the reason it refuses the
// rest; the ranges and cross-checks themselves are the tabs' values structs'.

#include "settings/day_schedule.h"
#include "settings/refusal.h"

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace valuetext {

// Messages of the command line where a tab has none: its lists and filters only let the right
// values in.
inline constexpr const char *kCharacterNotAllowed = "The character \"%1\" is not allowed.";
inline constexpr const char *kNotUtf8 = "The text is not valid UTF-8.";
inline constexpr const char *kWholeNumber = "Please enter a whole number.";
inline constexpr const char *kDecimalPlaces =
    "Please enter a number with no more than %1 decimal place%2.";
inline constexpr const char *kEnterOneOf = "Please enter one of %1.";
inline constexpr const char *kScheduleSyntax =
    "Please enter always, never or periods of quarter hours such as 06:00-18:30,20:00-22:00.";
inline constexpr const char *kTimeLapseSyntax =
    "Please enter off or an interval such as 10 minutes, 1 hour or 30 seconds.";
inline constexpr const char *kDaysSyntax = "Please enter none or days such as sun,sat.";
inline constexpr const char *kCodeSyntax = "Please enter four digits, each from 1 to 4.";

// Why a value was refused, worded for the command line; nothing when it was taken.
using Reason = std::optional<std::string>;

std::string joined(std::span<const std::string_view> words, std::string_view separator);

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool decodeUtf8(std::string_view text, std::u32string &out);
// A character as a refusal names it: control characters as \xNN.
std::string characterText(char32_t c);
// A text field's filter and length, as the tab's field applies them; the text comes back one
// byte a character.
Reason readText(std::string_view value, const rules::TextField &field, std::string &bytes);

bool allDigits(std::string_view text);
// An integer as a number field takes it: digits only, a plain field (none given) holding up to 9.
// The range is the tab's check: a sign, or more digits than the field holds, is out of the
// field's reach and comes back as the lowest or highest int, which no range holds.
Reason readInteger(std::string_view text, const rules::NumberField *field, int &value);
// A number as a number field takes it: digits and one decimal point, within the field's
// decimal places. Out of the field's reach (a sign, too many whole digits) comes back as an
// infinity, for the tab's range check to refuse.
Reason readNumber(std::string_view text, rules::NumberField field, double &value);

inline constexpr std::array<std::string_view, 2> kOnOff{"on", "off"};
inline constexpr std::array<std::string_view, 2> kYesNo{"yes", "no"};

// "Please enter one of a, b, c."
std::string oneOf(std::span<const std::string_view> words);
// Index of `value` among `words`, or a refusal naming them.
Reason readChoice(std::string_view value, std::span<const std::string_view> words, int &index);
// Either pair is taken for any switch; each setting shows its own.
Reason readSwitch(std::string_view value, std::span<const std::string_view, 2> shown, bool &on);

// "always", "never" or the periods that are on, such as "06:00-18:30,20:00-22:00".
std::string scheduleText(const DaySchedule &schedule);
bool readSchedule(std::string_view text, DaySchedule &schedule);
// Splits at commas, each piece without the blanks around it.
std::vector<std::string_view> commaSeparated(std::string_view text);

inline constexpr std::array<std::string_view, 7> kDays{"sun", "mon", "tue", "wed",
                                                       "thu", "fri", "sat"};

} // namespace valuetext
