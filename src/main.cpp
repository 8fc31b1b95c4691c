// Entry point of Uninstall.exe.
#include "app/uninstall_app.h"

#include <windows.h>

namespace {
app::UninstallApp theApp;
}

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR commandLine, int) {
    theApp.m_lpCmdLine = reinterpret_cast<const char16_t*>(commandLine);
    theApp.InitInstance();
    return 0;
}
