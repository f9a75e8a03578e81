#include "settings/day_schedule.h"

#include <algorithm>

namespace {
constexpr int wordOf(std::uint16_t minute)
{
    return minute / 240;
}
constexpr std::uint16_t maskOf(std::uint16_t minute)
{
    return static_cast<std::uint16_t>(1u << ((minute / DaySchedule::kMinutesPerSlot) % 16));
}
} // namespace

bool DaySchedule::IsOn(std::uint16_t minute) const
{
    if (minute >= kMinutesPerDay)
        return false;
    return (words[wordOf(minute)] & maskOf(minute)) != 0;
}

void DaySchedule::SetOn(std::uint16_t minute, bool on)
{
    if (minute >= kMinutesPerDay)
        return;
    std::uint16_t &word = words[wordOf(minute)];
    word = on ? static_cast<std::uint16_t>(word | maskOf(minute))
              : static_cast<std::uint16_t>(word & ~maskOf(minute));
}

void DaySchedule::SetAll(bool on)
{
    words.fill(on ? 0xFFFF : 0);
}

bool DaySchedule::AnyOn() const
{
    return std::any_of(words.begin(), words.end(), [](std::uint16_t w) { return w != 0; });
}

bool DaySchedule::IsAllOn() const
{
    return std::all_of(words.begin(), words.end(), [](std::uint16_t w) { return w == 0xFFFF; });
}

DaySchedule DaySchedule::AllOn()
{
    DaySchedule schedule;
    schedule.SetAll(true);
    return schedule;
}

bool DualScheduleValid(const DaySchedule &schedule1, const DaySchedule &schedule2,
                       const DayChoices &usesSchedule2)
{
    const bool someDayUses1 =
        std::any_of(usesSchedule2.begin(), usesSchedule2.end(), [](bool two) { return !two; });
    const bool someDayUses2 =
        std::any_of(usesSchedule2.begin(), usesSchedule2.end(), [](bool two) { return two; });
    return (schedule1.AnyOn() && someDayUses1) || (schedule2.AnyOn() && someDayUses2);
}
