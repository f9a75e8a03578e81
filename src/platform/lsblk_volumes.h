#pragma once

// Card discovery on Linux reads util-linux's `lsblk --json`. The parsing is kept apart from
// running the program so that recorded outputs of several lsblk versions can be fed to it.

#include "platform/card_volumes.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

// One block device (a disk or a partition) as lsblk lists it, taken out of its tree.
struct LsblkDevice
{
    std::string name; // "sdb1"
    // The whole device it is on, at the top of lsblk's tree: "mmcblk0" for "mmcblk0p1".
    std::string disk;
    // rm on the device or on a device it is part of; a USB hard disk, hotplug only, is not
    // removable, as Windows does not count it as a removable drive either. Devices of an mmc
    // host (isMmcDisk) are decided by the medium instead: see isSdCard().
    bool removable = false;
    std::string fsType;     // "vfat", "exfat", "ntfs", ...; empty when unknown
    std::string fsVersion;  // "FAT32", "FAT16", ...; empty when lsblk did not tell
    std::string label;      // as lsblk gives it, blanks kept
    std::string uuid;       // the file system's id: "0A1B-2C3D" for FAT; empty when unknown
    std::string mountPoint; // the first mount point; empty when not mounted
};

// The devices of an `lsblk --json` output, in device-name order (sdb2 before sdb10), each
// once. Accepts what different util-linux versions print: "rm" as a boolean or as "0"/"1",
// one "mountpoint" or a "mountpoints" array, with or without "fsver". lsblk passes a FAT
// label's bytes on as they are (the card's OEM code page): bytes that are not UTF-8 become
// U+FFFD in that text alone. nullopt for text that is not such an output.
std::optional<std::vector<LsblkDevice>> parseLsblkJson(std::string_view json);

// `text` with every byte that is not part of well-formed UTF-8 replaced by U+FFFD (one for
// each maximal ill-formed part, as Unicode recommends).
std::string withReplacementCharacters(std::string_view text);

// A disk of an mmc host: an SD card in a slot of the computer's own, but just as well eMMC
// soldered to the board, which laptops and single-board computers boot from.
bool isMmcDisk(std::string_view disk);

// Whether the mmc disk `disk` ("mmcblk1") holds an SD card: the kernel's
// `block/DISK/device/type` under `sysfsRoot` says "SD". "MMC" is eMMC; no answer, no card.
bool isSdCard(const std::string &sysfsRoot, std::string_view disk);

// Where the kernel's sysfs is: /sys, or $VELOMAR_SYSFS_ROOT, where tests describe the card
// slots of a machine they play.
std::string systemSysfsRoot();

// Where the device nodes and udev's links to them are: /dev, or $VELOMAR_DEV_ROOT, where tests
// describe the links of the cards of a machine they play.
std::string systemDevRoot();

// Whether the system keeps udev's links to volumes by their serials (DEVROOT/disk/by-uuid);
// many containers have no udev.
bool hasSerialLinks(const std::string &devRoot);

// Whether udev's link for the volume serial `serial` (DEVROOT/disk/by-uuid/SERIAL) names the
// device `device` ("/dev/sdb1" or "sdb1"): udev takes the link away when the card is pulled
// out, and another card in the same slot has a link of its own.
bool serialLinkNames(const std::string &devRoot, std::string_view serial, std::string_view device);

// The file-system name a card check compares: "FAT32" for vfat FAT32, "FAT" for vfat
// FAT12/FAT16, any other type as lsblk names it. nullopt for vfat whose version lsblk did
// not report (util-linux before 2.35 has no FSVER column).
std::optional<std::string> fileSystemName(const LsblkDevice &device);
// The same from a file system's type and version as blkid names them, which UDisks2 passes on.
std::optional<std::string> fileSystemName(std::string_view type, std::string_view version);

// Device-name order: numbers inside names compare by value, so that sdb2 comes before sdb10.
bool deviceNameLess(std::string_view a, std::string_view b);

// The volume serial of a FAT file system's id as lsblk gives it ("0a1b-2c3d"): "0A1B-2C3D".
// Empty for an id of any other shape (ext4, NTFS), which is not a 32-bit serial.
std::string volumeSerial(std::string_view uuid);

// The FAT type follows from the count of data clusters alone: fewer than 65525 is FAT12 or
// FAT16 ("FAT"), more is FAT32.
std::string fatNameFromClusterCount(std::uint64_t clusters);

// Answers the volume queries from lsblk's view of the machine. Running lsblk, and measuring
// a FAT volume whose version lsblk did not report, is left to the subclass.
class LsblkVolumeSource : public VolumeSource
{
public:
    // `sysfsRoot`: where the kernel's sysfs is read, which tells SD cards from eMMC.
    // `devRoot`: where udev's links to the devices are (serialLinkNames()).
    explicit LsblkVolumeSource(std::string sysfsRoot, std::string devRoot = "/dev")
        : sysfsRoot(std::move(sysfsRoot)), devRoot(std::move(devRoot))
    {}

    // Mounted devices only; the list is also what isRemovable() answers from.
    std::vector<std::string> candidateDrives() override;
    bool isRemovable(const std::string &root) override;
    // Runs lsblk again, so that a card pulled out since the last scan has no information.
    std::optional<VolumeInformation> volumeInformation(const std::string &root) override;
    bool answered() const override { return lsblkAnswered; }
    // One run of lsblk for all of them.
    std::vector<MountedVolume> mountedVolumes() override;
    // The mount point's device number, and udev's link for the serial naming the same device;
    // only where the system keeps no such links is lsblk asked again.
    bool isStillMounted(const MountedVolume &volume) override;

protected:
    // lsblk's JSON output; nullopt when it could not be run.
    virtual std::optional<std::string> runLsblk() = 0;
    // The data clusters of the FAT file system mounted at `mountPoint`; nullopt when it
    // cannot be measured.
    virtual std::optional<std::uint64_t> fatClusterCount(const std::string &mountPoint) = 0;

private:
    std::vector<LsblkDevice> mountedDevices();
    VolumeInformation informationOf(const LsblkDevice &device);

    std::string sysfsRoot;
    std::string devRoot;
    std::optional<bool> serialLinks; // hasSerialLinks(devRoot), asked once
    std::vector<LsblkDevice> scanned;
    bool lsblkAnswered = true;
};

// How long the card scan waits for lsblk, which can hang on a failing device.
inline constexpr std::chrono::milliseconds kLsblkTimeLimit{5000};

// The machine's lsblk, found on the PATH, with the machine's sysfs. One that does not finish
// within `lsblkLimit` is ended; it, one that cannot be run or fails, or an output that cannot
// be read, leaves the scan without any drive and says why in one line on stderr.
// CreateSystemVolumeSource() is this with kLsblkTimeLimit.
std::unique_ptr<VolumeSource> CreateLsblkVolumeSource(std::chrono::milliseconds lsblkLimit);

} // namespace platform
