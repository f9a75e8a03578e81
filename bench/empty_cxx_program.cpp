// The floor for any C++ command-line program here: starts, loads the C++ runtime, prints a
// line and ends. kestra_cfg_bench runs it next to kestra-cfg.
#include <iostream>

int main()
{
    std::cout << "nothing\n";
    return 0;
}
