#include "platform/card_volumes.h"

#include "platform/win32_text.h"

#include <windows.h>

#include <array>
#include <cstdio>

namespace platform {

namespace {

// The drive APIs want the root directory with its backslash ("E:\"), the card list shows
// the drive without it ("E:").
std::wstring rootDirectory(const std::string &root)
{
    std::wstring directory(root.begin(), root.end());
    if (directory.empty() || directory.back() != L'\\')
        directory += L'\\';
    return directory;
}

class Win32VolumeSource final : public VolumeSource
{
public:
    std::vector<std::string> candidateDrives() override
    {
        // A and B are floppy drives by tradition and are never looked at.
        std::vector<std::string> roots;
        const DWORD present = GetLogicalDrives();
        int position = 0;
        for (DWORD bit = 1; bit != 0; bit <<= 1, ++position) {
            if ((present & bit) == 0 || position < 2)
                continue;
            roots.push_back(std::string(1, static_cast<char>('A' + position)) + ":");
        }
        return roots;
    }

    bool isRemovable(const std::string &root) override
    {
        return GetDriveTypeW(rootDirectory(root).c_str()) == DRIVE_REMOVABLE;
    }

    std::optional<VolumeInformation> volumeInformation(const std::string &root) override
    {
        // Zeroed 128-byte buffers with one character left for the terminator, so that an
        // over-long name still ends.
        std::array<wchar_t, 128 / sizeof(wchar_t)> volumeName{};
        std::array<wchar_t, 128 / sizeof(wchar_t)> fileSystemName{};
        DWORD serialNumber = 0;
        if (!GetVolumeInformationW(rootDirectory(root).c_str(), volumeName.data(),
                                   static_cast<DWORD>(volumeName.size() - 1), &serialNumber,
                                   nullptr, nullptr, fileSystemName.data(),
                                   static_cast<DWORD>(fileSystemName.size() - 1)))
            return std::nullopt;
        // Shown as Windows' own tools show a volume's serial number: "2468-ACE0".
        std::array<char, 10> serial{};
        std::snprintf(serial.data(), serial.size(), "%04lX-%04lX",
                      static_cast<unsigned long>(serialNumber >> 16),
                      static_cast<unsigned long>(serialNumber & 0xFFFF));
        return VolumeInformation{utf8FromWide(volumeName.data()),
                                 utf8FromWide(fileSystemName.data()), serial.data()};
    }
};

} // namespace

std::unique_ptr<VolumeSource> CreateSystemVolumeSource()
{
    return std::make_unique<Win32VolumeSource>();
}

// Windows mounts every volume itself, and the card dialogs scan again on Retry.
std::unique_ptr<VolumeSource> CreateDesktopVolumeSource()
{
    return CreateSystemVolumeSource();
}

std::uint64_t fileSystemIdOf(const std::string &)
{
    return 0;
}

// The Win32 source hears of nothing.
bool waitForVolumeEvents(VolumeSource &, int limit)
{
    ::Sleep(static_cast<DWORD>(limit > 0 ? limit : 0));
    return false;
}

} // namespace platform
