#include "settings/replaced_copies.h"

#include "platform/native_file.h"
#include "platform/text.h"
#include "platform/utf8_path.h"
#include "settings/settings_file.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

// A part of a file name that every file system takes: ASCII letters, digits and "-".
std::string namePart(std::string_view text, std::string_view otherwise)
{
    std::string part;
    for (const char c : text) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                           (c >= '0' && c <= '9') || c == '-';
        if (plain)
            part += c;
        else if (!part.empty() && part.back() != '-')
            part += '-';
    }
    while (!part.empty() && part.back() == '-')
        part.pop_back();
    return part.empty() ? std::string(otherwise) : part;
}

std::string localTime(std::time_t when)
{
    std::tm parts{};
#ifdef _WIN32
    localtime_s(&parts, &when);
#else
    localtime_r(&when, &parts);
#endif
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d_%H-%M-%S", &parts);
    return text;
}

std::string whyNot(FileErrorCause cause)
{
    switch (cause) {
    case FileErrorCause::NotFound:
        return "a folder on its way does not exist";
    case FileErrorCause::AccessDenied:
        return "access is denied";
    case FileErrorCause::ReadOnlyMedium:
        return "the disk is write-protected";
    case FileErrorCause::DiskFull:
        return "the disk is full";
    case FileErrorCause::IoError:
        return "the disk reported an error";
    default:
        return "the file could not be written";
    }
}

class Silent : public SettingsFileMessages
{
public:
    void ShowFileError(int) override {}
};

// The whole file, or nothing with `cause` set; a settings file is a few hundred bytes.
std::optional<std::vector<std::uint8_t>> readWhole(const std::filesystem::path &path,
                                                   FileErrorCause &cause)
{
    platform::NativeFile file = platform::NativeFile::openForReading(path, cause);
    if (!file.isOpen())
        return std::nullopt;
    std::vector<std::uint8_t> bytes;
    std::uint8_t chunk[4096];
    for (;;) {
        const std::ptrdiff_t got = file.read(chunk, cause);
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            return bytes;
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
}

} // namespace

std::filesystem::path ReplacedCopiesFolder()
{
    std::filesystem::path data;
#ifdef _WIN32
    if (const wchar_t *local = _wgetenv(L"LOCALAPPDATA"); local && *local)
        data = local;
#else
    if (const char *xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/')
        data = xdg;
    else if (const char *home = std::getenv("HOME"); home && *home)
        data = std::filesystem::path(home) / ".local" / "share";
#endif
    return data / "Velomar" / "velomar-settings" / "replaced";
}

ReplacedCopies::ReplacedCopies(std::filesystem::path folder) : where(std::move(folder)) {}

std::optional<std::string> ReplacedCopies::keep(const std::filesystem::path &cardFile,
                                                std::string_view serial,
                                                std::span<const std::uint8_t> next,
                                                std::time_t when)
{
    const std::string failed =
        "The card's previous settings could not be kept in " + platform::utf8FromPath(where) + ": ";
    FileErrorCause cause = FileErrorCause::None;
    const auto old = readWhole(cardFile, cause);
    if (!old) {
        if (cause == FileErrorCause::NotFound)
            return std::nullopt;
        return failed + "the card's file could not be read (" + whyNot(cause) + ").";
    }
    if (std::equal(old->begin(), old->end(), next.begin(), next.end()))
        return std::nullopt;

    CameraSettings held;
    Silent silent;
    std::string label = "unreadable";
    try {
        if (ReadSettingsFile(held, cardFile, silent))
            label = Latin1ToUtf8(held.Label());
    } catch (const MediumError &) {
    }
    const std::string prefix = namePart(UpperAscii(std::string(serial)), "no-serial") + "_";
    const std::string stem = prefix + localTime(when) + "_" + namePart(label, "no-label");

    std::error_code error;
    std::filesystem::create_directories(where, error);
    if (error)
        return failed + error.message() + ".";
    std::filesystem::path copy = where / (stem + ".cfg");
    for (int n = 2; std::filesystem::exists(copy, error); ++n)
        copy = where / (stem + "_" + std::to_string(n) + ".cfg");
    try {
        if (!WriteFileReplacing(copy, *old, cause))
            return failed + whyNot(cause) + ".";
    } catch (const MediumError &failure) {
        return failed + whyNot(failure.cause()) + ".";
    }
    kept.insert(copy);
    prune(prefix);
    return std::nullopt;
}

void ReplacedCopies::prune(const std::string &prefix)
{
    std::vector<std::filesystem::path> copies;
    std::error_code error;
    for (const auto &entry : std::filesystem::directory_iterator(where, error)) {
        const std::string name = platform::utf8FromPath(entry.path().filename());
        if (name.starts_with(prefix) && name.ends_with(".cfg"))
            copies.push_back(entry.path());
    }
    // Newest first: the time follows the serial in every name.
    std::sort(copies.begin(), copies.end(), std::greater<>());
    for (std::size_t i = kPerCard; i < copies.size(); ++i) {
        if (!kept.contains(copies[i]))
            std::filesystem::remove(copies[i], error);
    }
}
