#pragma once

#include "platform/native_file.h"
#include "settings/camera_settings.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <stdexcept>

inline constexpr const char *kSettingsFileName = "Kestra.cfg";
inline constexpr std::size_t kSettingsFileBytes =
    CoreSection::kBytes + DualScheduleSection::kBytes + CellularSection::kBytes;

using platform::FileErrorCause;

// The medium failed while a file was being written or read (a full card, a card pulled out).
// It abandons the whole user action; the caller words it by cause with the file's name.
class MediumError : public std::runtime_error
{
public:
    MediumError(FileErrorCause cause, std::filesystem::path path);
    FileErrorCause cause() const { return errorCause; }
    const std::filesystem::path &path() const { return filePath; }

private:
    FileErrorCause errorCause;
    std::filesystem::path filePath;
};

// Where the settings-file messages 108 and 109 go: a message box in the editor, stderr in the
// command-line tool.
class SettingsFileMessages
{
public:
    virtual ~SettingsFileMessages() = default;
    virtual void ShowFileError(int messageId) = 0;
};

inline constexpr int kMessageReadError = 108;
inline constexpr int kMessageSaveError = 109;

// Reads a settings file of any of the three core layouts into `settings`, starting from
// factory values. A missing file is a success with factory values. Shows 108 and returns false
// when the file cannot be opened or its core section is unusable. Throws MediumError when the
// medium fails in the middle of reading.
bool ReadSettingsFile(CameraSettings &settings, const std::filesystem::path &path,
                      SettingsFileMessages &messages);

// Writes the 234-byte current layout as WriteFileReplacing() does. Shows 109 and returns
// false when the file cannot be created; throws MediumError when the medium fails while
// writing.
bool WriteSettingsFile(const CameraSettings &settings, const std::filesystem::path &path,
                       SettingsFileMessages &messages);

// The exact bytes WriteSettingsFile puts into the file.
std::array<std::uint8_t, kSettingsFileBytes> EncodeSettingsFile(const CameraSettings &settings);

// Writes `bytes` to `path` by way of a temporary file in the same folder, which reaches the
// medium and only then replaces the old file, so a failure leaves the old file whole. Where
// the medium is too full for the temporary file and `path` exists, the old file is rewritten
// in place instead and read back; only that fallback can leave it half written. Removes the
// temporary files that an interrupted earlier write of `path` left. Returns false with
// `cause` set when nothing could be created; throws MediumError for failures after that.
bool WriteFileReplacing(const std::filesystem::path &path, std::span<const std::uint8_t> bytes,
                        FileErrorCause &cause);
