#pragma once

// The Time Lapse tab's rules over the record: the intervals its lists offer, how a stored
// interval is shown, what Off stores, and when a burst fits or the triggers must give way.
// The tab and kestra-cfg's named settings both go through here.

#include "settings/camera_settings.h"
#include "settings/trigger_values.h"

#include <array>

#include <cstdint>
#include <span>

struct TimeLapseValues
{
    // The entries of the interval lists, in their order.
    static constexpr std::array<int, 8> kHours{1, 2, 3, 4, 6, 8, 12, 24};
    static constexpr std::array<int, 12> kMinutes{1, 2, 3, 4, 5, 6, 10, 12, 15, 20, 30, 60};
    static constexpr std::array<int, 12> kSeconds = kMinutes;
    // A time lapse faster than this many seconds rules out both triggers (messages 116, 117).
    static constexpr int kShortestTriggeredSeconds = 5;

    // The entries of the unit's list (hours, minutes or seconds), in their order.
    static std::span<const int> entries(IntervalUnit unit);
    static bool listed(IntervalUnit unit, int count);
    // A day in hours, an hour in minutes, a minute in seconds: the longest count of a unit.
    static int fullCount(IntervalUnit unit);
    // The count a list shows for a stored count, full / (full / count) in whole numbers: 9 hours
    // come up to 12 and 45 seconds to 60, but 7 and 8 minutes stay as they are, and the list,
    // which has no such entry, shows its first. Counts beyond the list's range (0, or above 24
    // or 60) are first clamped into 1..24 or 1..60.
    static int roundedCount(IntervalUnit unit, int count);
    // A stored interval as the tab reads it: milliseconds as whole seconds, rounded half up,
    // at least one.
    static void shownInterval(std::uint16_t stored, IntervalUnit &unit, int &count);

    // Off stores the tab's default interval, and one picture a shot.
    static std::uint16_t offInterval();
    static void storeOff(CameraSettings &settings);

    // A seconds interval this short rules out both triggers.
    static bool rulesOutTriggers(int seconds);
    // The same of the record: an interval that is on and shorter, in whichever unit, or a count
    // of none.
    static bool rulesOutTriggers(const CameraSettings &settings);
    // Whether a burst of `pictures` fits into `count` minutes or seconds, as the tab decides
    // whether "multiple pictures" may be chosen. The 16-bit arithmetic makes 0 pictures fit
    // nowhere. Hours always fit.
    static bool burstFits(IntervalUnit unit, int count, std::uint16_t pictures);
    // Whether the tab would offer the record's burst: the time lapse is on and the burst fits
    // into the interval as the tab shows it.
    static bool burstOffered(const CameraSettings &settings);

    // A time lapse that is on while its schedule has no "Camera on" period: nothing refuses it,
    // the file can hold it, but the owner should know. The tab shows the warning under its
    // schedule box, kestra-cfg prints it.
    static constexpr const char *kNoCameraOnPeriod =
        "No period of the schedule is set to \"Camera on\".";
    static bool noCameraOnPeriod(bool timeLapseOn, const DaySchedule &schedule);
    static bool noCameraOnPeriod(const CameraSettings &settings);
};
