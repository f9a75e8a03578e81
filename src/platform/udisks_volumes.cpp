#include "platform/udisks_volumes.h"

#include "platform/lsblk_volumes.h"
#include "platform/sd_bus.h"

#include <systemd/sd-bus.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <list>
#include <optional>
#include <vector>

namespace platform {

namespace {

constexpr const char *kService = "org.freedesktop.UDisks2";
constexpr const char *kManagerPath = "/org/freedesktop/UDisks2";
constexpr const char *kObjectManagerInterface = "org.freedesktop.DBus.ObjectManager";
constexpr const char *kBlockInterface = "org.freedesktop.UDisks2.Block";
constexpr const char *kFilesystemInterface = "org.freedesktop.UDisks2.Filesystem";
constexpr const char *kDriveInterface = "org.freedesktop.UDisks2.Drive";

constexpr std::string_view kNotAuthorized = "org.freedesktop.UDisks2.Error.NotAuthorized";
constexpr std::string_view kDismissed = "org.freedesktop.UDisks2.Error.NotAuthorizedDismissed";
constexpr std::string_view kAlreadyMounted = "org.freedesktop.UDisks2.Error.AlreadyMounted";

using namespace sdbus;

// What card discovery reads of one object in UDisks2's tree.
struct TreeObject
{
    std::string path;
    bool isBlock = false;
    std::string device; // Block.Device: "/dev/sdb1"
    std::string drive;  // Block.Drive: the drive object's path, "/" for none
    std::string idType;
    std::string idVersion;
    std::string idLabel;
    std::string idUuid;
    bool isFilesystem = false; // UDisks2 can mount it
    std::vector<std::string> mountPoints;
    bool isDrive = false;
    bool mediaRemovable = false;
    std::string connectionBus; // "usb", "sdio", ...
    std::string media;         // the medium in it: "flash_sdhc", "flash_mmc" (eMMC), ...
};

int readProperty(sd_bus_message *message, std::string_view interface, TreeObject &object)
{
    const char *name = nullptr;
    const int r = sd_bus_message_read_basic(message, SD_BUS_TYPE_STRING, &name);
    if (r < 0)
        return r;
    const std::string_view property = name ? name : "";
    if (interface == kBlockInterface) {
        if (property == "Device")
            return readVariant(message, "ay",
                               [&] { return readByteString(message, object.device); });
        if (property == "Drive")
            return readText(message, SD_BUS_TYPE_OBJECT_PATH, object.drive);
        if (property == "IdType")
            return readText(message, SD_BUS_TYPE_STRING, object.idType);
        if (property == "IdVersion")
            return readText(message, SD_BUS_TYPE_STRING, object.idVersion);
        if (property == "IdLabel")
            return readText(message, SD_BUS_TYPE_STRING, object.idLabel);
        if (property == "IdUUID")
            return readText(message, SD_BUS_TYPE_STRING, object.idUuid);
    } else if (interface == kFilesystemInterface) {
        if (property == "MountPoints")
            return readPaths(message, object.mountPoints);
    } else if (interface == kDriveInterface) {
        if (property == "MediaRemovable")
            return readFlag(message, object.mediaRemovable);
        if (property == "ConnectionBus")
            return readText(message, SD_BUS_TYPE_STRING, object.connectionBus);
        if (property == "Media")
            return readText(message, SD_BUS_TYPE_STRING, object.media);
    }
    return sd_bus_message_skip(message, "v");
}

// The answer of GetManagedObjects (a{oa{sa{sv}}}); nullopt for one that is not such a tree.
std::optional<std::vector<TreeObject>> readTree(sd_bus_message *message)
{
    std::vector<TreeObject> objects;
    const int r = forEachEntry(message, "oa{sa{sv}}", [&] {
        TreeObject object;
        const char *path = nullptr;
        int r = sd_bus_message_read_basic(message, SD_BUS_TYPE_OBJECT_PATH, &path);
        if (r < 0)
            return r;
        object.path = path ? path : "";
        r = forEachEntry(message, "sa{sv}", [&] {
            const char *name = nullptr;
            const int r = sd_bus_message_read_basic(message, SD_BUS_TYPE_STRING, &name);
            if (r < 0)
                return r;
            const std::string_view interface = name ? name : "";
            object.isBlock = object.isBlock || interface == kBlockInterface;
            object.isFilesystem = object.isFilesystem || interface == kFilesystemInterface;
            object.isDrive = object.isDrive || interface == kDriveInterface;
            return forEachEntry(message, "sv",
                                [&] { return readProperty(message, interface, object); });
        });
        objects.push_back(std::move(object));
        return r;
    });
    if (r < 0)
        return std::nullopt;
    return objects;
}

// A file system UDisks2 can mount, with what its drive says.
struct Volume
{
    std::string objectPath;
    std::string mountPoint; // the first; empty when not mounted
    bool removable = false;
    VolumeInformation information;
};

std::vector<Volume> volumesOf(const std::vector<TreeObject> &objects)
{
    std::vector<Volume> volumes;
    for (const TreeObject &object : objects) {
        if (!object.isBlock || !object.isFilesystem)
            continue;
        Volume volume;
        volume.objectPath = object.path;
        const auto mounted =
            std::find_if(object.mountPoints.begin(), object.mountPoints.end(),
                         [](const std::string &path) { return path.starts_with('/'); });
        if (mounted != object.mountPoints.end())
            volume.mountPoint = *mounted;
        const auto drive = std::find_if(objects.begin(), objects.end(), [&](const TreeObject &d) {
            return d.isDrive && d.path == object.drive;
        });
        // What Windows counts as a removable drive: one whose medium comes out (card readers,
        // USB sticks), and an SD slot of the computer's own, whose card is the whole drive.
        // Drive.Removable would take in every USB hard disk too. On the mmc bus ("sdio") only
        // an SD card is one: eMMC soldered to the board is there too, and laptops boot from it.
        if (drive != objects.end()) {
            volume.removable = drive->connectionBus == "sdio" ? drive->media.starts_with("flash_sd")
                                                              : drive->mediaRemovable;
        }
        // FAT whose version blkid did not tell is still FAT.
        volume.information = {object.idLabel,
                              fileSystemName(object.idType, object.idVersion).value_or("FAT"),
                              volumeSerial(object.idUuid), object.device};
        volumes.push_back(std::move(volume));
    }
    std::stable_sort(volumes.begin(), volumes.end(), [](const Volume &a, const Volume &b) {
        return deviceNameLess(a.information.device, b.information.device);
    });
    return volumes;
}

// Asks UDisks2 for its whole tree; nullopt, with the reason in `why`, when it does not answer.
std::optional<std::vector<Volume>> fetchVolumes(sd_bus *bus, std::string &why)
{
    BusError error;
    sd_bus_message *reply = nullptr;
    const int r = sd_bus_call_method(bus, kService, kManagerPath, kObjectManagerInterface,
                                     "GetManagedObjects", error.get(), &reply, "");
    const Message owned(reply);
    if (r < 0) {
        why = error.message(r);
        return std::nullopt;
    }
    const auto tree = readTree(reply);
    if (!tree) {
        why = "its answer is not an object tree";
        return std::nullopt;
    }
    return volumesOf(*tree);
}

class UDisksVolumeSource final : public VolumeSource
{
public:
    UDisksVolumeSource(Bus calls, Bus events) : calls(std::move(calls)), events(std::move(events))
    {}

    // Subscribes to the object manager's signals, and to changes of mount points, labels and
    // file-system types; false when the bus refuses.
    bool watch()
    {
        sd_bus_slot *slot = nullptr;
        if (sd_bus_match_signal(events.get(), &slot, kService, kManagerPath,
                                kObjectManagerInterface, nullptr, &UDisksVolumeSource::changed,
                                this) < 0)
            return false;
        watches.emplace_back(slot);
        for (const char *interface : {kFilesystemInterface, kBlockInterface}) {
            const std::string rule =
                std::string("type='signal',sender='") + kService +
                "',interface='org.freedesktop.DBus.Properties',member='PropertiesChanged',"
                "path_namespace='" +
                kManagerPath + "',arg0='" + interface + "'";
            slot = nullptr;
            if (sd_bus_add_match(events.get(), &slot, rule.c_str(), &UDisksVolumeSource::changed,
                                 this) < 0)
                return false;
            watches.emplace_back(slot);
        }
        // What came with the answers (the bus's greeting) is read already; take it now, so
        // that the descriptor stays quiet until something new arrives.
        while (sd_bus_process(events.get(), nullptr) > 0) {
        }
        volumesChanged = false;
        return true;
    }

    std::vector<std::string> candidateDrives() override
    {
        scanned = scan();
        std::vector<std::string> roots;
        for (const Volume &volume : scanned) {
            if (!volume.mountPoint.empty() &&
                std::find(roots.begin(), roots.end(), volume.mountPoint) == roots.end())
                roots.push_back(volume.mountPoint);
        }
        return roots;
    }

    bool isRemovable(const std::string &root) override
    {
        return std::any_of(scanned.begin(), scanned.end(), [&](const Volume &volume) {
            return volume.mountPoint == root && volume.removable;
        });
    }

    std::optional<VolumeInformation> volumeInformation(const std::string &root) override
    {
        for (const Volume &volume : scan()) {
            if (volume.mountPoint == root)
                return volume.information;
        }
        return std::nullopt;
    }

    std::vector<UnmountedVolume> unmountedVolumes() override
    {
        std::vector<UnmountedVolume> unmounted;
        for (const Volume &volume : scan()) {
            if (volume.mountPoint.empty())
                unmounted.push_back({volume.removable, volume.information});
        }
        return unmounted;
    }

    void mount(const std::string &device, MountDone done) override
    {
        const std::vector<Volume> volumes = scan();
        const auto volume = std::find_if(volumes.begin(), volumes.end(), [&](const Volume &v) {
            return v.information.device == device;
        });
        if (volume == volumes.end()) {
            done({MountResult::Outcome::Failed, {}, device + " is no longer there."});
            return;
        }
        if (!volume->mountPoint.empty()) {
            done({MountResult::Outcome::Mounted, volume->mountPoint, {}});
            return;
        }

        Request &request = requests.emplace_back();
        request.device = device;
        request.done = std::move(done);
        sd_bus_message *call = nullptr;
        int r = sd_bus_message_new_method_call(events.get(), &call, kService,
                                               volume->objectPath.c_str(), kFilesystemInterface,
                                               "Mount");
        const Message owned(call);
        // No options: UDisks2 picks the mount point and options a desktop uses for FAT.
        if (r >= 0)
            r = sd_bus_message_append(call, "a{sv}", 0);
        // No time limit: the system may be waiting for the user to type a password.
        sd_bus_slot *slot = nullptr;
        if (r >= 0)
            r = sd_bus_call_async(events.get(), &slot, call, &UDisksVolumeSource::mountAnswered,
                                  &request, UINT64_MAX);
        request.slot.reset(slot);
        if (r >= 0)
            r = sd_bus_flush(events.get());
        if (r < 0) {
            MountDone failed = std::move(request.done);
            requests.pop_back();
            failed({MountResult::Outcome::Failed, {}, std::strerror(-r)});
        }
    }

    bool unmount(const std::string &device) override
    {
        for (const Volume &volume : scan()) {
            if (volume.information.device != device || volume.mountPoint.empty())
                continue;
            // No password prompt once the work is done: a card left mounted does no harm, the
            // user ejects it as any other.
            BusError error;
            sd_bus_message *reply = nullptr;
            const int r = sd_bus_call_method(calls.get(), kService, volume.objectPath.c_str(),
                                             kFilesystemInterface, "Unmount", error.get(), &reply,
                                             "a{sv}", 1, "auth.no_user_interaction", "b", 1);
            const Message owned(reply);
            return r >= 0;
        }
        return false;
    }

    int eventDescriptor() override { return broken ? -1 : sd_bus_get_fd(events.get()); }

    bool dispatchEvents() override
    {
        int r = 0;
        while (!broken && (r = sd_bus_process(events.get(), nullptr)) > 0) {
        }
        if (r < 0) {
            // The bus went away: no more news, and no answers to come.
            broken = true;
            for (Request &request : requests) {
                if (!request.answer)
                    request.answer = MountResult{
                        MountResult::Outcome::Failed, {}, "The connection to UDisks2 was lost."};
            }
        }
        const bool result = volumesChanged || broken;
        volumesChanged = false;

        // The answers go out only now: `done` may show a message box, whose event loop comes
        // back here, and sd-bus must not be re-entered from its own callbacks.
        std::vector<std::pair<MountDone, MountResult>> answered;
        for (auto it = requests.begin(); it != requests.end();) {
            if (!it->answer) {
                ++it;
                continue;
            }
            // The desktop mounted it first: that is as good as mounted by us.
            if (it->alreadyMounted) {
                for (const Volume &volume : scan()) {
                    if (volume.information.device == it->device && !volume.mountPoint.empty())
                        it->answer = {MountResult::Outcome::Mounted, volume.mountPoint, {}};
                }
            }
            answered.emplace_back(std::move(it->done), std::move(*it->answer));
            it = requests.erase(it);
        }
        for (const auto &[done, answer] : answered)
            done(answer);
        return result;
    }

private:
    // A mount that waits for its answer.
    struct Request
    {
        std::string device;
        MountDone done;
        Slot slot;
        std::optional<MountResult> answer;
        bool alreadyMounted = false;
    };

    static int changed(sd_bus_message *, void *userdata, sd_bus_error *)
    {
        static_cast<UDisksVolumeSource *>(userdata)->volumesChanged = true;
        return 0;
    }

    static int mountAnswered(sd_bus_message *reply, void *userdata, sd_bus_error *)
    {
        auto &request = *static_cast<Request *>(userdata);
        MountResult answer;
        if (const sd_bus_error *error = sd_bus_message_get_error(reply)) {
            const std::string_view name = error->name ? error->name : "";
            answer.message = error->message ? error->message : std::string(name);
            if (name == kDismissed)
                answer.outcome = MountResult::Outcome::Dismissed;
            else if (name.starts_with(kNotAuthorized))
                answer.outcome = MountResult::Outcome::NotAuthorized;
            request.alreadyMounted = name == kAlreadyMounted;
        } else {
            const char *path = nullptr;
            if (sd_bus_message_read(reply, "s", &path) > 0 && path && *path) {
                answer = {MountResult::Outcome::Mounted, path, {}, true};
            } else {
                answer.message = "UDisks2 did not say where it mounted " + request.device + ".";
            }
        }
        request.answer = std::move(answer);
        return 0;
    }

    // A fresh look at the tree; a failed one finds nothing and says why on stderr.
    std::vector<Volume> scan()
    {
        std::string why;
        if (auto volumes = fetchVolumes(calls.get(), why))
            return std::move(*volumes);
        std::fprintf(stderr,
                     "%s: card scan: UDisks2 did not answer (%s); going on as if no card were "
                     "inserted\n",
                     program_invocation_short_name, why.c_str());
        return {};
    }

    // The buses go last, after the slots that belong to them.
    Bus calls;  // questions, answered at once
    Bus events; // signals and the answers to mounts, taken by dispatchEvents()
    std::vector<Slot> watches;
    std::list<Request> requests; // a list: sd-bus holds on to each one's address
    std::vector<Volume> scanned;
    bool volumesChanged = false;
    bool broken = false;
};

} // namespace

std::unique_ptr<VolumeSource> CreateUDisksVolumeSource(std::chrono::milliseconds limit)
{
    Bus calls = openSystemBus(limit);
    std::string why;
    if (!calls || !fetchVolumes(calls.get(), why))
        return nullptr;
    Bus events = openSystemBus(limit);
    if (!events)
        return nullptr;
    auto source = std::make_unique<UDisksVolumeSource>(std::move(calls), std::move(events));
    if (!source->watch())
        return nullptr;
    return source;
}

// Here rather than beside CreateSystemVolumeSource(), so that a program that lists cards with
// lsblk alone (kestra-cfg) does not need libsystemd. lsblk stays for servers, containers and
// minimal desktops, where no UDisks2 runs.
std::unique_ptr<VolumeSource> CreateDesktopVolumeSource()
{
    if (auto udisks = CreateUDisksVolumeSource(kUDisksTimeLimit))
        return udisks;
    return CreateSystemVolumeSource();
}

} // namespace platform
