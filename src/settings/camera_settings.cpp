#include "settings/camera_settings.h"

#include "settings/byte_order.h"
#include "settings/section_fields.h"

#include <algorithm>
#include <cassert>

// ---- Section encoding ----------------------------------------------------------------------

namespace {

// Field by field in the order of the section's list; the asserts hold each field's offset to
// the bytes its encoding really took.
template <class Section>
std::array<std::uint8_t, Section::kBytes> encodeFields(const Section &section)
{
    std::array<std::uint8_t, Section::kBytes> out{};
    LittleEndianWriter w(out);
    visitFields(section, [&w]([[maybe_unused]] const auto &field, const auto &value) {
        assert(w.position() == field.offset);
        writeValue(w, value);
    });
    assert(w.position() == Section::kBytes);
    return out;
}

template <class Section> Section decodeFields(std::span<const std::uint8_t, Section::kBytes> bytes)
{
    Section section;
    LittleEndianReader r(bytes);
    visitFields(section, [&r]([[maybe_unused]] const auto &field, auto &value) {
        assert(r.position() == field.offset);
        readValue(r, value);
    });
    assert(r.position() == Section::kBytes);
    return section;
}

} // namespace

std::array<std::uint8_t, CoreSection::kBytes> CoreSection::encode() const
{
    return encodeFields(*this);
}

CoreSection CoreSection::decode(std::span<const std::uint8_t, kBytes> bytes)
{
    return decodeFields<CoreSection>(bytes);
}

std::array<std::uint8_t, DualScheduleSection::kBytes> DualScheduleSection::encode() const
{
    return encodeFields(*this);
}

DualScheduleSection DualScheduleSection::decode(std::span<const std::uint8_t, kBytes> bytes)
{
    return decodeFields<DualScheduleSection>(bytes);
}

std::array<std::uint8_t, CellularSection::kBytes> CellularSection::encode() const
{
    return encodeFields(*this);
}

CellularSection CellularSection::decode(std::span<const std::uint8_t, kBytes> bytes)
{
    return decodeFields<CellularSection>(bytes);
}

// ---- Factory reset -------------------------------------------------------------------------

void CameraSettings::ResetCore()
{
    core = CoreSection{};
    core.tag = CoreSection::kTag;
    core.size = CoreSection::kSize;
    core.triggerFlags = 0x6401;
    core.pulseCount = 1;
    core.pulseWindow = 10;
    core.picturesPerTrigger = 3;
    core.pictureInterval = 1000;
    core.quietPeriod = 0;
    core.timeLapseFlags = 0;
    core.timeLapseInterval = 5;
    core.brightness = 64;
    core.contrast = 192;
    core.imageFlags = 0x001E;
    core.sharpness = 128;
    core.saturation = 128;
}

void CameraSettings::ResetDualSchedule()
{
    dual = DualScheduleSection{};
    dual.tag = DualScheduleSection::kTag;
    dual.size = DualScheduleSection::kSize;
    dual.triggerSchedule1.SetAll(true);
    dual.triggerSchedule2.SetAll(true);
    dual.timeLapseSchedule1.SetAll(true);
    dual.timeLapseSchedule2.SetAll(true);
}

void CameraSettings::ResetCellular()
{
    cellular = CellularSection{};
    cellular.tag = CellularSection::kTag;
    cellular.size = CellularSection::kSize;
}

void CameraSettings::ResetAll()
{
    ResetCore();
    ApplyQuickset(QuicksetNormal);
    ResetDualSchedule();
    ResetCellular();
}

// ---- Change test ---------------------------------------------------------------------------

void CameraSettings::TakeSnapshots()
{
    coreSnapshot.fill(0);
    dualSnapshot.fill(0);
    cellularSnapshot.fill(0);
    if (core.tag == CoreSection::kTag)
        coreSnapshot = core.encode();
    if (dual.tag == DualScheduleSection::kTag)
        dualSnapshot = dual.encode();
    if (cellular.tag == CellularSection::kTag)
        cellularSnapshot = cellular.encode();
}

bool CameraSettings::CoreChanged() const
{
    return core.tag != CoreSection::kTag || core.encode() != coreSnapshot;
}

bool CameraSettings::DualScheduleChanged() const
{
    return dual.tag != DualScheduleSection::kTag || dual.encode() != dualSnapshot;
}

bool CameraSettings::CellularChanged() const
{
    return cellular.tag != CellularSection::kTag || cellular.encode() != cellularSnapshot;
}

// ---- Accessors -----------------------------------------------------------------------------

void CameraSettings::SetNightShutter(std::uint16_t value)
{
    if (value <= 3)
        SetBits(core.imageFlags, 8, 2, value);
}

void CameraSettings::SetNightIso(std::uint16_t value)
{
    if (value <= 3)
        SetBits(core.imageFlags, 10, 2, value);
}

std::uint16_t CameraSettings::CodeDigit(int digit) const
{
    assert(digit >= 1 && digit <= 4);
    return GetBits(core.optionFlags, 8 + 2 * (digit - 1), 2);
}

void CameraSettings::SetCodeDigit(int digit, std::uint16_t value)
{
    assert(digit >= 1 && digit <= 4);
    SetBits(core.optionFlags, 8 + 2 * (digit - 1), 2, value);
}

bool CameraSettings::DaySlot(ScheduleKind kind, std::uint16_t minute) const
{
    const DaySchedule &schedule =
        kind == ScheduleKind::Trigger ? core.triggerDaySchedule : core.timeLapseDaySchedule;
    return schedule.IsOn(minute);
}

void CameraSettings::SetDaySlot(ScheduleKind kind, std::uint16_t minute, bool on)
{
    DaySchedule &schedule =
        kind == ScheduleKind::Trigger ? core.triggerDaySchedule : core.timeLapseDaySchedule;
    schedule.SetOn(minute, on);
}

bool CameraSettings::DualTriggerSlot(std::uint16_t minute, int schedule) const
{
    return (schedule == 0 ? dual.triggerSchedule1 : dual.triggerSchedule2).IsOn(minute);
}

void CameraSettings::SetDualTriggerSlot(std::uint16_t minute, bool on, int schedule)
{
    (schedule == 0 ? dual.triggerSchedule1 : dual.triggerSchedule2).SetOn(minute, on);
}

bool CameraSettings::TriggerDayUsesSchedule2(int day) const
{
    assert(day >= 1 && day <= 7);
    return TestMask(dual.dayAssignment, static_cast<std::uint16_t>(1u << (day - 1)));
}

void CameraSettings::SetTriggerDayUsesSchedule2(int day, bool on)
{
    assert(day >= 1 && day <= 7);
    SetMask(dual.dayAssignment, static_cast<std::uint16_t>(1u << (day - 1)), on);
}

void CameraSettings::GetLoadTime(int *hour, int *minute, int *halfSeconds) const
{
    if (hour)
        *hour = GetBits(core.loadTime, 11, 5);
    if (minute)
        *minute = GetBits(core.loadTime, 5, 6);
    if (halfSeconds)
        *halfSeconds = GetBits(core.loadTime, 0, 5);
}

void CameraSettings::SetLoadTime(int hour, int minute, int second)
{
    if (hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59 && second >= 0 && second <= 59)
        core.loadTime = static_cast<std::uint16_t>((hour << 11) | (minute << 5) | (second / 2));
    else
        core.loadTime = 0;
}

void CameraSettings::GetLoadDate(int *month, int *day, int *year) const
{
    if (month)
        *month = GetBits(core.loadDate, 5, 4);
    if (day)
        *day = GetBits(core.loadDate, 0, 5);
    if (year) {
        const int since1980 = GetBits(core.loadDate, 9, 7);
        *year = since1980 < 20 ? 0 : since1980 - 20;
    }
}

void CameraSettings::SetLoadDate(int month, int day, int year)
{
    if (month >= 1 && month <= 12 && day >= 1 && day <= 31 && year >= 0 && year <= 99)
        core.loadDate = static_cast<std::uint16_t>(((year + 20) << 9) | (month << 5) | day);
    else
        core.loadDate = 0;
}

std::string CameraSettings::Label() const
{
    return PaddedText(core.label);
}

void CameraSettings::SetLabel(std::string_view text)
{
    core.label.fill(0);
    std::copy_n(text.begin(), std::min(text.size(), core.label.size()), core.label.begin());
}

std::string PaddedText(std::span<const std::uint8_t> bytes)
{
    return std::string(bytes.begin(), std::find(bytes.begin(), bytes.end(), 0));
}
