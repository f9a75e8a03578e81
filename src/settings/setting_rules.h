#pragma once

// The rules of the settings the tabs edit: ranges, list entries, the shape of number fields and
// the characters text fields refuse. The pages configure and check their controls from here,
// and kestra-cfg checks named settings against the same values, so the two cannot drift apart.

#include "settings/camera_settings.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace rules {

struct IntegerRange
{
    int min;
    int max;
    constexpr bool contains(int value) const { return value >= min && value <= max; }
};

// A number field without a sign: digits before and after the decimal separator.
struct NumberField
{
    int wholeDigits;
    int decimalPlaces;
};

// ---- Triggers ------------------------------------------------------------------------------

inline constexpr IntegerRange kPicturesPerTrigger{1, 99};
inline constexpr NumberField kPicturesPerTriggerField{2, 0};
// Seconds between the pictures of one trigger, checked as a number; stored in milliseconds.
inline constexpr IntegerRange kPictureIntervalSeconds{1, 60};
inline constexpr NumberField kPictureIntervalField{2, 0};
inline constexpr IntegerRange kQuietPeriod{0, 3600};
inline constexpr NumberField kQuietPeriodField{4, 0};

// ---- Internal Trigger Settings -------------------------------------------------------------

inline constexpr IntegerRange kPulseCount{1, 5};
// Seconds, compared in single precision; stored in tenths.
inline constexpr float kPulseWindowMin = 0.3f;
inline constexpr float kPulseWindowMax = 10.0f;
inline constexpr NumberField kPulseWindowField{2, 1};
// The sensor takes its sensitivity in steps of 25: slider positions 0..4 for 0..100.
inline constexpr int kSensitivityStep = 25;
inline constexpr int kSensitivityLastPosition = 4;

// ---- Time Lapse ----------------------------------------------------------------------------

// The entries of the interval lists, in their order.
inline constexpr std::array<int, 8> kTimeLapseHours{1, 2, 3, 4, 6, 8, 12, 24};
inline constexpr std::array<int, 12> kTimeLapseMinutes{1, 2, 3, 4, 5, 6, 10, 12, 15, 20, 30, 60};
inline constexpr std::array<int, 12> kTimeLapseSeconds = kTimeLapseMinutes;
// A time lapse faster than this many seconds rules out both triggers (messages 116, 117).
inline constexpr int kShortestTriggeredSeconds = 5;
// BurstClip pictures are taken five seconds apart.
inline constexpr int kSecondsPerBurstPicture = 5;

// The BurstClip pictures that fit into one time-lapse interval, as the Triggers tab counts
// them before message 126: 16-bit arithmetic, no limit for hours and milliseconds.
std::uint16_t BurstLimit(std::uint16_t timeLapseInterval);
// Whether a burst of `pictures` fits into `count` minutes or seconds, as the Time Lapse tab
// decides whether "multiple pictures" may be chosen. The 16-bit arithmetic makes 0 pictures
// fit nowhere. Hours always fit.
bool BurstFits(IntervalUnit unit, int count, std::uint16_t pictures);

// ---- Images --------------------------------------------------------------------------------

inline constexpr int kSliderMax = 255;
inline constexpr int kNightSliderMax = 2;
inline constexpr int kLabelMaxChars = 20;
// The characters the camera's stamp cannot print.
inline constexpr std::string_view kLabelForbidden = "~^_`{}|";
// The label is stored one byte a character.
inline constexpr char16_t kLabelHighestCharacter = 0xFF;

// Night shutter: slider positions 0..2 are the stored speeds; the unused 3 shows as the middle.
constexpr int NightShutterPosition(std::uint16_t stored)
{
    return stored == 3 ? 1 : stored;
}
// Night ISO: the slider runs Low, middle, High over the codes 1, 0, 2 (the factory 0 sits in
// the middle); the unused 3 shows as High.
constexpr int NightIsoPosition(std::uint16_t stored)
{
    return stored == 0 ? 1 : stored == 1 ? 0 : 2;
}
constexpr std::uint16_t NightIsoCode(int position)
{
    return position == 0 ? 1 : position == 1 ? 0 : 2;
}

// ---- Cellular ------------------------------------------------------------------------------

inline constexpr int kPhoneMaxChars = 15;
inline constexpr int kEmailMaxChars = 36;
// The characters that would break an address list.
inline constexpr std::string_view kEmailForbidden = "()[]\\;:\",<>";
// Phone numbers take digits, blanks and "-": every letter and every other printable
// punctuation character is refused.
std::string PhoneForbiddenCharacters();
// Numbers are stored as four-bit codes and addresses in seven bits a character.
inline constexpr char16_t kDestinationHighestCharacter = 0x7F;

// ---- Other ---------------------------------------------------------------------------------

inline constexpr int kStartDelayEntries = 15;
// Each KeyBolt digit is one of "1".."4", stored as 0..3.
inline constexpr int kCodeDigitEntries = 4;

// ---- Set Date & Time -----------------------------------------------------------------------

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
