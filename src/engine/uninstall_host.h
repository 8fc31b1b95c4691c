// What the removal needs from whoever runs it: the mode, the installer link, the texts, where
// the product lives (read once, at start-up), the frame it shows itself in, the run's log (as a
// RemovalListener: one line each, Note), and what the run gathers (its RemovalContext). The
// removal touches no window: the application and the
// wizard dialog decide where a position or a box goes.
#pragma once
#include <string>

#include "engine/install_record.h"
#include "engine/removal_report.h"

namespace engine {

// Whose box it is: the wizard's while it has a window, or nobody's.
enum class BoxOwner { None, Wizard };
// A warning answered with OK, or a question answered OK (try again) or Cancel (give up).
enum class BoxKind { Warning, RetryOrCancel };

class UninstallHost : public RemovalListener {
public:
    virtual bool IsSilent() const = 0;
    // Nobody is there at all (a deployment tool's quiet run, not the installer's silent one):
    // whatever the removal starts shows no window, and nothing is waited for without a bound.
    virtual bool IsUnattended() const = 0;
    virtual void ReportToInstaller(int code) = 0;
    virtual std::u16string GetMessageText(unsigned id) = 0;
    // Where the product lives, as start-up read and judged it: the one value every step uses.
    virtual const InstallLocation& Location() const = 0;

    // Moves the progress bar, where there is one, to `position` (0 to 100).
    virtual void SetProgress(int position) = 0;
    // Shows a message box and waits for it; true when it was answered OK.
    virtual bool ShowMessage(BoxOwner owner, BoxKind kind, const std::u16string& text,
                             const std::u16string& caption) = 0;
    // Where the details of a removal that left something go: the log, made now if none was
    // asked for; empty when there is none.
    virtual std::u16string DetailsPlace() { return {}; }
    // What the run gathers while it goes (see RemovalContext): the application's, one per run.
    virtual RemovalContext& Context() = 0;

protected:
    ~UninstallHost() = default;
};

}  // namespace engine
