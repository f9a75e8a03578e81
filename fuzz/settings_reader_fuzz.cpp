// Feeds arbitrary bytes to the settings-file reader. Whatever it accepts must write out and
// read back to the same record, and writing that record again must give the same bytes.
#include "settings/settings_file.h"
#include "work_folder.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

class SilentMessages : public SettingsFileMessages
{
public:
    void ShowFileError(int messageId) override { lastId = messageId; }
    int lastId = 0;
};

bool sameRecord(const CameraSettings &a, const CameraSettings &b)
{
    return a.core == b.core && a.dual == b.dual && a.cellular == b.cellular;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::filesystem::path input = FuzzWorkFolder() / "input.cfg";
    const std::filesystem::path output = FuzzWorkFolder() / "Kestra.cfg";
    {
        std::ofstream file(input, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char *>(data), static_cast<std::streamsize>(size));
        if (!file)
            std::abort();
    }

    SilentMessages messages;
    CameraSettings read;
    if (!ReadSettingsFile(read, input, messages)) {
        if (messages.lastId != kMessageReadError)
            std::abort(); // a failed read must have said so with 108
        return 0;
    }
    if (messages.lastId != 0 || read.core.tag != CoreSection::kTag ||
        read.core.size != CoreSection::kSize || read.CoreChanged() || read.DualScheduleChanged() ||
        read.CellularChanged())
        std::abort();

    if (!WriteSettingsFile(read, output, messages))
        std::abort();
    const auto written = EncodeSettingsFile(read);
    if (std::filesystem::file_size(output) != kSettingsFileBytes)
        std::abort();

    CameraSettings back;
    if (!ReadSettingsFile(back, output, messages) || !sameRecord(read, back))
        std::abort();
    if (EncodeSettingsFile(back) != written)
        std::abort();

    // An accepted file of the current layout and full length comes back byte for byte, but
    // for the core header (size normalised) and anything after the last section.
    if (size >= kSettingsFileBytes && data[0] == 3 && data[1] == 0 && data[74] == 1 &&
        data[75] == 0 && data[128] == 0 && data[129] == 1) {
        for (std::size_t i = 4; i < kSettingsFileBytes; ++i) {
            if ((i < 76 || i > 77) && (i < 130 || i > 131) && written[i] != data[i])
                std::abort();
        }
    }
    return 0;
}
