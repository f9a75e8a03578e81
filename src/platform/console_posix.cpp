#include "platform/console.h"

namespace platform {

// POSIX passes bytes through as they are; the terminal decides how to show them.
std::vector<std::string> commandLineArguments(int argc, char **argv)
{
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

Utf8Console::Utf8Console() = default;
Utf8Console::~Utf8Console() = default;

} // namespace platform
