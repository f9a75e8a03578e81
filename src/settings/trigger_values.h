#pragma once

// What the Triggers tab and its Internal Trigger Settings dialog move between the record and
// their controls, with the conversions and the checks in the windows' order. kestra-cfg's named
// settings run the same checks, so a value is refused by one rule wherever it is entered.

#include "settings/camera_settings.h"
#include "settings/refusal.h"

// "Internal Trigger Settings": the sensitivity slider and the pulses within seconds.
struct InternalTriggerValues
{
    static constexpr rules::IntegerRange kPulseCount{1, 5};
    // Seconds, compared in single precision; stored in tenths.
    static constexpr float kPulseWindowMin = 0.3f;
    static constexpr float kPulseWindowMax = 10.0f;
    static constexpr rules::NumberField kPulseWindowField{2, 1};
    // The sensor takes its sensitivity in steps of 25: slider positions 0..4 for 0..100.
    static constexpr int kSensitivityStep = 25;
    static constexpr int kSensitivityLastPosition = 4;

    enum Field
    {
        PulseCount,
        PulseWindow,
    };

    int sensitivityPosition = 0; // 0..4, a step of 25 each
    int pulses = 1;
    double pulseWindowSeconds = 1.0;

    static InternalTriggerValues fromRecord(const CameraSettings &settings);
    // Stores what check() let through.
    void toRecord(CameraSettings &settings) const;
    // The pulse window, then the pulse count, as the dialog checks them.
    rules::Check check() const;

    // Seconds compared in single precision and worded with 6 significant digits.
    static rules::Check checkPulseWindow(double seconds);
    static rules::Check checkPulseCount(int pulses);
    // The sensor takes its sensitivity in steps of 25: slider positions 0..4 for 0..100.
    static std::uint16_t sensitivityOf(int position);
    // The record keeps tenths of a second in 8 bits; the field takes one decimal place.
    static std::uint8_t pulseWindowTenths(double seconds);
    static double pulseWindowSecondsOf(std::uint8_t tenths) { return tenths * 0.1; }
};

// The Triggers tab's number fields (the quickset, the switches and the schedule are the
// record's own accessors).
struct TriggerValues
{
    static constexpr rules::IntegerRange kPicturesPerTrigger{1, 99};
    static constexpr rules::NumberField kPicturesPerTriggerField{2, 0};
    // Seconds between the pictures of one trigger, checked as a number; stored in milliseconds.
    static constexpr rules::IntegerRange kPictureIntervalSeconds{1, 60};
    static constexpr rules::NumberField kPictureIntervalField{2, 0};
    static constexpr rules::IntegerRange kQuietPeriod{0, 3600};
    static constexpr rules::NumberField kQuietPeriodField{4, 0};
    // BurstClip pictures are taken five seconds apart.
    static constexpr int kSecondsPerBurstPicture = 5;

    enum Field
    {
        PicturesPerTrigger,
        PictureInterval,
        QuietPeriod,
    };

    int pictures = 1;
    double secondsBetweenPictures = 1.0;
    int quietPeriod = 0;

    static TriggerValues fromRecord(const CameraSettings &settings);
    // Stores what check() let through.
    void toRecord(CameraSettings &settings) const;
    // Pictures per trigger, seconds between pictures, quiet period, as the tab checks them.
    rules::Check check() const;

    static rules::Check checkPictures(int pictures);
    // Seconds between pictures, checked as a number against 1 .. 60.
    static rules::Check checkPictureInterval(double seconds);
    static rules::Check checkQuietPeriod(int seconds);
    // The record keeps milliseconds; the tab shows seconds, at least one.
    static std::uint16_t pictureIntervalMs(double seconds);
    static double pictureIntervalSecondsOf(std::uint16_t ms) { return ms / 1000.0; }
    // The BurstClip pictures that fit into one time-lapse interval, as the tab counts them
    // before message 126: 16-bit arithmetic, no limit for hours and milliseconds.
    static std::uint16_t burstLimit(std::uint16_t timeLapseInterval);
    static bool burstWithin(int pictures, std::uint16_t timeLapseInterval)
    {
        return pictures <= burstLimit(timeLapseInterval);
    }
};
