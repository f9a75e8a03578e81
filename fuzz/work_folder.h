#pragma once

// A private folder for fuzz targets that go through files, on a memory file system where there
// is one, so that flushing to the medium costs nothing; removed when the fuzzer exits.

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

inline const std::filesystem::path &FuzzWorkFolder()
{
    static const std::filesystem::path folder = [] {
        std::string pattern = (std::filesystem::exists("/dev/shm")
                                   ? std::string("/dev/shm")
                                   : std::filesystem::temp_directory_path().string()) +
                              "/velomar-fuzz-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            std::abort();
        return std::filesystem::path(pattern);
    }();
    static const bool cleanup = [] {
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(folder, ignored);
        });
        return true;
    }();
    (void)cleanup;
    return folder;
}
