#include "platform/registry.h"

#include <windows.h>

#include "platform/win32/interop.h"

using win32::H;
using win32::W;

namespace win {

LONG RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR className, DWORD options, REGSAM access,
                     void* security, HKEY* result, DWORD* disposition) {
    return ::RegCreateKeyExW(H<::HKEY>(key), W(subKey), reserved, W(className), options, access,
                             static_cast<LPSECURITY_ATTRIBUTES>(security), reinterpret_cast<::HKEY*>(result),
                             reinterpret_cast<::DWORD*>(disposition));
}

LONG RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM access, HKEY* result) {
    return ::RegOpenKeyExW(H<::HKEY>(key), W(subKey), options, access, reinterpret_cast<::HKEY*>(result));
}

LONG RegQueryValueExW(HKEY key, LPCWSTR valueName, DWORD* reserved, DWORD* type, BYTE* data, DWORD* dataSize) {
    return ::RegQueryValueExW(H<::HKEY>(key), W(valueName), reinterpret_cast<::DWORD*>(reserved),
                              reinterpret_cast<::DWORD*>(type), data, reinterpret_cast<::DWORD*>(dataSize));
}

LONG RegQueryInfoKeyW(HKEY key, LPWSTR className, DWORD* classLength, DWORD* reserved, DWORD* subKeys,
                      DWORD* maxSubKeyLength, DWORD* maxClassLength, DWORD* values, DWORD* maxValueNameLength,
                      DWORD* maxValueLength, DWORD* securityDescriptorSize, FILETIME* lastWriteTime) {
    auto d = [](DWORD* p) { return reinterpret_cast<::DWORD*>(p); };
    return ::RegQueryInfoKeyW(H<::HKEY>(key), W(className), d(classLength), d(reserved), d(subKeys),
                              d(maxSubKeyLength), d(maxClassLength), d(values), d(maxValueNameLength),
                              d(maxValueLength), d(securityDescriptorSize), reinterpret_cast<::FILETIME*>(lastWriteTime));
}

LONG RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, DWORD* nameLength, DWORD* reserved, LPWSTR className,
                   DWORD* classLength, FILETIME* lastWriteTime) {
    return ::RegEnumKeyExW(H<::HKEY>(key), index, W(name), reinterpret_cast<::DWORD*>(nameLength),
                           reinterpret_cast<::DWORD*>(reserved), W(className), reinterpret_cast<::DWORD*>(classLength),
                           reinterpret_cast<::FILETIME*>(lastWriteTime));
}

LONG RegEnumValueW(HKEY key, DWORD index, LPWSTR name, DWORD* nameLength, DWORD* reserved, DWORD* type, BYTE* data,
                   DWORD* dataSize) {
    return ::RegEnumValueW(H<::HKEY>(key), index, W(name), reinterpret_cast<::DWORD*>(nameLength),
                           reinterpret_cast<::DWORD*>(reserved), reinterpret_cast<::DWORD*>(type), data,
                           reinterpret_cast<::DWORD*>(dataSize));
}

LONG RegDeleteValueW(HKEY key, LPCWSTR valueName) { return ::RegDeleteValueW(H<::HKEY>(key), W(valueName)); }
LONG RegDeleteKeyW(HKEY key, LPCWSTR subKey) { return ::RegDeleteKeyW(H<::HKEY>(key), W(subKey)); }
LONG RegCloseKey(HKEY key) { return ::RegCloseKey(H<::HKEY>(key)); }

LONG NtDeleteKey(HKEY key) {
    using NtDeleteKeyFunction = LONG(WINAPI*)(::HANDLE);
    static const auto function = reinterpret_cast<NtDeleteKeyFunction>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtDeleteKey")));
    if (!function) return static_cast<LONG>(0xC0000002u);  // STATUS_NOT_IMPLEMENTED
    return function(reinterpret_cast<::HANDLE>(key));
}

}  // namespace win
