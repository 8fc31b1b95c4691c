// What an operation of the removal came to: done, or the Windows error that stopped it. The
// engine's own functions hand it back to their callers rather than leave the reason in the
// thread's last error, where anything run meanwhile (a line written to the log, a handle closed,
// an attribute given back) could replace it. The platform's calls still report through the last
// error, as Windows does: it is read once, right after the call that failed (OfLastError), and
// travels on as a value.
#pragma once
#include "platform/system.h"
#include "platform/types.h"

namespace engine {

class Outcome {
public:
    // Done.
    constexpr Outcome() = default;
    // Stopped by `error`. A failure that names no error stays a failure (ERROR_GEN_FAILURE):
    // it is never taken for success.
    static constexpr Outcome Failure(win::DWORD error) {
        return Outcome(error == win::ERROR_SUCCESS ? win::ERROR_GEN_FAILURE : error);
    }
    // The failure of the platform call that has just failed: its last error, read at once.
    static Outcome OfLastError() { return Failure(win::GetLastError()); }
    // What a platform call that says only whether it succeeded came to.
    static Outcome OfCall(bool succeeded) { return succeeded ? Outcome() : OfLastError(); }
    // What an NTSTATUS call (which also leaves its Win32 error as the last error) came to.
    static Outcome OfStatus(win::LONG status) { return OfCall(status == 0); }

    constexpr bool Succeeded() const { return m_error == win::ERROR_SUCCESS; }
    constexpr explicit operator bool() const { return Succeeded(); }
    // ERROR_SUCCESS when done.
    constexpr win::DWORD error() const { return m_error; }

private:
    constexpr explicit Outcome(win::DWORD error) : m_error(error) {}
    win::DWORD m_error = win::ERROR_SUCCESS;
};

}  // namespace engine
