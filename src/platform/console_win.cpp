#include "platform/console.h"

#include "platform/win32_text.h"

#include <windows.h>

#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

namespace platform {

std::vector<std::string> commandLineArguments(int argc, char **argv)
{
    int count = 0;
    wchar_t **wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide)
        return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
    std::vector<std::string> arguments;
    for (int i = 1; i < count; ++i)
        arguments.push_back(utf8FromWide(wide[i]));
    LocalFree(wide);
    return arguments;
}

static bool isConsole(DWORD standardHandle)
{
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(standardHandle), &mode) != 0;
}

Utf8Console::Utf8Console()
{
    // Text mode would turn every "\n" into "\r\n": output is the same bytes as on Linux, which
    // Windows consoles, PowerShell and today's editors all read.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    if (isConsole(STD_OUTPUT_HANDLE) || isConsole(STD_ERROR_HANDLE)) {
        previousCodePage = GetConsoleOutputCP();
        SetConsoleOutputCP(CP_UTF8);
    }
}

Utf8Console::~Utf8Console()
{
    // Everything written must reach the console before its code page is given back.
    std::fflush(stdout);
    std::fflush(stderr);
    if (previousCodePage != 0)
        SetConsoleOutputCP(previousCodePage);
}

} // namespace platform
