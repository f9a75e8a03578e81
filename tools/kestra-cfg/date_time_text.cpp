#include "date_time_text.h"

#include "resources/string_table.h"

#include <algorithm>
#include <array>
#include <charconv>

std::optional<std::string> readDateTime(std::string_view text, rules::SwitchOnFields &fields)
{
    constexpr const char *kShape = "Please enter the date and time as YYYY-MM-DD HH:MM.";
    // Each number ends at its separator; the minute ends the text.
    constexpr char kSeparators[] = {'-', '-', ' ', ':'};
    int *const numbers[] = {&fields.year, &fields.month, &fields.day, &fields.hour, &fields.minute};
    std::array<std::string_view, 5> parts;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const auto end = i < std::size(kSeparators) ? text.find(kSeparators[i]) : text.size();
        if (end == std::string_view::npos)
            return kShape;
        parts[i] = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    if (parts.back().find_first_of("-: ") != std::string_view::npos)
        return kShape;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::string_view part = parts[i];
        const bool digits = !part.empty() && std::all_of(part.begin(), part.end(), [](char c) {
            return c >= '0' && c <= '9';
        });
        if (!digits ||
            std::from_chars(part.data(), part.data() + part.size(), *numbers[i]).ec != std::errc())
            return strings::kEnterInteger;
    }
    return std::nullopt;
}
