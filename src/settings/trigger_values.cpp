#include "settings/trigger_values.h"

#include <algorithm>

InternalTriggerValues InternalTriggerValues::fromRecord(const CameraSettings &settings)
{
    InternalTriggerValues values;
    values.sensitivityPosition = settings.Sensitivity() / kSensitivityStep;
    values.pulses = settings.core.pulseCount;
    values.pulseWindowSeconds = pulseWindowSecondsOf(settings.core.pulseWindow);
    return values;
}

void InternalTriggerValues::toRecord(CameraSettings &settings) const
{
    settings.SetSensitivity(sensitivityOf(sensitivityPosition));
    settings.core.pulseCount = static_cast<std::uint8_t>(pulses);
    settings.core.pulseWindow = pulseWindowTenths(pulseWindowSeconds);
}

rules::Check InternalTriggerValues::check() const
{
    if (auto refusal = checkPulseWindow(pulseWindowSeconds))
        return refusal;
    return checkPulseCount(pulses);
}

rules::Check InternalTriggerValues::checkPulseWindow(double seconds)
{
    return rules::CheckSingle(static_cast<float>(seconds), kPulseWindowMin, kPulseWindowMax,
                              PulseWindow);
}

rules::Check InternalTriggerValues::checkPulseCount(int pulses)
{
    return rules::CheckInteger(pulses, kPulseCount, PulseCount);
}

std::uint16_t InternalTriggerValues::sensitivityOf(int position)
{
    return static_cast<std::uint16_t>(position * kSensitivityStep);
}

std::uint8_t InternalTriggerValues::pulseWindowTenths(double seconds)
{
    // The tenths are exact for what the field takes; truncated as the camera's tools always did.
    return static_cast<std::uint8_t>(static_cast<int>(seconds * 10.0));
}

TriggerValues TriggerValues::fromRecord(const CameraSettings &settings)
{
    TriggerValues values;
    values.quietPeriod = settings.core.quietPeriod;
    values.pictures = settings.core.picturesPerTrigger;
    values.secondsBetweenPictures =
        std::max(1.0, pictureIntervalSecondsOf(settings.core.pictureInterval));
    return values;
}

void TriggerValues::toRecord(CameraSettings &settings) const
{
    settings.core.picturesPerTrigger = static_cast<std::uint16_t>(pictures);
    settings.core.pictureInterval = pictureIntervalMs(secondsBetweenPictures);
    settings.core.quietPeriod = static_cast<std::uint16_t>(quietPeriod);
}

rules::Check TriggerValues::check() const
{
    if (auto refusal = checkPictures(pictures))
        return refusal;
    if (auto refusal = checkPictureInterval(secondsBetweenPictures))
        return refusal;
    return checkQuietPeriod(quietPeriod);
}

rules::Check TriggerValues::checkPictures(int pictures)
{
    return rules::CheckInteger(pictures, kPicturesPerTrigger, PicturesPerTrigger);
}

rules::Check TriggerValues::checkPictureInterval(double seconds)
{
    return rules::CheckNumber(seconds, kPictureIntervalSeconds.min, kPictureIntervalSeconds.max,
                              PictureInterval);
}

rules::Check TriggerValues::checkQuietPeriod(int seconds)
{
    return rules::CheckInteger(seconds, kQuietPeriod, QuietPeriod);
}

std::uint16_t TriggerValues::pictureIntervalMs(double seconds)
{
    return static_cast<std::uint16_t>(seconds * 1000.0);
}

std::uint16_t TriggerValues::burstLimit(std::uint16_t timeLapseInterval)
{
    const std::uint16_t count = IntervalCountOf(timeLapseInterval);
    switch (IntervalUnitOf(timeLapseInterval)) {
    case IntervalUnit::Minutes:
        return static_cast<std::uint16_t>(count * (60 / kSecondsPerBurstPicture));
    case IntervalUnit::Seconds:
        return static_cast<std::uint16_t>(count / kSecondsPerBurstPicture);
    case IntervalUnit::Hours:
    case IntervalUnit::Milliseconds:
        break;
    }
    return 0xFFFF;
}
