// kestra-cfg's show and set as whole processes (fork, exec, run, exit), next to a process that
// does nothing, on a settings file in a memory file system. Each run gives its wall time and
// the CPU time the child used (user + system, from wait4): on a loaded machine the wall time
// also holds the time spent waiting for a core, the CPU time only the process's own work.
#include "bench_timer.h"

#include <fstream>

int main(int argc, char **argv)
{
    const int samples = argc > 1 ? std::atoi(argv[1]) : 50;
    const std::filesystem::path folder = bench::memoryFolder("kestra-cfg-bench");
    const std::string file = (folder / "Kestra.cfg").string();
    bench::runProcess({KESTRA_CFG, "factory", file});

    // The commands take turns, so that a change in the machine's load hits all of them alike.
    const std::vector<bench::NamedCommand> commands{
        {"kestra-cfg show FILE", {KESTRA_CFG, "show", file}},
        {"kestra-cfg show --json FILE", {KESTRA_CFG, "show", "--json", file}},
        // Reads, checks three values by the tabs' rules, writes with flush and rename.
        {"kestra-cfg set FILE (three values)",
         {KESTRA_CFG, "set", file, "label=RIDGE 7", "pictures-per-trigger=5",
          "time-lapse=10 minutes"}},
        {"empty C++ program (the C++ runtime's start)", {EMPTY_CXX_PROGRAM}},
        {"/bin/true (starting any process)", {"/bin/true"}},
    };
    constexpr std::size_t kSet = 2;
    constexpr std::size_t kEmpty = 3;
    const bench::ProcessMedians times = bench::runInTurns("Whole processes", commands, samples);
    // The goal for set: within 1.2 times the empty C++ program.
    bench::printRatio("set / empty C++ program", times, kSet, kEmpty);

    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return 0;
}
