// Times a command from the start of its first process to the end of the last process it
// started, directly or through its children (a relaunched copy, a deletion command run by the
// command interpreter). All of them are held in one job whose completion port reports when the
// last one has ended. With --pipe the timer also plays the installer's side of a named pipe:
// it creates the pipe before the command starts and reads whatever the command reports.
//
//   process_timer.exe [--pipe NAME] [--timeout SECONDS] [--list] -- PROGRAM [ARGUMENTS...]
//
// Prints one line: "elapsed_ms=N pipe_closed_ms=N processes=N exit=N reports=A,B,...", the pipe's
// time being when the command's end of it closed (-1 without --pipe, or when it never did). With
// --list, every process of the job is named on standard error with the times it started and
// ended.
#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "stopwatch.h"

namespace {

struct PipeReader {
    HANDLE pipe = INVALID_HANDLE_VALUE;
    std::string reports;  // comma-separated, in the order they came
    const bench::Stopwatch* stopwatch = nullptr;
    double closedMs = -1.0;  // when the writer's end closed: what an installer waits for
    std::wstring timeline;   // for --list: each report and the close with its time
};

DWORD WINAPI ReadReports(void* parameter) {
    PipeReader& reader = *static_cast<PipeReader*>(parameter);
    if (!ConnectNamedPipe(reader.pipe, nullptr) && GetLastError() != ERROR_PIPE_CONNECTED) return 0;
    for (;;) {
        char buffer[128];
        DWORD read = 0;
        if (!ReadFile(reader.pipe, buffer, sizeof buffer - 1, &read, nullptr) && GetLastError() != ERROR_MORE_DATA) {
            if (reader.stopwatch) reader.closedMs = reader.stopwatch->Milliseconds();
            wchar_t line[64];
            std::swprintf(line, 64, L"  %8.1f ms  the pipe closes\n", reader.closedMs);
            reader.timeline += line;
            break;
        }
        buffer[read] = 0;
        if (reader.stopwatch) {
            wchar_t line[200];
            std::swprintf(line, 200, L"  %8.1f ms  report %hs\n", reader.stopwatch->Milliseconds(), buffer);
            reader.timeline += line;
        }
        if (!reader.reports.empty()) reader.reports += ',';
        reader.reports += buffer;
    }
    return 0;
}

// The processes of the job, for --list. A process that has only just been created has no image
// name yet under every system, so names are looked up again whenever the job reports something;
// a process that ends before any look-up found it is named at the end through the handle opened
// when the job reported it.
struct ProcessRecord {
    DWORD id;
    std::wstring name;
    double startedMs;
    double endedMs;
    HANDLE handle;
};

void NameFromHandle(ProcessRecord& record) {
    if (!record.handle) return;
    wchar_t path[MAX_PATH];
    DWORD size = MAX_PATH;
    if (record.name.empty() && QueryFullProcessImageNameW(record.handle, 0, path, &size)) {
        const wchar_t* slash = std::wcsrchr(path, L'\\');
        record.name = std::wstring(slash ? slash + 1 : path) + L" (named after it ended)";
    }
    CloseHandle(record.handle);
    record.handle = nullptr;
}

void NameProcesses(std::vector<ProcessRecord>& records) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        for (ProcessRecord& record : records)
            if (record.id == entry.th32ProcessID && record.name.empty()) record.name = entry.szExeFile;
    CloseHandle(snapshot);
}

std::wstring Quoted(const wchar_t* argument) {
    std::wstring text = argument;
    if (!text.empty() && text.find_first_of(L" \t\"") == std::wstring::npos) return text;
    return L"\"" + text + L"\"";
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const wchar_t* pipeName = nullptr;
    DWORD timeoutMs = 120000;
    bool list = false;
    std::wstring commandLine;
    for (int i = 1; i < argc; ++i) {
        if (!std::wcscmp(argv[i], L"--pipe") && i + 1 < argc) {
            pipeName = argv[++i];
        } else if (!std::wcscmp(argv[i], L"--timeout") && i + 1 < argc) {
            timeoutMs = static_cast<DWORD>(_wtoi(argv[++i])) * 1000;
        } else if (!std::wcscmp(argv[i], L"--list")) {
            list = true;
        } else if (!std::wcscmp(argv[i], L"--")) {
            for (++i; i < argc; ++i) commandLine += (commandLine.empty() ? L"" : L" ") + Quoted(argv[i]);
        }
    }
    if (commandLine.empty()) {
        std::fwprintf(stderr, L"usage: process_timer [--pipe NAME] [--timeout SECONDS] [--list] -- PROGRAM [ARGUMENTS...]\n");
        return 2;
    }

    // The session's desktop process is started now, outside the job, so that the first window
    // or message box of the timed command does not start it and then wait for its linger.
    GetDesktopWindow();

    bench::Stopwatch stopwatch;  // restarted just before the command starts
    PipeReader reader;
    reader.stopwatch = &stopwatch;
    HANDLE readerThread = nullptr;
    if (pipeName) {
        reader.pipe = CreateNamedPipeW(pipeName, PIPE_ACCESS_DUPLEX, PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT,
                                       1, 4096, 4096, 0, nullptr);
        if (reader.pipe == INVALID_HANDLE_VALUE) {
            std::fwprintf(stderr, L"process_timer: cannot create the pipe (error %lu)\n", GetLastError());
            return 2;
        }
        readerThread = CreateThread(nullptr, 0, ReadReports, &reader, 0, nullptr);
    }

    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    HANDLE port = CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1);
    JOBOBJECT_ASSOCIATE_COMPLETION_PORT association{};
    association.CompletionKey = job;
    association.CompletionPort = port;
    if (!job || !port ||
        !SetInformationJobObject(job, JobObjectAssociateCompletionPortInformation, &association, sizeof association)) {
        std::fwprintf(stderr, L"process_timer: no job with a completion port (error %lu)\n", GetLastError());
        return 2;
    }

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    stopwatch = bench::Stopwatch();
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr, &startup,
                        &process)) {
        std::fwprintf(stderr, L"process_timer: cannot start %ls (error %lu)\n", commandLine.c_str(), GetLastError());
        return 2;
    }
    if (!AssignProcessToJobObject(job, process.hProcess)) {
        std::fwprintf(stderr, L"process_timer: cannot put the process into the job (error %lu)\n", GetLastError());
        TerminateProcess(process.hProcess, 1);
        return 2;
    }
    ResumeThread(process.hThread);
    CloseHandle(process.hThread);

    int processes = 0;
    std::vector<ProcessRecord> records;
    for (;;) {
        DWORD message = 0;
        ULONG_PTR key = 0;
        OVERLAPPED* detail = nullptr;
        if (!GetQueuedCompletionStatus(port, &message, &key, &detail, timeoutMs)) {
            std::fwprintf(stderr, L"process_timer: still running after the time-out\n");
            TerminateJobObject(job, 1);
            return 3;
        }
        if (key != reinterpret_cast<ULONG_PTR>(job)) continue;
        const DWORD id = static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(detail));
        const double at = stopwatch.Milliseconds();
        if (message == JOB_OBJECT_MSG_NEW_PROCESS) {
            ++processes;
            if (list) records.push_back({id, L"", at, 0.0, OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id)});
        }
        if (list && (message == JOB_OBJECT_MSG_EXIT_PROCESS || message == JOB_OBJECT_MSG_ABNORMAL_EXIT_PROCESS))
            for (ProcessRecord& record : records)
                if (record.id == id) record.endedMs = at;
        if (list) NameProcesses(records);
        if (message == JOB_OBJECT_MSG_ACTIVE_PROCESS_ZERO) break;
    }
    const double elapsed = stopwatch.Milliseconds();
    for (ProcessRecord& record : records) {
        NameFromHandle(record);
        std::fwprintf(stderr, L"  %8.1f .. %8.1f ms  %ls\n", record.startedMs, record.endedMs,
                      record.name.empty() ? L"(ended before it was named)" : record.name.c_str());
    }

    DWORD exitCode = 0;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hProcess);
    // The reader ends once the writer's end has closed; a command that never connected leaves
    // it waiting, and it ends with the timer.
    if (readerThread && WaitForSingleObject(readerThread, 2000) == WAIT_OBJECT_0 && list)
        std::fwprintf(stderr, L"%ls", reader.timeline.c_str());
    std::printf("elapsed_ms=%.1f pipe_closed_ms=%.1f processes=%d exit=%lu reports=%s\n", elapsed, reader.closedMs,
                processes, exitCode, reader.reports.c_str());
    std::fflush(stdout);
    ExitProcess(0);
}
