#include "platform/card_lock.h"

#include <windows.h>

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
    wchar_t name[64] = {};
    std::swprintf(name, sizeof name / sizeof name[0], L"Local\\VelomarCard-%04lX-%04lX",
                  static_cast<unsigned long>(serialNumber >> 16),
                  static_cast<unsigned long>(serialNumber & 0xFFFF));
    HANDLE handle = CreateMutexW(nullptr, FALSE, name);
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
