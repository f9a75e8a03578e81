#include "native_file.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace platform {

FileErrorCause causeFromSystemError(int code)
{
    switch (code) {
    case 0:
        return FileErrorCause::None;
    case ENOENT:
    case ENOTDIR:
        return FileErrorCause::NotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
    case ETXTBSY:
    case ELOOP: // a symbolic link where none is followed
        return FileErrorCause::AccessDenied;
    case EROFS:
        return FileErrorCause::ReadOnlyMedium;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return FileErrorCause::DiskFull;
    case EIO:
    case ENXIO:
    case ENODEV:
        return FileErrorCause::IoError;
    default:
        return FileErrorCause::Other;
    }
}

NativeFile::~NativeFile()
{
    if (fd >= 0)
        ::close(fd);
}

NativeFile::NativeFile(NativeFile &&other) noexcept : fd(std::exchange(other.fd, -1)) {}

NativeFile &NativeFile::operator=(NativeFile &&other) noexcept
{
    if (this != &other) {
        if (fd >= 0)
            ::close(fd);
        fd = std::exchange(other.fd, -1);
    }
    return *this;
}

bool NativeFile::isOpen() const
{
    return fd >= 0;
}

static int openRetrying(const char *path, int flags, mode_t mode)
{
    int result;
    do {
        result = ::open(path, flags | O_CLOEXEC, mode);
    } while (result < 0 && errno == EINTR);
    return result;
}

NativeFile NativeFile::openForReading(const std::filesystem::path &path, FileErrorCause &cause)
{
    NativeFile file;
    file.fd = openRetrying(path.c_str(), O_RDONLY, 0);
    cause = file.fd < 0 ? causeFromSystemError(errno) : FileErrorCause::None;
    if (file.fd >= 0) {
        // A folder opens fine for reading on POSIX but is not a file we can read.
        struct stat info;
        if (::fstat(file.fd, &info) == 0 && S_ISDIR(info.st_mode)) {
            file = NativeFile();
            cause = FileErrorCause::AccessDenied;
        }
    }
    return file;
}

static mode_t currentUmask()
{
    // umask can only be read by setting it; put it back at once.
    mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

NativeFile NativeFile::createBeside(const std::filesystem::path &target,
                                    std::filesystem::path &created, FileErrorCause &cause)
{
    const std::string suffix = kTemporarySuffix;
    const std::string pattern =
        target.string() + kTemporaryMarker + std::to_string(::getpid()) + "-XXXXXX" + suffix;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        NativeFile file;
        file.fd = ::mkostemps(buffer.data(), static_cast<int>(suffix.size()), O_CLOEXEC);
        if (file.fd < 0) {
            cause = causeFromSystemError(errno);
            return file;
        }
        // The lock tells the leftover clean-up of another save that this file is in use. Until
        // it is taken, that clean-up may have taken the new file for a leftover: it then holds
        // the file itself, or has removed it already, and another name is tried.
        if (::flock(file.fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            file = NativeFile();
            if (error == EWOULDBLOCK)
                continue;
            ::unlink(buffer.data());
            cause = causeFromSystemError(error);
            return file;
        }
        struct stat mine, named;
        if (::fstat(file.fd, &mine) != 0 || ::stat(buffer.data(), &named) != 0 ||
            mine.st_dev != named.st_dev || mine.st_ino != named.st_ino)
            continue;
        created = buffer.data();
        // mkstemp makes the file private; give it the permissions a plainly created file (or
        // the file it replaces) would have.
        struct stat old;
        mode_t mode =
            ::stat(target.c_str(), &old) == 0 ? (old.st_mode & 07777) : (0666 & ~currentUmask());
        ::fchmod(file.fd, mode);
        cause = FileErrorCause::None;
        return file;
    }
    cause = FileErrorCause::Other;
    return NativeFile();
}

NativeFile NativeFile::openForRewriting(const std::filesystem::path &path, FileErrorCause &cause)
{
    NativeFile file;
    file.fd = openRetrying(path.c_str(), O_RDWR | O_NOFOLLOW, 0);
    cause = file.fd < 0 ? causeFromSystemError(errno) : FileErrorCause::None;
    return file;
}

NativeFile NativeFile::createOrTruncate(const std::filesystem::path &path, FileErrorCause &cause)
{
    NativeFile file;
    file.fd = openRetrying(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    cause = file.fd < 0 ? causeFromSystemError(errno) : FileErrorCause::None;
    return file;
}

std::ptrdiff_t NativeFile::read(std::span<std::uint8_t> buffer, FileErrorCause &cause)
{
    std::size_t done = 0;
    while (done < buffer.size()) {
        ssize_t n = ::read(fd, buffer.data() + done, buffer.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            cause = causeFromSystemError(errno);
            return -1;
        }
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    cause = FileErrorCause::None;
    return static_cast<std::ptrdiff_t>(done);
}

bool NativeFile::writeAll(std::span<const std::uint8_t> bytes, FileErrorCause &cause)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            cause = causeFromSystemError(errno);
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    cause = FileErrorCause::None;
    return true;
}

bool NativeFile::flushToMedium(FileErrorCause &cause)
{
    if (::fsync(fd) != 0) {
        cause = causeFromSystemError(errno);
        return false;
    }
    // Drop the now clean cached pages, so that a read after the flush shows what the medium
    // holds rather than what we asked it to hold.
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    cause = FileErrorCause::None;
    return true;
}

bool NativeFile::resize(std::uint64_t size, FileErrorCause &cause)
{
    int result;
    do {
        result = ::ftruncate(fd, static_cast<off_t>(size));
    } while (result != 0 && errno == EINTR);
    cause = result != 0 ? causeFromSystemError(errno) : FileErrorCause::None;
    return result == 0;
}

bool NativeFile::rewind(FileErrorCause &cause)
{
    const bool moved = ::lseek(fd, 0, SEEK_SET) == 0;
    cause = moved ? FileErrorCause::None : causeFromSystemError(errno);
    return moved;
}

bool NativeFile::close(FileErrorCause &cause)
{
    int result = ::close(std::exchange(fd, -1));
    // Linux closes the descriptor even when close reports an error; never retry.
    if (result != 0 && errno != EINTR) {
        cause = causeFromSystemError(errno);
        return false;
    }
    cause = FileErrorCause::None;
    return true;
}

bool replaceFile(const std::filesystem::path &from, const std::filesystem::path &to,
                 FileErrorCause &cause)
{
    if (::rename(from.c_str(), to.c_str()) != 0) {
        cause = causeFromSystemError(errno);
        return false;
    }
    // The new name must reach the medium too, or a pulled card may come back with the old one.
    std::filesystem::path folder = to.parent_path();
    if (folder.empty())
        folder = ".";
    int dir = openRetrying(folder.c_str(), O_RDONLY | O_DIRECTORY, 0);
    if (dir >= 0) {
        int result = ::fsync(dir);
        int error = errno;
        ::close(dir);
        // Some file systems cannot sync a folder at all; that is not a failure of the medium.
        if (result != 0 && error != EINVAL && error != ENOTSUP) {
            cause = causeFromSystemError(error);
            return false;
        }
    }
    cause = FileErrorCause::None;
    return true;
}

bool moveIntoPlace(NativeFile &file, const std::filesystem::path &from,
                   const std::filesystem::path &to, FileErrorCause &cause)
{
    // Renamed while still open and locked; closing it gives up the lock.
    return replaceFile(from, to, cause) && file.close(cause);
}

void removeFileQuietly(const std::filesystem::path &path)
{
    ::unlink(path.c_str());
}

bool removeUnusedTemporary(const std::filesystem::path &path)
{
    const int fd = openRetrying(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK, 0);
    if (fd < 0)
        return false;
    // The save that made it holds a lock until the file has its final name. A file that cannot
    // be locked at all may be in use just the same: it stays.
    const bool removed = ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::unlink(path.c_str()) == 0;
    ::close(fd);
    return removed;
}

bool canReplaceFile(const std::filesystem::path &path, FileErrorCause &cause)
{
    cause = FileErrorCause::None;
    struct stat info;
    if (::stat(path.c_str(), &info) != 0) {
        if (errno == ENOENT)
            return true;
        cause = causeFromSystemError(errno);
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        cause = FileErrorCause::AccessDenied;
        return false;
    }
    if (::access(path.c_str(), W_OK) != 0) {
        cause = causeFromSystemError(errno);
        return false;
    }
    return true;
}

std::optional<MediumRoom> mediumRoom(const std::filesystem::path &folder, FileErrorCause &cause)
{
    struct statvfs info;
    if (::statvfs(folder.c_str(), &info) != 0) {
        cause = causeFromSystemError(errno);
        return std::nullopt;
    }
    cause = FileErrorCause::None;
    MediumRoom room;
    room.readOnly = (info.f_flag & ST_RDONLY) != 0;
    room.blockSize = info.f_frsize ? info.f_frsize : info.f_bsize;
    room.freeBytes = std::uint64_t(info.f_bavail) * room.blockSize;
    if (info.f_files != 0) // FAT keeps no count of file entries
        room.freeEntries = info.f_favail;
    return room;
}

bool canCreateIn(const std::filesystem::path &folder, FileErrorCause &cause)
{
    if (::access(folder.c_str(), W_OK | X_OK) != 0) {
        cause = causeFromSystemError(errno);
        return false;
    }
    cause = FileErrorCause::None;
    return true;
}

} // namespace platform
