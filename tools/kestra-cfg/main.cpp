#include "kestra_cfg.h"

#include <iostream>

int main(int argc, char **argv)
{
    return RunKestraCfg(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
