#include "native_file.h"

#include <windows.h>

#include <string>
#include <utility>

namespace platform {

FileErrorCause causeFromSystemError(int code)
{
    switch (static_cast<DWORD>(code)) {
    case ERROR_SUCCESS:
        return FileErrorCause::None;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
        return FileErrorCause::NotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return FileErrorCause::AccessDenied;
    case ERROR_WRITE_PROTECT:
        return FileErrorCause::ReadOnlyMedium;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_CANNOT_MAKE: // a FAT folder with no free entry
        return FileErrorCause::DiskFull;
    case ERROR_CRC:
    case ERROR_SEEK:
    case ERROR_SECTOR_NOT_FOUND:
    case ERROR_WRITE_FAULT:
    case ERROR_READ_FAULT:
    case ERROR_GEN_FAILURE:
    case ERROR_NOT_READY:
    case ERROR_DEVICE_REMOVED:
    case ERROR_IO_DEVICE:
        return FileErrorCause::IoError;
    default:
        return FileErrorCause::Other;
    }
}

static FileErrorCause lastCause()
{
    return causeFromSystemError(static_cast<int>(GetLastError()));
}

NativeFile::~NativeFile()
{
    if (handle)
        CloseHandle(handle);
}

NativeFile::NativeFile(NativeFile &&other) noexcept : handle(std::exchange(other.handle, nullptr))
{}

NativeFile &NativeFile::operator=(NativeFile &&other) noexcept
{
    if (this != &other) {
        if (handle)
            CloseHandle(handle);
        handle = std::exchange(other.handle, nullptr);
    }
    return *this;
}

bool NativeFile::isOpen() const
{
    return handle != nullptr;
}

static void *openHandle(const std::filesystem::path &path, DWORD access, DWORD share,
                        DWORD disposition, FileErrorCause &cause)
{
    HANDLE h = CreateFileW(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        cause = lastCause();
        return nullptr;
    }
    cause = FileErrorCause::None;
    return h;
}

NativeFile NativeFile::openForReading(const std::filesystem::path &path, FileErrorCause &cause)
{
    NativeFile file;
    file.handle = openHandle(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, cause);
    return file;
}

NativeFile NativeFile::createBeside(const std::filesystem::path &target,
                                    std::filesystem::path &created, FileErrorCause &cause)
{
    NativeFile file;
    for (unsigned attempt = 0; attempt < 1000; ++attempt) {
        std::filesystem::path candidate = target;
        candidate += kTemporaryMarker;
        candidate += std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(attempt);
        candidate += kTemporarySuffix;
        // Not shared: while it is open, another save cannot delete it as a leftover.
        file.handle = openHandle(candidate, GENERIC_WRITE, 0, CREATE_NEW, cause);
        if (file.handle) {
            created = candidate;
            return file;
        }
        if (GetLastError() != ERROR_FILE_EXISTS)
            return file;
    }
    return file;
}

NativeFile NativeFile::openForRewriting(const std::filesystem::path &path, FileErrorCause &cause)
{
    NativeFile file;
    file.handle = openHandle(path, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING, cause);
    return file;
}

NativeFile NativeFile::createOrTruncate(const std::filesystem::path &path, FileErrorCause &cause)
{
    NativeFile file;
    file.handle = openHandle(path, GENERIC_WRITE, 0, CREATE_ALWAYS, cause);
    return file;
}

std::ptrdiff_t NativeFile::read(std::span<std::uint8_t> buffer, FileErrorCause &cause)
{
    std::size_t done = 0;
    while (done < buffer.size()) {
        DWORD got = 0;
        if (!ReadFile(handle, buffer.data() + done, static_cast<DWORD>(buffer.size() - done), &got,
                      nullptr)) {
            cause = lastCause();
            return -1;
        }
        if (got == 0)
            break;
        done += got;
    }
    cause = FileErrorCause::None;
    return static_cast<std::ptrdiff_t>(done);
}

bool NativeFile::writeAll(std::span<const std::uint8_t> bytes, FileErrorCause &cause)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD put = 0;
        if (!WriteFile(handle, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &put,
                       nullptr)) {
            cause = lastCause();
            return false;
        }
        done += put;
    }
    cause = FileErrorCause::None;
    return true;
}

bool NativeFile::flushToMedium(FileErrorCause &cause)
{
    if (!FlushFileBuffers(handle)) {
        cause = lastCause();
        return false;
    }
    cause = FileErrorCause::None;
    return true;
}

static bool moveTo(void *handle, std::uint64_t offset, FileErrorCause &cause)
{
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(handle, position, nullptr, FILE_BEGIN)) {
        cause = lastCause();
        return false;
    }
    cause = FileErrorCause::None;
    return true;
}

bool NativeFile::resize(std::uint64_t size, FileErrorCause &cause)
{
    if (!moveTo(handle, size, cause))
        return false;
    if (!SetEndOfFile(handle)) {
        cause = lastCause();
        return false;
    }
    return true;
}

bool NativeFile::rewind(FileErrorCause &cause)
{
    return moveTo(handle, 0, cause);
}

bool NativeFile::close(FileErrorCause &cause)
{
    if (!CloseHandle(std::exchange(handle, nullptr))) {
        cause = lastCause();
        return false;
    }
    cause = FileErrorCause::None;
    return true;
}

bool replaceFile(const std::filesystem::path &from, const std::filesystem::path &to,
                 FileErrorCause &cause)
{
    if (!MoveFileExW(from.c_str(), to.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        cause = lastCause();
        return false;
    }
    cause = FileErrorCause::None;
    return true;
}

bool moveIntoPlace(NativeFile &file, const std::filesystem::path &from,
                   const std::filesystem::path &to, FileErrorCause &cause)
{
    // The file is open unshared, which no rename gets past: it is closed first.
    return file.close(cause) && replaceFile(from, to, cause);
}

void removeFileQuietly(const std::filesystem::path &path)
{
    DeleteFileW(path.c_str());
}

bool removeUnusedTemporary(const std::filesystem::path &path)
{
    // A save that still writes it holds it open unshared, and the deletion fails.
    return DeleteFileW(path.c_str()) != 0;
}

bool canReplaceFile(const std::filesystem::path &path, FileErrorCause &cause)
{
    cause = FileErrorCause::None;
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        // Also when its folder does not exist yet: the write makes the folder first.
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return true;
        cause = causeFromSystemError(static_cast<int>(error));
        return false;
    }
    if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0) {
        cause = FileErrorCause::AccessDenied;
        return false;
    }
    return true;
}

std::optional<MediumRoom> mediumRoom(const std::filesystem::path &folder, FileErrorCause &cause)
{
    wchar_t volume[MAX_PATH + 1] = {};
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
    ULARGE_INTEGER available{};
    DWORD flags = 0;
    // Only a medium that can be taken out has a write-protect switch; a fixed drive is not
    // asked for its volume flags (Wine cannot read them for its drive Z: and says so).
    const auto removable = [&volume] {
        const UINT type = GetDriveTypeW(volume);
        return type == DRIVE_REMOVABLE || type == DRIVE_CDROM;
    };
    if (!GetVolumePathNameW(folder.c_str(), volume, MAX_PATH) ||
        (removable() &&
         !GetVolumeInformationW(volume, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0)) ||
        !GetDiskFreeSpaceW(volume, &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters) ||
        !GetDiskFreeSpaceExW(folder.c_str(), &available, nullptr, nullptr)) {
        cause = lastCause();
        return std::nullopt;
    }
    cause = FileErrorCause::None;
    MediumRoom room;
    room.readOnly = (flags & FILE_READ_ONLY_VOLUME) != 0;
    room.blockSize = std::uint64_t(sectorsPerCluster) * bytesPerSector;
    if (room.blockSize == 0)
        room.blockSize = 1;
    room.freeBytes = available.QuadPart;
    return room;
}

bool canCreateIn(const std::filesystem::path &folder, FileErrorCause &cause)
{
    // The read-only attribute of a folder does not keep files out of it on Windows.
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        cause = lastCause();
        return false;
    }
    cause = FileErrorCause::None;
    return true;
}

} // namespace platform
