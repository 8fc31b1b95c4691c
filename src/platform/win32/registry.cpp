#include "platform/registry.h"

#include <windows.h>

#include "platform/win32/interop.h"
#include "platform/win32/system_library.h"

using win32::H;
using win32::W;

namespace win {

namespace {
// What a registry call reports when ADVAPI32 or the function cannot be had.
constexpr LONG kMissing = ERROR_PROC_NOT_FOUND;
}  // namespace

LONG RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR className, DWORD options, REGSAM access,
                     void* security, HKEY* result, DWORD* disposition) {
    return CALL_SYSTEM_FUNCTION(Advapi32, RegCreateKeyExW, kMissing, H<::HKEY>(key), W(subKey), reserved, W(className),
                                options, access, static_cast<LPSECURITY_ATTRIBUTES>(security),
                                reinterpret_cast<::HKEY*>(result), reinterpret_cast<::DWORD*>(disposition));
}

LONG RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM access, HKEY* result) {
    return CALL_SYSTEM_FUNCTION(Advapi32, RegOpenKeyExW, kMissing, H<::HKEY>(key), W(subKey), options, access,
                                reinterpret_cast<::HKEY*>(result));
}

LONG RegQueryValueExW(HKEY key, LPCWSTR valueName, DWORD* reserved, DWORD* type, BYTE* data, DWORD* dataSize) {
    return CALL_SYSTEM_FUNCTION(Advapi32, RegQueryValueExW, kMissing, H<::HKEY>(key), W(valueName),
                                reinterpret_cast<::DWORD*>(reserved), reinterpret_cast<::DWORD*>(type), data,
                                reinterpret_cast<::DWORD*>(dataSize));
}

LONG RegQueryInfoKeyW(HKEY key, LPWSTR className, DWORD* classLength, DWORD* reserved, DWORD* subKeys,
                      DWORD* maxSubKeyLength, DWORD* maxClassLength, DWORD* values, DWORD* maxValueNameLength,
                      DWORD* maxValueLength, DWORD* securityDescriptorSize, FILETIME* lastWriteTime) {
    auto d = [](DWORD* p) { return reinterpret_cast<::DWORD*>(p); };
    return CALL_SYSTEM_FUNCTION(Advapi32, RegQueryInfoKeyW, kMissing, H<::HKEY>(key), W(className), d(classLength),
                                d(reserved), d(subKeys), d(maxSubKeyLength), d(maxClassLength), d(values),
                                d(maxValueNameLength), d(maxValueLength), d(securityDescriptorSize),
                                reinterpret_cast<::FILETIME*>(lastWriteTime));
}

LONG RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, DWORD* nameLength, DWORD* reserved, LPWSTR className,
                   DWORD* classLength, FILETIME* lastWriteTime) {
    return CALL_SYSTEM_FUNCTION(Advapi32, RegEnumKeyExW, kMissing, H<::HKEY>(key), index, W(name),
                                reinterpret_cast<::DWORD*>(nameLength), reinterpret_cast<::DWORD*>(reserved),
                                W(className), reinterpret_cast<::DWORD*>(classLength),
                                reinterpret_cast<::FILETIME*>(lastWriteTime));
}

LONG RegEnumValueW(HKEY key, DWORD index, LPWSTR name, DWORD* nameLength, DWORD* reserved, DWORD* type, BYTE* data,
                   DWORD* dataSize) {
    return CALL_SYSTEM_FUNCTION(Advapi32, RegEnumValueW, kMissing, H<::HKEY>(key), index, W(name),
                                reinterpret_cast<::DWORD*>(nameLength), reinterpret_cast<::DWORD*>(reserved),
                                reinterpret_cast<::DWORD*>(type), data, reinterpret_cast<::DWORD*>(dataSize));
}

LONG RegDeleteValueW(HKEY key, LPCWSTR valueName) {
    return CALL_SYSTEM_FUNCTION(Advapi32, RegDeleteValueW, kMissing, H<::HKEY>(key), W(valueName));
}
LONG RegDeleteKeyW(HKEY key, LPCWSTR subKey) {
    return CALL_SYSTEM_FUNCTION(Advapi32, RegDeleteKeyW, kMissing, H<::HKEY>(key), W(subKey));
}
LONG RegCloseKey(HKEY key) { return CALL_SYSTEM_FUNCTION(Advapi32, RegCloseKey, kMissing, H<::HKEY>(key)); }

LONG NtDeleteKey(HKEY key) {
    using NtDeleteKeyFunction = LONG(WINAPI*)(::HANDLE);
    static const auto function = reinterpret_cast<NtDeleteKeyFunction>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtDeleteKey")));
    using ConvertFunction = ULONG(WINAPI*)(LONG);
    static const auto convert = reinterpret_cast<ConvertFunction>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "RtlNtStatusToDosError")));
    const LONG status = function ? function(reinterpret_cast<::HANDLE>(key)) : static_cast<LONG>(0xC0000002u);
    ::SetLastError(status == 0 ? ERROR_SUCCESS : convert ? convert(status) : ERROR_GEN_FAILURE);
    return status;
}

}  // namespace win
