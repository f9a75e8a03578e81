// Keeps a file open without sharing it, as a virus scanner or a file manager might, until its
// standard input ends: "held" on standard output says that the file is now locked.
#include "platform/console.h"
#include "platform/utf8_path.h"

#include <windows.h>

#include <cstdio>

int main(int argc, char **argv)
{
    const platform::Utf8Console console;
    const auto arguments = platform::commandLineArguments(argc, argv);
    if (arguments.size() != 1)
        return 2;
    const std::filesystem::path path = platform::pathFromUtf8(arguments[0]);
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "cannot open %s: error %lu\n", arguments[0].c_str(), GetLastError());
        return 1;
    }
    std::puts("held");
    std::fflush(stdout);
    while (std::getchar() != EOF) {
    }
    CloseHandle(file);
    return 0;
}
