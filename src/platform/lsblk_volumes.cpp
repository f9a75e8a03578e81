#include "platform/lsblk_volumes.h"

#include "platform/text.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

using nlohmann::json;

// util-linux 2.33 and later print booleans; older versions print "0" and "1".
bool flagValue(const json &device, const char *key)
{
    const auto it = device.find(key);
    if (it == device.end())
        return false;
    if (it->is_boolean())
        return it->get<bool>();
    if (it->is_string()) {
        const auto &text = it->get_ref<const std::string &>();
        return text == "1" || text == "true";
    }
    if (it->is_number_integer())
        return it->get<long long>() != 0;
    return false;
}

std::string textValue(const json &device, const char *key)
{
    const auto it = device.find(key);
    if (it == device.end() || !it->is_string())
        return {};
    return it->get<std::string>();
}

// "[SWAP]" and the like are not places a card can be reached at.
bool isMountPath(const json &value)
{
    return value.is_string() && value.get_ref<const std::string &>().starts_with('/');
}

// util-linux 2.37 and later print every mount point of a device in "mountpoints"; older
// versions print one in "mountpoint".
std::string firstMountPoint(const json &device)
{
    if (const auto it = device.find("mountpoints"); it != device.end() && it->is_array()) {
        for (const json &entry : *it) {
            if (isMountPath(entry))
                return entry.get<std::string>();
        }
    }
    if (const auto it = device.find("mountpoint"); it != device.end() && isMountPath(*it))
        return it->get<std::string>();
    return {};
}

// Real trees are a few levels deep (disk, partition, crypt, LVM); the bound keeps a
// malformed output from exhausting the stack.
constexpr int kMaxDepth = 64;

// Partitions of older lsblk versions do not always repeat the removable flag of their disk,
// so a device counts as removable when any device above it does.
void collect(const json &devices, const std::string *disk, bool parentRemovable, int depth,
             std::vector<LsblkDevice> &out)
{
    if (!devices.is_array() || depth > kMaxDepth)
        return;
    for (const json &entry : devices) {
        if (!entry.is_object())
            continue;
        LsblkDevice device;
        device.name = textValue(entry, "name");
        device.disk = disk ? *disk : device.name;
        device.removable = parentRemovable || flagValue(entry, "rm");
        device.fsType = textValue(entry, "fstype");
        device.fsVersion = textValue(entry, "fsver");
        device.label = textValue(entry, "label");
        device.uuid = textValue(entry, "uuid");
        device.mountPoint = firstMountPoint(entry);
        out.push_back(device);
        if (const auto children = entry.find("children"); children != entry.end())
            collect(*children, &device.disk, device.removable, depth + 1, out);
    }
}

// The length of the well-formed UTF-8 sequence at the start of `text`, or, where there is
// none, the negated length of its maximal ill-formed part (at least one byte).
int utf8Sequence(std::string_view text)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80)
        return 1;
    int length = 0;
    unsigned char low = 0x80; // the range of the second byte; the others are 80..BF
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;  // no overlong forms
        high = lead == 0xED ? 0x9F : 0xBF; // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF; // nothing beyond U+10FFFF
    } else {
        return -1;
    }
    for (int i = 1; i < length; ++i) {
        if (std::size_t(i) >= text.size())
            return -i;
        const unsigned char next = byte(std::size_t(i));
        if (next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xBF))
            return -i;
    }
    return length;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::string_view withoutLeadingZeros(std::string_view digits)
{
    while (digits.size() > 1 && digits.front() == '0')
        digits.remove_prefix(1);
    return digits;
}

} // namespace

bool deviceNameLess(std::string_view a, std::string_view b)
{
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            std::size_t endA = i;
            while (endA < a.size() && isDigit(a[endA]))
                ++endA;
            std::size_t endB = j;
            while (endB < b.size() && isDigit(b[endB]))
                ++endB;
            const auto numberA = withoutLeadingZeros(a.substr(i, endA - i));
            const auto numberB = withoutLeadingZeros(b.substr(j, endB - j));
            if (numberA.size() != numberB.size())
                return numberA.size() < numberB.size();
            if (numberA != numberB)
                return numberA < numberB;
            i = endA;
            j = endB;
            continue;
        }
        if (a[i] != b[j])
            return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]);
        ++i;
        ++j;
    }
    return a.size() - i < b.size() - j;
}

std::string withReplacementCharacters(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        const int length = utf8Sequence(text);
        if (length > 0)
            out.append(text.substr(0, std::size_t(length)));
        else
            AppendUtf8(out, U'\uFFFD');
        text.remove_prefix(std::size_t(length > 0 ? length : -length));
    }
    return out;
}

bool isMmcDisk(std::string_view disk)
{
    return disk.starts_with("mmcblk");
}

bool isSdCard(const std::string &sysfsRoot, std::string_view disk)
{
    if (disk.empty() || disk.find('/') != std::string_view::npos || disk == "..")
        return false;
    std::ifstream file(sysfsRoot + "/block/" + std::string(disk) + "/device/type");
    std::string type;
    return std::getline(file, type) && type == "SD";
}

std::string systemSysfsRoot()
{
    const char *root = std::getenv("VELOMAR_SYSFS_ROOT");
    return root && *root ? root : "/sys";
}

std::string systemDevRoot()
{
    const char *root = std::getenv("VELOMAR_DEV_ROOT");
    return root && *root ? root : "/dev";
}

bool hasSerialLinks(const std::string &devRoot)
{
    struct stat info = {};
    return ::stat((devRoot + "/disk/by-uuid").c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool serialLinkNames(const std::string &devRoot, std::string_view serial, std::string_view device)
{
    const std::string links = devRoot + "/disk/by-uuid/";
    const auto name = [](std::string_view path) {
        const auto slash = path.rfind('/');
        return slash == std::string_view::npos ? path : path.substr(slash + 1);
    };
    // udev names FAT serials in upper case; some blkid versions in lower.
    std::string lower(serial);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; });
    for (const std::string &spelling : {std::string(serial), lower}) {
        std::array<char, 256> target{};
        const ssize_t length =
            ::readlink((links + spelling).c_str(), target.data(), target.size() - 1);
        if (length > 0)
            return name(std::string_view(target.data(), std::size_t(length))) == name(device);
    }
    return false;
}

std::optional<std::vector<LsblkDevice>> parseLsblkJson(std::string_view text)
{
    // The JSON parser refuses text that is not UTF-8; outside strings lsblk prints ASCII only,
    // so what is replaced is in the labels.
    const std::string utf8 = withReplacementCharacters(text);
    const json document = json::parse(utf8, nullptr, false);
    if (document.is_discarded() || !document.is_object())
        return std::nullopt;
    const auto devices = document.find("blockdevices");
    if (devices == document.end() || !devices->is_array())
        return std::nullopt;

    std::vector<LsblkDevice> found;
    collect(*devices, nullptr, false, 0, found);
    std::stable_sort(found.begin(), found.end(), [](const LsblkDevice &a, const LsblkDevice &b) {
        return deviceNameLess(a.name, b.name);
    });
    // A device that belongs to several others (a RAID member) is listed under each of them.
    const auto duplicates =
        std::unique(found.begin(), found.end(),
                    [](const LsblkDevice &a, const LsblkDevice &b) { return a.name == b.name; });
    found.erase(duplicates, found.end());
    return found;
}

std::optional<std::string> fileSystemName(const LsblkDevice &device)
{
    return fileSystemName(device.fsType, device.fsVersion);
}

std::optional<std::string> fileSystemName(std::string_view type, std::string_view version)
{
    if (type != "vfat")
        return std::string(type);
    const std::string upper = UpperAscii(std::string(version));
    if (upper == "FAT32")
        return std::string("FAT32");
    if (upper == "FAT12" || upper == "FAT16")
        return std::string("FAT");
    return std::nullopt;
}

std::string volumeSerial(std::string_view uuid)
{
    std::string digits;
    for (std::size_t i = 0; i < uuid.size(); ++i) {
        const char c = uuid[i];
        if (c == '-' && i == 4 && uuid.size() == 9)
            continue;
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return {};
        digits += c;
    }
    if (digits.size() != 8)
        return {};
    digits = UpperAscii(digits);
    return digits.substr(0, 4) + "-" + digits.substr(4);
}

std::string fatNameFromClusterCount(std::uint64_t clusters)
{
    return clusters < 65525 ? "FAT" : "FAT32";
}

std::vector<LsblkDevice> LsblkVolumeSource::mountedDevices()
{
    std::vector<LsblkDevice> mounted;
    const auto output = runLsblk();
    lsblkAnswered = false;
    if (!output)
        return mounted;
    auto devices = parseLsblkJson(*output);
    if (!devices) {
        std::fprintf(stderr,
                     "%s: card scan: the output of lsblk could not be read; going on as if no "
                     "card were inserted\n",
                     program_invocation_short_name);
        return mounted;
    }
    for (LsblkDevice &device : *devices) {
        if (device.mountPoint.empty())
            continue;
        // lsblk's HOTPLUG is set for every mmc device, eMMC too: only the medium tells.
        if (isMmcDisk(device.disk))
            device.removable = isSdCard(sysfsRoot, device.disk);
        mounted.push_back(std::move(device));
    }
    lsblkAnswered = true;
    return mounted;
}

std::vector<std::string> LsblkVolumeSource::candidateDrives()
{
    scanned = mountedDevices();
    std::vector<std::string> roots;
    for (const LsblkDevice &device : scanned) {
        // The same file system mounted twice (a bind mount) is still one card.
        if (std::find(roots.begin(), roots.end(), device.mountPoint) == roots.end())
            roots.push_back(device.mountPoint);
    }
    return roots;
}

bool LsblkVolumeSource::isRemovable(const std::string &root)
{
    return std::any_of(scanned.begin(), scanned.end(), [&](const LsblkDevice &device) {
        return device.mountPoint == root && device.removable;
    });
}

std::optional<VolumeInformation> LsblkVolumeSource::volumeInformation(const std::string &root)
{
    const std::vector<LsblkDevice> devices = mountedDevices();
    const auto device = std::find_if(devices.begin(), devices.end(),
                                     [&](const LsblkDevice &d) { return d.mountPoint == root; });
    if (device == devices.end())
        return std::nullopt;
    VolumeInformation information = informationOf(*device);
    information.device.clear();
    return information;
}

VolumeInformation LsblkVolumeSource::informationOf(const LsblkDevice &device)
{
    std::optional<std::string> fileSystem = fileSystemName(device);
    if (!fileSystem) {
        // lsblk without FSVER: measure the mounted volume instead. A FAT volume that cannot be
        // measured is still FAT; only the FAT32 remark in the card list depends on it.
        const auto clusters = fatClusterCount(device.mountPoint);
        fileSystem = clusters ? fatNameFromClusterCount(*clusters) : std::string("FAT");
    }
    return VolumeInformation{device.label, *fileSystem, volumeSerial(device.uuid),
                             "/dev/" + device.name};
}

std::vector<MountedVolume> LsblkVolumeSource::mountedVolumes()
{
    scanned = mountedDevices();
    std::vector<MountedVolume> volumes;
    for (const LsblkDevice &device : scanned) {
        // The same file system mounted twice (a bind mount) is still one card.
        if (std::any_of(volumes.begin(), volumes.end(),
                        [&](const MountedVolume &v) { return v.root == device.mountPoint; }))
            continue;
        volumes.push_back({device.mountPoint, device.removable, informationOf(device),
                           fileSystemIdOf(device.mountPoint)});
    }
    return volumes;
}

bool LsblkVolumeSource::isStillMounted(const MountedVolume &volume)
{
    if (volume.fileSystemId == 0 || fileSystemIdOf(volume.root) != volume.fileSystemId)
        return false;
    // A card whose serial the system does not tell is taken by its place alone.
    if (volume.information.serial.empty())
        return true;
    if (!serialLinks)
        serialLinks = hasSerialLinks(devRoot);
    if (*serialLinks)
        return serialLinkNames(devRoot, volume.information.serial, volume.information.device);
    return VolumeSource::isStillMounted(volume);
}

} // namespace platform
