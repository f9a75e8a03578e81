#pragma once

// The drive and volume queries that finding the camera's card needs, one implementation per
// operating system. The rules that make a drive a card (file system, settings file) are the
// application's and live in one place (src/settings/card_scan.h); these sources only answer
// what the system says.

#include <cstdint>
#include <functional>
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

// What the system reports for a volume, untouched: the caller trims and compares.
struct VolumeInformation
{
    std::string volumeName;     // may be empty or padded with blanks
    std::string fileSystemName; // "FAT", "FAT32", "NTFS", "exFAT", ...
    // The volume serial number as FAT volume ids are shown: "XXXX-XXXX", upper case.
    // Empty when the system does not tell one.
    std::string serial = {};
    // The device the volume lives on ("/dev/sdb1"), which mount() takes and which stays the
    // same when the volume is mounted; empty where the source does not name devices.
    std::string device = {};
};

// A mounted volume as one look at the system found it.
struct MountedVolume
{
    std::string root; // where it is mounted: "E:", "/media/user/TRAIL"
    bool removable = false;
    VolumeInformation information;
    // The device number of the mount point (st_dev) when it was found, so that a later check
    // sees whether the same file system is still there: a card pulled out leaves its mount
    // folder on the file system around it. 0 where the system has no such number.
    std::uint64_t fileSystemId = 0;
};

// A volume the system knows of but has not mounted: the desktop mounts such volumes for the
// user on request.
struct UnmountedVolume
{
    bool removable = false;
    VolumeInformation information;
};

// How a request to mount a volume ended.
struct MountResult
{
    enum class Outcome
    {
        Mounted,
        Dismissed,     // the user closed the system's password prompt
        NotAuthorized, // the system does not let this user mount it
        Failed,
    };
    Outcome outcome = Outcome::Failed;
    std::string mountPoint; // where the volume is now, when mounted
    std::string message;    // the system's own words, when not
    // This request mounted it; false when someone else had mounted it already.
    bool mountedHere = false;
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
    // False when the system could not be asked at all on the last query (its tool failed or
    // hung), which a machine without cards must not be mistaken for.
    virtual bool answered() const { return true; }

    // Every mounted volume with what the three queries above tell of it, from one question to
    // the system: a scan of many cards asks once, not once a card. The default asks the three
    // queries drive by drive, and only removable drives for their volume: Windows under Wine,
    // say, complains on stderr of a fixed drive whose volume cannot be read.
    virtual std::vector<MountedVolume> mountedVolumes();
    // Whether `volume`, as mountedVolumes() found it, is still the volume mounted at its root,
    // asked just before a write. It costs the same however many volumes there are: the mount
    // point's device number and what the system keeps of the volume serial, not a new scan.
    virtual bool isStillMounted(const MountedVolume &volume);

    // The volumes that could be mounted for the user, in device order; none from a source
    // that cannot mount (there, every volume the user can reach is mounted already).
    virtual std::vector<UnmountedVolume> unmountedVolumes() { return {}; }

    using MountDone = std::function<void(const MountResult &)>;
    // Mounts the volume on `device` as the desktop would. The system may first ask the user
    // for a password in a window of its own, so this does not wait: `done` is called once the
    // system has answered, from dispatchEvents(), or before this returns when it cannot ask.
    virtual void mount(const std::string &device, MountDone done);
    // Asks the system to unmount the volume on `device` that mount() mounted, without asking
    // the user anything, so that the card can be pulled out at once. Nothing waits for the
    // answer. False when the volume is not known as mounted or the request could not be sent.
    virtual bool unmount(const std::string & /*device*/) { return false; }

    // A source that hears of changes (cards inserted, pulled, mounted) offers a descriptor
    // that turns readable when one has arrived; the owner's event loop then calls
    // dispatchEvents(). -1 when the source hears of nothing, or no longer does.
    virtual int eventDescriptor() { return -1; }
    // Takes what has arrived: finished mounts get their answer, and the result tells whether
    // volumes may have come, gone, been mounted or unmounted since the last call.
    virtual bool dispatchEvents() { return false; }
};

inline void VolumeSource::mount(const std::string &device, MountDone done)
{
    done({MountResult::Outcome::Failed, {}, "Mounting " + device + " is not supported here."});
}

inline std::vector<MountedVolume> VolumeSource::mountedVolumes()
{
    std::vector<MountedVolume> volumes;
    for (const std::string &root : candidateDrives()) {
        if (!isRemovable(root))
            continue;
        if (auto information = volumeInformation(root))
            volumes.push_back({root, true, std::move(*information)});
    }
    return volumes;
}

// Where asking for a volume's information is a cheap call of its own (the Win32 volume API),
// that call is the check.
inline bool VolumeSource::isStillMounted(const MountedVolume &volume)
{
    const auto now = volumeInformation(volume.root);
    return now && now->serial == volume.information.serial;
}

// The device number (st_dev) of the file system that `path` is on, as MountedVolume keeps it;
// 0 when it cannot be asked, and on Windows, where the volume serial is asked instead.
std::uint64_t fileSystemIdOf(const std::string &path);

// Waits up to `limit` milliseconds for news from `source` (its eventDescriptor() turning
// readable), or the whole time from a source that hears of nothing; a signal ends the wait
// early. True when news came: the caller takes it with dispatchEvents().
bool waitForVolumeEvents(VolumeSource &source, int limit);

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

// The source for the editor on a desktop: on Linux UDisks2, which mounts cards for the user
// and tells when cards come and go, where it answers; CreateSystemVolumeSource() otherwise.
// It never waits for UDisks2 on a query: until UDisks2 has answered, and from when it stops
// answering within its time limit, the queries go to lsblk, and each switch is news
// (dispatchEvents() returns true).
std::unique_ptr<VolumeSource> CreateDesktopVolumeSource();

} // namespace platform
