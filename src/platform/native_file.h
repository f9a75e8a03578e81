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

    // Creates a new, empty file with a unique name in the folder of `target`, for writing,
    // named as isTemporaryFor() recognises. `created` receives its path. While it is open, no
    // other process removes it as a leftover.
    static NativeFile createBeside(const std::filesystem::path &target,
                                   std::filesystem::path &created, FileErrorCause &cause);

    // Opens an existing file for reading and writing, neither creating nor emptying it.
    static NativeFile openForRewriting(const std::filesystem::path &path, FileErrorCause &cause);

    // Creates `path` or empties it when it exists, for writing.
    static NativeFile createOrTruncate(const std::filesystem::path &path, FileErrorCause &cause);

    bool isOpen() const;

    // Reads up to buffer.size() bytes; returns the count (0 at the end), or -1 with `cause` set.
    std::ptrdiff_t read(std::span<std::uint8_t> buffer, FileErrorCause &cause);
    bool writeAll(std::span<const std::uint8_t> bytes, FileErrorCause &cause);
    // Pushes the written bytes through every cache down to the medium.
    bool flushToMedium(FileErrorCause &cause);
    // Makes the file `size` bytes long, cutting off or adding zero bytes at its end.
    bool resize(std::uint64_t size, FileErrorCause &cause);
    // Moves back to the first byte, for the next read or write.
    bool rewind(FileErrorCause &cause);
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

// The temporary files made beside a target are named "<target's name>.velomar-<unique>.tmp",
// the unique part made of letters, digits and '-'.
inline constexpr const char *kTemporaryMarker = ".velomar-";
inline constexpr const char *kTemporarySuffix = ".tmp";

// Whether `candidate` is named as createBeside() names a temporary file for `target`.
inline bool isTemporaryFor(const std::filesystem::path &target,
                           const std::filesystem::path &candidate)
{
    std::filesystem::path prefix = target.filename();
    prefix += kTemporaryMarker;
    const std::filesystem::path suffix(kTemporarySuffix);
    const std::filesystem::path name = candidate.filename();
    const auto &text = name.native();
    const auto &start = prefix.native();
    const auto &end = suffix.native();
    if (text.size() <= start.size() + end.size() || text.compare(0, start.size(), start) != 0 ||
        text.compare(text.size() - end.size(), end.size(), end) != 0)
        return false;
    for (std::size_t i = start.size(); i < text.size() - end.size(); ++i) {
        const auto c = text[i];
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
              c == '-'))
            return false;
    }
    return true;
}

// Removes the temporary file `path` unless a write still holds it open; false when it stays.
bool removeUnusedTemporary(const std::filesystem::path &path);

// True when `path` does not exist, or exists as a regular file that this process may write;
// otherwise false with `cause` set (a read-only mount reads as ReadOnlyMedium).
bool canReplaceFile(const std::filesystem::path &path, FileErrorCause &cause);

} // namespace platform
