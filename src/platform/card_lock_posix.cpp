#include "platform/card_lock.h"

#include "platform/card_volumes.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform {

CardLock::CardLock(const std::string &root, std::chrono::milliseconds patience)
{
    // The folder itself, never a link put in its place.
    const int descriptor =
        open(cardFolder(root).c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (descriptor < 0)
        return;
    const auto deadline = std::chrono::steady_clock::now() + patience;
    for (;;) {
        if (flock(descriptor, LOCK_EX | LOCK_NB) == 0) {
            folder = descriptor;
            return;
        }
        if ((errno != EWOULDBLOCK && errno != EINTR) ||
            std::chrono::steady_clock::now() >= deadline)
            break;
        // flock() has no time limit of its own; the other writer needs milliseconds.
        poll(nullptr, 0, 20);
    }
    close(descriptor);
}

CardLock::~CardLock()
{
    if (folder >= 0)
        close(folder);
}

bool CardLock::held() const
{
    return folder >= 0;
}

} // namespace platform
