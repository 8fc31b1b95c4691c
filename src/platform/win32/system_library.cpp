#include "platform/win32/system_library.h"

namespace win32 {

namespace {

constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32

constexpr const wchar_t* kFileNames[] = {L"advapi32.dll", L"user32.dll",   L"gdi32.dll",   L"shell32.dll",
                                         L"ole32.dll",    L"comctl32.dll", L"winspool.drv"};
static_assert(sizeof kFileNames / sizeof kFileNames[0] == static_cast<int>(SystemLibrary::Count),
              "one file name per library");

::HMODULE LoadFromSystemDirectory(const wchar_t* fileName) {
    wchar_t path[MAX_PATH];
    const UINT length = ::GetSystemDirectoryW(path, MAX_PATH);
    if (length == 0 || length + 1 + ::lstrlenW(fileName) >= MAX_PATH) return nullptr;
    path[length] = L'\\';
    ::lstrcpyW(path + length + 1, fileName);
    // The libraries it needs in turn come from the system directory too, not from ours.
    return ::LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

// The common controls of version 6 are a side-by-side assembly that the manifest asks for; the
// activation context redirects only a bare name to it. Whatever the redirection does not
// answer is looked for in the system directory alone; systems that predate that flag refuse it
// and search as the start-up restriction left them.
::HMODULE LoadCommonControls() {
    if (::HMODULE module = ::LoadLibraryExW(L"comctl32.dll", nullptr, kSearchSystem32)) return module;
    if (::GetLastError() != ERROR_INVALID_PARAMETER) return nullptr;
    return ::LoadLibraryExW(L"comctl32.dll", nullptr, 0);
}

}  // namespace

::HMODULE LoadSystemLibrary(SystemLibrary library) {
    static ::HMODULE modules[static_cast<int>(SystemLibrary::Count)];
    static bool tried[static_cast<int>(SystemLibrary::Count)];
    const int index = static_cast<int>(library);
    if (!tried[index]) {
        tried[index] = true;
        // Some builds of the window system's input methods (loaded with USER32), of the shell
        // and of the common controls (Wine's among them) delay-load OLE32 through a search that
        // ignores the restriction and starts in the executable's directory; loaded here first,
        // from the system directory, it is found already in place.
        if (library == SystemLibrary::User32 || library == SystemLibrary::Shell32 || library == SystemLibrary::Comctl32)
            LoadSystemLibrary(SystemLibrary::Ole32);
        modules[index] =
            library == SystemLibrary::Comctl32 ? LoadCommonControls() : LoadFromSystemDirectory(kFileNames[index]);
    }
    return modules[index];
}

::FARPROC SystemFunction(SystemLibrary library, const char* name) {
    ::HMODULE module = LoadSystemLibrary(library);
    return module ? ::GetProcAddress(module, name) : nullptr;
}

}  // namespace win32
