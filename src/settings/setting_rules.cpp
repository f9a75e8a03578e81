#include "settings/setting_rules.h"

namespace rules {

std::uint16_t BurstLimit(std::uint16_t timeLapseInterval)
{
    const std::uint16_t count = IntervalCountOf(timeLapseInterval);
    switch (IntervalUnitOf(timeLapseInterval)) {
    case IntervalUnit::Minutes:
        return static_cast<std::uint16_t>(count * (60 / kSecondsPerBurstPicture));
    case IntervalUnit::Seconds:
        return static_cast<std::uint16_t>(count / kSecondsPerBurstPicture);
    case IntervalUnit::Hours:
    case IntervalUnit::Milliseconds:
        break;
    }
    return 0xFFFF;
}

bool BurstFits(IntervalUnit unit, int count, std::uint16_t pictures)
{
    if (unit == IntervalUnit::Hours)
        return true;
    // The longest burst, in seconds, that does not fit: a burst of p pictures takes 5 p seconds.
    const int limitSeconds = static_cast<std::uint16_t>(kSecondsPerBurstPicture * pictures - 1);
    const int limit = unit == IntervalUnit::Minutes ? limitSeconds / 60 : limitSeconds;
    return count > limit;
}

std::string PhoneForbiddenCharacters()
{
    std::string set = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJLKMNOPQRSTUVWXYZ";
    for (char c = 0x21; c <= 0x7E; ++c) {
        const bool alphanumeric =
            (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!alphanumeric && c != '-')
            set += c;
    }
    return set;
}

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
