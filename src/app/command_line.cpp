#include <cstdint>
#include <string>

#include "app/uninstall_app.h"

namespace app {

namespace {

// The decimal number right after `name`, or 0 when there is none or it does not fit 32 bits.
win::DWORD NumberAfter(const std::u16string& arguments, const char16_t* name) {
    const std::size_t at = arguments.find(name);
    if (at == std::u16string::npos) return 0;
    std::uint64_t value = 0;
    for (std::size_t i = at + std::char_traits<char16_t>::length(name);
         i < arguments.size() && arguments[i] >= u'0' && arguments[i] <= u'9'; ++i) {
        value = value * 10 + static_cast<unsigned>(arguments[i] - u'0');
        if (value > 0xFFFFFFFFu) return 0;
    }
    return static_cast<win::DWORD>(value);
}

}  // namespace

Switches ParseSwitches(const std::u16string& arguments) {
    Switches switches;
    switches.silent = arguments.find(u"UninstForInst") != std::u16string::npos;
    switches.deletingNow = arguments.find(u"DeletingNow") != std::u16string::npos;
    switches.installerProcessId = NumberAfter(arguments, kInstallerSwitch);
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
