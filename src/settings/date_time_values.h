#pragma once

// The Set Date & Time dialog's check of a switch-on moment, which kestra-cfg's deploy runs too.

#include "settings/refusal.h"

#include <array>

namespace rules {

// The switch-on moment as a person enters it: the hour on the clock of the field it is typed
// into, the month and day from 1, the year in full.
struct SwitchOnFields
{
    int hour;
    int minute;
    int month;
    int day;
    int year;
};

enum class HourClock
{
    TwelveHour,     // 1..12 and AM or PM, as the Set Date & Time dialog shows it
    TwentyFourHour, // 0..23, as kestra-cfg takes it
};

enum class SwitchOnPart
{
    Hour,
    Minute,
    Month,
    Day,
    Year,
};

// One range check of a switch-on moment: a refusal says "Please enter an integer between
// range.min and range.max." about `part`.
struct SwitchOnCheck
{
    SwitchOnPart part;
    int value;
    IntegerRange range;
};

inline constexpr int kFirstSwitchOnYear = 2000;
inline constexpr int kLastSwitchOnYear = 2099;

// Gregorian: 0 for a month outside 1..12.
int DaysInMonth(int year, int month);

// The checks in the order the dialog makes them: minute 0..59, the hour on its clock, month
// 1..12, day 1..31, year 2000..2099; last the day against the length of its month, which the
// dialog's day list never offers more of, so that only a typed date can fail it.
std::array<SwitchOnCheck, 6> SwitchOnChecks(const SwitchOnFields &fields, HourClock clock);

// 12 AM is 0, 12 PM is 12, any other PM hour gains 12.
int Hour24(int hour12, bool pm);

} // namespace rules

struct SwitchOnValues
{
    // The first of rules::SwitchOnChecks() the moment fails, as "Please enter an integer
    // between MIN and MAX.", its field the rules::SwitchOnPart to correct.
    static rules::Check check(const rules::SwitchOnFields &fields, rules::HourClock clock);
};
