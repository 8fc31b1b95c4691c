// The temporary copy runs from the user's temporary directory, which every process of that user
// can write to, and the loader looks for a library in the executable's own directory first. So
// before anything else can load a library, the search is narrowed to the system directory.
#include "app/uninstall_app.h"
#include "platform/system.h"

namespace app {

void RestrictDllSearchToSystemDirectory() {
    // Both controls are looked up: the program still starts on systems that lack them.
    win::HMODULE kernel = win::GetModuleHandleW(u"kernel32.dll");
    if (!kernel) return;
    auto setDefaultDllDirectories = reinterpret_cast<win::SetDefaultDllDirectoriesFn>(
        win::GetProcAddress(kernel, "SetDefaultDllDirectories"));
    if (setDefaultDllDirectories && setDefaultDllDirectories(win::LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
    // Without it (Windows 7 before its update, and older) the current directory at least leaves
    // the search; the libraries the program loads itself are named by full path, and load their
    // own from where they lie.
    auto setDllDirectory = reinterpret_cast<win::SetDllDirectoryWFn>(win::GetProcAddress(kernel, "SetDllDirectoryW"));
    if (setDllDirectory) setDllDirectory(u"");
}

}  // namespace app
