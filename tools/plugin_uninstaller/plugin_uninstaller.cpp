// Stands in for the browser plug-in's own uninstaller: appends its command line (UTF-8, one line
// per run) to "plugin_uninstaller.log" and exits with the code it is told. The log and the
// exit-code file "plugin_uninstaller_exit.txt" live in C:\e2e when that directory exists, next
// to the program otherwise, so that the log never keeps the product's directory alive. The
// variable ORVIK_PLUGIN_EXIT_CODE overrides the file. Without either the exit code is 0.
#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

std::wstring ToolDirectory() {
    DWORD attributes = GetFileAttributesW(L"C:\\e2e");
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return L"C:\\e2e";
    wchar_t self[MAX_PATH] = {};
    DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return L".";
    std::wstring path(self, length);
    return path.substr(0, path.find_last_of(L'\\'));
}

void AppendLine(const std::wstring& path, const std::wstring& line) {
    int size = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), &bytes[0], size, nullptr, nullptr);
    bytes += "\r\n";
    HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

// Reads a decimal exit code, which may be negative ("-1" gives 0xFFFFFFFF).
bool ParseExitCode(const std::string& text, UINT& code) {
    char* end = nullptr;
    long long value = std::strtoll(text.c_str(), &end, 10);
    if (end == text.c_str()) return false;
    code = static_cast<UINT>(value);
    return true;
}

UINT ExitCodeToUse(const std::wstring& directory) {
    UINT code = 0;
    char variable[32] = {};
    DWORD length = GetEnvironmentVariableA("ORVIK_PLUGIN_EXIT_CODE", variable, sizeof variable);
    if (length > 0 && length < sizeof variable && ParseExitCode(variable, code)) return code;
    HANDLE file = CreateFileW((directory + L"\\plugin_uninstaller_exit.txt").c_str(), GENERIC_READ, FILE_SHARE_READ,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    char text[32] = {};
    DWORD read = 0;
    ReadFile(file, text, sizeof text - 1, &read, nullptr);
    CloseHandle(file);
    return ParseExitCode(text, code) ? code : 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    const std::wstring directory = ToolDirectory();
    AppendLine(directory + L"\\plugin_uninstaller.log", GetCommandLineW());
    ExitProcess(ExitCodeToUse(directory));
}
