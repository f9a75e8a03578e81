#pragma once

// Small text helpers every layer uses: names compared in any case, fields read from files and
// command lines, and the 8-bit texts of the record shown as UTF-8.

#include <string>
#include <string_view>

// ASCII letters in capitals, every other byte as it is: for names that compare in any case.
std::string UpperAscii(std::string text);

// Without the blanks and tabs around it.
std::string_view WithoutBlanks(std::string_view text);

// One code point appended as UTF-8.
void AppendUtf8(std::string &out, char32_t c);

// ISO 8859-1 bytes as UTF-8 text.
std::string Latin1ToUtf8(std::string_view bytes);
