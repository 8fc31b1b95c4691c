// What the process ends with, in the conventions of the system's installer, which deployment
// tools already read: the outcome of the removal, told apart from a restart still needed.
#pragma once
#include "platform/types.h"

namespace app {

constexpr win::DWORD kExitRemoved = 0;           // everything of the product is removed
constexpr win::DWORD kExitDeclined = 1602;       // the user said No, or closed the wizard
constexpr win::DWORD kExitFailed = 1603;         // something of the product stays, or the run failed
constexpr win::DWORD kExitNotInstalled = 1605;   // nothing of the product to remove
constexpr win::DWORD kExitTryLater = 1618;       // the product runs, or another removal holds the mutex
constexpr win::DWORD kExitRestartNeeded = 3010;  // removed, but something goes only at the next restart

// The code in words, for the log's last line.
inline const char16_t* OutcomeText(win::DWORD code) {
    switch (code) {
    case kExitRemoved: return u"everything of the product is removed";
    case kExitRestartNeeded: return u"removed; what is scheduled at restart goes at the next restart";
    case kExitDeclined: return u"declined: nothing was removed";
    case kExitNotInstalled: return u"nothing of the product is installed";
    case kExitTryLater: return u"the product is running or another removal is under way: try again later";
    default: return u"something of the product is left (the left: lines say what), or the run failed";
    }
}

// Between the two copies only: the temporary copy adds this to its code when its removal ran,
// so that the installed copy knows whether the product's uninstaller may go. No code of the
// system's or of a crash has it.
constexpr win::DWORD kCopyRanRemoval = 0x20000000;

}  // namespace app
