// Faults of the medium for tests, preloaded (LD_PRELOAD) into a test or the programs it runs.
// On tmpfs every fsync succeeds and every read returns what was written; this library makes
// the medium misbehave for the files a test names, through the environment, read at each call
// so that a test can change it between steps:
//   VELOMAR_FAULT_FSYNC_EIO    fsync/fdatasync of a matching file or folder fails with EIO
//   VELOMAR_FAULT_READ_FLIP    read() of a matching file returns its first byte inverted
//   VELOMAR_FAULT_RECORD       a file to which "fsync PATH" and "rename FROM TO" are appended
//   VELOMAR_FAULT_SIGINT_ON_FSYNC  fsync of a matching file first sends the process SIGINT, as
//                              a person pressing Ctrl-C while a card is written
//   VELOMAR_FAULT_PULL_ON_RENAME  "PATTERN|FOLDER": once a file is renamed to a matching path,
//                              the file system mounted on FOLDER is unmounted, as when another
//                              card is pulled out during this write (root only)
// The first two take a shell pattern (fnmatch) matched against the absolute path. Anything
// unset leaves the call alone. tests/support/fault_injection.h sets these for a test.

#include <csignal>
#include <dlfcn.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

template <typename Function> Function next(const char *name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

std::string pathOf(int fd)
{
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    char target[PATH_MAX];
    const ssize_t length = readlink(link, target, sizeof target - 1);
    return length > 0 ? std::string(target, static_cast<std::size_t>(length)) : std::string();
}

bool matches(const char *variable, const std::string &path)
{
    const char *pattern = std::getenv(variable);
    return pattern && *pattern && !path.empty() && fnmatch(pattern, path.c_str(), 0) == 0;
}

// Appends one line; written with the real write(), which is not interposed.
void record(const std::string &line)
{
    const char *file = std::getenv("VELOMAR_FAULT_RECORD");
    if (!file || !*file)
        return;
    const int saved = errno;
    const int fd = open(file, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd >= 0) {
        const std::string text = line + "\n";
        [[maybe_unused]] const ssize_t written = write(fd, text.data(), text.size());
        close(fd);
    }
    errno = saved;
}

std::string absolute(const char *path)
{
    if (path[0] == '/')
        return path;
    char folder[PATH_MAX];
    return getcwd(folder, sizeof folder) ? std::string(folder) + "/" + path : std::string(path);
}

int syncing(int fd, const char *name)
{
    using Sync = int (*)(int);
    static const Sync realFsync = next<Sync>("fsync");
    static const Sync realFdatasync = next<Sync>("fdatasync");
    const std::string path = pathOf(fd);
    record(std::string(name) + " " + path);
    if (matches("VELOMAR_FAULT_SIGINT_ON_FSYNC", path))
        kill(getpid(), SIGINT);
    if (matches("VELOMAR_FAULT_FSYNC_EIO", path)) {
        errno = EIO;
        return -1;
    }
    return (std::strcmp(name, "fsync") == 0 ? realFsync : realFdatasync)(fd);
}

} // namespace

extern "C" {

// Looked up by tests to make sure the faults they ask for can happen.
__attribute__((visibility("default"))) int velomar_fault_injector_loaded = 1;

int fsync(int fd)
{
    return syncing(fd, "fsync");
}

int fdatasync(int fd)
{
    return syncing(fd, "fdatasync");
}

ssize_t read(int fd, void *buffer, size_t count)
{
    using Read = ssize_t (*)(int, void *, size_t);
    static const Read realRead = next<Read>("read");
    const char *pattern = std::getenv("VELOMAR_FAULT_READ_FLIP");
    if (!pattern || !*pattern)
        return realRead(fd, buffer, count);
    // Only a read from the file's start: pipes and sockets (no position) are left alone.
    const int saved = errno;
    const off_t at = lseek(fd, 0, SEEK_CUR);
    errno = saved;
    const ssize_t got = realRead(fd, buffer, count);
    const int readError = errno;
    if (got > 0 && at == 0 && matches("VELOMAR_FAULT_READ_FLIP", pathOf(fd)))
        static_cast<unsigned char *>(buffer)[0] ^= 0xFF;
    errno = readError;
    return got;
}

int rename(const char *from, const char *to)
{
    using Rename = int (*)(const char *, const char *);
    static const Rename realRename = next<Rename>("rename");
    const int result = realRename(from, to);
    if (result != 0)
        return result;
    record("rename " + absolute(from) + " " + absolute(to));
    const char *pull = std::getenv("VELOMAR_FAULT_PULL_ON_RENAME");
    const char *bar = pull ? std::strchr(pull, '|') : nullptr;
    if (bar && fnmatch(std::string(pull, bar).c_str(), absolute(to).c_str(), 0) == 0) {
        const int saved = errno;
        umount2(bar + 1, MNT_DETACH);
        errno = saved;
    }
    return result;
}

} // extern "C"
