#pragma once

// What the Images tab moves between the record and its controls, with its conversions and its
// one check; kestra-cfg's named settings run the same.

#include "settings/camera_settings.h"
#include "settings/refusal.h"

#include <string>
#include <string_view>

struct ImagesValues
{
    static constexpr int kSliderMax = 255;
    static constexpr int kNightSliderMax = 2;
    static constexpr int kLabelMaxChars = 20;
    // The characters the camera's stamp cannot print.
    static constexpr std::string_view kLabelForbidden = "~^_`{}|";
    // The label is stored one byte a character.
    static constexpr char16_t kLabelHighestCharacter = 0xFF;
    static constexpr rules::TextField kLabelField{kLabelForbidden, kLabelHighestCharacter,
                                                  kLabelMaxChars};

    enum Field
    {
        Label,
        Slider,
    };

    int brightness = 0;
    int contrast = 0;
    int sharpness = 0;
    int saturation = 0;
    int nightShutterPosition = 0; // slow, middle, fast
    int nightIsoPosition = 0;     // low, middle, high
    int temperature = 0;          // 0 Fahrenheit, 1 Celsius
    int clock = 0;                // 0 12-hour, 1 24-hour
    int resolution = 0;           // 0 high, 1 low
    int printBorder = 0;
    std::string label; // one byte a character (ISO 8859-1), as stored

    static ImagesValues fromRecord(const CameraSettings &settings);
    void toRecord(CameraSettings &settings) const;

    // The label's length in characters, as the field counts them.
    static rules::Check checkLabelLength(std::size_t characters);
    static rules::Check checkSlider(int value);
    // The label as stored: its first characters up to the limit, each that has a byte of its
    // own; any other is skipped rather than stored as something else.
    static std::string labelBytes(std::u16string_view text);

    // Night shutter: slider positions 0..2 are the stored speeds; the unused 3 shows as the
    // middle.
    static constexpr int shutterPositionOf(std::uint16_t stored)
    {
        return stored == 3 ? 1 : stored;
    }
    // Night ISO: the slider runs Low, middle, High over the codes 1, 0, 2 (the factory 0 sits in
    // the middle); the unused 3 shows as High.
    static constexpr int isoPositionOf(std::uint16_t stored)
    {
        return stored == 0 ? 1 : stored == 1 ? 0 : 2;
    }
    static constexpr std::uint16_t isoCodeOf(int position)
    {
        return position == 0 ? 1 : position == 1 ? 0 : 2;
    }
};
