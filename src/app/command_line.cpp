#include <cstdint>
#include <string>
#include <vector>

#include "app/uninstall_app.h"
#include "core/ascii.h"

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

// The command line's words as the run-time library splits them: blanks separate, double quotes
// group (and are dropped).
std::vector<std::u16string> Words(const std::u16string& arguments) {
    std::vector<std::u16string> words;
    std::u16string word;
    bool quoted = false, any = false;
    for (char16_t c : arguments) {
        if (c == u'"') {
            quoted = !quoted;
            any = true;
        } else if (!quoted && (c == u' ' || c == u'\t')) {
            if (any) words.push_back(word);
            word.clear();
            any = false;
        } else {
            word += c;
            any = true;
        }
    }
    if (any) words.push_back(word);
    return words;
}

bool IsSwitch(const std::u16string& word, const char16_t* name) {
    if (word.size() != std::char_traits<char16_t>::length(name) + 1 || word[0] != u'/') return false;
    for (std::size_t i = 1; i < word.size(); ++i)
        if (core::FoldAscii(word[i]) != core::FoldAscii(name[i - 1])) return false;
    return true;
}

}  // namespace

Switches ParseSwitches(const std::u16string& arguments) {
    Switches switches;
    // The administrators' switches are words of their own, in any letter case. The log's path
    // is the caller's text, often made from the environment: it is a value, never read for a
    // switch. The product's own switches are looked for as substrings in every other word.
    const std::vector<std::u16string> words = Words(arguments);
    std::u16string rest;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (IsSwitch(words[i], u"quiet") || IsSwitch(words[i], u"s")) switches.quiet = true;
        else if (IsSwitch(words[i], u"log") && i + 1 < words.size()) switches.logPath = words[++i];
        else rest += words[i] + u" ";
    }
    switches.silent = rest.find(u"UninstForInst") != std::u16string::npos;
    switches.deletingNow = rest.find(u"DeletingNow") != std::u16string::npos;
    switches.installerProcessId = NumberAfter(rest, kInstallerSwitch);
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
