// A stand-in for the product's Word add-in: a DLL that can unregister itself. Each call of
// DllUnregisterServer appends one line to C:\e2e\word_addin.log, so a test can count the calls.
#include <windows.h>

namespace {

const wchar_t kLog[] = L"C:\\e2e\\word_addin.log";

void AppendLine(const char* line) {
    HANDLE file = CreateFileW(kLog, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written;
    WriteFile(file, line, static_cast<DWORD>(lstrlenA(line)), &written, nullptr);
    CloseHandle(file);
}

}  // namespace

extern "C" __declspec(dllexport) HRESULT __stdcall DllRegisterServer() {
    AppendLine("DllRegisterServer\r\n");
    return S_OK;
}

extern "C" __declspec(dllexport) HRESULT __stdcall DllUnregisterServer() {
    AppendLine("DllUnregisterServer\r\n");
    return S_OK;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
