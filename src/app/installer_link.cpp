// The link to the product's installer: its named pipe, which hears a code after each step. The
// pipe's name is known to every process of the user, and this process runs elevated: nothing
// another process does with the name may hold the removal up or take its codes.
//
// - Only the installer's own instance is talked to: the installed copy was started by the
//   installer, and its parent's process id (handed on to the temporary copy where one runs the
//   removal) is checked against the server of each instance reached
//   (GetNamedPipeServerProcessId). An instance of
//   another process, created before the installer's or beside it, is closed unwritten, and the
//   copy waits for the installer's own; without it nothing is removed, and the installer, which
//   hears nothing, reports its time-out. Before Vista the server cannot be asked, and any
//   instance is taken, as the system has no unelevated processes of the same user to fear.
// - Nothing waits without a bound: a busy pipe is waited for a second at a time, thirty times at
//   the most, and a write that a server does not read within a few seconds is cancelled; the
//   removal then goes on and the remaining codes are dropped.

#include "app/uninstall_app.h"
#include "core/number_text.h"
#include "engine/product.h"
#include "platform/files.h"
#include "platform/scoped.h"
#include "platform/system.h"

namespace app {

namespace product = engine::product;

namespace {

constexpr win::DWORD kInstanceWaitMs = 1000;
constexpr int kConnectAttempts = 30;
constexpr win::DWORD kWriteTimeLimitMs = 5000;

// Whether the server of the instance `pipe` reached is the process `installer`.
bool IsServedBy(win::HANDLE pipe, win::DWORD installer) {
    win::ULONG server = 0;
    if (win::GetNamedPipeServerProcessId(pipe, &server)) return server == installer;
    return win::GetLastError() == win::ERROR_CALL_NOT_IMPLEMENTED;
}

// Writes `size` bytes to the overlapped `pipe`, its completion signalled through `event`, waiting
// at most `limitMs` for a server that does not read; a write still pending then is cancelled.
// True when every byte was written.
bool WriteWithin(win::HANDLE pipe, win::HANDLE event, const char* data, win::DWORD size, win::DWORD limitMs,
                 bool& timedOut) {
    timedOut = false;
    win::OVERLAPPED overlapped{};
    overlapped.hEvent = event;
    if (!win::WriteFile(pipe, data, size, nullptr, &overlapped)) {
        if (win::GetLastError() != win::ERROR_IO_PENDING) return false;
        if (win::WaitForSingleObject(event, limitMs) != win::WAIT_OBJECT_0) {
            timedOut = true;
            win::CancelIo(pipe);
        }
    }
    // Once cancelled the write ends at once; the record must outlive it either way.
    win::DWORD written = 0;
    return win::GetOverlappedResult(pipe, &overlapped, &written, win::TRUE) && written == size;
}

}  // namespace

win::DWORD ParentProcessId() {
    win::PROCESS_BASIC_INFORMATION basic{};
    if (win::NtQueryInformationProcess(win::GetCurrentProcess(), win::ProcessBasicInformation, &basic, sizeof basic,
                                       nullptr) != 0)
        return 0;
    return static_cast<win::DWORD>(basic.InheritedFromUniqueProcessId);
}

bool UninstallApp::ConnectToInstaller() {
    // Without the installer's identity no instance can be trusted with the codes.
    if (m_installerProcessId == 0) return false;
    // Every write waits on this event, made once: a write never goes unattempted for want of it.
    win::ScopedHandle event(win::CreateEventW(nullptr, win::TRUE, win::FALSE, nullptr));
    if (!event) return false;
    for (int attempt = 0; attempt < kConnectAttempts; ++attempt) {
        if (!win::WaitNamedPipeW(product::kPipeName, kInstanceWaitMs)) {
            // Every instance busy: wait again. No pipe at all: no installer.
            if (win::GetLastError() == win::ERROR_SEM_TIMEOUT) continue;
            return false;
        }
        // Whoever created the instance may learn who is writing but never act as this process.
        const win::HANDLE pipe = win::CreateFileW(
            product::kPipeName, win::GENERIC_READ | win::GENERIC_WRITE, 0, nullptr, win::OPEN_EXISTING,
            win::FILE_FLAG_OVERLAPPED | win::SECURITY_SQOS_PRESENT | win::SECURITY_IDENTIFICATION, nullptr);
        if (pipe == win::INVALID_HANDLE_VALUE) {
            // Another client took the free instance first.
            if (win::GetLastError() == win::ERROR_PIPE_BUSY) continue;
            return false;
        }
        if (IsServedBy(pipe, m_installerProcessId)) {
            m_hPipe = pipe;
            m_hPipeEvent = event.release();
            return true;
        }
        win::CloseHandle(pipe);
    }
    return false;
}

void UninstallApp::ReportToInstaller(int code) {
    if (!m_hPipe) return;
    // The installer reads the code as ASCII digits.
    const std::u16string digits = core::SignedNumberText(code);
    char text[16] = {};
    for (std::size_t i = 0; i < digits.size(); ++i) text[i] = static_cast<char>(digits[i]);
    bool timedOut = false;
    WriteWithin(m_hPipe, m_hPipeEvent, text, static_cast<win::DWORD>(digits.size()), kWriteTimeLimitMs, timedOut);
    // A server that does not read holds nothing more: the later codes are dropped.
    if (timedOut) DropInstallerLink();
}

void UninstallApp::DropInstallerLink() {
    if (m_hPipe) win::CloseHandle(m_hPipe);
    if (m_hPipeEvent) win::CloseHandle(m_hPipeEvent);
    m_hPipe = nullptr;
    m_hPipeEvent = nullptr;
}

}  // namespace app
