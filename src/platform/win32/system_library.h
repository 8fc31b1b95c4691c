// The system libraries beyond KERNEL32, loaded when a call first needs one. The executable
// imports nothing else at load time: a DLL the loader resolves before the program runs would be
// looked for in the executable's own directory first, and the temporary copy's directory is
// writable by every process of the user. Loading at run time, after the search path has been
// restricted, by full path from the system directory, closes that door; it also spares the
// installed copy, which only reads records and starts the copy, the start-up cost of libraries
// it never calls.
#pragma once
#include <windows.h>

namespace win32 {

enum class SystemLibrary { Advapi32, User32, Gdi32, Shell32, Ole32, Comctl32, Winspool, Count };

// The library's module, loaded on first use; null when it cannot be loaded.
::HMODULE LoadSystemLibrary(SystemLibrary library);
// A function of the library, or null when the library or the function is missing.
::FARPROC SystemFunction(SystemLibrary library, const char* name);

}  // namespace win32

// The system function `name` of `library` with its SDK signature, or null when it is missing.
// Only the declaration's type is taken, so no import is made.
#define SYSTEM_FUNCTION(library, name)          \
    reinterpret_cast<decltype(&::name)>(        \
        reinterpret_cast<void*>(::win32::SystemFunction(::win32::SystemLibrary::library, #name)))

// Calls the system function `name` of `library` with the arguments that follow, or yields
// `failed` when the function is missing, as the call itself would report a failure: the last
// error then says ERROR_PROC_NOT_FOUND, so that a caller that reads it is not misled by an
// older one.
#define CALL_SYSTEM_FUNCTION(library, name, failed, ...)                      \
    ([&]() {                                                                  \
        const decltype(&::name) function = SYSTEM_FUNCTION(library, name);    \
        if (function) return function(__VA_ARGS__);                           \
        ::SetLastError(ERROR_PROC_NOT_FOUND);                                 \
        return static_cast<decltype(function(__VA_ARGS__))>(failed);          \
    }())
