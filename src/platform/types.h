// Portable spellings of the Windows types the program uses. Text is UTF-16 as char16_t; the
// Windows backend casts to wchar_t at the call. Handles are distinct pointer types so that a key
// can never be passed where a window is expected.
#pragma once
#include <cstddef>
#include <cstdint>

// Calling convention of functions reached through GetProcAddress.
#if defined(_WIN32) && defined(__i386__)
#define WIN_STDCALL __stdcall
#else
#define WIN_STDCALL
#endif

namespace win {

using BOOL = int;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using ULONG = std::uint32_t;
using UINT = unsigned int;
using INT_PTR = std::intptr_t;
using UINT_PTR = std::uintptr_t;
using LONG_PTR = std::intptr_t;
using ULONG_PTR = std::uintptr_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using HRESULT = std::int32_t;
using REGSAM = DWORD;
using WCHAR = char16_t;
using LPWSTR = char16_t*;
using LPCWSTR = const char16_t*;

struct HandleTag;
struct KeyTag;
struct WindowTag;
struct ModuleTag;
using HANDLE = HandleTag*;
using HKEY = KeyTag*;
using HWND = WindowTag*;
using HMODULE = ModuleTag*;
using HINSTANCE = HMODULE;
using FARPROC = void(WIN_STDCALL*)();

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;
constexpr DWORD MAX_PATH = 260;
constexpr DWORD INFINITE = 0xFFFFFFFF;

inline HANDLE const INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1));

struct FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};

// Error codes the program looks at.
constexpr DWORD ERROR_SUCCESS = 0;
constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
constexpr DWORD ERROR_PATH_NOT_FOUND = 3;
constexpr DWORD ERROR_ACCESS_DENIED = 5;
constexpr DWORD ERROR_INVALID_HANDLE = 6;
constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr DWORD ERROR_NO_MORE_FILES = 18;
constexpr DWORD ERROR_GEN_FAILURE = 31;
constexpr DWORD ERROR_SHARING_VIOLATION = 32;
constexpr DWORD ERROR_FILE_EXISTS = 80;
constexpr DWORD ERROR_INVALID_PARAMETER = 87;
constexpr DWORD ERROR_INSUFFICIENT_BUFFER = 122;
constexpr DWORD ERROR_INVALID_NAME = 123;
constexpr DWORD ERROR_DIR_NOT_EMPTY = 145;
constexpr DWORD ERROR_ALREADY_EXISTS = 183;
constexpr DWORD ERROR_FILENAME_EXCED_RANGE = 206;
constexpr DWORD ERROR_DIRECTORY = 267;
constexpr DWORD ERROR_MORE_DATA = 234;
constexpr DWORD ERROR_NO_MORE_ITEMS = 259;
constexpr DWORD ERROR_PIPE_BUSY = 231;
constexpr DWORD ERROR_SEM_TIMEOUT = 121;
constexpr DWORD ERROR_CALL_NOT_IMPLEMENTED = 120;
constexpr DWORD ERROR_PROC_NOT_FOUND = 127;
constexpr DWORD ERROR_BROKEN_PIPE = 109;
constexpr DWORD ERROR_OPERATION_ABORTED = 995;
constexpr DWORD ERROR_IO_PENDING = 997;
constexpr DWORD ERROR_KEY_DELETED = 1018;
constexpr DWORD ERROR_INVALID_PRINTER_NAME = 1801;
constexpr DWORD ERROR_UNKNOWN_PRINTER_DRIVER = 1797;
constexpr DWORD ERROR_UNKNOWN_PORT = 1796;
constexpr DWORD ERROR_INVALID_FUNCTION = 1;
constexpr DWORD ERROR_BUSY = 170;
constexpr DWORD ERROR_PRINTER_DRIVER_IN_USE = 3001;

constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }

}  // namespace win
