#pragma once

// Small text helpers every layer uses: names compared in any case, fields read from files and
// command lines, the 8-bit texts of the record shown as UTF-8, and texts from outside (labels,
// paths) made safe to show.

#include <string>
#include <string_view>

// ASCII letters in capitals, every other byte as it is: for names that compare in any case.
std::string UpperAscii(std::string text);
// The same in small letters: for values in words, which are shown in small letters.
std::string LowerAscii(std::string_view text);

// Without the blanks and tabs around it.
std::string_view WithoutBlanks(std::string_view text);

// One code point appended as UTF-8.
void AppendUtf8(std::string &out, char32_t c);

// ISO 8859-1 bytes as UTF-8 text.
std::string Latin1ToUtf8(std::string_view bytes);

// UTF-8 text as one visible line, for a terminal or a line of a window: control characters
// become \xNN, and characters that only steer the layout (format characters such as the
// direction marks, the line and paragraph separators) \uNNNN or \UNNNNNNNN. A stored or
// reported text can then neither move the cursor, break its line nor reverse what follows it.
// Bytes that are no UTF-8 are kept as they are.
std::string PrintableText(std::string_view utf8);
