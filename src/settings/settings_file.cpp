#include "settings/settings_file.h"

#include "platform/utf8_path.h"
#include "settings/byte_order.h"

#include <algorithm>
#include <vector>

namespace {

const char *causeText(FileErrorCause cause)
{
    switch (cause) {
    case FileErrorCause::None:
        return "no error";
    case FileErrorCause::NotFound:
        return "not found";
    case FileErrorCause::AccessDenied:
        return "access denied";
    case FileErrorCause::ReadOnlyMedium:
        return "read-only medium";
    case FileErrorCause::DiskFull:
        return "disk full";
    case FileErrorCause::IoError:
        return "I/O error";
    case FileErrorCause::Other:
        break;
    }
    return "unknown error";
}

// Reads up to `count` bytes; fewer only at the end of the file.
std::vector<std::uint8_t> readUpTo(platform::NativeFile &file, std::size_t count,
                                   const std::filesystem::path &path)
{
    std::vector<std::uint8_t> buffer(count);
    FileErrorCause cause;
    const std::ptrdiff_t got = file.read(buffer, cause);
    if (got < 0)
        throw MediumError(cause, path);
    buffer.resize(static_cast<std::size_t>(got));
    return buffer;
}

// Old day schedules have 48 half-hour bits; each becomes two quarter-hour bits.
DaySchedule widenHalfHours(LittleEndianReader &r)
{
    DaySchedule schedule;
    for (int k = 0; k < 3; ++k) {
        const std::uint16_t old = r.u16();
        for (int b = 0; b < 16; ++b) {
            if (old & (1u << b)) {
                const int quarter = 2 * (16 * k + b);
                schedule.words[quarter / 16] |= static_cast<std::uint16_t>(3u << (quarter % 16));
            }
        }
    }
    return schedule;
}

// Converts the body of a tag-1 or tag-2 core section (the bytes after its header).
void convertOldCore(CoreSection &core, std::span<const std::uint8_t> body, bool withLabel)
{
    LittleEndianReader r(body);
    const std::uint8_t triggerBits = r.u8(); // offset 4
    r.skip(1);
    core.pulseCount = r.u8(); // offset 6
    core.pulseWindow = r.u8();
    r.skip(6);
    const std::uint8_t sensitivity = r.u8(); // offset 14
    r.skip(1);
    core.triggerFlags = static_cast<std::uint16_t>(triggerBits | (sensitivity << 8));
    core.picturesPerTrigger = r.u16(); // offset 16
    core.pictureInterval = static_cast<std::uint16_t>(r.u16() * 100u);
    core.quietPeriod = r.u16();
    core.triggerDaySchedule = widenHalfHours(r); // offset 22
    core.timeLapseFlags = r.u16();               // offset 28
    core.timeLapseInterval = r.u16();
    core.timeLapseDaySchedule = widenHalfHours(r); // offset 32
    core.brightness = r.u8();                      // offset 38
    core.contrast = r.u8();
    core.imageFlags = static_cast<std::uint16_t>((r.u8() & 0x7E) | 0x10); // offset 40
    r.skip(1);
    core.sharpness = r.u8(); // offset 42
    core.saturation = r.u8();
    if (withLabel) {
        r.skip(2);
        r.bytes(core.label); // offset 46
        r.skip(22);
    } else {
        r.skip(24);
    }
    const std::uint8_t optionBits = r.u8(); // offset 68 (tag 1) or 88 (tag 2)
    r.skip(4);
    const std::uint8_t codeDigits = r.u8();
    core.optionFlags = static_cast<std::uint16_t>(optionBits | (codeDigits << 8));
    core.loadTime = r.u16();
    core.loadDate = r.u16();
}

constexpr std::size_t kTag1Body = 74;
constexpr std::size_t kTag2Body = 94;
constexpr std::size_t kTag3Body = CoreSection::kFileSize;

// Reads the core section; false means message 108.
bool readCore(CameraSettings &settings, platform::NativeFile &file,
              const std::filesystem::path &path)
{
    const auto header = readUpTo(file, 4, path);
    // The header lands in the record as far as it came, even when the read then fails.
    auto coreBytes = settings.core.encode();
    std::copy(header.begin(), header.end(), coreBytes.begin());
    settings.core = CoreSection::decode(coreBytes);
    if (header.size() < 4)
        return false;

    const std::uint16_t tag = static_cast<std::uint16_t>(header[0] | (header[1] << 8));
    switch (tag) {
    case 1:
    case 2: {
        const auto body = readUpTo(file, tag == 1 ? kTag1Body : kTag2Body, path);
        if (body.size() < (tag == 1 ? kTag1Body : kTag2Body))
            return false;
        convertOldCore(settings.core, body, tag == 2);
        break;
    }
    case CoreSection::kFileTag: {
        const auto body = readUpTo(file, kTag3Body, path);
        if (body.size() < kTag3Body)
            return false;
        std::copy(body.begin(), body.end(), coreBytes.begin() + 4);
        settings.core = CoreSection::decode(coreBytes);
        break;
    }
    default:
        return false;
    }
    settings.core.tag = CoreSection::kTag;
    settings.core.size = CoreSection::kSize;
    return true;
}

// Reads an optional section's header and body; false leaves the section as it is.
template <typename Section>
void readOptionalSection(Section &section, platform::NativeFile &file,
                         const std::filesystem::path &path)
{
    const auto header = readUpTo(file, 4, path);
    if (header.size() < 4 || (header[0] | (header[1] << 8)) != Section::kTag)
        return;
    const auto body = readUpTo(file, Section::kBytes - 4, path);
    if (body.size() < Section::kBytes - 4)
        return;
    auto bytes = section.encode();
    std::copy(body.begin(), body.end(), bytes.begin() + 4);
    section = Section::decode(bytes);
}

// A card pulled during a save can keep the temporary file in its folder; the next save of
// the same file removes such leftovers. Only names of our own making are touched, and never a
// temporary file that another save still holds open.
void removeLeftovers(const std::filesystem::path &target)
{
    std::filesystem::path folder = target.parent_path();
    if (folder.empty())
        folder = ".";
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        if (platform::isTemporaryFor(target, entry->path()) &&
            std::filesystem::is_regular_file(entry->symlink_status(error)))
            platform::removeUnusedTemporary(entry->path());
    }
}

// Without room for a second copy, the old file's own space takes the new bytes: written from
// its start, cut to their length, flushed and read back from the medium. This is not atomic
// (a card pulled meanwhile can leave a mix of old and new bytes), so success waits for the
// compare. False when the file cannot be opened, with nothing touched; throws MediumError
// for a failure after that.
bool rewriteInPlace(const std::filesystem::path &path, std::span<const std::uint8_t> bytes)
{
    FileErrorCause cause;
    platform::NativeFile file = platform::NativeFile::openForRewriting(path, cause);
    if (!file.isOpen())
        return false;
    bool done = file.writeAll(bytes, cause) && file.resize(bytes.size(), cause) &&
                file.flushToMedium(cause) && file.rewind(cause);
    if (done) {
        // One byte more than written: a file that did not get its new size shows it.
        std::vector<std::uint8_t> back(bytes.size() + 1);
        const std::ptrdiff_t got = file.read(back, cause);
        done = got >= 0;
        if (done && !std::equal(bytes.begin(), bytes.end(), back.begin(), back.begin() + got)) {
            cause = FileErrorCause::IoError;
            done = false;
        }
    }
    if (!done || !file.close(cause))
        throw MediumError(cause, path);
    return true;
}

} // namespace

MediumError::MediumError(FileErrorCause cause, std::filesystem::path path)
    : std::runtime_error(std::string(causeText(cause)) + " while accessing " +
                         platform::utf8FromPath(path)),
      errorCause(cause), filePath(std::move(path))
{
}

bool ReadSettingsFile(CameraSettings &settings, const std::filesystem::path &path,
                      SettingsFileMessages &messages)
{
    settings.ResetAll();
    FileErrorCause cause;
    platform::NativeFile file = platform::NativeFile::openForReading(path, cause);
    if (!file.isOpen()) {
        if (cause == FileErrorCause::NotFound) {
            settings.TakeSnapshots();
            return true;
        }
        messages.ShowFileError(kMessageReadError);
        return false;
    }
    if (!readCore(settings, file, path)) {
        file = platform::NativeFile();
        messages.ShowFileError(kMessageReadError);
        return false;
    }
    readOptionalSection(settings.dual, file, path);
    readOptionalSection(settings.cellular, file, path);
    file = platform::NativeFile();
    settings.TakeSnapshots();
    return true;
}

std::array<std::uint8_t, kSettingsFileBytes> EncodeSettingsFile(const CameraSettings &settings)
{
    std::array<std::uint8_t, kSettingsFileBytes> out{};
    CoreSection core = settings.core;
    core.tag = CoreSection::kFileTag;
    core.size = CoreSection::kFileSize;
    const auto coreBytes = core.encode();
    const auto dualBytes = settings.dual.encode();
    const auto cellularBytes = settings.cellular.encode();
    auto it = std::copy(coreBytes.begin(), coreBytes.end(), out.begin());
    it = std::copy(dualBytes.begin(), dualBytes.end(), it);
    std::copy(cellularBytes.begin(), cellularBytes.end(), it);
    return out;
}

bool WriteFileReplacing(const std::filesystem::path &path, std::span<const std::uint8_t> bytes,
                        FileErrorCause &cause)
{
    // No file name at all (a run without a card, say) cannot be created.
    if (!path.has_filename()) {
        cause = FileErrorCause::NotFound;
        return false;
    }
    // Renaming over a write-protected file would succeed; refuse it as creating it would.
    if (!platform::canReplaceFile(path, cause))
        return false;
    removeLeftovers(path);

    // A full medium refuses the second copy although the old file's space would hold the new
    // bytes; an existing file is then rewritten where it stands.
    std::filesystem::path temporary;
    platform::NativeFile file = platform::NativeFile::createBeside(path, temporary, cause);
    if (!file.isOpen())
        return cause == FileErrorCause::DiskFull && rewriteInPlace(path, bytes);

    const bool written = file.writeAll(bytes, cause) && file.flushToMedium(cause) &&
                         platform::moveIntoPlace(file, temporary, path, cause);
    if (!written) {
        file = platform::NativeFile();
        platform::removeFileQuietly(temporary);
        if (cause != FileErrorCause::DiskFull || !rewriteInPlace(path, bytes))
            throw MediumError(cause, path);
    }
    return true;
}

bool WriteSettingsFile(const CameraSettings &settings, const std::filesystem::path &path,
                       SettingsFileMessages &messages)
{
    const auto bytes = EncodeSettingsFile(settings);
    FileErrorCause cause;
    if (!WriteFileReplacing(path, bytes, cause)) {
        messages.ShowFileError(kMessageSaveError);
        return false;
    }
    return true;
}
