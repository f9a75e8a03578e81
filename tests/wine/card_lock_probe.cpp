// Takes the card lock of ROOT ("E:"), waiting up to PATIENCE milliseconds for it, says "held" or
// "not held" on standard output, and keeps it until its standard input ends.
#include "platform/card_lock.h"
#include "platform/console.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    const platform::Utf8Console console;
    const auto arguments = platform::commandLineArguments(argc, argv);
    if (arguments.size() != 2)
        return 2;
    const platform::CardLock lock(arguments[0],
                                  std::chrono::milliseconds(std::atoi(arguments[1].c_str())));
    std::puts(lock.held() ? "held" : "not held");
    std::fflush(stdout);
    while (std::getchar() != EOF) {
    }
    return 0;
}
