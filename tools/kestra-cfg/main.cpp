#include "kestra_cfg.h"

#include "platform/console.h"

#include <iostream>

int main(int argc, char **argv)
{
    const platform::Utf8Console console;
    return RunKestraCfg(platform::commandLineArguments(argc, argv), std::cout, std::cerr);
}
