// Takes the product's virtual printer apart: the printers that use its driver, the driver, the
// driver's staging files, its port, its installed files and the Word add-in. The only removal
// that asks the user anything: a printer or the driver that is in use is offered again or given
// up on.
#pragma once
#include <string>
#include <vector>

#include "engine/uninstall_host.h"
#include "platform/types.h"

namespace engine::printer {

// The Word add-in, in the install directory; the printer step unregisters and deletes it.
inline constexpr char16_t kWordAddinName[] = u"KPC_WordAddin.dll";
// How the removal report and the after-run look name the product's port.
inline constexpr char16_t kPortItem[] = u"printer port ORVIK_PENDREL:";

class PrinterRemover {
public:
    explicit PrinterRemover(UninstallHost& host);
    PrinterRemover(const PrinterRemover&) = delete;
    PrinterRemover& operator=(const PrinterRemover&) = delete;

    // `installPath` may end in a backslash; an empty one (or one too long for a path) means
    // that no install directory is known, and nothing is removed from one. The step's share of
    // the progress bar runs from `progressStart` to `progressEnd`.
    bool Configure(const std::u16string& installPath, int progressStart, int progressEnd);
    bool DetectPlatform();
    // True when every stage was worked through. The Word add-in goes also when the spooler
    // cannot name its driver directory; only a cancelled prompt leaves it.
    bool Run();
    // Whether the product's driver is still installed (a silent run gives up on one in use).
    bool IsDriverInstalled();
    // After Run: the driver's files still there and not waiting for the restart, and whether
    // the port may still be there (the monitor did not answer that it is gone or unknown: a
    // printer of someone else's may still print to it).
    std::vector<std::u16string> FilesLeft() const;
    bool IsPortLeft() const { return m_bPortLeft; }

    bool RemoveStages();
    bool RemovePrinters();
    bool RemovePrinterDriver();
    void RemovePrinterPort();
    void RemoveInstalledDriverFiles();
    void UnregisterWordAddin();
    void SetStepProgress(int step);

    // What DetectPlatform and Run found, for the tests.
    bool IsWow64() const { return m_bWow64; }
    bool CanWriteHklm() const { return m_bCanWriteHklm; }
    const char16_t* Environment() const { return m_szEnvironment; }
    const char16_t* DriverDirectory() const { return m_szDriverDir; }
    const char16_t* InstallDirectory() const { return m_szInstallDir; }

private:
    bool AskRetry(unsigned messageId);
    // Whether the machine's records show (or cannot rule out) a printer, the driver or the port of
    // the product's, or a file of the driver is in the spooler's driver directory.
    bool IsAnythingThere() const;
    bool FindDriverDirectory();

    void RemoveStagingFiles();

    UninstallHost& m_host;
    char16_t m_szInstallDir[win::MAX_PATH] = {};
    char16_t m_szDriverDir[win::MAX_PATH] = {};
    bool m_bWow64 = false;
    bool m_bCanWriteHklm = false;
    char16_t m_szEnvironment[win::MAX_PATH] = {};
    int m_nProgressStart = 25;
    int m_nProgressEnd = 100;
    int m_nProgressSteps = 10;
    const char16_t* m_szCaption;
    bool m_bPortLeft = false;
    bool m_bNothingThere = false;  // Run found nothing of the printer and left the spooler alone
    // These two never vary here, but the product's design of this step has them: the removal may
    // begin at any of four stages (4 printers, 3 driver, 2 staging files, 1 port), and its retry
    // prompts may have an owner window. The uninstall always begins at the top, stage 4, and its
    // prompts belong to no window, as the product's always have.
    int m_nStage = 0;  // set to 4 by Run
    BoxOwner m_owner = BoxOwner::None;
};

}  // namespace engine::printer
