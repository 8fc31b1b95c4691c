// Entry point of Uninstall.exe.
#include "app/uninstall_app.h"

#include <windows.h>

namespace {
app::UninstallApp theApp;
}

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    theApp.SetCommandLine(app::ArgumentsAfterProgramName(reinterpret_cast<const char16_t*>(GetCommandLineW())));
    theApp.InitInstance();
    return static_cast<int>(theApp.ExitCode());
}
