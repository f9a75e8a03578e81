#include "platform/card_volumes.h"
#include "platform/lsblk_volumes.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace platform {

namespace {

// The kernel's magic number for FAT file systems (MSDOS_SUPER_MAGIC).
constexpr long kFatMagic = 0x4d44;

using Clock = std::chrono::steady_clock;

// What running a program came to.
struct RunOutcome
{
    enum Kind
    {
        Exited,     // `status` is its exit status
        NotStarted, // `status` is the errno
        Signalled,  // `status` is the signal
        TimedOut,   // ended by us
    };
    Kind kind = NotStarted;
    int status = 0;
    std::string output; // its standard output
};

// Milliseconds left until `deadline`, for poll().
int millisecondsLeft(Clock::time_point deadline)
{
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    return static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 0));
}

// Ends a program that ran out of time, and everything it started. A program stuck in the
// kernel may not die at once; it is not waited for, so that it cannot hang us too.
void endProcessGroup(pid_t child)
{
    kill(-child, SIGKILL);
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (waitpid(child, nullptr, WNOHANG) != 0)
            return;
        poll(nullptr, 0, 10);
    }
}

// Runs arguments[0], found on the PATH, in a process group of its own, and collects its
// standard output. A program that has not exited within `limit` is ended.
RunOutcome runCapturing(std::vector<std::string> arguments, std::chrono::milliseconds limit)
{
    RunOutcome outcome;
    std::array<int, 2> pipeEnds{};
    if (pipe2(pipeEnds.data(), O_CLOEXEC) != 0) {
        outcome.status = errno;
        return outcome;
    }

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);

    std::vector<char *> argv;
    for (std::string &argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    pid_t child = 0;
    const int spawned = posix_spawnp(&child, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (spawned != 0) {
        close(pipeEnds[0]);
        outcome.status = spawned;
        return outcome;
    }

    const Clock::time_point deadline = Clock::now() + limit;
    std::array<char, 4096> buffer{};
    bool timedOut = false;
    for (;;) {
        pollfd readable{pipeEnds[0], POLLIN, 0};
        const int ready = poll(&readable, 1, millisecondsLeft(deadline));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready == 0) {
            timedOut = true;
            break;
        }
        const ssize_t got = ready > 0 ? read(pipeEnds[0], buffer.data(), buffer.size()) : -1;
        if (got > 0)
            outcome.output.append(buffer.data(), static_cast<std::size_t>(got));
        else if (got == 0 || errno != EINTR)
            break;
    }
    close(pipeEnds[0]);

    // Its output is complete; it may still take its time to exit.
    int status = 0;
    while (!timedOut) {
        const pid_t ended = waitpid(child, &status, WNOHANG);
        if (ended == child)
            break;
        if (ended < 0 && errno != EINTR) {
            outcome.status = errno; // reaped elsewhere: nothing to tell of its end
            return outcome;
        }
        if (millisecondsLeft(deadline) == 0)
            timedOut = true;
        else
            poll(nullptr, 0, std::min(10, millisecondsLeft(deadline)));
    }
    if (timedOut) {
        endProcessGroup(child);
        outcome.kind = RunOutcome::TimedOut;
    } else if (WIFEXITED(status)) {
        outcome.kind = RunOutcome::Exited;
        outcome.status = WEXITSTATUS(status);
    } else {
        outcome.kind = RunOutcome::Signalled;
        outcome.status = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    }
    return outcome;
}

// One line for stderr on why no card can be listed.
std::string whyNoCard(const RunOutcome &outcome, std::chrono::milliseconds limit)
{
    std::string why;
    switch (outcome.kind) {
    case RunOutcome::NotStarted:
        why = std::string("lsblk could not be run (") + std::strerror(outcome.status) + ")";
        break;
    case RunOutcome::TimedOut: {
        std::array<char, 32> seconds{};
        std::snprintf(seconds.data(), seconds.size(), "%g",
                      std::chrono::duration<double>(limit).count());
        why =
            std::string("lsblk did not finish within ") + seconds.data() + " seconds and was ended";
        break;
    }
    case RunOutcome::Signalled:
        why = "lsblk was killed by signal " + std::to_string(outcome.status);
        break;
    case RunOutcome::Exited:
        why = "lsblk failed with exit status " + std::to_string(outcome.status);
        break;
    }
    return std::string(program_invocation_short_name) + ": card scan: " + why +
           "; going on as if no card were inserted";
}

class SystemLsblkSource final : public LsblkVolumeSource
{
public:
    explicit SystemLsblkSource(std::chrono::milliseconds limit)
        : LsblkVolumeSource(systemSysfsRoot(), systemDevRoot()), limit(limit)
    {}

protected:
    std::optional<std::string> runLsblk() override
    {
        // Newest columns first: MOUNTPOINTS came with util-linux 2.37, FSVER with 2.35, and
        // lsblk refuses a column it does not know. UUID carries a FAT volume's serial.
        static constexpr std::array<const char *, 3> kColumnSets = {
            "NAME,RM,FSTYPE,FSVER,LABEL,UUID,MOUNTPOINTS",
            "NAME,RM,FSTYPE,FSVER,LABEL,UUID,MOUNTPOINT",
            "NAME,RM,FSTYPE,LABEL,UUID,MOUNTPOINT",
        };
        RunOutcome outcome;
        for (std::size_t set = workingColumnSet; set < kColumnSets.size(); ++set) {
            outcome = runCapturing({"lsblk", "--json", "--output", kColumnSets[set]}, limit);
            if (outcome.kind == RunOutcome::Exited && outcome.status == 0) {
                workingColumnSet = set;
                return std::move(outcome.output);
            }
            // Only a refused column is worth another try; a missing, crashed or hanging
            // lsblk would only do it again.
            if (outcome.kind != RunOutcome::Exited)
                break;
        }
        std::fprintf(stderr, "%s\n", whyNoCard(outcome, limit).c_str());
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
    std::chrono::milliseconds limit;
    std::size_t workingColumnSet = 0;
};

} // namespace

std::uint64_t fileSystemIdOf(const std::string &path)
{
    struct stat info = {};
    if (::stat(path.c_str(), &info) != 0)
        return 0;
    return static_cast<std::uint64_t>(info.st_dev);
}

bool waitForVolumeEvents(VolumeSource &source, int limit)
{
    pollfd readable{source.eventDescriptor(), POLLIN, 0};
    if (readable.fd < 0)
        return poll(nullptr, 0, limit) > 0;
    return poll(&readable, 1, limit) > 0;
}

std::unique_ptr<VolumeSource> CreateLsblkVolumeSource(std::chrono::milliseconds lsblkLimit)
{
    return std::make_unique<SystemLsblkSource>(lsblkLimit);
}

std::unique_ptr<VolumeSource> CreateSystemVolumeSource()
{
    return CreateLsblkVolumeSource(kLsblkTimeLimit);
}

} // namespace platform
