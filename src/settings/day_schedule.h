#pragma once

#include <array>
#include <cstdint>

// One day of 96 quarter-hour slots. Slot s (minutes 15*s .. 15*s+14) is bit s % 16 of word
// s / 16; a set bit means the camera is on in that quarter hour.
struct DaySchedule
{
    static constexpr int kSlots = 96;
    static constexpr int kMinutesPerDay = 1440;
    static constexpr int kMinutesPerSlot = 15;

    std::array<std::uint16_t, 6> words{};

    bool IsOn(std::uint16_t minute) const;
    // A minute of 1440 or more changes nothing.
    void SetOn(std::uint16_t minute, bool on);
    void SetAll(bool on);
    bool AnyOn() const;
    bool IsAllOn() const;

    static DaySchedule AllOn();

    bool operator==(const DaySchedule &) const = default;
};

// Which of the core section's two daily schedules an operation addresses.
enum class ScheduleKind
{
    Trigger = 0,
    TimeLapse = 1,
};

// The seven weekday choices of the dual trigger schedule, Sunday first: true = schedule 2.
using DayChoices = std::array<bool, 7>;

// The dual schedule may be kept when a schedule that some day uses has a period on.
bool DualScheduleValid(const DaySchedule &schedule1, const DaySchedule &schedule2,
                       const DayChoices &usesSchedule2);
