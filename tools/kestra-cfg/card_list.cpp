#include "card_list.h"

#include "report.h"

#include "platform/utf8_path.h"
#include "settings/card_scan.h"
#include "settings/named_settings.h"
#include "settings/settings_file.h"

#include <algorithm>

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

std::vector<CardDescription> DescribeCards(platform::VolumeSource &volumes,
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
        if (card.holdsSettings)
            description.cameraLabel = cameraLabelOnCard(card.root);
        cards.push_back(std::move(description));
    }
    return cards;
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
