#pragma once

// What a command-line program needs from the system it runs on: its arguments and its output
// as UTF-8, whatever code page the system uses, with the same bytes on every system.

#include <string>
#include <vector>

namespace platform {

// The arguments after the program's name, in UTF-8. On Windows they come from the UTF-16
// command line, because `argv` holds them in the ANSI code page there.
std::vector<std::string> commandLineArguments(int argc, char **argv);

// While it lives, standard output and error pass UTF-8 text with "\n" line ends on unchanged:
// no CRLF translation on Windows, and a Windows console shows it as UTF-8.
class Utf8Console
{
public:
    Utf8Console();
    ~Utf8Console();
    Utf8Console(const Utf8Console &) = delete;
    Utf8Console &operator=(const Utf8Console &) = delete;

private:
    // The console's own code page, given back at the end; only Windows has one to keep.
    [[maybe_unused]] unsigned int previousCodePage = 0;
};

} // namespace platform
