#include "command.h"

#include "resources/string_table.h"

void StreamMessages::ShowFileError(int messageId)
{
    err << strings::Text(messageId) << "\n";
}

bool ReadExistingSettings(const std::filesystem::path &file, CameraSettings &settings, const Io &io)
{
    std::error_code error;
    if (std::filesystem::status(file, error).type() == std::filesystem::file_type::not_found) {
        io.err << file.string() << ": not found\n";
        return false;
    }
    StreamMessages messages(io.err);
    return ReadSettingsFile(settings, file, messages);
}
