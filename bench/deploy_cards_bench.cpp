// kestra-cfg deploy --all-cards onto 20 and 200 cards, as a whole process, next to
// write_cards_by_hand: the system calls of a safe write (temporary file, write, fsync, rename,
// fsync of the folder, read-back) into the same folders. The cards are folders that a fake
// lsblk lists as mounted removable FAT32 volumes, with udev's links to their serials in a fake
// /dev; no UDisks2 answers. The two take turns, so that a change in the machine's load hits
// both alike.
// deploy_cards_bench [RUNS] [--memory]: RUNS of each (default 20); the cards on the build
// machine's disk, where the flushes count as on a card, or with --memory on /dev/shm, where
// they cost nothing and the figure is the programs' own cost.
#include "bench_timer.h"

#include <cstring>
#include <fstream>
#include <string>

namespace {

std::filesystem::path diskFolder(const char *name)
{
    std::string pattern =
        (std::filesystem::temp_directory_path() / (std::string(name) + "-XXXXXX")).string();
    if (!::mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        std::exit(1);
    }
    return pattern;
}

// `cards` card folders under `world`, the fake lsblk that lists them first on the PATH, and
// their serials' links under world/dev. Returns the folders.
std::vector<std::string> makeCards(const std::filesystem::path &world, int cards)
{
    std::filesystem::create_directories(world / "bin");
    std::filesystem::create_directories(world / "dev/disk/by-uuid");
    std::vector<std::string> folders;
    std::string json = "{\"blockdevices\": [";
    for (int i = 0; i < cards; ++i) {
        char serial[16];
        std::snprintf(serial, sizeof serial, "C0DE-%04X", i);
        const std::string name = "sd" + std::to_string(i);
        folders.push_back((world / ("card" + std::to_string(i))).string());
        std::filesystem::create_directory(folders.back());
        std::filesystem::create_symlink("../../" + name + "1", world / "dev/disk/by-uuid" / serial);
        json += std::string(i ? "," : "") + "{\"name\": \"" + name +
                "\", \"rm\": true, \"children\": [{\"name\": \"" + name +
                "1\", \"rm\": true, \"fstype\": \"vfat\", \"fsver\": \"FAT32\", \"label\": "
                "\"CARD\", \"uuid\": \"" +
                serial + "\", \"mountpoints\": [\"" + folders.back() + "\"]}]}";
    }
    std::ofstream(world / "lsblk.json") << json << "]}\n";
    const std::filesystem::path lsblk = world / "bin/lsblk";
    std::ofstream(lsblk) << "#!/bin/sh\nexec cat '" << (world / "lsblk.json").string() << "'\n";
    std::filesystem::permissions(lsblk, std::filesystem::perms::owner_all);
    return folders;
}

} // namespace

int main(int argc, char **argv)
{
    const int samples = argc > 1 && std::strcmp(argv[1], "--memory") != 0 ? std::atoi(argv[1]) : 20;
    const bool memory = std::strcmp(argv[argc - 1], "--memory") == 0;
    const char *where = memory ? "/dev/shm" : "the disk";
    for (const int count : {20, 200}) {
        const std::filesystem::path world =
            memory ? bench::memoryFolder("deploy-cards") : diskFolder("deploy-cards");
        const std::vector<std::string> cards = makeCards(world, count);
        const std::string settings = (world / "base.cfg").string();
        bench::runProcess({KESTRA_CFG, "factory", settings});
        const std::string path = (world / "bin").string() + ":" + std::getenv("PATH");
        ::setenv("PATH", path.c_str(), 1);
        ::setenv("VELOMAR_DEV_ROOT", (world / "dev").c_str(), 1);
        ::setenv("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + (world / "no-bus").string()).c_str(),
                 1);

        std::vector<std::string> byHand{WRITE_CARDS_BY_HAND, settings};
        byHand.insert(byHand.end(), cards.begin(), cards.end());
        const std::vector<bench::NamedCommand> commands{
            {"kestra-cfg deploy SETTINGS --all-cards",
             {KESTRA_CFG, "deploy", settings, "--all-cards"}},
            {"by hand: the safe write's system calls", byHand},
        };
        const std::string title = std::to_string(count) + " cards on " + where;
        const bench::ProcessMedians times = bench::runInTurns(title.c_str(), commands, samples);
        // The goal: within 1.3 times the system calls by hand at 200 cards.
        bench::printRatio("deploy / by hand", times, 0, 1);

        std::error_code ignored;
        std::filesystem::remove_all(world, ignored);
    }
    return 0;
}
