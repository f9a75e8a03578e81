#pragma once

// The cards as kestra-cfg lists them and deploys to them: what the editor's card list offers,
// with what a person needs to tell the cards apart.

#include "platform/card_volumes.h"
#include "settings/card_scan.h"

#include <optional>
#include <string>
#include <vector>

struct CardDescription
{
    std::string mountPath;   // the card's root: "/media/user/TRAIL", "E:"
    std::string volumeLabel; // without surrounding blanks; empty when it has none
    std::string serial;      // "XXXX-XXXX"; empty when the system did not tell
    std::string fileSystem;  // "FAT" or "FAT32"
    bool holdsSettings = false;
    // The label of the settings on the card (UTF-8); nullopt without a readable file.
    std::optional<std::string> cameraLabel;
};

// The removable FAT cards of `volumes`, in drive order, as the editor's scan finds them.
// The removable drives that are no cards for their file system go into `skipped`.
std::vector<CardDescription> DescribeCards(platform::VolumeSource &volumes,
                                           std::vector<SkippedDrive> *skipped = nullptr);

// A comparable form of a drive or folder as a person or the system names it: absolute, without
// a trailing separator, and on Windows in one case with "E:" standing for its root.
std::string PlaceKey(const std::string &place);
