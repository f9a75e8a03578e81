#include "platform/text.h"

#include <array>
#include <cstdio>
#include <utility>

std::string UpperAscii(std::string text)
{
    for (char &c : text) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

std::string LowerAscii(std::string_view text)
{
    std::string out(text);
    for (char &c : out) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

std::string_view WithoutBlanks(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

void AppendUtf8(std::string &out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string Latin1ToUtf8(std::string_view bytes)
{
    std::string out;
    for (unsigned char c : bytes)
        AppendUtf8(out, c);
    return out;
}

namespace {

// The format characters (Unicode category Cf, as of Unicode 15) and the line and paragraph
// separators: invisible, they only change how the text around them is laid out.
constexpr std::array<std::pair<char32_t, char32_t>, 21> kLayoutCharacters{{
    {0x00AD, 0x00AD},   {0x0600, 0x0605},   {0x061C, 0x061C},   {0x06DD, 0x06DD},
    {0x070F, 0x070F},   {0x0890, 0x0891},   {0x08E2, 0x08E2},   {0x180E, 0x180E},
    {0x200B, 0x200F},   {0x2028, 0x202E},   {0x2060, 0x2064},   {0x2066, 0x206F},
    {0xFEFF, 0xFEFF},   {0xFFF9, 0xFFFB},   {0x110BD, 0x110BD}, {0x110CD, 0x110CD},
    {0x13430, 0x1343F}, {0x1BCA0, 0x1BCA3}, {0x1D173, 0x1D17A}, {0xE0001, 0xE0001},
    {0xE0020, 0xE007F},
}};

bool steersLayout(char32_t c)
{
    for (const auto &[first, last] : kLayoutCharacters) {
        if (c >= first && c <= last)
            return true;
    }
    return false;
}

// The code point of the UTF-8 sequence at the start of `text` and its length in bytes; length
// 0 when no well-formed sequence begins there.
std::pair<char32_t, std::size_t> decodeUtf8(std::string_view text)
{
    const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80)
        return {lead, 1};
    // The bytes C0, C1 and F5..FF begin no sequence; 80..BF only continue one.
    if (lead < 0xC2 || lead > 0xF4)
        return {0, 0};
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    constexpr std::array<char32_t, 5> kLeast{0, 0, 0x80, 0x800, 0x10000};
    const char32_t least = kLeast[length];
    char32_t c = lead & (0x7F >> length);
    if (text.size() < length)
        return {0, 0};
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return {0, 0};
        c = (c << 6) | (byte(i) & 0x3F);
    }
    // Overlong forms, surrogates and what lies beyond Unicode are no characters.
    if (c < least || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)
        return {0, 0};
    return {c, length};
}

} // namespace

std::string PrintableText(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    while (!utf8.empty()) {
        const auto [c, length] = decodeUtf8(utf8);
        if (length == 0) {
            out += utf8.front();
            utf8.remove_prefix(1);
            continue;
        }
        char escaped[16];
        if (c < 0x20 || (c >= 0x7F && c < 0xA0)) {
            std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned>(c));
            out += escaped;
        } else if (steersLayout(c)) {
            std::snprintf(escaped, sizeof escaped, c > 0xFFFF ? "\\U%08X" : "\\u%04X",
                          static_cast<unsigned>(c));
            out += escaped;
        } else {
            out += utf8.substr(0, length);
        }
        utf8.remove_prefix(length);
    }
    return out;
}
