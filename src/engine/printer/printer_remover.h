// Takes the product's virtual printer apart: the printers that use its driver, the driver, the
// driver's staging files, its port, its installed files and the Word add-in. The only removal
// that asks the user anything: a printer or the driver that is in use is offered again or given
// up on.
#pragma once
#include "engine/uninstall_host.h"
#include "platform/types.h"

namespace engine {

class PrinterRemover {
public:
    explicit PrinterRemover(UninstallHost& host);
    PrinterRemover(const PrinterRemover&) = delete;
    PrinterRemover& operator=(const PrinterRemover&) = delete;

    // `installPath` may end in a backslash; an empty one (or one too long for a path) means
    // that no install directory is known, and nothing is removed from one.
    bool Configure(const std::u16string& installPath, win::HWND progress, int progressStart, int progressEnd);
    bool DetectPlatform();
    // True when every stage was worked through. The Word add-in goes also when the spooler
    // cannot name its driver directory; only a cancelled prompt leaves it.
    bool Run();

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
    bool FindDriverDirectory();
    bool IsDriverInstalled();
    void RemoveStagingFiles();

    UninstallHost& m_host;
    char16_t m_szInstallDir[win::MAX_PATH] = {};
    char16_t m_szDriverDir[win::MAX_PATH] = {};
    win::HWND m_hOwner = nullptr;
    bool m_bWow64 = false;
    bool m_bCanWriteHklm = false;
    char16_t m_szEnvironment[win::MAX_PATH] = {};
    int m_nStage = 0;
    int m_nProgressStart = 25;
    int m_nProgressEnd = 100;
    int m_nProgressSteps = 10;
    win::HWND m_hProgress = nullptr;
    const char16_t* m_szCaption;
};

}  // namespace engine
