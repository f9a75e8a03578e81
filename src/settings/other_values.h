#pragma once

// What the Other tab moves between the record and its controls.

#include "settings/camera_settings.h"

#include <array>

struct OtherValues
{
    static constexpr int kCodeDigits = 4;
    // Each code digit is one of "1".."4", stored as 0..3.
    static constexpr int kCodeDigitEntries = 4;
    static constexpr int kStartDelayEntries = 15;

    int loopRecording = 0;
    int hideLogo = 0;
    int illuminatorOff = 0;
    // The start-delay list's index is the stored code. A stored 15 names no entry: nothing is
    // selected, and no selection (-1) stores 15 again.
    int startDelay = 0;
    int keyBolt = 0;
    std::array<int, kCodeDigits> codeDigits{}; // each 0..3, shown as "1".."4"

    static constexpr bool validCodeDigit(int digit)
    {
        return digit >= 0 && digit < kCodeDigitEntries;
    }

    static OtherValues fromRecord(const CameraSettings &settings);
    void toRecord(CameraSettings &settings) const;
};
