//   footprint.exe install [OPTIONS]   lay down the product
//   footprint.exe report  [OPTIONS]   one line per item: OWNER STATE KIND NAME
//   footprint.exe check   [OPTIONS]   only the problems; exit 1 when there is one
//   footprint.exe hold PATH SECONDS   keep a file open (as a running program would) for a while
//   footprint.exe hold-module PATH SECONDS   keep an executable file mapped, as a loaded module
//                                     is: it can be renamed but not deleted
//   footprint.exe run-wait PROGRAM [ARGUMENTS]   start PROGRAM with ARGUMENTS (one string), wait
//                                     for it and print "exit N" with its whole exit code
//   footprint.exe swap-copies DIR STOPFILE SECONDS   as another process of the user would, keep
//                                     trying to rename every DIR\orv*.exe away ("renamed NAME"
//                                     for each success) until STOPFILE exists and no copy is
//                                     left, or SECONDS have passed; "watching" once it has begun
// OPTIONS: --install-dir DIR, --install-record TEXT (InstallPath as stored; default DIR\),
//          --exist-path PATH, --uninstaller EXE, --lang N, --no-records,
//          --with NAME (repeatable), --only SUBJECT (repeatable)
#include "footprint.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>

namespace footprint {

std::vector<Subject>& Subjects() {
    static std::vector<Subject> subjects;
    return subjects;
}

void MakeDirectories(const std::wstring& directory) {
    for (std::size_t i = 3; i <= directory.size(); ++i)
        if (i == directory.size() || directory[i] == L'\\') CreateDirectoryW(directory.substr(0, i).c_str(), nullptr);
}

void WriteTextFile(const std::wstring& path, const std::string& content) {
    MakeDirectories(path.substr(0, path.find_last_of(L'\\')));
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::fwprintf(stderr, L"footprint: cannot write %ls\n", path.c_str());
        return;
    }
    DWORD written;
    WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
}

bool PathExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void SetRegString(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& value) {
    HKEY k;
    if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr) != ERROR_SUCCESS) return;
    RegSetValueExW(k, name.empty() ? nullptr : name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(k);
}

void SetRegDword(HKEY root, const std::wstring& key, const std::wstring& name, DWORD value) {
    HKEY k;
    if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr) != ERROR_SUCCESS) return;
    RegSetValueExW(k, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(k);
}

void CreateRegKey(HKEY root, const std::wstring& key) {
    HKEY k;
    if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr) == ERROR_SUCCESS)
        RegCloseKey(k);
}

bool RegKeyExists(HKEY root, const std::wstring& key) {
    HKEY k;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    RegCloseKey(k);
    return true;
}

bool RegValueExists(HKEY root, const std::wstring& key, const std::wstring& name) {
    HKEY k;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    bool found = RegQueryValueExW(k, name.empty() ? nullptr : name.c_str(), nullptr, nullptr, nullptr, nullptr) ==
                 ERROR_SUCCESS;
    RegCloseKey(k);
    return found;
}

std::wstring RootName(HKEY root) {
    if (root == HKEY_LOCAL_MACHINE) return L"HKLM";
    if (root == HKEY_CURRENT_USER) return L"HKCU";
    if (root == HKEY_CLASSES_ROOT) return L"HKCR";
    return L"?";
}

Item FileItem(Owner owner, const std::wstring& path) {
    return {owner, L"file", path, [path] { return PathExists(path); }};
}
Item DirectoryItem(Owner owner, const std::wstring& path) {
    return {owner, L"dir", path, [path] { return PathExists(path); }};
}
Item KeyItem(Owner owner, HKEY root, const std::wstring& key) {
    return {owner, L"key", RootName(root) + L"\\" + key, [root, key] { return RegKeyExists(root, key); }};
}
Item ValueItem(Owner owner, HKEY root, const std::wstring& key, const std::wstring& name) {
    return {owner, L"value", RootName(root) + L"\\" + key + L" [" + (name.empty() ? L"(default)" : name) + L"]",
            [root, key, name] { return RegValueExists(root, key, name); }};
}

}  // namespace footprint

using namespace footprint;

namespace {

std::vector<Subject> Ordered() {
    std::vector<Subject> subjects = Subjects();
    std::stable_sort(subjects.begin(), subjects.end(), [](const Subject& a, const Subject& b) { return a.order < b.order; });
    return subjects;
}

bool IsBelow(const std::wstring& path, const std::wstring& directory) {
    std::wstring prefix = directory;
    if (prefix.empty() || prefix.back() != L'\\') prefix += L'\\';
    return path.size() > prefix.size() && _wcsnicmp(path.c_str(), prefix.c_str(), prefix.size()) == 0;
}

// A directory that holds something that must stay cannot go either: whatever subject laid
// the foreign item down, the product's directories above it become expected leftovers.
void KeepDirectoriesOfForeignItems(std::vector<Item>& items) {
    for (Item& directory : items) {
        if (directory.kind != L"dir" || directory.owner != Owner::Product) continue;
        for (const Item& other : items)
            if (other.owner == Owner::Foreign && other.kind != L"key" && other.kind != L"value" &&
                IsBelow(other.name, directory.name))
                directory.owner = Owner::Foreign;
    }
}

std::vector<Item> AllItems(const Options& options) {
    std::vector<Item> items;
    for (const Subject& s : Ordered()) {
        const std::size_t first = items.size();
        s.describe(options, items);
        for (std::size_t i = first; i < items.size(); ++i) items[i].subject = s.name;
    }
    KeepDirectoriesOfForeignItems(items);
    if (!options.only.empty())
        items.erase(std::remove_if(items.begin(), items.end(),
                                   [&](const Item& item) { return options.only.count(item.subject) == 0; }),
                    items.end());
    return items;
}

// One line of output in UTF-8, so that names beyond ASCII (the product's Chinese-character name)
// come out whole whatever the console's code page.
void PrintLine(const std::wstring& line) {
    int size = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), &bytes[0], size, nullptr, nullptr);
    bytes += '\n';
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
}

int Hold(const wchar_t* path, int seconds) {
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 2;
    std::printf("holding\n");
    std::fflush(stdout);
    Sleep(static_cast<DWORD>(seconds) * 1000);
    CloseHandle(file);
    return 0;
}

int HoldModule(const wchar_t* path, int seconds) {
    HMODULE module = LoadLibraryExW(path, nullptr, DONT_RESOLVE_DLL_REFERENCES);
    if (!module) return 2;
    std::printf("holding\n");
    std::fflush(stdout);
    Sleep(static_cast<DWORD>(seconds) * 1000);
    FreeLibrary(module);
    return 0;
}

int RunAndWait(const wchar_t* program, const wchar_t* arguments) {
    std::wstring commandLine = L"\"" + std::wstring(program) + L"\"";
    if (arguments && *arguments) commandLine += L" " + std::wstring(arguments);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        std::printf("not started %lu\n", GetLastError());
        return 2;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    std::printf("exit %lu\n", code);
    return 0;
}

int SwapCopies(const std::wstring& directory, const wchar_t* stopFile, int seconds) {
    std::printf("watching\n");
    std::fflush(stdout);
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(seconds) * 1000;
    while (GetTickCount64() < end) {
        bool found = false;
        WIN32_FIND_DATAW entry;
        HANDLE search = FindFirstFileW((directory + L"\\orv*.exe").c_str(), &entry);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                found = true;
                const std::wstring path = directory + L"\\" + entry.cFileName;
                if (MoveFileW(path.c_str(), (path + L".moved").c_str())) {
                    PrintLine(L"renamed " + std::wstring(entry.cFileName));
                    std::fflush(stdout);
                }
            } while (FindNextFileW(search, &entry));
            FindClose(search);
        }
        if (!found && GetFileAttributesW(stopFile) != INVALID_FILE_ATTRIBUTES) return 0;
        Sleep(10);
    }
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fwprintf(stderr, L"usage: footprint install|report|check [options] | hold PATH SECONDS\n");
        return 2;
    }
    std::wstring command = argv[1];
    if (command == L"hold" && argc >= 4) return Hold(argv[2], _wtoi(argv[3]));
    if (command == L"hold-module" && argc >= 4) return HoldModule(argv[2], _wtoi(argv[3]));
    if (command == L"run-wait" && argc >= 3) return RunAndWait(argv[2], argc >= 4 ? argv[3] : nullptr);
    if (command == L"swap-copies" && argc >= 5) return SwapCopies(argv[2], argv[3], _wtoi(argv[4]));

    Options options;
    for (int i = 2; i < argc; ++i) {
        std::wstring a = argv[i];
        auto next = [&]() -> std::wstring { return i + 1 < argc ? argv[++i] : L""; };
        if (a == L"--install-dir") options.installDir = next();
        else if (a == L"--exist-path") options.existPath = next();
        else if (a == L"--install-record") {
            options.hasInstallRecord = true;
            options.installRecord = next();
        }
        else if (a == L"--uninstaller") options.uninstaller = next();
        else if (a == L"--lang") options.langId = _wtoi(next().c_str());
        else if (a == L"--no-records") options.records = false;
        else if (a == L"--with") options.with.insert(next());
        else if (a == L"--only") options.only.insert(next());
        else {
            std::fwprintf(stderr, L"footprint: unknown option %ls\n", a.c_str());
            return 2;
        }
    }
    while (!options.installDir.empty() && options.installDir.back() == L'\\') options.installDir.pop_back();

    if (command == L"install") {
        for (const Subject& s : Ordered())
            if (options.only.empty() || options.only.count(s.name)) s.install(options);
        return 0;
    }
    if (command == L"report" || command == L"check") {
        int problems = 0;
        for (const Item& item : AllItems(options)) {
            bool present = item.present();
            bool problem = item.owner == Owner::Foreign ? !present : present;
            problems += problem;
            const wchar_t* owner = item.owner == Owner::Product  ? L"product"
                                   : item.owner == Owner::Foreign ? L"foreign"
                                                                  : L"unwanted";
            if (command == L"report" || problem)
                PrintLine(std::wstring(owner) + L" " + (present ? L"present" : L"gone") + L" " + item.kind + L" " +
                          item.name);
        }
        std::fflush(stdout);
        return command == L"check" && problems ? 1 : 0;
    }
    std::fwprintf(stderr, L"footprint: unknown command\n");
    return 2;
}
