#pragma once

// Paths cross this program as UTF-8 text: in arguments, messages and JSON. The standard
// library's narrow conversions go through the ANSI code page on Windows and would garble any
// name outside it, so these go through char8_t, which it converts as UTF-8 there and which
// POSIX systems take byte for byte.

#include <filesystem>
#include <string>
#include <string_view>

namespace platform {

inline std::filesystem::path pathFromUtf8(std::string_view text)
{
    return std::filesystem::path(
        std::u8string_view(reinterpret_cast<const char8_t *>(text.data()), text.size()));
}

inline std::string utf8FromPath(const std::filesystem::path &path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

} // namespace platform
