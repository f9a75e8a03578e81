#include "command.h"

#include "resources/string_table.h"

#include <fstream>
#include <iterator>

void StreamMessages::ShowFileError(int messageId)
{
    err << strings::Text(messageId) << "\n";
}

bool ReadExistingSettings(const std::string &file, CameraSettings &settings, const Io &io)
{
    const std::filesystem::path path = platform::pathFromUtf8(file);
    std::error_code error;
    if (std::filesystem::status(path, error).type() == std::filesystem::file_type::not_found) {
        io.err << file << ": not found\n";
        return false;
    }
    StreamMessages messages(io.err);
    return ReadSettingsFile(settings, path, messages);
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
