// Packing of the cellular destinations: phone numbers as four-bit codes, e-mail addresses
// bit-sliced into two halves of seven-bit characters.
#include "settings/camera_settings.h"

#include "settings/byte_order.h"

namespace {
constexpr std::size_t kPhoneDigits = 15;
constexpr std::size_t kEmailChars = 36;
constexpr std::size_t kHalfChars = 18;

std::uint16_t phoneCode(char c)
{
    if (c >= '0' && c <= '9')
        return static_cast<std::uint16_t>(c - '0' + 1);
    if (c == ' ')
        return 11;
    if (c == '-')
        return 12;
    return 0;
}

int kindOf(std::string_view text, bool bcc)
{
    if (text.empty())
        return DestinationNone;
    return bcc ? DestinationBcc : DestinationTo;
}

// One 16-byte half: words w0..w6 are bit planes of characters c0..c15 (w0 = bit 6, c0 in
// bit 15); w7 holds c16 in bits 9-15 and c17 in bits 2-8.
void packHalf(const std::array<std::uint8_t, kHalfChars> &chars, std::span<std::uint8_t> out,
              int kind)
{
    std::array<std::uint16_t, 8> words{};
    for (int j = 0; j < 7; ++j) {
        for (int i = 0; i < 16; ++i) {
            if (chars[i] & (1u << (6 - j)))
                words[j] |= static_cast<std::uint16_t>(1u << (15 - i));
        }
    }
    words[7] = static_cast<std::uint16_t>(((chars[16] & 0x7F) << 9) | ((chars[17] & 0x7F) << 2) |
                                          (kind & 0x3));
    LittleEndianWriter w(out);
    w.u16s(words);
}

std::array<std::uint8_t, kHalfChars> unpackHalf(std::span<const std::uint8_t> in)
{
    std::array<std::uint16_t, 8> words{};
    LittleEndianReader r(in);
    r.u16s(words);
    std::array<std::uint8_t, kHalfChars> chars{};
    for (int i = 0; i < 16; ++i) {
        for (int j = 0; j < 7; ++j) {
            if (words[j] & (1u << (15 - i)))
                chars[i] |= static_cast<std::uint8_t>(1u << (6 - j));
        }
    }
    chars[16] = static_cast<std::uint8_t>((words[7] >> 9) & 0x7F);
    chars[17] = static_cast<std::uint8_t>((words[7] >> 2) & 0x7F);
    return chars;
}
} // namespace

PhoneNumberWords PackPhoneNumber(std::string_view text, bool bcc)
{
    PhoneNumberWords words{};
    std::array<std::uint16_t, 16> codes{};
    codes[0] = static_cast<std::uint16_t>(kindOf(text, bcc));
    for (std::size_t i = 0; i < text.size() && i < kPhoneDigits; ++i)
        codes[i + 1] = phoneCode(text[i]);
    for (std::size_t i = 0; i < codes.size(); ++i)
        words[i / 4] |= static_cast<std::uint16_t>(codes[i] << (4 * (i % 4)));
    return words;
}

int PhoneNumberKind(const PhoneNumberWords &words)
{
    return words[0] & 0xF;
}

Destination UnpackPhoneNumber(const PhoneNumberWords &words)
{
    Destination result;
    result.bcc = PhoneNumberKind(words) == DestinationBcc;
    for (std::size_t i = 1; i <= kPhoneDigits; ++i) {
        const int code = (words[i / 4] >> (4 * (i % 4))) & 0xF;
        if (code >= 1 && code <= 10)
            result.text += static_cast<char>('0' + code - 1);
        else if (code == 11)
            result.text += ' ';
        else if (code == 12)
            result.text += '-';
        else
            break;
    }
    return result;
}

EmailAddressBytes PackEmailAddress(std::string_view text, bool bcc)
{
    std::array<std::uint8_t, kHalfChars> first{}, second{};
    for (std::size_t i = 0; i < text.size() && i < kEmailChars; ++i) {
        const auto c = static_cast<std::uint8_t>(text[i]);
        (i < kHalfChars ? first[i] : second[i - kHalfChars]) = c;
    }
    EmailAddressBytes bytes{};
    packHalf(first, std::span(bytes).first(16), 0);
    packHalf(second, std::span(bytes).last(16), kindOf(text, bcc));
    return bytes;
}

int EmailAddressKind(const EmailAddressBytes &bytes)
{
    return bytes[30] & 0x3;
}

Destination UnpackEmailAddress(const EmailAddressBytes &bytes)
{
    Destination result;
    result.bcc = EmailAddressKind(bytes) == DestinationBcc;
    const auto first = unpackHalf(std::span(bytes).first(16));
    const auto second = unpackHalf(std::span(bytes).last(16));
    for (std::size_t i = 0; i < kEmailChars; ++i) {
        const std::uint8_t c = i < kHalfChars ? first[i] : second[i - kHalfChars];
        if (c == 0)
            break;
        result.text += static_cast<char>(c);
    }
    return result;
}
