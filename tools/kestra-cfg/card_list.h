#pragma once

// The cards as kestra-cfg lists them and deploys to them: what the editor's card list offers,
// with what a person needs to tell the cards apart.

#include "platform/card_volumes.h"
#include "settings/card_scan.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct CardDescription
{
    std::string mountPath;   // the card's root: "/media/user/TRAIL", "E:"; empty: not mounted
    std::string volumeLabel; // without surrounding blanks; empty when it has none
    std::string serial;      // "XXXX-XXXX"; empty when the system did not tell
    std::string fileSystem;  // "FAT" or "FAT32"
    bool holdsSettings = false;
    // The label of the settings on the card (UTF-8); nullopt without a readable file.
    std::optional<std::string> cameraLabel;
    std::string device;             // "/dev/sdb1"; empty where the system names no devices
    std::uint64_t fileSystemId = 0; // see platform::MountedVolume
    bool mountedHere = false;       // this run mounted it, and unmounts it when done
};

// What a scan reads of each card besides what the system tells: the camera label of its
// settings, which only a listing shows, costs a read of every card.
enum class CardDetail
{
    Volume,
    Settings,
};

// The removable FAT cards of `volumes`, in drive order, as the editor's scan finds them.
// The removable drives that are no cards for their file system go into `skipped`.
std::vector<CardDescription> DescribeCards(platform::VolumeSource &volumes,
                                           CardDetail detail = CardDetail::Settings,
                                           std::vector<SkippedDrive> *skipped = nullptr);

// How long kestra-cfg waits for UDisks2's first answer before it asks lsblk instead: a daemon
// that runs answers in milliseconds, one that is being started takes a moment.
inline constexpr std::chrono::milliseconds kUDisksAnswerLimit{2000};

// The cards as the editor finds them, for one run of kestra-cfg: UDisks2 where it answers
// (it also knows the cards nobody has mounted, and mounts them), lsblk where it does not. The
// drives are asked once a scan; the check before a write costs the same for any number of
// cards (platform::VolumeSource::isStillMounted()).
class CardDiscovery
{
public:
    CardDiscovery();
    // `fromUDisks`: `volumes` is UDisks2's, to be replaced by lsblk once it is gone.
    CardDiscovery(std::unique_ptr<platform::VolumeSource> volumes, bool fromUDisks);
    ~CardDiscovery();
    CardDiscovery(const CardDiscovery &) = delete;
    CardDiscovery &operator=(const CardDiscovery &) = delete;

    // The mounted cards in drive order, then the cards the system could mount.
    // The mounted drives that are no cards for their file system go into `skipped`.
    std::vector<CardDescription> scan(CardDetail detail = CardDetail::Settings,
                                      std::vector<SkippedDrive> *skipped = nullptr);

    // Mounts a card that scan() found not mounted, as the desktop would; the reason when it
    // could not. Afterwards `card` is as a scan would find it mounted.
    std::optional<std::string> mount(CardDescription &card);
    enum class Unmount
    {
        MountedHere, // only a card that mount() mounted
        Always,      // also one the desktop mounted
    };
    // Unmounts the card and waits a moment for it to be done, so that it can be pulled out; the
    // reader stays on. Nothing where the system cannot unmount (lsblk).
    void unmount(CardDescription &card, Unmount which = Unmount::MountedHere);

    // Whether `card` is still the volume at its mount path, asked just before its write:
    // nullopt when it is, else what became of it.
    std::optional<std::string> whyNotThere(const CardDescription &card);

    // Waits up to `limit` milliseconds for cards to come, go or be mounted; true when the
    // system told of such news. Without a source that tells (lsblk), false after `limit`.
    bool waitForChange(int limit);

    // False when the last scan could not ask the drives at all (it said why on stderr).
    bool answered() { return current().answered(); }

private:
    // The source to ask now: a UDisks2 that has stopped answering (it said so on stderr) hands
    // over to lsblk for the rest of the run.
    platform::VolumeSource &current();

    std::unique_ptr<platform::VolumeSource> volumes;
    bool fromUDisks = false;
};

// A comparable form of a drive or folder as a person or the system names it: absolute, without
// a trailing separator, and on Windows in one case with "E:" standing for its root.
std::string PlaceKey(const std::string &place);
