#include "settings/time_lapse_values.h"

#include <algorithm>

std::span<const int> TimeLapseValues::entries(IntervalUnit unit)
{
    switch (unit) {
    case IntervalUnit::Hours:
        return kHours;
    case IntervalUnit::Minutes:
        return kMinutes;
    case IntervalUnit::Seconds:
    case IntervalUnit::Milliseconds:
        break;
    }
    return kSeconds;
}

bool TimeLapseValues::listed(IntervalUnit unit, int count)
{
    const std::span<const int> list = entries(unit);
    return std::find(list.begin(), list.end(), count) != list.end();
}

int TimeLapseValues::fullCount(IntervalUnit unit)
{
    return unit == IntervalUnit::Hours ? 24 : 60;
}

int TimeLapseValues::roundedCount(IntervalUnit unit, int count)
{
    const int full = fullCount(unit);
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
    return seconds < kShortestTriggeredSeconds;
}

bool TimeLapseValues::rulesOutTriggers(const CameraSettings &settings)
{
    if (!settings.TimeLapseOn())
        return false;
    const int count = IntervalCountOf(settings.core.timeLapseInterval);
    switch (IntervalUnitOf(settings.core.timeLapseInterval)) {
    case IntervalUnit::Seconds:
        return rulesOutTriggers(count);
    case IntervalUnit::Milliseconds:
        return count < kShortestTriggeredSeconds * 1000;
    case IntervalUnit::Minutes:
    case IntervalUnit::Hours:
        break;
    }
    return count == 0;
}

bool TimeLapseValues::burstOffered(const CameraSettings &settings)
{
    IntervalUnit unit = IntervalUnit::Minutes;
    int count = 0;
    shownInterval(settings.core.timeLapseInterval, unit, count);
    return settings.TimeLapseOn() && burstFits(unit, count, settings.core.picturesPerTrigger);
}

bool TimeLapseValues::burstFits(IntervalUnit unit, int count, std::uint16_t pictures)
{
    if (unit == IntervalUnit::Hours)
        return true;
    // The longest burst, in seconds, that does not fit: a burst of p pictures takes 5 p seconds.
    const int limitSeconds =
        static_cast<std::uint16_t>(TriggerValues::kSecondsPerBurstPicture * pictures - 1);
    const int limit = unit == IntervalUnit::Minutes ? limitSeconds / 60 : limitSeconds;
    return count > limit;
}

bool TimeLapseValues::noCameraOnPeriod(bool timeLapseOn, const DaySchedule &schedule)
{
    return timeLapseOn && !schedule.AnyOn();
}

bool TimeLapseValues::noCameraOnPeriod(const CameraSettings &settings)
{
    return noCameraOnPeriod(settings.TimeLapseOn(), settings.core.timeLapseDaySchedule);
}
