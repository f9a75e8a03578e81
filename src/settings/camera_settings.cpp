#include "settings/camera_settings.h"

#include "settings/byte_order.h"

#include <algorithm>
#include <cassert>

// ---- Section encoding ----------------------------------------------------------------------

std::array<std::uint8_t, CoreSection::kBytes> CoreSection::encode() const
{
    std::array<std::uint8_t, kBytes> out{};
    LittleEndianWriter w(out);
    w.u16(tag);
    w.u16(size);
    w.u16(triggerFlags);
    w.u8(pulseCount);
    w.u8(pulseWindow);
    w.u16(picturesPerTrigger);
    w.u16(pictureInterval);
    w.u16(quietPeriod);
    w.u16s(triggerDaySchedule.words);
    w.u16(timeLapseFlags);
    w.u16(timeLapseInterval);
    w.u16s(timeLapseDaySchedule.words);
    w.u8(brightness);
    w.u8(contrast);
    w.u16(imageFlags);
    w.u8(sharpness);
    w.u8(saturation);
    w.bytes(label);
    w.u16(optionFlags);
    w.u16(loadTime);
    w.u16(loadDate);
    assert(w.position() == kBytes);
    return out;
}

CoreSection CoreSection::decode(std::span<const std::uint8_t, kBytes> bytes)
{
    CoreSection s;
    LittleEndianReader r(bytes);
    s.tag = r.u16();
    s.size = r.u16();
    s.triggerFlags = r.u16();
    s.pulseCount = r.u8();
    s.pulseWindow = r.u8();
    s.picturesPerTrigger = r.u16();
    s.pictureInterval = r.u16();
    s.quietPeriod = r.u16();
    r.u16s(s.triggerDaySchedule.words);
    s.timeLapseFlags = r.u16();
    s.timeLapseInterval = r.u16();
    r.u16s(s.timeLapseDaySchedule.words);
    s.brightness = r.u8();
    s.contrast = r.u8();
    s.imageFlags = r.u16();
    s.sharpness = r.u8();
    s.saturation = r.u8();
    r.bytes(s.label);
    s.optionFlags = r.u16();
    s.loadTime = r.u16();
    s.loadDate = r.u16();
    assert(r.position() == kBytes);
    return s;
}

std::array<std::uint8_t, DualScheduleSection::kBytes> DualScheduleSection::encode() const
{
    std::array<std::uint8_t, kBytes> out{};
    LittleEndianWriter w(out);
    w.u16(tag);
    w.u16(size);
    w.u16(dayAssignment);
    w.u16s(triggerSchedule1.words);
    w.u16s(triggerSchedule2.words);
    w.u16s(timeLapseSchedule1.words);
    w.u16s(timeLapseSchedule2.words);
    assert(w.position() == kBytes);
    return out;
}

DualScheduleSection DualScheduleSection::decode(std::span<const std::uint8_t, kBytes> bytes)
{
    DualScheduleSection s;
    LittleEndianReader r(bytes);
    s.tag = r.u16();
    s.size = r.u16();
    s.dayAssignment = r.u16();
    r.u16s(s.triggerSchedule1.words);
    r.u16s(s.triggerSchedule2.words);
    r.u16s(s.timeLapseSchedule1.words);
    r.u16s(s.timeLapseSchedule2.words);
    assert(r.position() == kBytes);
    return s;
}

std::array<std::uint8_t, CellularSection::kBytes> CellularSection::encode() const
{
    std::array<std::uint8_t, kBytes> out{};
    LittleEndianWriter w(out);
    w.u16(tag);
    w.u16(size);
    w.u16(cellFlags);
    w.u16(statusFlags);
    w.u16(reserved);
    for (const auto &number : phoneNumbers)
        w.u16s(number);
    w.bytes(email1);
    w.bytes(email2);
    assert(w.position() == kBytes);
    return out;
}

CellularSection CellularSection::decode(std::span<const std::uint8_t, kBytes> bytes)
{
    CellularSection s;
    LittleEndianReader r(bytes);
    s.tag = r.u16();
    s.size = r.u16();
    s.cellFlags = r.u16();
    s.statusFlags = r.u16();
    s.reserved = r.u16();
    for (auto &number : s.phoneNumbers)
        r.u16s(number);
    r.bytes(s.email1);
    r.bytes(s.email2);
    assert(r.position() == kBytes);
    return s;
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

bool CameraSettings::IsShortTimeLapse() const
{
    if (!TimeLapseOn())
        return false;
    const std::uint16_t count = IntervalCountOf(core.timeLapseInterval);
    switch (IntervalUnitOf(core.timeLapseInterval)) {
    case IntervalUnit::Seconds:
        return count < 5;
    case IntervalUnit::Milliseconds:
        return count < 5000;
    default:
        return count == 0;
    }
}

std::string CameraSettings::Label() const
{
    const auto end = std::find(core.label.begin(), core.label.end(), 0);
    return std::string(core.label.begin(), end);
}

void CameraSettings::SetLabel(std::string_view text)
{
    core.label.fill(0);
    std::copy_n(text.begin(), std::min(text.size(), core.label.size()), core.label.begin());
}
