#include "card_list.h"

#include "report.h"

#include "platform/utf8_path.h"
#ifndef _WIN32
#include "platform/udisks_volumes.h"
#endif
#include "settings/card_scan.h"
#include "settings/named_settings.h"
#include "settings/settings_file.h"

#include <algorithm>
#include <chrono>

namespace {

// Reading a card's file only to show its label: a file that cannot be read says so in the
// listing, not in a message of its own.
class SilentMessages : public SettingsFileMessages
{
public:
    void ShowFileError(int) override {}
};

// The camera label of the settings file on the card at `root`; nullopt when it cannot be read.
std::optional<std::string> cameraLabelOnCard(const std::string &root)
{
    CameraSettings settings;
    SilentMessages messages;
    const std::filesystem::path path = platform::pathFromUtf8(CardSettingsPath(root));
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return std::nullopt;
    try {
        if (!ReadSettingsFile(settings, path, messages))
            return std::nullopt;
    } catch (const MediumError &) {
        return std::nullopt;
    }
    return Latin1ToUtf8(settings.Label());
}

} // namespace

std::vector<CardDescription> DescribeCards(platform::VolumeSource &volumes, CardDetail detail,
                                           std::vector<SkippedDrive> *skipped)
{
    std::vector<CardDescription> cards;
    for (const FoundCard &card : FindCards(volumes, skipped)) {
        CardDescription description;
        description.mountPath = card.root;
        description.volumeLabel = WithoutBlanks(card.volume.volumeName);
        description.serial = card.volume.serial;
        description.fileSystem = UpperAscii(std::string(WithoutBlanks(card.volume.fileSystemName)));
        description.holdsSettings = card.holdsSettings;
        if (card.holdsSettings && detail == CardDetail::Settings)
            description.cameraLabel = cameraLabelOnCard(card.root);
        description.device = card.volume.device;
        description.fileSystemId = card.fileSystemId;
        cards.push_back(std::move(description));
    }
    return cards;
}

namespace {

// How long a mount or an unmount may take: the system may be checking the card's file system.
constexpr auto kMountLimit = std::chrono::seconds(30);
constexpr auto kUnmountLimit = std::chrono::seconds(5);

using Clock = std::chrono::steady_clock;

int millisecondsUntil(Clock::time_point deadline)
{
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    return int(std::max<std::chrono::milliseconds::rep>(left.count(), 0));
}

std::unique_ptr<platform::VolumeSource> udisksCardSource()
{
#ifdef _WIN32
    return nullptr;
#else
    return platform::CreateUDisksVolumeSource(kUDisksAnswerLimit);
#endif
}

platform::MountedVolume mountedVolumeOf(const CardDescription &card)
{
    platform::MountedVolume volume;
    volume.root = card.mountPath;
    volume.removable = true;
    volume.information.serial = card.serial;
    volume.information.device = card.device;
    volume.fileSystemId = card.fileSystemId;
    return volume;
}

} // namespace

CardDiscovery::CardDiscovery() : CardDiscovery(udisksCardSource(), true) {}

CardDiscovery::CardDiscovery(std::unique_ptr<platform::VolumeSource> volumes, bool fromUDisks)
    : volumes(std::move(volumes)), fromUDisks(fromUDisks)
{}

platform::VolumeSource &CardDiscovery::current()
{
    if (!volumes || (fromUDisks && volumes->eventDescriptor() < 0)) {
        volumes = platform::CreateSystemVolumeSource();
        fromUDisks = false;
    }
    return *volumes;
}

CardDiscovery::~CardDiscovery() = default;

std::vector<CardDescription> CardDiscovery::scan(CardDetail detail,
                                                 std::vector<SkippedDrive> *skipped)
{
    platform::VolumeSource &source = current();
    std::vector<CardDescription> cards = DescribeCards(source, detail, skipped);
    for (const platform::UnmountedVolume &volume : source.unmountedVolumes()) {
        const platform::VolumeInformation &information = volume.information;
        if (!volume.removable || !IsCardFileSystem(information.fileSystemName))
            continue;
        CardDescription card;
        card.volumeLabel = WithoutBlanks(information.volumeName);
        card.serial = information.serial;
        card.fileSystem = UpperAscii(std::string(WithoutBlanks(information.fileSystemName)));
        card.device = information.device;
        cards.push_back(std::move(card));
    }
    return cards;
}

std::optional<std::string> CardDiscovery::mount(CardDescription &card)
{
    platform::VolumeSource &source = current();
    std::optional<platform::MountResult> answer;
    source.mount(card.device, [&answer](const platform::MountResult &result) { answer = result; });
    const auto deadline = Clock::now() + kMountLimit;
    while (!answer && source.eventDescriptor() >= 0 && millisecondsUntil(deadline) > 0) {
        if (platform::waitForVolumeEvents(source, millisecondsUntil(deadline)))
            source.dispatchEvents();
    }
    if (!answer)
        return std::string("the system did not mount it in time");
    if (answer->outcome != platform::MountResult::Outcome::Mounted)
        return "it could not be mounted: " + std::string(WithoutBlanks(answer->message));
    card.mountPath = answer->mountPoint;
    card.mountedHere = answer->mountedHere;
    card.fileSystemId = platform::fileSystemIdOf(card.mountPath);
    card.holdsSettings = false;
    card.cameraLabel = cameraLabelOnCard(card.mountPath);
    card.holdsSettings = card.cameraLabel.has_value();
    return std::nullopt;
}

void CardDiscovery::unmount(CardDescription &card, Unmount which)
{
    platform::VolumeSource &source = current();
    if ((which == Unmount::MountedHere && !card.mountedHere) || card.mountPath.empty() ||
        !source.unmount(card.device))
        return;
    const platform::MountedVolume volume = mountedVolumeOf(card);
    const auto deadline = Clock::now() + kUnmountLimit;
    while (source.isStillMounted(volume) && source.eventDescriptor() >= 0 &&
           millisecondsUntil(deadline) > 0) {
        if (platform::waitForVolumeEvents(source, millisecondsUntil(deadline)))
            source.dispatchEvents();
    }
    card.mountedHere = false;
}

std::optional<std::string> CardDiscovery::whyNotThere(const CardDescription &card)
{
    platform::VolumeSource &source = current();
    if (!card.mountPath.empty() && source.isStillMounted(mountedVolumeOf(card)))
        return std::nullopt;
    // Only a card that failed the check is asked about again, to say what became of it.
    const auto now =
        card.mountPath.empty() ? std::nullopt : source.volumeInformation(card.mountPath);
    if (now && now->serial != card.serial)
        return std::string("another card is in its place now");
    return std::string("the card is no longer there");
}

bool CardDiscovery::waitForChange(int limit)
{
    platform::VolumeSource &source = current();
    return platform::waitForVolumeEvents(source, limit) && source.dispatchEvents();
}

std::string PlaceKey(const std::string &place)
{
    std::string text = place;
    const bool windows = platform::kPathSeparator == '\\';
    // "E:" alone is the current folder of drive E: to the file system, but the drive to a person.
    if (windows && text.size() == 2 && text[1] == ':')
        text += '\\';
    // kestra-cfg never changes its folder: ask for it once.
    static const std::filesystem::path folder = [] {
        std::error_code error;
        return std::filesystem::current_path(error);
    }();
    const std::filesystem::path path = platform::pathFromUtf8(text);
    std::string key = platform::utf8FromPath((folder / path).lexically_normal());
    if (windows) {
        std::replace(key.begin(), key.end(), '/', '\\');
        key = UpperAscii(key);
    }
    while (key.size() > 1 && key.back() == platform::kPathSeparator &&
           !(windows && key.size() == 3 && key[1] == ':'))
        key.pop_back();
    return key;
}
