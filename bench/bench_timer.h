#pragma once

// A small median timer: each sample times one call, so the figure is what one call costs
// and a few slow outliers (page faults, the scheduler) do not move it.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char **environ;

namespace bench {

template <typename Function> double medianMicroseconds(int samples, Function &&function)
{
    for (int i = 0; i < samples / 10 + 1; ++i) // warm the caches and the page cache
        function();
    std::vector<double> times;
    times.reserve(static_cast<std::size_t>(samples));
    for (int i = 0; i < samples; ++i) {
        const auto start = std::chrono::steady_clock::now();
        function();
        const auto end = std::chrono::steady_clock::now();
        times.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    }
    const auto middle = times.begin() + static_cast<std::ptrdiff_t>(times.size() / 2);
    std::nth_element(times.begin(), middle, times.end());
    return *middle;
}

inline void report(const char *what, double microseconds)
{
    std::printf("  %-52s %10.2f us\n", what, microseconds);
}

// A fresh folder on a memory file system (/dev/shm where there is one), so that a flush to
// the medium costs nothing and the figures are the program's own cost.
inline std::filesystem::path memoryFolder(const char *name)
{
    const std::filesystem::path root = std::filesystem::is_directory("/dev/shm")
                                           ? std::filesystem::path("/dev/shm")
                                           : std::filesystem::temp_directory_path();
    std::string pattern = (root / (std::string(name) + "-XXXXXX")).string();
    if (!::mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        std::exit(1);
    }
    return pattern;
}

// One run of a whole process (spawn, run, exit): its wall time, and the CPU time it used (user
// + system, from wait4), which a loaded machine does not inflate. Its output goes nowhere; a
// run that does not succeed ends the benchmark.
struct ProcessTimes
{
    double wall = 0; // microseconds
    double cpu = 0;
};

inline ProcessTimes runProcess(std::vector<std::string> arguments)
{
    std::vector<char *> argv;
    for (std::string &argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        std::perror(argv[0]);
        std::exit(1);
    }
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    rusage usage{};
    if (::wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s did not succeed\n", argv[0]);
        std::exit(1);
    }
    const auto end = std::chrono::steady_clock::now();
    auto micro = [](const timeval &t) { return double(t.tv_sec) * 1e6 + double(t.tv_usec); };
    return {std::chrono::duration<double, std::micro>(end - start).count(),
            micro(usage.ru_utime) + micro(usage.ru_stime)};
}

inline double median(std::vector<double> values)
{
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

// The medians of runInTurns(), one a command, in microseconds.
struct ProcessMedians
{
    std::vector<double> wall;
    std::vector<double> cpu;
};

// A command for runInTurns(): what the table calls it, and its program and arguments.
using NamedCommand = std::pair<const char *, std::vector<std::string>>;

// Runs each command `samples` times as a whole process, the commands taking turns so that a
// change in the machine's load hits all alike (the first five rounds only warm the page
// cache), and prints the median wall and CPU time of each under `title`.
inline ProcessMedians runInTurns(const char *title, const std::vector<NamedCommand> &commands,
                                 int samples)
{
    std::vector<std::vector<double>> wall(commands.size()), cpu(commands.size());
    for (int i = 0; i < samples + 5; ++i) {
        for (std::size_t c = 0; c < commands.size(); ++c) {
            const ProcessTimes times = runProcess(commands[c].second);
            if (i >= 5) {
                wall[c].push_back(times.wall);
                cpu[c].push_back(times.cpu);
            }
        }
    }
    double load[1] = {0};
    ::getloadavg(load, 1);
    std::printf("%s, median of %d runs each (load average %.2f)\n", title, samples, load[0]);
    std::printf("  %-52s %10s %10s\n", "", "wall us", "CPU us");
    ProcessMedians medians;
    for (std::size_t c = 0; c < commands.size(); ++c) {
        medians.wall.push_back(median(wall[c]));
        medians.cpu.push_back(median(cpu[c]));
        std::printf("  %-52s %10.0f %10.0f\n", commands[c].first, medians.wall[c], medians.cpu[c]);
    }
    return medians;
}

// A line of the table: how many times command `a` takes of command `b`.
inline void printRatio(const char *what, const ProcessMedians &times, std::size_t a, std::size_t b)
{
    std::printf("  %-52s %9.2fx %9.2fx\n", what, times.wall[a] / times.wall[b],
                times.cpu[a] / times.cpu[b]);
}

} // namespace bench
