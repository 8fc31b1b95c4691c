// A program that imports, at load time, libraries that are not KnownDLLs (the printer spooler's
// and the version-information library), as the uninstaller once did. scripts/test.sh runs
// scripts/check_executable.sh on it to see that the check refuses such imports; it is never run.
#include <windows.h>
#include <winspool.h>

int wmain() {
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(L"kernel32.dll", &handle);
    return ClosePrinter(nullptr) ? 0 : static_cast<int>(size);
}
