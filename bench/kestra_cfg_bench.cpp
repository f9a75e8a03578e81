// Median wall time of "kestra-cfg show FILE" as a whole process (fork, exec, run, exit),
// next to a process that does nothing, on a settings file in a memory file system.
#include "bench_timer.h"

#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

void runToEnd(std::vector<std::string> arguments)
{
    std::vector<char *> argv;
    for (std::string &argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        std::perror(argv[0]);
        std::exit(1);
    }
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s did not succeed\n", argv[0]);
        std::exit(1);
    }
}

} // namespace

int main()
{
    const std::filesystem::path folder = bench::memoryFolder("kestra-cfg-bench");
    const std::string file = (folder / "Kestra.cfg").string();
    runToEnd({KESTRA_CFG, "factory", file});

    // The commands take turns, so that a change in the machine's load hits all of them alike.
    const std::vector<std::pair<const char *, std::vector<std::string>>> commands{
        {"kestra-cfg show FILE", {KESTRA_CFG, "show", file}},
        {"kestra-cfg show --json FILE", {KESTRA_CFG, "show", "--json", file}},
        {"empty C++ program (the C++ runtime's start)", {EMPTY_CXX_PROGRAM}},
        {"/bin/true (starting any process)", {"/bin/true"}},
    };
    constexpr int kSamples = 50;
    std::vector<std::vector<double>> times(commands.size());
    for (int i = 0; i < kSamples + 5; ++i) {
        for (std::size_t c = 0; c < commands.size(); ++c) {
            const auto start = std::chrono::steady_clock::now();
            runToEnd(commands[c].second);
            const auto end = std::chrono::steady_clock::now();
            if (i >= 5) // the first rounds only warm the page cache
                times[c].push_back(std::chrono::duration<double, std::micro>(end - start).count());
        }
    }

    double load[1] = {0};
    ::getloadavg(load, 1);
    std::printf("Whole processes, median of %d runs each (load average %.2f)\n", kSamples, load[0]);
    for (std::size_t c = 0; c < commands.size(); ++c) {
        auto &t = times[c];
        std::nth_element(t.begin(), t.begin() + std::ptrdiff_t(t.size() / 2), t.end());
        bench::report(commands[c].first, t[t.size() / 2]);
    }

    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return 0;
}
