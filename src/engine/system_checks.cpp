#include "engine/system_checks.h"

#include "platform/registry.h"
#include "platform/scoped.h"

namespace engine {

bool QueryWindowsVersion(win::OSVERSIONINFOEXW& version) {
    version = {};
    version.dwOSVersionInfoSize = sizeof version;
    if (win::GetVersionExW(&version)) return true;
    version = {};
    version.dwOSVersionInfoSize = win::OSVERSIONINFOW_SIZE;
    return win::GetVersionExW(&version) != 0;
}

bool IsWindows95Family() {
    win::OSVERSIONINFOEXW version;
    return QueryWindowsVersion(version) && version.dwPlatformId == win::VER_PLATFORM_WIN32_WINDOWS;
}

bool CanWriteMachineSoftwareKey() {
    win::ScopedKey software;
    return win::RegCreateKeyExW(win::HKEY_LOCAL_MACHINE, u"Software", 0, nullptr, 0, win::KEY_ALL_ACCESS, nullptr,
                                software.put(), nullptr) == static_cast<win::LONG>(win::ERROR_SUCCESS);
}

bool IsRunningUnderWow64() {
    // KERNEL32 is in every process: it is asked for, never loaded by name.
    win::HMODULE kernel = win::GetModuleHandleW(u"kernel32.dll");
    if (!kernel) return false;
    win::BOOL wow64 = win::FALSE;
    auto isWow64 = reinterpret_cast<win::IsWow64ProcessFn>(win::GetProcAddress(kernel, "IsWow64Process"));
    return isWow64 && isWow64(win::GetCurrentProcess(), &wow64) && wow64;
}

}  // namespace engine
