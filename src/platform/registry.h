// Registry operations (ADVAPI32).
#pragma once
#include "platform/types.h"

namespace win {

inline HKEY PredefinedKey(std::uint32_t value) {
    // Predefined keys are sign-extended 32-bit values, as on 64-bit Windows.
    return reinterpret_cast<HKEY>(static_cast<std::intptr_t>(static_cast<std::int32_t>(value)));
}
inline HKEY const HKEY_CLASSES_ROOT = PredefinedKey(0x80000000u);
inline HKEY const HKEY_CURRENT_USER = PredefinedKey(0x80000001u);
inline HKEY const HKEY_LOCAL_MACHINE = PredefinedKey(0x80000002u);

constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_WRITE = 0x20006;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;
// The right to delete the key itself (NtDeleteKey on its handle).
constexpr REGSAM KEY_DELETE = 0x00010000;
// The system's own view of the machine's software key, also for a 32-bit process on 64-bit
// Windows (which is otherwise shown the 32-bit programs' copy of it).
constexpr REGSAM KEY_WOW64_64KEY = 0x0100;

// Opens a symbolic link key itself instead of the key it leads to.
constexpr DWORD REG_OPTION_OPEN_LINK = 0x00000008;

constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr DWORD REG_LINK = 6;
constexpr DWORD REG_MULTI_SZ = 7;

constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

LONG RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR className, DWORD options, REGSAM access,
                     void* security, HKEY* result, DWORD* disposition);
LONG RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM access, HKEY* result);
LONG RegQueryValueExW(HKEY key, LPCWSTR valueName, DWORD* reserved, DWORD* type, BYTE* data, DWORD* dataSize);
LONG RegQueryInfoKeyW(HKEY key, LPWSTR className, DWORD* classLength, DWORD* reserved, DWORD* subKeys,
                      DWORD* maxSubKeyLength, DWORD* maxClassLength, DWORD* values, DWORD* maxValueNameLength,
                      DWORD* maxValueLength, DWORD* securityDescriptorSize, FILETIME* lastWriteTime);
LONG RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, DWORD* nameLength, DWORD* reserved, LPWSTR className,
                   DWORD* classLength, FILETIME* lastWriteTime);
LONG RegEnumValueW(HKEY key, DWORD index, LPWSTR name, DWORD* nameLength, DWORD* reserved, DWORD* type, BYTE* data,
                   DWORD* dataSize);
LONG RegDeleteValueW(HKEY key, LPCWSTR valueName);
LONG RegDeleteKeyW(HKEY key, LPCWSTR subKey);
LONG RegCloseKey(HKEY key);
// Deletes the key an open handle refers to: the only way to delete a symbolic link key itself
// (RegDeleteKeyW follows the link and deletes its target). An NTSTATUS: 0 on success.
LONG NtDeleteKey(HKEY key);

}  // namespace win
