// Fault injection. Every simulated call the program makes passes one counting point, so that a
// test can list the calls of a whole run and then rerun it with any one of them failing the way
// Windows fails it (the function's failure value and its documented last error).
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "platform/system.h"
#include "platform/types.h"

namespace sim {

struct TracedCall {
    const char* function;
    bool canFail;  // false for calls that cannot fail on Windows (Sleep, GetVersion, ...)
};

struct FaultPlan {
    bool tracing = false;            // keep every counted call in `trace`
    std::vector<TracedCall> trace;
    std::size_t count = 0;           // calls counted so far
    std::size_t failAt = 0;          // 1-based position of the call to fail; 0: none fails
    std::string failed;              // the function that was made to fail
    // Or by name: the `failOccurrence`-th call of `failFunction` fails (1 is the first).
    std::string failFunction;
    std::size_t failOccurrence = 1;
    std::size_t functionCalls = 0;
    // More calls than this and the run is taken for one that never ends: the next counted call
    // throws RunawayRun, once. 0: no limit.
    std::size_t limit = 0;
    bool runaway = false;
    bool systemCallsNext = false;
};

// Thrown out of a run that went past its call limit.
struct RunawayRun {};

// Counts a call that can fail; true when it is the one to fail.
bool FaultPoint(const char* function);
// Counts a call that cannot fail.
void CountPoint(const char* function);
// The simulation's own next call (a message the system delivers, the text a control sets through
// its message) is not one the program made: it is not counted.
void SystemCallsNext();

// What a failing call hands back: its failure value, with the error it leaves behind.
template <typename T>
T Failure(T value, win::DWORD error) {
    win::SetLastError(error);
    return value;
}

// Errors that the platform headers have no name for, as the failing calls report them.
constexpr win::DWORD kErrorLockViolation = 33;
constexpr win::DWORD kErrorDiskFull = 112;
constexpr win::DWORD kErrorModNotFound = 126;
constexpr win::DWORD kErrorProcNotFound = 127;
constexpr win::DWORD kErrorEnvvarNotFound = 203;
constexpr win::DWORD kErrorNoData = 232;  // the pipe is being closed
constexpr win::DWORD kErrorNotOwner = 288;
constexpr win::DWORD kErrorNoUnicodeTranslation = 1113;
constexpr win::DWORD kErrorInvalidWindowHandle = 1400;
constexpr win::DWORD kRpcServerUnavailable = 1722;  // the spooler service is not running
constexpr win::HRESULT kOutOfMemory = static_cast<win::HRESULT>(0x8007000Eu);
constexpr win::LONG kStatusAccessDenied = static_cast<win::LONG>(0xC0000022u);
constexpr int kShellAccessDenied = 5;  // SE_ERR_ACCESSDENIED

}  // namespace sim
