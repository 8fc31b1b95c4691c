#include "app/exit_codes.h"

namespace app {

const char16_t* ExitCodeMeaning(win::DWORD code) {
    switch (code) {
        case kExitRemoved: return u"(everything of the product is removed)";
        case kExitDeclined: return u"(declined by the user)";
        case kExitFailed: return u"(something of the product stays, or the run failed)";
        case kExitNotInstalled: return u"(nothing of the product is installed)";
        case kExitTryLater: return u"(the product is running, or another removal is under way: try again later)";
        case kExitRestartNeeded: return u"(removed; some files go at the next restart)";
        default: return u"";
    }
}

}  // namespace app
