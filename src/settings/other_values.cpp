#include "settings/other_values.h"

OtherValues OtherValues::fromRecord(const CameraSettings &settings)
{
    OtherValues values;
    values.loopRecording = settings.LoopRecording() ? 1 : 0;
    values.hideLogo = settings.HideLogo() ? 1 : 0;
    values.illuminatorOff = settings.IlluminatorOff() ? 1 : 0;
    values.startDelay = settings.StartDelay();
    values.keyBolt = settings.KeyBoltOn() ? 1 : 0;
    for (int i = 0; i < kCodeDigits; ++i)
        values.codeDigits[static_cast<std::size_t>(i)] = settings.CodeDigit(i + 1);
    return values;
}

void OtherValues::toRecord(CameraSettings &settings) const
{
    settings.SetKeyBoltOn(keyBolt != 0);
    // Two bits a digit and four for the delay, as the record keeps them.
    for (int i = 0; i < kCodeDigits; ++i)
        settings.SetCodeDigit(
            i + 1, static_cast<std::uint16_t>(codeDigits[static_cast<std::size_t>(i)] & 0x3));
    settings.SetStartDelay(static_cast<std::uint16_t>(startDelay & 0xF));
    settings.SetIlluminatorOff(illuminatorOff != 0);
    settings.SetLoopRecording(loopRecording != 0);
    settings.SetHideLogo(hideLogo != 0);
}
