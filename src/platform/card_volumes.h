#pragma once

// The drive and volume queries that finding the camera's card needs, one implementation per
// operating system. The rules that make a drive a card (file system, settings file) are the
// application's and live in one place (src/settings/card_scan.h); these sources only answer
// what the system says.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The folder on the card that the camera reads its settings from.
inline constexpr const char *kCardFolderName = "VELOMAR";

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// What the system reports for a mounted volume, untouched: the caller trims and compares.
struct VolumeInformation
{
    std::string volumeName;     // may be empty or padded with blanks
    std::string fileSystemName; // "FAT", "FAT32", "NTFS", "exFAT", ...
    // The volume serial number as FAT volume ids are shown: "XXXX-XXXX", upper case.
    // Empty when the system does not tell one.
    std::string serial;
};

class VolumeSource
{
public:
    virtual ~VolumeSource() = default;

    // The roots of the drives worth asking about, in the order the user knows them: drive
    // letters "C:".."Z:" on Windows, mount points in device-name order on Linux.
    virtual std::vector<std::string> candidateDrives() = 0;
    virtual bool isRemovable(const std::string &root) = 0;
    // Asked afresh on every call: a card can be pulled out between two queries.
    virtual std::optional<VolumeInformation> volumeInformation(const std::string &root) = 0;
};

// The card folder under `root` ("E:\VELOMAR", "/media/user/TRAIL/VELOMAR"); strings, not
// std::filesystem paths, because "E:" / "VELOMAR" would make a drive-relative path.
inline std::string cardFolder(std::string_view root)
{
    std::string folder(root);
    if (folder.empty() || folder.back() != kPathSeparator)
        folder += kPathSeparator;
    return folder + kCardFolderName;
}

// The source that asks this machine.
std::unique_ptr<VolumeSource> CreateSystemVolumeSource();

} // namespace platform
