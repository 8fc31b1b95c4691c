#include "engine/removal_report.h"

#include "core/number_text.h"
#include "platform/system.h"

namespace engine {

std::u16string WindowsErrorText(win::DWORD error) {
    std::u16string text = u"Windows error " + core::NumberText(error);
    char16_t buffer[512] = {};
    win::DWORD length = win::FormatMessageW(win::FORMAT_MESSAGE_FROM_SYSTEM | win::FORMAT_MESSAGE_IGNORE_INSERTS,
                                            nullptr, error, 0, buffer, sizeof buffer / sizeof buffer[0], nullptr);
    if (length >= sizeof buffer / sizeof buffer[0]) length = 0;
    // The system's texts end in a line break, which would split the log's line.
    while (length > 0 && (buffer[length - 1] == u'\r' || buffer[length - 1] == u'\n' || buffer[length - 1] == u' '))
        --length;
    if (length > 0) text += u": " + std::u16string(buffer, length);
    return text;
}

bool IsAbsence(win::DWORD error) { return error == win::ERROR_FILE_NOT_FOUND || error == win::ERROR_PATH_NOT_FOUND; }

std::u16string RemovalLine(const std::u16string& what, win::DWORD error) {
    if (error == win::ERROR_SUCCESS) return u"removed: " + what;
    if (IsAbsence(error)) return u"not there: " + what;
    // A directory that still holds something waits for what a later step removes (the run's end
    // looks at it again: "left:" or "kept:" say what became of it).
    if (error == win::ERROR_DIR_NOT_EMPTY && what.compare(0, 10, u"directory ") == 0)
        return u"deferred: " + what + u" (not empty yet)";
    return u"not removed: " + what + u" (" + WindowsErrorText(error) + u")";
}

void RemovalContext::ReportRemoval(const std::u16string& what, win::DWORD error) {
    if (listener) listener->Note(RemovalLine(what, error));
}

void RemovalContext::ReportScheduledAtRestart(const std::u16string& what) {
    if (listener) listener->Note(u"scheduled at restart: " + what);
}

void RemovalContext::ReportKept(const std::u16string& what) {
    if (listener) listener->Note(u"kept: " + what);
}

void RemovalContext::ReportDiagnostic(const std::u16string& text) {
    if (listener) listener->Note(u"diagnostic: " + text);
}

void RemovalContext::ReportRefused(const std::u16string& what, const std::u16string& reason) {
    if (listener) listener->Note(u"refused: " + what + u" (" + reason + u")");
}

}  // namespace engine
