#include "settings/images_values.h"

ImagesValues ImagesValues::fromRecord(const CameraSettings &settings)
{
    ImagesValues values;
    values.brightness = settings.core.brightness;
    values.contrast = settings.core.contrast;
    values.sharpness = settings.core.sharpness;
    values.saturation = settings.core.saturation;
    values.temperature = settings.Celsius() ? 1 : 0;
    values.clock = settings.Clock24h() ? 1 : 0;
    values.resolution = settings.LowResolution() ? 1 : 0;
    values.printBorder = settings.PrintBorder() ? 1 : 0;
    values.nightShutterPosition = shutterPositionOf(settings.NightShutter());
    values.nightIsoPosition = isoPositionOf(settings.NightIso());
    values.label = settings.Label();
    return values;
}

void ImagesValues::toRecord(CameraSettings &settings) const
{
    settings.core.brightness = static_cast<std::uint8_t>(brightness);
    settings.core.contrast = static_cast<std::uint8_t>(contrast);
    settings.core.sharpness = static_cast<std::uint8_t>(sharpness);
    settings.core.saturation = static_cast<std::uint8_t>(saturation);
    settings.SetPrintBorder(printBorder != 0);
    settings.SetCelsius(temperature == 1);
    settings.SetClock24h(clock == 1);
    settings.SetLowResolution(resolution == 1);
    settings.SetNightShutter(static_cast<std::uint16_t>(nightShutterPosition));
    settings.SetNightIso(isoCodeOf(nightIsoPosition));
    settings.SetLabel(label);
}

rules::Check ImagesValues::checkLabelLength(std::size_t characters)
{
    return rules::CheckLength(characters, kLabelMaxChars, Label);
}

rules::Check ImagesValues::checkSlider(int value)
{
    return rules::CheckInteger(value, {0, kSliderMax}, Slider);
}

std::string ImagesValues::labelBytes(std::u16string_view text)
{
    std::string bytes;
    for (const char16_t c : text) {
        if (static_cast<int>(bytes.size()) == kLabelMaxChars)
            break;
        if (c != 0 && c <= kLabelHighestCharacter)
            bytes += static_cast<char>(c);
    }
    return bytes;
}
