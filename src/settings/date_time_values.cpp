#include "settings/date_time_values.h"

namespace rules {

int DaysInMonth(int year, int month)
{
    switch (month) {
    case 2:
        return year % 4 == 0 && (year % 400 == 0 || year % 100 != 0) ? 29 : 28;
    case 4:
    case 6:
    case 9:
    case 11:
        return 30;
    case 1:
    case 3:
    case 5:
    case 7:
    case 8:
    case 10:
    case 12:
        return 31;
    default:
        return 0;
    }
}

std::array<SwitchOnCheck, 6> SwitchOnChecks(const SwitchOnFields &f, HourClock clock)
{
    const IntegerRange hours =
        clock == HourClock::TwelveHour ? IntegerRange{1, 12} : IntegerRange{0, 23};
    return {{
        {SwitchOnPart::Minute, f.minute, {0, 59}},
        {SwitchOnPart::Hour, f.hour, hours},
        {SwitchOnPart::Month, f.month, {1, 12}},
        {SwitchOnPart::Day, f.day, {1, 31}},
        {SwitchOnPart::Year, f.year, {kFirstSwitchOnYear, kLastSwitchOnYear}},
        {SwitchOnPart::Day, f.day, {1, DaysInMonth(f.year, f.month)}},
    }};
}

int Hour24(int hour12, bool pm)
{
    if (hour12 == 12)
        return pm ? 12 : 0;
    return pm ? hour12 + 12 : hour12;
}

} // namespace rules

rules::Check SwitchOnValues::check(const rules::SwitchOnFields &fields, rules::HourClock clock)
{
    for (const rules::SwitchOnCheck &check : rules::SwitchOnChecks(fields, clock)) {
        if (auto refusal =
                rules::CheckInteger(check.value, check.range, static_cast<int>(check.part)))
            return refusal;
    }
    return std::nullopt;
}
