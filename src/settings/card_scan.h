#pragma once

// Which drives are the camera's cards, and which of them already hold a settings file: the
// rules the editor's card list and kestra-cfg share, over the platform's volume queries.

#include "platform/card_volumes.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// "E:\VELOMAR\Kestra.cfg" / "/media/user/TRAIL/VELOMAR/Kestra.cfg".
std::string CardSettingsPath(std::string_view root);

// True for the file systems the cameras read: "FAT" or "FAT32" once surrounding white space
// is gone, in any case.
bool IsCardFileSystem(std::string_view fileSystemName);

// One card as a scan found it.
struct FoundCard
{
    std::string root;                   // "E:", "/media/user/TRAIL"
    platform::VolumeInformation volume; // as the system reported it during the scan
    bool holdsSettings = false;         // its settings file can be opened for reading
    std::uint64_t fileSystemId = 0;     // see platform::MountedVolume
};

// A removable drive that is no card for its file system.
struct SkippedDrive
{
    std::string root;
    std::string fileSystemName; // as the system reported it
};

// The removable FAT drives, in drive order; the other removable drives into `skipped`.
std::vector<FoundCard> FindCards(platform::VolumeSource &volumes,
                                 std::vector<SkippedDrive> *skipped = nullptr);

// Whether the card with volume serial `serial` is still the volume at `root`, asked afresh:
// a card pulled out since, or another card put in its place, is not. A card whose serial the
// system does not tell is taken by its place alone.
bool IsSameCard(platform::VolumeSource &volumes, const std::string &root, std::string_view serial);
