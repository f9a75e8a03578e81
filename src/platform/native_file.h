#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace platform {

// Why a file operation failed, in the terms the user is told about.
enum class FileErrorCause
{
    None,
    NotFound,       // the file or a folder on its path does not exist
    AccessDenied,   // permissions, a locked file, a name that is a folder
    ReadOnlyMedium, // write-protected card or read-only mount
    DiskFull,       // no space left on the medium
    IoError,        // the medium reported a hardware error (card pulled out)
    Other,
};

// Maps an operating-system error code (errno on POSIX, GetLastError on Windows).
FileErrorCause causeFromSystemError(int code);

// A byte-exact file handle without any text translation or buffering of its own.
class NativeFile
{
public:
    NativeFile() = default;
    ~NativeFile();
    NativeFile(NativeFile &&other) noexcept;
    NativeFile &operator=(NativeFile &&other) noexcept;
    NativeFile(const NativeFile &) = delete;
    NativeFile &operator=(const NativeFile &) = delete;

    static NativeFile openForReading(const std::filesystem::path &path, FileErrorCause &cause);

    // Creates a new, empty file with a unique name in the folder of `target`, for writing.
    // `created` receives its path.
    static NativeFile createBeside(const std::filesystem::path &target,
                                   std::filesystem::path &created, FileErrorCause &cause);

    // Creates `path` or empties it when it exists, for writing.
    static NativeFile createOrTruncate(const std::filesystem::path &path, FileErrorCause &cause);

    bool isOpen() const;

    // Reads up to buffer.size() bytes; returns the count (0 at the end), or -1 with `cause` set.
    std::ptrdiff_t read(std::span<std::uint8_t> buffer, FileErrorCause &cause);
    bool writeAll(std::span<const std::uint8_t> bytes, FileErrorCause &cause);
    // Pushes the written bytes through every cache down to the medium.
    bool flushToMedium(FileErrorCause &cause);
    bool close(FileErrorCause &cause);

private:
#ifdef _WIN32
    void *handle = nullptr;
#else
    int fd = -1;
#endif
};

// Puts `from` in place of `to` in one step and makes the change durable on the medium.
bool replaceFile(const std::filesystem::path &from, const std::filesystem::path &to,
                 FileErrorCause &cause);

// Removes a file, ignoring failure (used to clean up temporary files).
void removeFileQuietly(const std::filesystem::path &path);

// True when `path` does not exist, or exists as a regular file that this process may write;
// otherwise false with `cause` set (a read-only mount reads as ReadOnlyMedium).
bool canReplaceFile(const std::filesystem::path &path, FileErrorCause &cause);

} // namespace platform
