#include "command.h"

#include "resources/string_table.h"
#include "settings/time_lapse_values.h"

#include <fstream>
#include <iterator>

void StreamMessages::ShowFileError(int messageId)
{
    err << prefix << strings::Text(messageId) << "\n";
}

bool ReadExistingSettings(const std::string &file, CameraSettings &settings, const Io &io,
                          FileNamed named)
{
    const std::filesystem::path path = platform::pathFromUtf8(file);
    std::error_code error;
    if (std::filesystem::status(path, error).type() == std::filesystem::file_type::not_found) {
        io.err << file << ": not found\n";
        return false;
    }
    StreamMessages messages(io.err, named == FileNamed::InMessages ? file + ": " : std::string());
    return ReadSettingsFile(settings, path, messages);
}

void WarnOfSettings(const CameraSettings &settings, const Io &io)
{
    if (TimeLapseValues::noCameraOnPeriod(settings))
        io.err << "warning: time-lapse-schedule: " << TimeLapseValues::kNoCameraOnPeriod << "\n";
}

std::optional<std::string> ReadInputFile(const std::string &file, const Io &io)
{
    const std::filesystem::path path = platform::pathFromUtf8(file);
    std::ifstream stream(path, std::ios::binary);
    if (!stream) {
        std::error_code error;
        const bool missing =
            std::filesystem::status(path, error).type() == std::filesystem::file_type::not_found;
        io.err << file << (missing ? ": not found\n" : ": cannot be read\n");
        return std::nullopt;
    }
    return std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}
