#pragma once

#include "settings/day_schedule.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// The camera's settings as three fixed-layout sections. Each section's bytes (encode/decode,
// little-endian, field by field) are the bytes the settings file carries for it; the field
// order and offsets are the section's list in settings/section_fields.h.

struct CoreSection
{
    static constexpr std::size_t kBytes = 74;
    static constexpr std::uint16_t kTag = 5; // in memory
    static constexpr std::uint16_t kSize = 200;
    static constexpr std::uint16_t kFileTag = 3; // in the file
    static constexpr std::uint16_t kFileSize = 70;

    std::uint16_t tag = 0;
    std::uint16_t size = 0;
    std::uint16_t triggerFlags = 0;
    std::uint8_t pulseCount = 0;
    std::uint8_t pulseWindow = 0; // tenths of a second
    std::uint16_t picturesPerTrigger = 0;
    std::uint16_t pictureInterval = 0; // milliseconds
    std::uint16_t quietPeriod = 0;     // seconds
    DaySchedule triggerDaySchedule;
    std::uint16_t timeLapseFlags = 0;
    std::uint16_t timeLapseInterval = 0; // bits 14-15 unit, bits 0-13 count
    DaySchedule timeLapseDaySchedule;
    std::uint8_t brightness = 0;
    std::uint8_t contrast = 0;
    std::uint16_t imageFlags = 0;
    std::uint8_t sharpness = 0;
    std::uint8_t saturation = 0;
    std::array<std::uint8_t, 20> label{}; // ISO 8859-1, zero padded, unterminated when full
    std::uint16_t optionFlags = 0;
    std::uint16_t loadTime = 0;
    std::uint16_t loadDate = 0;

    std::array<std::uint8_t, kBytes> encode() const;
    static CoreSection decode(std::span<const std::uint8_t, kBytes> bytes);
    bool operator==(const CoreSection &) const = default;
};

struct DualScheduleSection
{
    static constexpr std::size_t kBytes = 54;
    static constexpr std::uint16_t kTag = 1;
    static constexpr std::uint16_t kSize = 50;

    std::uint16_t tag = 0;
    std::uint16_t size = 0;
    std::uint16_t dayAssignment = 0; // bits 0-6 trigger days, bits 8-14 time-lapse days
    DaySchedule triggerSchedule1;
    DaySchedule triggerSchedule2;
    DaySchedule timeLapseSchedule1;
    DaySchedule timeLapseSchedule2;

    std::array<std::uint8_t, kBytes> encode() const;
    static DualScheduleSection decode(std::span<const std::uint8_t, kBytes> bytes);
    bool operator==(const DualScheduleSection &) const = default;
};

using PhoneNumberWords = std::array<std::uint16_t, 4>;
using EmailAddressBytes = std::array<std::uint8_t, 32>;

struct CellularSection
{
    static constexpr std::size_t kBytes = 106;
    static constexpr std::uint16_t kTag = 256;
    static constexpr std::uint16_t kSize = 102;

    std::uint16_t tag = 0;
    std::uint16_t size = 0;
    std::uint16_t cellFlags = 0;
    std::uint16_t statusFlags = 0;
    std::uint16_t reserved = 0;
    std::array<PhoneNumberWords, 4> phoneNumbers{}; // phoneNumber1 .. phoneNumber4
    EmailAddressBytes email1{};
    EmailAddressBytes email2{};

    std::array<std::uint8_t, kBytes> encode() const;
    static CellularSection decode(std::span<const std::uint8_t, kBytes> bytes);
    bool operator==(const CellularSection &) const = default;
};

// Flag masks and bit fields of the flag words.
namespace flags {
// triggerFlags
inline constexpr std::uint16_t internalTrigger = 0x0001;
inline constexpr std::uint16_t externalTrigger = 0x0002;
inline constexpr std::uint16_t fastSequence = 0x0004;
// timeLapseFlags
inline constexpr std::uint16_t timeLapseOn = 0x0001;
inline constexpr std::uint16_t timeLapseBurst = 0x0002;
// imageFlags
inline constexpr std::uint16_t printBorder = 0x0001;
inline constexpr std::uint16_t celsius = 0x0020;
inline constexpr std::uint16_t clock24h = 0x0040;
inline constexpr std::uint16_t lowResolution = 0x0080;
// optionFlags
inline constexpr std::uint16_t keyBoltOn = 0x0002;
inline constexpr std::uint16_t illuminatorOff = 0x0020;
// cellFlags
inline constexpr std::uint16_t loopRecording = 0x0001;
inline constexpr std::uint16_t cellularOff = 0x0002;
inline constexpr std::uint16_t hideLogo = 0x0004;
// statusFlags
inline constexpr std::uint16_t dailyStatusOff = 0x0001;
} // namespace flags

// Time-lapse interval units (bits 14-15 of timeLapseInterval).
enum class IntervalUnit : std::uint16_t
{
    Minutes = 0,
    Hours = 1,
    Seconds = 2,
    Milliseconds = 3,
};

constexpr IntervalUnit IntervalUnitOf(std::uint16_t interval)
{
    return static_cast<IntervalUnit>(interval >> 14);
}
constexpr std::uint16_t IntervalCountOf(std::uint16_t interval)
{
    return interval & 0x3FFF;
}
constexpr std::uint16_t MakeInterval(IntervalUnit unit, std::uint16_t count)
{
    return static_cast<std::uint16_t>((static_cast<std::uint16_t>(unit) << 14) | (count & 0x3FFF));
}

// Trigger presets as stored in the quickset bits.
enum Quickset : std::uint16_t
{
    QuicksetAdvanced = 0,
    QuicksetNormal = 1,
    QuicksetAggressive = 2,
    QuicksetConservative = 3,
};

// Mask logic shared by every flag word: a test is true when any masked bit is set.
constexpr bool TestMask(std::uint16_t word, std::uint16_t mask)
{
    return (word & mask) != 0;
}
constexpr void SetMask(std::uint16_t &word, std::uint16_t mask, bool on)
{
    word = on ? static_cast<std::uint16_t>(word | mask) : static_cast<std::uint16_t>(word & ~mask);
}
constexpr std::uint16_t GetBits(std::uint16_t word, int shift, int width)
{
    return static_cast<std::uint16_t>((word >> shift) & ((1u << width) - 1));
}
constexpr void SetBits(std::uint16_t &word, int shift, int width, std::uint16_t value)
{
    const auto mask = static_cast<std::uint16_t>(((1u << width) - 1) << shift);
    word = static_cast<std::uint16_t>((word & ~mask) | ((value << shift) & mask));
}

class CameraSettings
{
public:
    CoreSection core;
    DualScheduleSection dual;
    CellularSection cellular;

    // Factory reset.
    void ResetCore();
    void ResetDualSchedule();
    void ResetCellular();
    void ResetAll();

    // Change test against the state of the last load.
    void TakeSnapshots();
    bool CoreChanged() const;
    bool DualScheduleChanged() const;
    bool CellularChanged() const;

    // triggerFlags
    bool InternalTrigger() const { return TestMask(core.triggerFlags, flags::internalTrigger); }
    void SetInternalTrigger(bool on) { SetMask(core.triggerFlags, flags::internalTrigger, on); }
    bool ExternalTrigger() const { return TestMask(core.triggerFlags, flags::externalTrigger); }
    void SetExternalTrigger(bool on) { SetMask(core.triggerFlags, flags::externalTrigger, on); }
    bool FastSequence() const { return TestMask(core.triggerFlags, flags::fastSequence); }
    void SetFastSequence(bool on) { SetMask(core.triggerFlags, flags::fastSequence, on); }
    std::uint16_t Sensitivity() const { return GetBits(core.triggerFlags, 8, 8); }
    void SetSensitivity(std::uint16_t value) { SetBits(core.triggerFlags, 8, 8, value); }

    // timeLapseFlags
    bool TimeLapseOn() const { return TestMask(core.timeLapseFlags, flags::timeLapseOn); }
    void SetTimeLapseOn(bool on) { SetMask(core.timeLapseFlags, flags::timeLapseOn, on); }
    bool TimeLapseBurst() const { return TestMask(core.timeLapseFlags, flags::timeLapseBurst); }
    void SetTimeLapseBurst(bool on) { SetMask(core.timeLapseFlags, flags::timeLapseBurst, on); }

    // imageFlags
    bool PrintBorder() const { return TestMask(core.imageFlags, flags::printBorder); }
    void SetPrintBorder(bool on) { SetMask(core.imageFlags, flags::printBorder, on); }
    bool Celsius() const { return TestMask(core.imageFlags, flags::celsius); }
    void SetCelsius(bool on) { SetMask(core.imageFlags, flags::celsius, on); }
    bool Clock24h() const { return TestMask(core.imageFlags, flags::clock24h); }
    void SetClock24h(bool on) { SetMask(core.imageFlags, flags::clock24h, on); }
    bool LowResolution() const { return TestMask(core.imageFlags, flags::lowResolution); }
    void SetLowResolution(bool on) { SetMask(core.imageFlags, flags::lowResolution, on); }
    std::uint16_t NightShutter() const { return GetBits(core.imageFlags, 8, 2); }
    void SetNightShutter(std::uint16_t value);
    std::uint16_t NightIso() const { return GetBits(core.imageFlags, 10, 2); }
    void SetNightIso(std::uint16_t value);
    std::uint16_t StartDelay() const { return GetBits(core.imageFlags, 12, 4); }
    void SetStartDelay(std::uint16_t value) { SetBits(core.imageFlags, 12, 4, value); }

    // optionFlags
    bool KeyBoltOn() const { return TestMask(core.optionFlags, flags::keyBoltOn); }
    void SetKeyBoltOn(bool on) { SetMask(core.optionFlags, flags::keyBoltOn, on); }
    bool IlluminatorOff() const { return TestMask(core.optionFlags, flags::illuminatorOff); }
    void SetIlluminatorOff(bool on) { SetMask(core.optionFlags, flags::illuminatorOff, on); }
    std::uint16_t StoredQuickset() const { return GetBits(core.optionFlags, 3, 2); }
    void SetStoredQuickset(std::uint16_t preset) { SetBits(core.optionFlags, 3, 2, preset); }
    // digit 1..4; the stored value 0..3 stands for the code digit 1..4
    std::uint16_t CodeDigit(int digit) const;
    void SetCodeDigit(int digit, std::uint16_t value);

    // cellFlags, statusFlags
    bool LoopRecording() const { return TestMask(cellular.cellFlags, flags::loopRecording); }
    void SetLoopRecording(bool on) { SetMask(cellular.cellFlags, flags::loopRecording, on); }
    bool CellularOff() const { return TestMask(cellular.cellFlags, flags::cellularOff); }
    void SetCellularOff(bool on) { SetMask(cellular.cellFlags, flags::cellularOff, on); }
    bool HideLogo() const { return TestMask(cellular.cellFlags, flags::hideLogo); }
    void SetHideLogo(bool on) { SetMask(cellular.cellFlags, flags::hideLogo, on); }
    bool DailyStatusOff() const { return TestMask(cellular.statusFlags, flags::dailyStatusOff); }
    void SetDailyStatusOff(bool on) { SetMask(cellular.statusFlags, flags::dailyStatusOff, on); }

    // Quarter-hour slots; a minute of 1440 or more reads false and is not written.
    bool DaySlot(ScheduleKind kind, std::uint16_t minute) const;
    void SetDaySlot(ScheduleKind kind, std::uint16_t minute, bool on);
    bool DualTriggerSlot(std::uint16_t minute, int schedule) const;
    void SetDualTriggerSlot(std::uint16_t minute, bool on, int schedule);
    // day 1 (Sunday) .. 7 (Saturday)
    bool TriggerDayUsesSchedule2(int day) const;
    void SetTriggerDayUsesSchedule2(int day, bool on);

    // Switch-on time and date in the MS-DOS packing; 0 means none.
    void GetLoadTime(int *hour, int *minute, int *halfSeconds) const;
    void SetLoadTime(int hour, int minute, int second);
    // year: two digits since 2000
    void GetLoadDate(int *month, int *day, int *year) const;
    void SetLoadDate(int month, int day, int year);

    // Trigger presets.
    void ApplyQuickset(std::uint16_t preset);
    std::uint16_t DetectQuickset() const;

    // The trigger side responds at every time of every day.
    bool IsTriggerAlwaysArmed() const;
    void MakeTriggerAlwaysArmed();

    // The label as stored: the bytes up to the first zero, or all 20.
    std::string Label() const;
    // Stores the first 20 bytes of `text`, zero padded.
    void SetLabel(std::string_view text);

private:
    std::array<std::uint8_t, CoreSection::kBytes> coreSnapshot{};
    std::array<std::uint8_t, DualScheduleSection::kBytes> dualSnapshot{};
    std::array<std::uint8_t, CellularSection::kBytes> cellularSnapshot{};
};

// A zero-padded text field (the label) as stored: the bytes up to the first zero, or all.
std::string PaddedText(std::span<const std::uint8_t> bytes);

// Phone numbers: 16 four-bit codes; code 0 is the kind (0 none, 1 To, 2 BCC), codes 1..15 the
// first 15 characters ("0".."9" = 1..10, space = 11, "-" = 12, anything else 0).
struct Destination
{
    std::string text;
    bool bcc = false;
};
enum DestinationKind : int
{
    DestinationNone = 0,
    DestinationTo = 1,
    DestinationBcc = 2,
};

PhoneNumberWords PackPhoneNumber(std::string_view text, bool bcc);
Destination UnpackPhoneNumber(const PhoneNumberWords &words);
int PhoneNumberKind(const PhoneNumberWords &words);

// E-mail addresses: 36 seven-bit characters in two bit-sliced 16-byte halves; bits 0-1 of the
// second half's last word hold the kind.
EmailAddressBytes PackEmailAddress(std::string_view text, bool bcc);
Destination UnpackEmailAddress(const EmailAddressBytes &bytes);
int EmailAddressKind(const EmailAddressBytes &bytes);
