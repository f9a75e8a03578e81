// Start-up of the editor against a minimal Qt program: the time from starting the process to
// its sheet being on screen, and the peak resident memory of the whole run.
//
// Both run on the offscreen platform with VELOMAR_REPORT_SHOWN=quit, so each prints
// "shown <monotonic seconds> <caption>" once its dialog is painted and then closes it. The
// editor runs read-only (no card prompt) in an empty working folder. The two take turns, so
// that a change in the machine's load hits both alike.
//
// startup_bench [runs]   (default 30 runs of each)
#include "bench_timer.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>

extern char **environ;

namespace {

struct Run
{
    double shownMs = 0;  // process start to "shown"
    double exitedMs = 0; // process start to its exit
    long peakRssKiB = 0; // ru_maxrss of the child
};

std::vector<std::string> childEnvironment(const std::string &runtimeFolder)
{
    std::vector<std::string> environment;
    for (char **entry = environ; *entry; ++entry) {
        const std::string_view text(*entry);
        if (text.starts_with("QT_QPA_PLATFORM=") || text.starts_with("VELOMAR_REPORT_SHOWN=") ||
            text.starts_with("XDG_RUNTIME_DIR=") || text.starts_with("QT_SCALE_FACTOR="))
            continue;
        environment.emplace_back(text);
    }
    environment.emplace_back("QT_QPA_PLATFORM=offscreen");
    environment.emplace_back("VELOMAR_REPORT_SHOWN=quit");
    environment.push_back("XDG_RUNTIME_DIR=" + runtimeFolder);
    return environment;
}

Run runOnce(std::vector<std::string> arguments, std::vector<std::string> &environment)
{
    std::vector<char *> argv;
    for (std::string &argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    std::vector<char *> envp;
    for (std::string &entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);

    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0) {
        std::perror("pipe2");
        std::exit(1);
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);

    Run run;
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) {
        std::perror(argv[0]);
        std::exit(1);
    }
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);

    std::string output;
    char buffer[512];
    for (;;) {
        const ssize_t got = ::read(pipeEnds[0], buffer, sizeof buffer);
        if (got > 0)
            output.append(buffer, static_cast<std::size_t>(got));
        else if (got == 0 || errno != EINTR)
            break;
    }
    ::close(pipeEnds[0]);

    int status = 0;
    rusage usage{};
    if (::wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s did not end normally\n", argv[0]);
        std::exit(1);
    }
    run.exitedMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    run.peakRssKiB = usage.ru_maxrss;

    // The child's clock is the same monotonic clock as ours.
    double shownSeconds = 0;
    if (std::sscanf(output.c_str(), "shown %lf", &shownSeconds) != 1) {
        std::fprintf(stderr, "%s never reported its dialog shown\n", argv[0]);
        std::exit(1);
    }
    const double startSeconds = std::chrono::duration<double>(start.time_since_epoch()).count();
    run.shownMs = (shownSeconds - startSeconds) * 1000.0;
    return run;
}

template <typename T> T median(std::vector<T> values)
{
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

struct Summary
{
    double shownMs;
    double exitedMs;
    double peakRssMiB;
};

Summary summarise(const std::vector<Run> &runs)
{
    std::vector<double> shown, exited;
    std::vector<long> rss;
    for (const Run &run : runs) {
        shown.push_back(run.shownMs);
        exited.push_back(run.exitedMs);
        rss.push_back(run.peakRssKiB);
    }
    return {median(shown), median(exited), static_cast<double>(median(rss)) / 1024.0};
}

} // namespace

int main(int argc, char **argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;

    // An empty working folder: no carrier list, no guide; the editor runs read-only.
    const std::filesystem::path folder = bench::memoryFolder("startup-bench");
    const std::filesystem::path runtime = folder / "runtime";
    std::filesystem::create_directory(runtime);
    std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
    std::filesystem::create_directory(folder / "work");
    if (::chdir((folder / "work").c_str()) != 0) {
        std::perror("chdir");
        return 1;
    }
    std::vector<std::string> environment = childEnvironment(runtime.string());

    const std::vector<std::string> editor{VELOMAR_SETTINGS, "-rdonly"};
    const std::vector<std::string> minimal{MINIMAL_SHEET};
    std::vector<Run> editorRuns, minimalRuns;
    constexpr int kWarmUp = 3; // the first runs only fill the page cache
    for (int i = 0; i < runs + kWarmUp; ++i) {
        const Run m = runOnce(minimal, environment);
        const Run e = runOnce(editor, environment);
        if (i >= kWarmUp) {
            minimalRuns.push_back(m);
            editorRuns.push_back(e);
        }
    }

    const Summary e = summarise(editorRuns);
    const Summary m = summarise(minimalRuns);
    double load[1] = {0};
    ::getloadavg(load, 1);
    std::printf("Start-up, offscreen platform, median of %d runs each (load average %.2f)\n", runs,
                load[0]);
    std::printf("  %-34s %12s %12s %14s\n", "", "to shown", "to exit", "peak RSS");
    std::printf("  %-34s %9.1f ms %9.1f ms %10.1f MiB\n", "velomar-settings -rdonly", e.shownMs,
                e.exitedMs, e.peakRssMiB);
    std::printf("  %-34s %9.1f ms %9.1f ms %10.1f MiB\n", "minimal five-tab dialog", m.shownMs,
                m.exitedMs, m.peakRssMiB);
    std::printf("  %-34s %11.2fx %11.2fx %13.2fx\n", "editor / minimal", e.shownMs / m.shownMs,
                e.exitedMs / m.exitedMs, e.peakRssMiB / m.peakRssMiB);
    std::printf("Goals: time to shown within 1.5x, peak RSS within 1.3x\n");

    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return 0;
}
