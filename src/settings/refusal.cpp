#include "settings/refusal.h"

#include "resources/string_table.h"

#include <charconv>

namespace rules {

namespace {

constexpr const char *kDataExchange = "DataExchange";

} // namespace

std::string Fill(std::string_view text, std::string_view first, std::string_view second)
{
    std::string out(text);
    if (const auto at = out.find("%1"); at != std::string::npos)
        out.replace(at, 2, first);
    if (const auto at = out.find("%2"); at != std::string::npos)
        out.replace(at, 2, second);
    return out;
}

std::string Refusal::text() const
{
    return Fill(message ? message : "", first, second);
}

std::string NumberText(double value, int digits)
{
    char text[32];
    const auto end =
        std::to_chars(text, text + sizeof text, value, std::chars_format::general, digits);
    return std::string(text, end.ptr);
}

Refusal IntegerOutOfRange(IntegerRange range, int field)
{
    return {kDataExchange, strings::kEnterIntegerBetween, std::to_string(range.min),
            std::to_string(range.max), field};
}

Check CheckInteger(int value, IntegerRange range, int field)
{
    if (range.contains(value))
        return std::nullopt;
    return IntegerOutOfRange(range, field);
}

Refusal NumberOutOfRange(double min, double max, int field)
{
    return {kDataExchange, strings::kEnterNumberBetween, NumberText(min), NumberText(max), field};
}

Check CheckNumber(double value, double min, double max, int field)
{
    if (value >= min && value <= max)
        return std::nullopt;
    return NumberOutOfRange(min, max, field);
}

Refusal SingleOutOfRange(float min, float max, int field)
{
    return {kDataExchange, strings::kEnterNumberBetween, NumberText(min, 6), NumberText(max, 6),
            field};
}

Check CheckSingle(float value, float min, float max, int field)
{
    if (value >= min && value <= max)
        return std::nullopt;
    return SingleOutOfRange(min, max, field);
}

Refusal TooLong(int maxChars, int field)
{
    return {kDataExchange, strings::kEnterNoMoreCharacters, std::to_string(maxChars), {}, field};
}

Check CheckLength(std::size_t length, int maxChars, int field)
{
    if (length <= static_cast<std::size_t>(maxChars))
        return std::nullopt;
    return TooLong(maxChars, field);
}

} // namespace rules
