// Plays the product installer's side of the uninstall link: creates the pipe the uninstaller
// reports to, starts "Uninstall.exe -UninstForInst", prints every code it reads on a line of its
// own and ends when the pipe closes. The uninstaller it starts hands the work to a copy of itself
// and ends at once; that copy is the one that connects.
//
//   installer_host.exe UNINSTALLER [--timeout SECONDS] [--no-start] [--show-client]
//                      [--current-directory DIR] [--never-read]
//   installer_host.exe --squat SECONDS
//
// --no-start starts nothing and prints "listening" once the pipe is there, so that whoever
// starts the uninstaller knows it may.
// --current-directory starts the uninstaller with DIR as its current directory.
// --never-read plays a server that accepts and never reads (byte mode, no buffer): it prints
// "connected", then "client gone" once the uninstaller has closed its end, and ends.
// --squat plays another process of the user that created instances of the pipe's name before
// the installer: it prints "listening", then "squatted CODE" for anything it is sent, keeping
// one instance listening at a time for SECONDS, and starts nothing.
// --show-client first prints "client PATH", the program at the other end of the pipe, and
// "started ended" or "started running", whether the program it started has ended by then
// (it waits up to five seconds for that).
// --upgrade DIR plays an upgrade in place: the moment the pipe closes it writes the new version's
// files into DIR ("Uninstall.exe", "Orvik Pendrel.exe", "Readme.txt", each holding
// "new version NAME", replacing what is there) and prints "upgraded" or "upgrade failed NAME ERROR".
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

const wchar_t kPipeName[] = L"\\\\.\\pipe\\Orvik Pendrel";

HANDLE StartUninstaller(const std::wstring& path, const wchar_t* currentDirectory) {
    std::wstring commandLine = L"\"" + path + L"\" -UninstForInst";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, currentDirectory, &startup,
                        &process)) {
        std::fwprintf(stderr, L"installer_host: cannot start %ls (error %lu)\n", path.c_str(), GetLastError());
        return nullptr;
    }
    CloseHandle(process.hThread);
    return process.hProcess;
}

void ShowClient(HANDLE pipe, HANDLE started) {
    ULONG clientId = 0;
    wchar_t image[MAX_PATH] = L"?";
    if (GetNamedPipeClientProcessId(pipe, &clientId)) {
        if (HANDLE client = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, clientId)) {
            DWORD size = MAX_PATH;
            if (!QueryFullProcessImageNameW(client, 0, image, &size)) lstrcpyW(image, L"?");
            CloseHandle(client);
        }
    }
    std::printf("client %ls\n", image);
    if (started) std::printf("started %s\n", WaitForSingleObject(started, 5000) == WAIT_OBJECT_0 ? "ended" : "running");
    std::fflush(stdout);
}

// Waits up to `timeoutMs` for the uninstaller to connect.
bool WaitForClient(HANDLE pipe, DWORD timeoutMs) {
    OVERLAPPED overlapped{};
    overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    bool connected = false;
    if (ConnectNamedPipe(pipe, &overlapped)) {
        connected = true;
    } else {
        DWORD error = GetLastError();
        if (error == ERROR_PIPE_CONNECTED) {
            connected = true;
        } else if (error == ERROR_IO_PENDING) {
            if (WaitForSingleObject(overlapped.hEvent, timeoutMs) == WAIT_OBJECT_0) {
                DWORD ignored;
                connected = GetOverlappedResult(pipe, &overlapped, &ignored, FALSE);
            } else {
                CancelIo(pipe);
            }
        }
    }
    CloseHandle(overlapped.hEvent);
    return connected;
}

// Prints every report read from the connected `pipe` on a line of its own after `prefix`, until
// the client has gone (0) or no report came for `timeoutMs` (3).
int PrintReports(HANDLE pipe, const char* prefix, DWORD timeoutMs) {
    OVERLAPPED overlapped{};
    overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    int status = 0;
    for (;;) {
        char buffer[128];
        DWORD read = 0;
        ResetEvent(overlapped.hEvent);
        BOOL ok = ReadFile(pipe, buffer, sizeof buffer - 1, &read, &overlapped);
        if (!ok && GetLastError() == ERROR_IO_PENDING) {
            if (WaitForSingleObject(overlapped.hEvent, timeoutMs) != WAIT_OBJECT_0) {
                CancelIo(pipe);
                std::fwprintf(stderr, L"installer_host: no report for too long\n");
                status = 3;
                break;
            }
            ok = GetOverlappedResult(pipe, &overlapped, &read, FALSE);
        }
        if (!ok && GetLastError() != ERROR_MORE_DATA) break;  // the uninstaller has ended
        buffer[read] = 0;
        std::printf("%s%s\n", prefix, buffer);
        std::fflush(stdout);
    }
    CloseHandle(overlapped.hEvent);
    return status;
}

// Instances of the pipe's name, one listening at a time, for `seconds`; prints what they hear.
int Squat(DWORD seconds) {
    const DWORD end = GetTickCount() + seconds * 1000;
    bool announced = false;
    while (static_cast<LONG>(end - GetTickCount()) > 0) {
        HANDLE pipe = CreateNamedPipeW(kPipeName, PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                                       PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, PIPE_UNLIMITED_INSTANCES,
                                       4096, 4096, 0, nullptr);
        if (pipe == INVALID_HANDLE_VALUE) {
            std::fwprintf(stderr, L"installer_host: cannot create the pipe (error %lu)\n", GetLastError());
            return 2;
        }
        if (!announced) {
            std::printf("listening\n");
            std::fflush(stdout);
            announced = true;
        }
        if (WaitForClient(pipe, static_cast<DWORD>(end - GetTickCount()))) PrintReports(pipe, "squatted ", 10000);
        CloseHandle(pipe);
    }
    return 0;
}

// A server that accepts and never reads: waits until the client has gone or time runs out.
int NeverRead(HANDLE pipe, DWORD timeoutMs) {
    std::printf("connected\n");
    std::fflush(stdout);
    const DWORD end = GetTickCount() + timeoutMs;
    while (static_cast<LONG>(end - GetTickCount()) > 0) {
        DWORD available = 0;
        if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) {
            std::printf("client gone\n");
            std::fflush(stdout);
            return 0;
        }
        Sleep(100);
    }
    std::fwprintf(stderr, L"installer_host: the client never went\n");
    return 3;
}

// The new version's files, written as an installer writes them: the directories made where they
// have gone, each file replaced whole.
void Upgrade(const wchar_t* directory) {
    const std::wstring path(directory);
    for (std::size_t cut = path.find(L'\\', 3); cut != std::wstring::npos; cut = path.find(L'\\', cut + 1))
        CreateDirectoryW(path.substr(0, cut).c_str(), nullptr);
    CreateDirectoryW(directory, nullptr);
    for (const wchar_t* name : {L"Uninstall.exe", L"Orvik Pendrel.exe", L"Readme.txt"}) {
        const std::wstring path = std::wstring(directory) + L"\\" + name;
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        char content[64];
        const int length = std::snprintf(content, sizeof content, "new version %ls", name);
        DWORD written = 0;
        if (file == INVALID_HANDLE_VALUE || !WriteFile(file, content, static_cast<DWORD>(length), &written, nullptr)) {
            std::printf("upgrade failed %ls %lu\n", name, GetLastError());
            std::fflush(stdout);
            if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
            return;
        }
        CloseHandle(file);
    }
    std::printf("upgraded\n");
    std::fflush(stdout);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc >= 3 && !wcscmp(argv[1], L"--squat")) return Squat(static_cast<DWORD>(_wtoi(argv[2])));
    if (argc < 2) {
        std::fwprintf(stderr, L"usage: installer_host UNINSTALLER [--timeout SECONDS] [--no-start]\n");
        return 2;
    }
    DWORD timeoutMs = 120000;
    bool start = true;
    bool showClient = false;
    bool neverRead = false;
    const wchar_t* currentDirectory = nullptr;
    const wchar_t* upgradeDirectory = nullptr;
    for (int i = 2; i < argc; ++i) {
        if (!wcscmp(argv[i], L"--timeout") && i + 1 < argc) timeoutMs = static_cast<DWORD>(_wtoi(argv[++i])) * 1000;
        else if (!wcscmp(argv[i], L"--no-start")) start = false;
        else if (!wcscmp(argv[i], L"--show-client")) showClient = true;
        else if (!wcscmp(argv[i], L"--never-read")) neverRead = true;
        else if (!wcscmp(argv[i], L"--current-directory") && i + 1 < argc) currentDirectory = argv[++i];
        else if (!wcscmp(argv[i], L"--upgrade") && i + 1 < argc) upgradeDirectory = argv[++i];
    }

    // Message mode: every report the uninstaller writes arrives as one message. A server that
    // never reads has no buffer, so that no write can complete. Instances are not limited, as
    // an installer cannot keep others from making more of them.
    HANDLE pipe = neverRead ? CreateNamedPipeW(kPipeName, PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                                               PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT,
                                               PIPE_UNLIMITED_INSTANCES, 0, 0, 0, nullptr)
                            : CreateNamedPipeW(kPipeName, PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                                               PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT,
                                               PIPE_UNLIMITED_INSTANCES, 4096, 4096, 0, nullptr);
    if (pipe == INVALID_HANDLE_VALUE) {
        std::fwprintf(stderr, L"installer_host: cannot create the pipe (error %lu)\n", GetLastError());
        return 2;
    }
    if (!start) {
        std::printf("listening\n");
        std::fflush(stdout);
    }
    HANDLE started = nullptr;
    if (start && !(started = StartUninstaller(argv[1], currentDirectory))) return 2;
    if (!WaitForClient(pipe, timeoutMs)) {
        std::fwprintf(stderr, L"installer_host: no connection\n");
        return 3;
    }
    if (showClient) ShowClient(pipe, started);
    if (neverRead) return NeverRead(pipe, timeoutMs);

    const int status = PrintReports(pipe, "", timeoutMs);
    CloseHandle(pipe);
    if (upgradeDirectory) Upgrade(upgradeDirectory);
    return status;
}

