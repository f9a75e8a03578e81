#pragma once

// One writer a card at a time: the editor and kestra-cfg deploy each hold the card's lock while
// they make sure that the card in the reader is the one they mean, and write to it.

#include <chrono>
#include <string>

namespace platform {

// How long a writer waits for another to finish with the same card. Writing a settings file
// takes a moment; a writer that holds the card longer is stuck.
inline constexpr std::chrono::milliseconds kCardLockPatience{5000};

// The lock of the card mounted at `root` ("E:", "/media/user/TRAIL"), taken on construction and
// given back on destruction, or when the process ends. On POSIX an flock() on the card's
// VELOMAR folder, so that nothing is left on the card; on Windows a named mutex for the volume,
// which the thread that holds it would get again: one lock a card per thread.
class CardLock
{
public:
    explicit CardLock(const std::string &root,
                      std::chrono::milliseconds patience = kCardLockPatience);
    ~CardLock();
    CardLock(const CardLock &) = delete;
    CardLock &operator=(const CardLock &) = delete;

    // False when there is no card folder (POSIX) or no volume (Windows) at the root, or when
    // another writer kept the card for longer than `patience`.
    bool held() const;

private:
#ifdef _WIN32
    void *mutex = nullptr;
#else
    int folder = -1;
#endif
};

} // namespace platform
