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
    const std::vector<std::pair<const char *, std::vector<std::string>>> commands{
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
    std::vector<std::vector<std::string>> lines;
    for (const auto &command : commands)
        lines.push_back(command.second);
    const bench::ProcessMedians times = bench::runInTurns(lines, samples);

    double load[1] = {0};
    ::getloadavg(load, 1);
    std::printf("Whole processes, median of %d runs each (load average %.2f)\n", samples, load[0]);
    std::printf("  %-52s %10s %10s\n", "", "wall us", "CPU us");
    for (std::size_t c = 0; c < commands.size(); ++c)
        std::printf("  %-52s %10.0f %10.0f\n", commands[c].first, times.wall[c], times.cpu[c]);
    // The goal for set: within 1.2 times the empty C++ program.
    std::printf("  %-52s %9.2fx %9.2fx\n", "set / empty C++ program",
                times.wall[kSet] / times.wall[kEmpty], times.cpu[kSet] / times.cpu[kEmpty]);

    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return 0;
}
