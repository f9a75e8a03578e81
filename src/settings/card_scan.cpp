#include "settings/card_scan.h"

#include "platform/native_file.h"
#include "platform/utf8_path.h"
#include "settings/settings_file.h"

namespace {

std::string_view trimmed(std::string_view text)
{
    constexpr std::string_view kBlanks = " \t\n\v\f\r";
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

bool equalIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

} // namespace

std::string CardSettingsPath(std::string_view root)
{
    return platform::cardFolder(root) + platform::kPathSeparator + kSettingsFileName;
}

bool IsCardFileSystem(std::string_view fileSystemName)
{
    const std::string_view name = trimmed(fileSystemName);
    return equalIgnoringAsciiCase(name, "FAT") || equalIgnoringAsciiCase(name, "FAT32");
}

std::vector<FoundCard> FindCards(platform::VolumeSource &volumes,
                                 std::vector<SkippedDrive> *skipped)
{
    std::vector<FoundCard> cards;
    for (platform::MountedVolume &volume : volumes.mountedVolumes()) {
        if (!volume.removable)
            continue;
        if (!IsCardFileSystem(volume.information.fileSystemName)) {
            if (skipped)
                skipped->push_back({volume.root, volume.information.fileSystemName});
            continue;
        }
        // Only a file that can be read counts: the editor is going to load it.
        platform::FileErrorCause cause;
        const bool readable = platform::NativeFile::openForReading(
                                  platform::pathFromUtf8(CardSettingsPath(volume.root)), cause)
                                  .isOpen();
        cards.push_back(
            {volume.root, std::move(volume.information), readable, volume.fileSystemId});
    }
    return cards;
}

bool IsSameCard(platform::VolumeSource &volumes, const std::string &root, std::string_view serial)
{
    const auto volume = volumes.volumeInformation(root);
    return volume && volume->serial == serial;
}
