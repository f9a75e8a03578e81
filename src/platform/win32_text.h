#pragma once

// UTF-16 of the Win32 API to the UTF-8 used everywhere else (Windows sources only).

#include <windows.h>

#include <string>

namespace platform {

inline std::string utf8FromWide(const wchar_t *text)
{
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 1)
        return {};
    std::string converted(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, converted.data(), bytes, nullptr, nullptr);
    converted.resize(static_cast<std::size_t>(bytes - 1));
    return converted;
}

} // namespace platform
