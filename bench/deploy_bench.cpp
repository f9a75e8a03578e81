// kestra-cfg deploy to 20 card folders on a memory file system, as a whole process, next to a
// program that writes the same bytes by hand (deploy_by_hand: write, fsync and rename per card)
// and next to an empty C++ program. The three take turns, so that a change in the machine's
// load hits all alike.
#include "bench_timer.h"

#include <fstream>

int main(int argc, char **argv)
{
    const int samples = argc > 1 ? std::atoi(argv[1]) : 50;
    constexpr int kCards = 20;
    const std::filesystem::path folder = bench::memoryFolder("deploy-bench");
    const std::string settings = (folder / "base.cfg").string();
    bench::runProcess({KESTRA_CFG, "factory", settings});
    std::vector<std::string> cards;
    for (int i = 1; i <= kCards; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "card%02d", i);
        cards.push_back((folder / name).string());
        std::filesystem::create_directory(cards.back());
    }
    auto withCards = [&](std::vector<std::string> arguments) {
        arguments.insert(arguments.end(), cards.begin(), cards.end());
        return arguments;
    };

    const std::vector<std::pair<const char *, std::vector<std::string>>> commands{
        {"kestra-cfg deploy SETTINGS CARD x 20", withCards({KESTRA_CFG, "deploy", settings})},
        {"by hand: write, fsync, rename x 20", withCards({DEPLOY_BY_HAND, settings})},
        {"empty C++ program", {EMPTY_CXX_PROGRAM}},
    };
    std::vector<std::vector<std::string>> lines;
    for (const auto &command : commands)
        lines.push_back(command.second);
    const bench::ProcessMedians times = bench::runInTurns(lines, samples);

    double load[1] = {0};
    ::getloadavg(load, 1);
    std::printf("Whole processes, %d card folders on %s, median of %d runs each (load average "
                "%.2f)\n",
                kCards, folder.parent_path().c_str(), samples, load[0]);
    std::printf("  %-44s %10s %10s\n", "", "wall us", "CPU us");
    for (std::size_t c = 0; c < commands.size(); ++c)
        std::printf("  %-44s %10.0f %10.0f\n", commands[c].first, times.wall[c], times.cpu[c]);
    // The goal: within 1.5 times the writes by hand.
    std::printf("  %-44s %9.2fx %9.2fx\n", "deploy / by hand", times.wall[0] / times.wall[1],
                times.cpu[0] / times.cpu[1]);

    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return 0;
}
