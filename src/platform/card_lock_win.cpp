#include "platform/card_lock.h"

#include <windows.h>

#include <array>
#include <cstdio>
#include <string>

namespace platform {

CardLock::CardLock(const std::string &root, std::chrono::milliseconds patience)
{
    std::wstring directory(root.begin(), root.end());
    if (directory.empty() || directory.back() != L'\\')
        directory += L'\\';
    // The volume serial names the card wherever it is mounted; a mutex of this session, as the
    // editor and kestra-cfg run in the user's.
    DWORD serialNumber = 0;
    if (!GetVolumeInformationW(directory.c_str(), nullptr, 0, &serialNumber, nullptr, nullptr,
                               nullptr, 0))
        return;
    std::array<char, 10> serial{};
    std::snprintf(serial.data(), serial.size(), "%04lX-%04lX",
                  static_cast<unsigned long>(serialNumber >> 16),
                  static_cast<unsigned long>(serialNumber & 0xFFFF));
    const std::string text = std::string("Local\\VelomarCard-") + serial.data();
    const std::wstring name(text.begin(), text.end());
    HANDLE handle = CreateMutexW(nullptr, FALSE, name.c_str());
    if (!handle)
        return;
    const DWORD waited = WaitForSingleObject(handle, static_cast<DWORD>(patience.count()));
    // An abandoned mutex is ours now: its writer ended without giving it back.
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED)
        mutex = handle;
    else
        CloseHandle(handle);
}

CardLock::~CardLock()
{
    if (mutex) {
        ReleaseMutex(mutex);
        CloseHandle(mutex);
    }
}

bool CardLock::held() const
{
    return mutex != nullptr;
}

} // namespace platform
