// Feeds arbitrary text to deploy's --date-time. What it takes is a moment the date dialog would
// take too, and written as YYYY-MM-DD HH:MM it reads back as the same moment; what it refuses,
// it refuses with one of the dialog's messages or the one that shows the shape.
#include "date_time_text.h"

#include "settings/named_settings.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

bool sameMoment(const rules::SwitchOnFields &a, const rules::SwitchOnFields &b)
{
    return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour &&
           a.minute == b.minute;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    rules::SwitchOnFields fields{};
    std::optional<std::string> refusal = readDateTime(text, fields);
    if (!refusal)
        refusal = SwitchOnRefusal(fields, rules::HourClock::TwentyFourHour);
    if (refusal) {
        if (*refusal != "Please enter the date and time as YYYY-MM-DD HH:MM." &&
            *refusal != "Please enter an integer." &&
            !refusal->starts_with("Please enter an integer between "))
            std::abort();
        return 0;
    }

    if (!std::all_of(text.begin(), text.end(), [](char c) {
            return (c >= '0' && c <= '9') || c == '-' || c == ' ' || c == ':';
        }))
        std::abort();
    if (fields.year < rules::kFirstSwitchOnYear || fields.year > rules::kLastSwitchOnYear ||
        fields.month < 1 || fields.month > 12 || fields.day < 1 ||
        fields.day > rules::DaysInMonth(fields.year, fields.month) || fields.hour < 0 ||
        fields.hour > 23 || fields.minute < 0 || fields.minute > 59)
        std::abort();

    char written[32];
    std::snprintf(written, sizeof written, "%04d-%02d-%02d %02d:%02d", fields.year, fields.month,
                  fields.day, fields.hour, fields.minute);
    rules::SwitchOnFields again{};
    if (readDateTime(written, again) || !sameMoment(fields, again))
        std::abort();
    return 0;
}
