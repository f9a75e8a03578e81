#include "platform/card_volumes.h"
#include "platform/lsblk_volumes.h"

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <spawn.h>
#include <sys/statfs.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace platform {

namespace {

// The kernel's magic number for FAT file systems (MSDOS_SUPER_MAGIC).
constexpr long kFatMagic = 0x4d44;

// Runs arguments[0], found on the PATH, and returns its standard output when it exits with 0.
std::optional<std::string> captureOutput(std::vector<std::string> arguments)
{
    std::array<int, 2> pipeEnds{};
    if (pipe2(pipeEnds.data(), O_CLOEXEC) != 0)
        return std::nullopt;

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);

    std::vector<char *> argv;
    for (std::string &argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    pid_t child = 0;
    const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (spawned != 0) {
        close(pipeEnds[0]);
        return std::nullopt;
    }

    std::string output;
    std::array<char, 4096> buffer{};
    for (;;) {
        const ssize_t got = read(pipeEnds[0], buffer.data(), buffer.size());
        if (got > 0)
            output.append(buffer.data(), static_cast<std::size_t>(got));
        else if (got == 0 || errno != EINTR)
            break;
    }
    close(pipeEnds[0]);

    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            return std::nullopt;
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return output;
}

class SystemLsblkSource final : public LsblkVolumeSource
{
protected:
    std::optional<std::string> runLsblk() override
    {
        // Newest columns first: MOUNTPOINTS came with util-linux 2.37, FSVER with 2.35, and
        // lsblk refuses a column it does not know.
        static constexpr std::array<const char *, 3> kColumnSets = {
            "NAME,RM,HOTPLUG,FSTYPE,FSVER,LABEL,MOUNTPOINTS",
            "NAME,RM,HOTPLUG,FSTYPE,FSVER,LABEL,MOUNTPOINT",
            "NAME,RM,HOTPLUG,FSTYPE,LABEL,MOUNTPOINT",
        };
        for (std::size_t set = workingColumnSet; set < kColumnSets.size(); ++set) {
            if (auto output = captureOutput({"lsblk", "--json", "--output", kColumnSets[set]})) {
                workingColumnSet = set;
                return output;
            }
        }
        return std::nullopt;
    }

    std::optional<std::uint64_t> fatClusterCount(const std::string &mountPoint) override
    {
        struct statfs info = {};
        if (statfs(mountPoint.c_str(), &info) != 0 || info.f_type != kFatMagic)
            return std::nullopt;
        // The FAT driver reports its data clusters as the file system's blocks.
        return static_cast<std::uint64_t>(info.f_blocks);
    }

private:
    std::size_t workingColumnSet = 0;
};

} // namespace

std::unique_ptr<VolumeSource> CreateSystemVolumeSource()
{
    return std::make_unique<SystemLsblkSource>();
}

} // namespace platform
