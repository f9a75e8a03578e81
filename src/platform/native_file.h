#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

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
    // named as isTemporaryFor() recognises. `created` receives its path. From its creation
    // until moveIntoPlace() or its closing, no other save removes it as a leftover; where that
    // cannot be made sure of (a file system without locks), it fails.
    static NativeFile createBeside(const std::filesystem::path &target,
                                   std::filesystem::path &created, FileErrorCause &cause);

    // Opens an existing file for reading and writing, neither creating nor emptying it. A
    // symbolic link is not followed (on POSIX): it fails with AccessDenied.
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

// Puts the temporary file `from`, open as `file` since createBeside(), in place of `to` and
// closes it. The file stays held until it has its new name, so that the clean-up of another
// save cannot take it for a leftover in between.
bool moveIntoPlace(NativeFile &file, const std::filesystem::path &from,
                   const std::filesystem::path &to, FileErrorCause &cause);

// Removes a file, ignoring failure (used to clean up temporary files).
void removeFileQuietly(const std::filesystem::path &path);

// The temporary files made beside a target are named
// "<target's name>.velomar-<pid>-<unique>.tmp": the process id of the save, then six letters or
// digits from mkostemps on POSIX, or a count of attempts below 1000 on Windows.
inline constexpr const char *kTemporaryMarker = ".velomar-";
inline constexpr const char *kTemporarySuffix = ".tmp";

// Whether the part between marker and suffix is one that createBeside() makes, on either
// system: a card carries the leftovers of both.
template <class Char> bool isTemporaryUniquePart(std::basic_string_view<Char> unique)
{
    const auto isDigit = [](Char c) { return c >= '0' && c <= '9'; };
    const auto isLetterOrDigit = [&isDigit](Char c) {
        return isDigit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    };
    const auto all = [](std::basic_string_view<Char> text, auto test) {
        for (const Char c : text) {
            if (!test(c))
                return false;
        }
        return true;
    };
    const std::size_t dash = unique.find(Char('-'));
    if (dash == 0 || dash > 10 || dash == unique.npos || !all(unique.substr(0, dash), isDigit))
        return false;
    const auto rest = unique.substr(dash + 1);
    return (rest.size() == 6 && all(rest, isLetterOrDigit)) ||
           (!rest.empty() && rest.size() <= 3 && all(rest, isDigit));
}

// Whether `candidate` is named as createBeside() names a temporary file for `target`.
inline bool isTemporaryFor(const std::filesystem::path &target,
                           const std::filesystem::path &candidate)
{
    std::filesystem::path prefix = target.filename();
    prefix += kTemporaryMarker;
    const std::filesystem::path suffix(kTemporarySuffix);
    const std::filesystem::path name = candidate.filename();
    using View = std::basic_string_view<std::filesystem::path::value_type>;
    const View text = name.native();
    const View start = prefix.native();
    const View end = suffix.native();
    if (text.size() <= start.size() + end.size() || text.substr(0, start.size()) != start ||
        text.substr(text.size() - end.size()) != end)
        return false;
    return isTemporaryUniquePart(
        text.substr(start.size(), text.size() - start.size() - end.size()));
}

// Removes the temporary file `path` unless a save still holds it, or it cannot be told whether
// one does; false when it stays.
bool removeUnusedTemporary(const std::filesystem::path &path);

// True when `path` does not exist, or exists as a regular file that this process may write;
// otherwise false with `cause` set (a read-only mount reads as ReadOnlyMedium).
bool canReplaceFile(const std::filesystem::path &path, FileErrorCause &cause);

// What the medium holding `folder` allows now, as its file system tells.
struct MediumRoom
{
    bool readOnly = false;       // mounted read-only, or a write-protected card
    std::uint64_t freeBytes = 0; // what this process may still fill
    std::uint64_t blockSize = 1; // a file takes whole blocks (clusters on FAT)
    // Free file entries, where the file system counts them (not FAT).
    std::optional<std::uint64_t> freeEntries;
};
// nullopt with `cause` set when the medium cannot be asked (a card pulled out).
std::optional<MediumRoom> mediumRoom(const std::filesystem::path &folder, FileErrorCause &cause);

// Whether this process may make files in the existing folder `folder` by its access rights;
// false with `cause` set otherwise.
bool canCreateIn(const std::filesystem::path &folder, FileErrorCause &cause);

} // namespace platform
