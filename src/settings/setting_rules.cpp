#include "settings/setting_rules.h"

namespace rules {

std::uint16_t BurstLimit(std::uint16_t timeLapseInterval)
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

bool BurstFits(IntervalUnit unit, int count, std::uint16_t pictures)
{
    if (unit == IntervalUnit::Hours)
        return true;
    // The longest burst, in seconds, that does not fit: a burst of p pictures takes 5 p seconds.
    const int limitSeconds = static_cast<std::uint16_t>(kSecondsPerBurstPicture * pictures - 1);
    const int limit = unit == IntervalUnit::Minutes ? limitSeconds / 60 : limitSeconds;
    return count > limit;
}

std::string PhoneForbiddenCharacters()
{
    std::string set = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJLKMNOPQRSTUVWXYZ";
    for (char c = 0x21; c <= 0x7E; ++c) {
        const bool alphanumeric =
            (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!alphanumeric && c != '-')
            set += c;
    }
    return set;
}

} // namespace rules
