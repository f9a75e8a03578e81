#pragma once

// A small median timer: each sample times one call, so the figure is what one call costs
// and a few slow outliers (page faults, the scheduler) do not move it.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

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

} // namespace bench
