#include "settings/time_lapse_values.h"

#include "settings/setting_rules.h"

#include <algorithm>

std::span<const int> TimeLapseValues::entries(IntervalUnit unit)
{
    switch (unit) {
    case IntervalUnit::Hours:
        return rules::kTimeLapseHours;
    case IntervalUnit::Minutes:
        return rules::kTimeLapseMinutes;
    case IntervalUnit::Seconds:
    case IntervalUnit::Milliseconds:
        break;
    }
    return rules::kTimeLapseSeconds;
}

bool TimeLapseValues::listed(IntervalUnit unit, int count)
{
    const std::span<const int> list = entries(unit);
    return std::find(list.begin(), list.end(), count) != list.end();
}

int TimeLapseValues::roundedCount(IntervalUnit unit, int count)
{
    const int full = unit == IntervalUnit::Hours ? 24 : 60;
    const int inRange = std::clamp(count, 1, full);
    return full / (full / inRange);
}

void TimeLapseValues::shownInterval(std::uint16_t stored, IntervalUnit &unit, int &count)
{
    unit = IntervalUnitOf(stored);
    count = IntervalCountOf(stored);
    if (unit == IntervalUnit::Milliseconds) {
        count = std::max(1, (count + 500) / 1000);
        unit = IntervalUnit::Seconds;
    }
}

std::uint16_t TimeLapseValues::offInterval()
{
    return MakeInterval(IntervalUnit::Minutes, 5);
}

void TimeLapseValues::storeOff(CameraSettings &settings)
{
    settings.SetTimeLapseOn(false);
    settings.core.timeLapseInterval = offInterval();
    settings.SetTimeLapseBurst(false);
}

bool TimeLapseValues::rulesOutTriggers(int seconds)
{
    return seconds < rules::kShortestTriggeredSeconds;
}
