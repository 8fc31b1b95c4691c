// What the removal tried, told to the host of the run as lines for its log: every file,
// directory, registry key and value the steps tried to delete, with what became of it, and the
// diagnostic texts of the add-ons. The workers of every step report to the run's context they
// were handed, whatever they are called from, down to the file removal at the bottom of the
// engine; the context passes each line on to its listener (the run's host, which writes the log).
// Depends on nothing of the engine.
#pragma once
#include <string>
#include <vector>

#include "engine/outcome.h"
#include "platform/types.h"

namespace engine {

// Who hears the lines: the host of the run (see UninstallHost).
class RemovalListener {
public:
    // One line for the run's log, where there is one.
    virtual void Note(const std::u16string&) {}

protected:
    ~RemovalListener() = default;
};

// What one removal gathers while it runs, kept by whoever runs it (the application) and handed
// to the steps, through the host or as a parameter: nothing of it outlives the run or is shared
// with another, and a removal reported to it is heard by its own listener alone.
struct RemovalContext {
    // A context nobody hears (the look after the run, a test that reads no lines).
    RemovalContext() = default;
    // A context whose reports `listener` hears; it outlives the context.
    explicit RemovalContext(RemovalListener& listener) : listener(&listener) {}

    // `what` ("file C:\...", "key HKLM\...") was removed (error 0), was not there, or stayed
    // with the Windows error `error`.
    void ReportRemoval(const std::u16string& what, win::DWORD error);
    // The same, with the error the removal came to.
    void ReportRemoval(const std::u16string& what, Outcome outcome) { ReportRemoval(what, outcome.error()); }
    // `what` stayed, and goes at the next restart.
    void ReportScheduledAtRestart(const std::u16string& what);
    // A text a step gives about something it could not do.
    void ReportDiagnostic(const std::u16string& text);
    // `what` ("file C:\...") is not the product's and stays where it is: "kept: what".
    void ReportKept(const std::u16string& what);
    // `what`, a place the removal was given from outside, was not used for any deletion, for
    // `reason`: "refused: what (reason)".
    void ReportRefused(const std::u16string& what, const std::u16string& reason);

    // Who hears the reports, or none (null).
    RemovalListener* listener = nullptr;
    // The files scheduled for deletion at the next restart, in the order they were scheduled.
    std::vector<std::u16string> scheduledAtRestart;
};

// The log's line for a removal: "removed: what", "not there: what", or "not removed: what
// (Windows error N: the system's text)".
std::u16string RemovalLine(const std::u16string& what, win::DWORD error);
// "Windows error N", with the system's text for it where the system has one.
std::u16string WindowsErrorText(win::DWORD error);

// Whether a Windows error (or a registry call's status) says that what was asked for is not
// there: the entry itself, or a directory or key above it. Any other failure leaves it unknown.
bool IsAbsence(win::DWORD error);

}  // namespace engine
