#include "command.h"

#include "resources/string_table.h"

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
