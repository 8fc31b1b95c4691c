// Plays the product installer's side of the uninstall link: creates the pipe the uninstaller
// reports to, starts "Uninstall.exe -UninstForInst", prints every code it reads on a line of its
// own and ends when the pipe closes. The uninstaller it starts hands the work to a copy of itself
// and ends at once; that copy is the one that connects.
//
//   installer_host.exe UNINSTALLER [--timeout SECONDS] [--no-start] [--show-client]
//
// --no-start starts nothing and prints "listening" once the pipe is there, so that whoever
// starts the uninstaller knows it may.
// --show-client first prints "client PATH", the program at the other end of the pipe, and
// "started ended" or "started running", whether the program it started has ended by then
// (it waits up to five seconds for that).
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

const wchar_t kPipeName[] = L"\\\\.\\pipe\\Orvik Pendrel";

HANDLE StartUninstaller(const std::wstring& path) {
    std::wstring commandLine = L"\"" + path + L"\" -UninstForInst";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
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

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fwprintf(stderr, L"usage: installer_host UNINSTALLER [--timeout SECONDS] [--no-start]\n");
        return 2;
    }
    DWORD timeoutMs = 120000;
    bool start = true;
    bool showClient = false;
    for (int i = 2; i < argc; ++i) {
        if (!wcscmp(argv[i], L"--timeout") && i + 1 < argc) timeoutMs = static_cast<DWORD>(_wtoi(argv[++i])) * 1000;
        else if (!wcscmp(argv[i], L"--no-start")) start = false;
        else if (!wcscmp(argv[i], L"--show-client")) showClient = true;
    }

    // Message mode: every report the uninstaller writes arrives as one message.
    HANDLE pipe = CreateNamedPipeW(kPipeName, PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                                   PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, 1, 4096, 4096, 0, nullptr);
    if (pipe == INVALID_HANDLE_VALUE) {
        std::fwprintf(stderr, L"installer_host: cannot create the pipe (error %lu)\n", GetLastError());
        return 2;
    }
    if (!start) {
        std::printf("listening\n");
        std::fflush(stdout);
    }
    HANDLE started = nullptr;
    if (start && !(started = StartUninstaller(argv[1]))) return 2;
    if (!WaitForClient(pipe, timeoutMs)) {
        std::fwprintf(stderr, L"installer_host: no connection\n");
        return 3;
    }
    if (showClient) ShowClient(pipe, started);

    OVERLAPPED overlapped{};
    overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    for (;;) {
        char buffer[128];
        DWORD read = 0;
        ResetEvent(overlapped.hEvent);
        BOOL ok = ReadFile(pipe, buffer, sizeof buffer - 1, &read, &overlapped);
        if (!ok && GetLastError() == ERROR_IO_PENDING) {
            if (WaitForSingleObject(overlapped.hEvent, timeoutMs) != WAIT_OBJECT_0) {
                CancelIo(pipe);
                std::fwprintf(stderr, L"installer_host: no report for too long\n");
                return 3;
            }
            ok = GetOverlappedResult(pipe, &overlapped, &read, FALSE);
        }
        if (!ok && GetLastError() != ERROR_MORE_DATA) break;  // the uninstaller has ended
        buffer[read] = 0;
        std::printf("%s\n", buffer);
        std::fflush(stdout);
    }
    CloseHandle(overlapped.hEvent);
    CloseHandle(pipe);
    return 0;
}
