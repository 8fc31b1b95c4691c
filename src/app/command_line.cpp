#include <string>

#include "app/uninstall_app.h"

namespace app {

Switches ParseSwitches(const std::u16string& arguments) {
    Switches switches;
    switches.silent = arguments.find(u"UninstForInst") != std::u16string::npos;
    switches.deletingNow = arguments.find(u"DeletingNow") != std::u16string::npos;
    return switches;
}

std::u16string ArgumentsAfterProgramName(const char16_t* commandLine) {
    if (!commandLine) return std::u16string();
    const char16_t* p = commandLine;
    if (*p == u'"') {
        // A quoted program name ends at its closing quote, blank or not: the temporary copy is
        // started as "path"-DeletingNow, with its switches right after the quote.
        ++p;
        while (*p && *p != u'"') ++p;
        if (*p == u'"') ++p;
    } else {
        while (*p > u' ') ++p;
    }
    while (*p && *p <= u' ') ++p;
    return std::u16string(p);
}

}  // namespace app
