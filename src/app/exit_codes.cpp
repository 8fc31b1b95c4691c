#include "app/exit_codes.h"

namespace app {

const char16_t* ExitCodeMeaning(win::DWORD code) {
    switch (code) {
        case kExitRemoved: return u"(removed)";
        case kExitDeclined: return u"(declined)";
        case kExitFailed: return u"(something stays, or the run failed)";
        case kExitNotInstalled: return u"(not installed)";
        case kExitTryLater: return u"(in use: try again later)";
        case kExitRestartNeeded: return u"(removed; a restart finishes it)";
        default: return u"";
    }
}

}  // namespace app
