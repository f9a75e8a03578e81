#include "platform/udisks_volumes.h"

#include "platform/lsblk_volumes.h"
#include "platform/sd_bus.h"

#include <systemd/sd-bus.h>

#include <poll.h>
#include <sys/epoll.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <list>
#include <map>
#include <optional>
#include <utility>
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
        if (property == "MountPoints") {
            object.mountPoints.clear();
            return readPaths(message, object.mountPoints);
        }
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

// Reads one object's interfaces and their properties (a{sa{sv}}) into `object`.
int readInterfaces(sd_bus_message *message, TreeObject &object)
{
    return forEachEntry(message, "sa{sv}", [&] {
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
}

// What an object no longer has once `interface` has gone from it.
void forgetInterface(TreeObject &object, std::string_view interface)
{
    if (interface == kBlockInterface) {
        object.isBlock = false;
        for (std::string *field : {&object.device, &object.drive, &object.idType, &object.idVersion,
                                   &object.idLabel, &object.idUuid})
            field->clear();
    } else if (interface == kFilesystemInterface) {
        object.isFilesystem = false;
        object.mountPoints.clear();
    } else if (interface == kDriveInterface) {
        object.isDrive = false;
        object.mediaRemovable = false;
        object.connectionBus.clear();
        object.media.clear();
    }
}

using Tree = std::map<std::string, TreeObject>;

// The answer of GetManagedObjects (a{oa{sa{sv}}}); nullopt for one that is not such a tree.
std::optional<Tree> readTree(sd_bus_message *message)
{
    Tree objects;
    const int r = forEachEntry(message, "oa{sa{sv}}", [&] {
        const char *path = nullptr;
        const int r = sd_bus_message_read_basic(message, SD_BUS_TYPE_OBJECT_PATH, &path);
        if (r < 0)
            return r;
        TreeObject &object = objects[path ? path : ""];
        object.path = path ? path : "";
        return readInterfaces(message, object);
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

bool operator==(const Volume &a, const Volume &b)
{
    const VolumeInformation &x = a.information;
    const VolumeInformation &y = b.information;
    return a.objectPath == b.objectPath && a.mountPoint == b.mountPoint &&
           a.removable == b.removable && x.volumeName == y.volumeName &&
           x.fileSystemName == y.fileSystemName && x.serial == y.serial && x.device == y.device;
}

std::vector<Volume> volumesOf(const Tree &objects)
{
    std::vector<Volume> volumes;
    for (const auto &[path, object] : objects) {
        if (!object.isBlock || !object.isFilesystem)
            continue;
        Volume volume;
        volume.objectPath = object.path;
        const auto mounted =
            std::find_if(object.mountPoints.begin(), object.mountPoints.end(),
                         [](const std::string &path) { return path.starts_with('/'); });
        if (mounted != object.mountPoints.end())
            volume.mountPoint = *mounted;
        const auto drive = objects.find(object.drive);
        // What Windows counts as a removable drive: one whose medium comes out (card readers,
        // USB sticks), and an SD slot of the computer's own, whose card is the whole drive.
        // Drive.Removable would take in every USB hard disk too. On the mmc bus ("sdio") only
        // an SD card is one: eMMC soldered to the board is there too, and laptops boot from it.
        if (drive != objects.end() && drive->second.isDrive) {
            const TreeObject &d = drive->second;
            volume.removable =
                d.connectionBus == "sdio" ? d.media.starts_with("flash_sd") : d.mediaRemovable;
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

// A descriptor of our own, closed with its owner.
class Descriptor
{
public:
    explicit Descriptor(int fd = -1) : fd(fd) {}
    ~Descriptor()
    {
        if (fd >= 0)
            close(fd);
    }
    Descriptor(Descriptor &&other) noexcept : fd(std::exchange(other.fd, -1)) {}
    Descriptor &operator=(Descriptor &&) = delete;
    int get() const { return fd; }

private:
    int fd;
};

// UDisks2's tree as this source last heard of it: one GetManagedObjects, then the object
// manager's and the properties' signals on the same connection, which come in the order the
// daemon sent them. The queries answer from it at once, so that no window waits for the
// daemon; each also asks for the tree afresh in the background, and a daemon that leaves that
// unanswered for the time limit counts as gone.
class UDisksVolumeSource final : public VolumeSource
{
public:
    enum class State
    {
        Waiting, // for the first tree
        Ready,
        Gone, // no answer in time, an error for an answer, or the bus closed
    };

    UDisksVolumeSource(Bus bus, Descriptor wakeUp, Descriptor timer)
        : bus(std::move(bus)), wakeUp(std::move(wakeUp)), timer(std::move(timer))
    {}

    // Subscribes to the object manager's signals and to changes of mount points, labels and
    // file-system types, then asks for the tree; false when the bus refuses.
    bool start()
    {
        for (const int fd : {sd_bus_get_fd(bus.get()), timer.get()}) {
            epoll_event event{};
            event.events = EPOLLIN;
            event.data.fd = fd;
            if (fd < 0 || epoll_ctl(wakeUp.get(), EPOLL_CTL_ADD, fd, &event) != 0)
                return false;
        }
        sd_bus_slot *slot = nullptr;
        if (sd_bus_match_signal(bus.get(), &slot, kService, kManagerPath, kObjectManagerInterface,
                                nullptr, &UDisksVolumeSource::changed, this) < 0)
            return false;
        watches.emplace_back(slot);
        for (const char *interface : {kFilesystemInterface, kBlockInterface, kDriveInterface}) {
            const std::string rule =
                std::string("type='signal',sender='") + kService +
                "',interface='org.freedesktop.DBus.Properties',member='PropertiesChanged',"
                "path_namespace='" +
                kManagerPath + "',arg0='" + interface + "'";
            slot = nullptr;
            if (sd_bus_add_match(bus.get(), &slot, rule.c_str(), &UDisksVolumeSource::changed,
                                 this) < 0)
                return false;
            watches.emplace_back(slot);
        }
        askForTree();
        return state != State::Gone;
    }

    State currentState() const { return state; }

    // Takes the bus's answers for up to `limit`, or until the first tree has come or the
    // daemon is known to be gone. What it brings is no news to the owner.
    void awaitFirstTree(std::chrono::milliseconds limit)
    {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (state == State::Waiting) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd readable{wakeUp.get(), POLLIN, 0};
            if (left.count() <= 0 || poll(&readable, 1, static_cast<int>(left.count())) <= 0)
                break;
            takeAnswers();
        }
        volumesChanged = false;
        armTimer();
    }

    std::vector<std::string> candidateDrives() override
    {
        scanned = currentVolumes();
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
        for (const Volume &volume : currentVolumes()) {
            if (volume.mountPoint == root)
                return volume.information;
        }
        return std::nullopt;
    }

    std::vector<MountedVolume> mountedVolumes() override
    {
        std::vector<MountedVolume> mounted;
        for (const Volume &volume : currentVolumes()) {
            if (volume.mountPoint.empty() ||
                std::any_of(mounted.begin(), mounted.end(),
                            [&](const MountedVolume &v) { return v.root == volume.mountPoint; }))
                continue;
            objectPaths[volume.information.device] = volume.objectPath;
            mounted.push_back({volume.mountPoint, volume.removable, volume.information,
                               fileSystemIdOf(volume.mountPoint)});
        }
        return mounted;
    }

    // UDisks2's signals have kept the tree: the volume's own object says where it is mounted
    // and what its serial is now, without a question to the daemon.
    bool isStillMounted(const MountedVolume &volume) override
    {
        takeAnswers();
        if (state != State::Ready || volume.fileSystemId == 0 ||
            fileSystemIdOf(volume.root) != volume.fileSystemId)
            return false;
        auto path = objectPaths.find(volume.information.device);
        if (path == objectPaths.end()) {
            // A volume mounted since the scan: looked for once.
            for (const auto &[objectPath, object] : tree) {
                if (object.isBlock && object.device == volume.information.device)
                    path = objectPaths.emplace(volume.information.device, objectPath).first;
            }
        }
        const auto object = path == objectPaths.end() ? tree.end() : tree.find(path->second);
        if (object == tree.end() || !object->second.isBlock || !object->second.isFilesystem)
            return false;
        const TreeObject &now = object->second;
        return now.device == volume.information.device &&
               volumeSerial(now.idUuid) == volume.information.serial &&
               std::find(now.mountPoints.begin(), now.mountPoints.end(), volume.root) !=
                   now.mountPoints.end();
    }

    std::vector<UnmountedVolume> unmountedVolumes() override
    {
        std::vector<UnmountedVolume> unmounted;
        for (const Volume &volume : currentVolumes()) {
            if (volume.mountPoint.empty())
                unmounted.push_back({volume.removable, volume.information});
        }
        return unmounted;
    }

    void mount(const std::string &device, MountDone done) override
    {
        const std::vector<Volume> volumes = currentVolumes();
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
        int r = sd_bus_message_new_method_call(
            bus.get(), &call, kService, volume->objectPath.c_str(), kFilesystemInterface, "Mount");
        const Message owned(call);
        // No options: UDisks2 picks the mount point and options a desktop uses for FAT.
        if (r >= 0)
            r = sd_bus_message_append(call, "a{sv}", 0);
        // No time limit: the system may be waiting for the user to type a password.
        sd_bus_slot *slot = nullptr;
        if (r >= 0)
            r = sd_bus_call_async(bus.get(), &slot, call, &UDisksVolumeSource::mountAnswered,
                                  &request, UINT64_MAX);
        request.slot.reset(slot);
        if (r >= 0)
            r = sd_bus_flush(bus.get());
        armTimer();
        if (r < 0) {
            MountDone failed = std::move(request.done);
            requests.pop_back();
            failed({MountResult::Outcome::Failed, {}, std::strerror(-r)});
        }
    }

    bool unmount(const std::string &device) override
    {
        if (state != State::Ready)
            return false;
        for (const Volume &volume : volumesOf(tree)) {
            if (volume.information.device != device || volume.mountPoint.empty())
                continue;
            // No password prompt once the work is done: a card left mounted does no harm, the
            // user ejects it as any other. Nothing waits for the answer, so that a daemon that
            // stops answering now cannot hold the window that asked; the reply, when it comes,
            // is taken with the others and dropped.
            int r = sd_bus_call_method_async(
                bus.get(), nullptr, kService, volume.objectPath.c_str(), kFilesystemInterface,
                "Unmount", &UDisksVolumeSource::unmountAnswered, nullptr, "a{sv}", 1,
                "auth.no_user_interaction", "b", 1);
            if (r >= 0)
                r = sd_bus_flush(bus.get());
            armTimer();
            return r >= 0;
        }
        return false;
    }

    int eventDescriptor() override { return state == State::Gone ? -1 : wakeUp.get(); }

    bool dispatchEvents() override
    {
        takeAnswers();
        const bool result = volumesChanged;
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
                for (const Volume &volume : volumesOf(tree)) {
                    if (volume.information.device == it->device && !volume.mountPoint.empty())
                        it->answer = {MountResult::Outcome::Mounted, volume.mountPoint, {}};
                }
            }
            answered.emplace_back(std::move(it->done), std::move(*it->answer));
            it = requests.erase(it);
        }
        armTimer();
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

    // The volumes as last heard of, with the news that has arrived; a question goes out so
    // that a daemon that has stopped answering is found out within the time limit.
    std::vector<Volume> currentVolumes()
    {
        takeAnswers();
        askForTree();
        return state == State::Ready ? volumesOf(tree) : std::vector<Volume>{};
    }

    // One GetManagedObjects at a time; its answer replaces the tree. A question asked while
    // one is on its way goes out when that is answered: the answer may have left the daemon
    // before it stopped answering.
    void askForTree()
    {
        if (state == State::Gone)
            return;
        if (treeCall) {
            treeWanted = true;
            return;
        }
        sd_bus_slot *slot = nullptr;
        int r = sd_bus_call_method_async(bus.get(), &slot, kService, kManagerPath,
                                         kObjectManagerInterface, "GetManagedObjects",
                                         &UDisksVolumeSource::treeAnswered, this, "");
        treeCall.reset(slot);
        if (r >= 0)
            r = sd_bus_flush(bus.get());
        if (r < 0)
            goneBecause(std::strerror(-r));
        armTimer();
    }

    // Runs sd-bus on what has arrived and on the time limits that have passed.
    void takeAnswers()
    {
        std::uint64_t expirations = 0;
        [[maybe_unused]] const ssize_t got = read(timer.get(), &expirations, sizeof expirations);
        int r = 0;
        while (state != State::Gone && (r = sd_bus_process(bus.get(), nullptr)) > 0) {
        }
        if (r < 0)
            goneBecause("the connection to it was lost");
        if (treeWanted && !treeCall && state != State::Gone) {
            treeWanted = false;
            askForTree();
        }
        armTimer();
    }

    // sd-bus keeps the time limits of the calls it waits for: the timer wakes the owner's event
    // loop through the same descriptor as the bus does when the nearest one is due, and at once
    // when a query took news off the bus that the owner has not had yet.
    void armTimer()
    {
        const bool untold =
            volumesChanged || std::any_of(requests.begin(), requests.end(),
                                          [](const Request &r) { return r.answer.has_value(); });
        std::uint64_t due = UINT64_MAX;
        if (untold)
            due = 0;
        else if (state == State::Gone || sd_bus_get_timeout(bus.get(), &due) < 0)
            due = UINT64_MAX;
        itimerspec when{};
        if (due != UINT64_MAX) {
            // 0 is "now"; a time already past fires at once, an all-zero one would disarm.
            when.it_value.tv_sec = static_cast<time_t>(due / 1000000);
            when.it_value.tv_nsec = static_cast<long>(due % 1000000) * 1000 + 1;
        }
        timerfd_settime(timer.get(), TFD_TIMER_ABSTIME, &when, nullptr);
    }

    void goneBecause(const std::string &why)
    {
        if (state == State::Gone)
            return;
        std::fprintf(stderr, "%s: card scan: UDisks2 %s (%s); asking lsblk instead\n",
                     program_invocation_short_name,
                     state == State::Waiting ? "did not answer" : "stopped answering", why.c_str());
        state = State::Gone;
        // A daemon that answers late wakes no one any more.
        epoll_ctl(wakeUp.get(), EPOLL_CTL_DEL, sd_bus_get_fd(bus.get()), nullptr);
        treeCall.reset();
        tree.clear();
        volumesChanged = true;
        for (Request &request : requests) {
            if (!request.answer)
                request.answer = MountResult{
                    MountResult::Outcome::Failed, {}, "The connection to UDisks2 was lost."};
        }
    }

    static int treeAnswered(sd_bus_message *reply, void *userdata, sd_bus_error *)
    {
        auto &source = *static_cast<UDisksVolumeSource *>(userdata);
        source.treeCall.reset();
        if (const sd_bus_error *error = sd_bus_message_get_error(reply)) {
            source.goneBecause(error->message ? error->message : "no answer");
            return 0;
        }
        auto fresh = readTree(reply);
        if (!fresh) {
            source.goneBecause("its answer is not an object tree");
            return 0;
        }
        const bool first = source.state == State::Waiting;
        if (first || volumesOf(*fresh) != volumesOf(source.tree))
            source.volumesChanged = true;
        source.tree = std::move(*fresh);
        source.state = State::Ready;
        return 0;
    }

    // InterfacesAdded, InterfacesRemoved, PropertiesChanged: the tree follows, and the owner
    // hears that the volumes may have changed.
    static int changed(sd_bus_message *message, void *userdata, sd_bus_error *)
    {
        auto &source = *static_cast<UDisksVolumeSource *>(userdata);
        source.volumesChanged = true;
        if (source.state != State::Ready)
            return 0;
        const std::string_view member =
            sd_bus_message_get_member(message) ? sd_bus_message_get_member(message) : "";
        // A signal that cannot be read leaves the tree to the next full answer.
        if (source.follow(message, member) < 0)
            source.treeWanted = true;
        return 0;
    }

    int follow(sd_bus_message *message, std::string_view member)
    {
        if (member == "PropertiesChanged") {
            const char *path = sd_bus_message_get_path(message);
            const char *name = nullptr;
            int r = sd_bus_message_read_basic(message, SD_BUS_TYPE_STRING, &name);
            if (r < 0)
                return r;
            const std::string_view interface = name ? name : "";
            const auto object = tree.find(path ? path : "");
            if (object == tree.end())
                return -ENOENT;
            if ((r = forEachEntry(message, "sv", [&] {
                     return readProperty(message, interface, object->second);
                 })) < 0)
                return r;
            // A property said to have changed without its value must be asked for.
            char **names = nullptr;
            if ((r = sd_bus_message_read_strv(message, &names)) < 0)
                return r;
            const bool any = names && names[0];
            for (char **n = names; n && *n; ++n)
                std::free(*n);
            std::free(names);
            return any ? -EAGAIN : 0;
        }
        const char *path = nullptr;
        int r = sd_bus_message_read_basic(message, SD_BUS_TYPE_OBJECT_PATH, &path);
        if (r < 0 || !path)
            return r < 0 ? r : -EBADMSG;
        if (member == "InterfacesAdded") {
            TreeObject &object = tree[path];
            object.path = path;
            return readInterfaces(message, object);
        }
        if (member == "InterfacesRemoved") {
            char **names = nullptr;
            if ((r = sd_bus_message_read_strv(message, &names)) < 0)
                return r;
            const auto object = tree.find(path);
            for (char **n = names; n && *n; ++n) {
                if (object != tree.end())
                    forgetInterface(object->second, *n);
                std::free(*n);
            }
            std::free(names);
            if (object != tree.end() && !object->second.isBlock && !object->second.isDrive &&
                !object->second.isFilesystem)
                tree.erase(object);
        }
        return 0;
    }

    static int unmountAnswered(sd_bus_message *, void *, sd_bus_error *) { return 0; }

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

    // The bus goes last, after the slots that belong to it.
    Bus bus;
    Descriptor wakeUp; // epoll over the bus and the timer: the owner's one descriptor
    Descriptor timer;
    std::vector<Slot> watches;
    Slot treeCall;
    std::list<Request> requests; // a list: sd-bus holds on to each one's address
    Tree tree;
    std::vector<Volume> scanned;
    std::map<std::string, std::string> objectPaths; // of the volumes mountedVolumes() found
    State state = State::Waiting;
    bool treeWanted = false;
    bool volumesChanged = false;
};

std::unique_ptr<UDisksVolumeSource> startUDisks(std::chrono::milliseconds limit)
{
    Bus bus = openSystemBus(limit);
    Descriptor wakeUp(epoll_create1(EPOLL_CLOEXEC));
    Descriptor timer(timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC));
    if (!bus || wakeUp.get() < 0 || timer.get() < 0)
        return nullptr;
    auto source =
        std::make_unique<UDisksVolumeSource>(std::move(bus), std::move(wakeUp), std::move(timer));
    if (!source->start())
        return nullptr;
    return source;
}

// UDisks2 while it answers, lsblk while it has not answered yet and once it has stopped. Each
// change from one to the other is news, so that the owner scans again.
class DesktopVolumeSource final : public VolumeSource
{
public:
    explicit DesktopVolumeSource(std::unique_ptr<UDisksVolumeSource> udisks)
        : udisks(std::move(udisks))
    {}

    std::vector<std::string> candidateDrives() override { return current().candidateDrives(); }
    bool isRemovable(const std::string &root) override { return current().isRemovable(root); }
    std::optional<VolumeInformation> volumeInformation(const std::string &root) override
    {
        return current().volumeInformation(root);
    }
    std::vector<UnmountedVolume> unmountedVolumes() override
    {
        return current().unmountedVolumes();
    }
    std::vector<MountedVolume> mountedVolumes() override { return current().mountedVolumes(); }
    bool isStillMounted(const MountedVolume &volume) override
    {
        return current().isStillMounted(volume);
    }
    void mount(const std::string &device, MountDone done) override
    {
        current().mount(device, std::move(done));
    }
    bool unmount(const std::string &device) override { return udisks && udisks->unmount(device); }
    int eventDescriptor() override { return udisks ? udisks->eventDescriptor() : -1; }
    bool dispatchEvents() override { return udisks && udisks->dispatchEvents(); }

private:
    VolumeSource &current()
    {
        if (udisks && udisks->currentState() == UDisksVolumeSource::State::Ready)
            return *udisks;
        if (!lsblk)
            lsblk = CreateSystemVolumeSource();
        return *lsblk;
    }

    std::unique_ptr<UDisksVolumeSource> udisks;
    std::unique_ptr<VolumeSource> lsblk;
};

} // namespace

std::unique_ptr<VolumeSource> CreateUDisksVolumeSource(std::chrono::milliseconds limit)
{
    auto source = startUDisks(limit);
    if (source)
        source->awaitFirstTree(limit + std::chrono::milliseconds(100));
    if (!source || source->currentState() != UDisksVolumeSource::State::Ready)
        return nullptr;
    return source;
}

// Here rather than beside CreateSystemVolumeSource(), so that a program that lists cards with
// lsblk alone (kestra-cfg) does not need libsystemd. lsblk stays for servers, containers and
// minimal desktops, where no UDisks2 runs.
std::unique_ptr<VolumeSource> CreateDesktopVolumeSource()
{
    auto udisks = startUDisks(kUDisksTimeLimit);
    // A daemon that runs answers within a few milliseconds; one that is being started, or
    // hangs, is not waited for: lsblk answers until it does.
    if (udisks)
        udisks->awaitFirstTree(kUDisksFirstAnswerWait);
    return std::make_unique<DesktopVolumeSource>(std::move(udisks));
}

} // namespace platform
