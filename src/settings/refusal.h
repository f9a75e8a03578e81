#pragma once

// What a tab's check answers: nothing, or a refusal that says which message to show, what its
// %1 and %2 stand for, and which of the tab's fields the person must correct. The tabs and
// kestra-cfg run the same checks; the tab shows the message and focuses the field, kestra-cfg
// prints the text.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace rules {

struct IntegerRange
{
    int min;
    int max;
    constexpr bool contains(int value) const { return value >= min && value <= max; }
};

// A number field without a sign: digits before and after the decimal separator.
struct NumberField
{
    int wholeDigits;
    int decimalPlaces;
};

// A text field: the characters it refuses, the highest it takes, and its length.
struct TextField
{
    std::string_view forbidden;
    char16_t highest;
    int maxChars;
};

struct Refusal
{
    // The translation context of `message`: the framework's standard data-exchange messages
    // ("DataExchange") or the string table ("StringTable").
    const char *context = nullptr;
    const char *message = nullptr; // untranslated, with %1 and %2 for `first` and `second`
    std::string first;
    std::string second;
    // The values struct's own field, as an int, so that one type serves every tab.
    int field = 0;

    // The message with its arguments put in, untranslated: what kestra-cfg prints.
    std::string text() const;
};

using Check = std::optional<Refusal>;

// `text` with %1 and %2 put in.
std::string Fill(std::string_view text, std::string_view first, std::string_view second = {});

// Up to `digits` significant digits, as "%.*g" writes them, whatever the locale: how number
// fields show their values and the bounds of their range messages.
std::string NumberText(double value, int digits = 15);

// "Please enter an integer between MIN and MAX."
Refusal IntegerOutOfRange(IntegerRange range, int field);
Check CheckInteger(int value, IntegerRange range, int field);
// "Please enter a number between MIN and MAX.", the bounds with 15 significant digits.
Refusal NumberOutOfRange(double min, double max, int field);
Check CheckNumber(double value, double min, double max, int field);
// The same compared in single precision, the bounds worded with 6 significant digits, as a
// field of single precision is checked.
Refusal SingleOutOfRange(float min, float max, int field);
Check CheckSingle(float value, float min, float max, int field);
// "Please enter no more than COUNT characters."
Refusal TooLong(int maxChars, int field);
Check CheckLength(std::size_t length, int maxChars, int field);

} // namespace rules
