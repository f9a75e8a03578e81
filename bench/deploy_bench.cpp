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
    // kestra-cfg takes each folder with --folder; deploy_by_hand takes the paths alone.
    auto withCards = [&](std::vector<std::string> arguments, const char *option) {
        for (const std::string &card : cards) {
            if (option)
                arguments.push_back(option);
            arguments.push_back(card);
        }
        return arguments;
    };

    const std::vector<bench::NamedCommand> commands{
        {"kestra-cfg deploy SETTINGS --folder DIR x 20",
         withCards({KESTRA_CFG, "deploy", settings}, "--folder")},
        {"by hand: write, fsync, rename x 20", withCards({DEPLOY_BY_HAND, settings}, nullptr)},
        {"empty C++ program", {EMPTY_CXX_PROGRAM}},
    };
    const std::string title = "Whole processes, " + std::to_string(kCards) + " card folders in " +
                              folder.parent_path().string();
    const bench::ProcessMedians times = bench::runInTurns(title.c_str(), commands, samples);
    // The goal: within 1.5 times the writes by hand.
    bench::printRatio("deploy / by hand", times, 0, 1);

    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return 0;
}
