#include "engine/printer/printer_remover.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "engine/files/directory_tree.h"
#include "engine/files/file.h"
#include "engine/files/path.h"
#include "engine/printer/printer_records.h"
#include "engine/product.h"
#include "engine/removal_report.h"
#include "engine/system_checks.h"
#include "platform/files.h"
#include "platform/scoped.h"
#include "platform/spooler.h"
#include "platform/system.h"

namespace engine::printer {

using files::DeleteNowOrAtRestart;
using files::DeleteProductFile;
using files::JoinPath;
using files::RemoveProductDirectory;

namespace {

constexpr char16_t kCaption[] = u"Orvik Pendrel Printer";
constexpr char16_t kDriverName[] = u"Orvik Pendrel Printer Driver";
constexpr char16_t kPortMonitor[] = u", XcvMonitor Local Port";
constexpr char16_t kPortName[] = u"ORVIK_PENDREL:";

// Copied into the driver directory when the driver is added; the spooler installs them into
// its "3" subdirectory.
constexpr const char16_t* kStagingFiles[] = {u"ozrvpr_pnt.txt", u"ozrvpr_ui.dll", u"ozrvpr_drv.dll"};

struct InstalledFile {
    const char16_t* name;
    const char16_t* temporaryName;
};
constexpr InstalledFile kInstalledFiles[] = {
    {u"ozrvpr_pnt.txt", u"kvTmp1.tmp"},
    {u"ozrvpr_ui.dll", u"kvTmp2.tmp"},
    {u"ozrvpr_drv.dll", u"kvTmp3.tmp"},
    {u"KVC_ProxyProcess.exe", u"kvTmp4.tmp"},
};

// Copies `text` into a path buffer; a text that does not fit leaves the buffer empty.
template <std::size_t N>
bool CopyBounded(char16_t (&buffer)[N], const std::u16string& text) {
    buffer[0] = 0;
    if (text.size() >= N) return false;
    std::copy(text.begin(), text.end(), buffer);
    buffer[text.size()] = 0;
    return true;
}

// Opens a printer, or with a name such as ", XcvMonitor Local Port" a port monitor.
bool OpenSpooler(win::ScopedPrinter& handle, const char16_t* name, win::DWORD access) {
    // OpenPrinterW takes a writable name; it never changes it.
    std::u16string writable(name);
    win::PRINTER_DEFAULTSW defaults{nullptr, nullptr, access};
    win::HANDLE opened = nullptr;
    if (!win::OpenPrinterW(&writable[0], &opened, &defaults)) return false;
    handle.reset(opened);
    return true;
}

// Asks the add-in to undo its registration, inside OLE as it expects.
void UnregisterAddin(const std::u16string& path) {
    if (const win::ScopedOle ole; ole) {
        // By full path, and the libraries it needs come from its own directory (the install
        // directory) before the system's, never from the directory this process runs from.
        const win::ScopedModule addin(win::LoadLibraryExW(path.c_str(), nullptr, win::LOAD_WITH_ALTERED_SEARCH_PATH));
        if (addin) {
            auto unregister =
                reinterpret_cast<win::DllUnregisterServerFn>(win::GetProcAddress(addin.get(), "DllUnregisterServer"));
            if (unregister) unregister();
        }
    }
}

}  // namespace

PrinterRemover::PrinterRemover(UninstallHost& host) : m_host(host), m_szCaption(kCaption) {}

bool PrinterRemover::Configure(const std::u16string& installPath, int progressStart, int progressEnd) {
    m_nProgressStart = progressStart;
    m_nProgressEnd = progressEnd;
    m_nProgressSteps = 10;
    CopyBounded(m_szInstallDir, files::WithoutTrailingBackslash(installPath));
    DetectPlatform();
    return true;
}

bool PrinterRemover::DetectPlatform() {
    win::OSVERSIONINFOEXW version;
    if (!QueryWindowsVersion(version) || version.dwMajorVersion < 5) return false;

    // Only an administrator may change the machine's printers; the same right opens the
    // machine's software key for all access.
    m_bCanWriteHklm = CanWriteMachineSoftwareKey();

    CopyBounded(m_szEnvironment, win::kEnvironmentX86);
    if (win::IsProcess64Bit()) {
        // A 64-bit build runs natively, on 64-bit Windows only.
        CopyBounded(m_szEnvironment, win::kEnvironmentX64);
        return true;
    }
    // A 32-bit build on 64-bit Windows must look after the 64-bit driver.
    if (IsRunningUnderWow64()) {
        m_bWow64 = true;
        CopyBounded(m_szEnvironment, win::kEnvironmentX64);
    }
    return true;
}

bool PrinterRemover::Run() {
    if (!m_bCanWriteHklm) return false;
    SetStepProgress(0);
    // Nothing of the printer there: the spooler is not asked, and all it would have removed is
    // gone already.
    m_bNothingThere = !IsAnythingThere();
    if (m_bNothingThere) m_host.Context().ReportRemoval(kPortItem, win::ERROR_FILE_NOT_FOUND);
    const bool spoolerAnswered = m_bNothingThere || FindDriverDirectory();
    if (spoolerAnswered) {
        SetStepProgress(3);
        m_nStage = 4;
        if (!m_bNothingThere && !RemoveStages()) return false;
        SetStepProgress(4);
        SetStepProgress(5);
        SetStepProgress(7);
        if (!m_bNothingThere) RemoveInstalledDriverFiles();
    }
    // The Word add-in is the product's, not the spooler's: with the spooler stopped or disabled
    // Word would otherwise go on loading it from the directory of a removed product.
    UnregisterWordAddin();
    SetStepProgress(10);
    // Succeeds only when the directory is empty by now; later steps try again.
    RemoveProductDirectory(m_host.Context(), m_szInstallDir);
    return spoolerAnswered;
}

bool PrinterRemover::IsAnythingThere() const {
    const RecordedPrinter recorded = ReadPrinterRecords(m_szEnvironment, kDriverName, kPortName);
    if (recorded != RecordedPrinter::Nothing) return true;
    // A file of the driver may outlive its records: staged by an installation that never added
    // the driver, or renamed by an earlier removal and not yet gone at a restart.
    const std::u16string directory = SpoolerDriverDirectory(m_szEnvironment);
    if (directory.empty()) return true;
    // A name too long for a path is not known to be free of the driver's files either.
    const auto there = [](const std::u16string& path) { return path.empty() || files::MayExist(path); };
    for (const char16_t* name : kStagingFiles)
        if (there(JoinPath(directory, name))) return true;
    const std::u16string installed = JoinPath(directory, u"3");
    for (const InstalledFile& file : kInstalledFiles)
        if (there(JoinPath(installed, file.name)) || there(JoinPath(installed, file.temporaryName))) return true;
    return false;
}

bool PrinterRemover::FindDriverDirectory() {
    win::DWORD needed = 0;
    char16_t directory[win::MAX_PATH] = {};
    if (!win::GetPrinterDriverDirectoryW(nullptr, m_szEnvironment, 1, reinterpret_cast<win::BYTE*>(directory),
                                         sizeof directory, &needed))
        return false;
    directory[win::MAX_PATH - 1] = 0;
    // Every file this step deletes is named below the driver directory; a root or an empty
    // answer would put them somewhere the product never was.
    return !files::IsDriveRootOrEmpty(directory) && CopyBounded(m_szDriverDir, directory);
}

bool PrinterRemover::RemoveStages() {
    switch (m_nStage) {
        case 4:
            if (!RemovePrinters()) return false;
            [[fallthrough]];
        case 3:
            if (!RemovePrinterDriver()) return false;
            [[fallthrough]];
        case 2:
            RemoveStagingFiles();
            [[fallthrough]];
        case 1:
            RemovePrinterPort();
            return true;
        default:
            return false;
    }
}

void PrinterRemover::RemoveStagingFiles() {
    for (const char16_t* name : kStagingFiles) {
        DeleteProductFile(m_host.Context(), JoinPath(m_szDriverDir, name));
    }
}

bool PrinterRemover::RemovePrinters() {
    win::DWORD needed = 0;
    win::DWORD count = 0;
    win::EnumPrintersW(win::PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count);
    std::vector<win::PRINTER_INFO_2W> buffer((needed + sizeof(win::PRINTER_INFO_2W) - 1) /
                                             sizeof(win::PRINTER_INFO_2W));
    const win::DWORD size = static_cast<win::DWORD>(buffer.size() * sizeof(win::PRINTER_INFO_2W));
    count = 0;
    if (!win::EnumPrintersW(win::PRINTER_ENUM_LOCAL, nullptr, 2, reinterpret_cast<win::BYTE*>(buffer.data()), size,
                            &needed, &count))
        return true;
    count = std::min<win::DWORD>(count, static_cast<win::DWORD>(buffer.size()));

    const bool silent = m_host.IsSilent();
    for (win::DWORD i = 0; i < count; ++i) {
        const win::PRINTER_INFO_2W& printer = buffer[i];
        if (!printer.pDriverName || !printer.pPrinterName) continue;
        if (std::u16string(printer.pDriverName) != kDriverName) continue;

        win::ScopedPrinter handle;
        while (!OpenSpooler(handle, printer.pPrinterName, win::PRINTER_ALL_ACCESS)) {
            if (silent) return true;
            if (!AskRetry(product::kMsgCannotOpenPrinter)) return false;
        }
        while (!win::DeletePrinter(handle.get())) {
            if (silent) return true;
            if (!AskRetry(product::kMsgCannotDeletePrinter)) return false;
        }
    }
    return true;
}

bool PrinterRemover::RemovePrinterDriver() {
    for (;;) {
        // The environment is named: left out, a 32-bit process under WOW64 would be asking
        // about a 32-bit driver, and the 64-bit one would stay installed.
        if (win::DeletePrinterDriverW(nullptr, m_szEnvironment, const_cast<char16_t*>(kDriverName))) return true;
        // A driver that is not installed counts as removed. Windows answers 1797 for it; Wine's
        // spooler fails without saying why, and the list of installed drivers settles it.
        if (win::GetLastError() == win::ERROR_UNKNOWN_PRINTER_DRIVER || !IsDriverInstalled()) return true;
        if (m_host.IsSilent()) return true;
        if (!AskRetry(product::kMsgCannotDeleteDriver)) return false;
    }
}

bool PrinterRemover::IsDriverInstalled() {
    // The records showed none, and the spooler was not asked.
    if (m_bNothingThere) return false;
    win::DWORD needed = 0;
    win::DWORD count = 0;
    win::EnumPrinterDriversW(nullptr, m_szEnvironment, 1, nullptr, 0, &needed, &count);
    std::vector<win::DRIVER_INFO_1W> buffer((needed + sizeof(win::DRIVER_INFO_1W) - 1) / sizeof(win::DRIVER_INFO_1W));
    const win::DWORD size = static_cast<win::DWORD>(buffer.size() * sizeof(win::DRIVER_INFO_1W));
    count = 0;
    // Without an answer the driver is taken to be there, and the user decides.
    if (!win::EnumPrinterDriversW(nullptr, m_szEnvironment, 1, reinterpret_cast<win::BYTE*>(buffer.data()), size,
                                  &needed, &count))
        return true;
    count = std::min<win::DWORD>(count, static_cast<win::DWORD>(buffer.size()));
    return std::any_of(buffer.begin(), buffer.begin() + count, [](const win::DRIVER_INFO_1W& driver) {
        return driver.pName && files::EqualNoCaseAscii(driver.pName, kDriverName);
    });
}

void PrinterRemover::RemovePrinterPort() {
    win::ScopedPrinter monitor;
    // A port monitor that cannot be asked leaves the port, as far as anyone can tell.
    m_bPortLeft = true;
    if (!OpenSpooler(monitor, kPortMonitor, win::SERVER_ACCESS_ADMINISTER)) {
        m_host.Context().ReportRemoval(kPortItem, win::GetLastError());
        return;
    }
    char16_t port[sizeof kPortName / sizeof kPortName[0]];
    std::copy(std::begin(kPortName), std::end(kPortName), port);
    static_assert(sizeof port == 30, "the port name with its terminator");
    win::BYTE output[1] = {};
    win::DWORD needed = 0;
    // The call succeeds whenever the monitor was asked; the monitor's own answer is the status.
    win::DWORD status = win::ERROR_INVALID_FUNCTION;
    if (!win::XcvDataW(monitor.get(), u"DeletePort", reinterpret_cast<win::BYTE*>(port), sizeof port, output, 0,
                       &needed, &status))
        status = win::GetLastError();
    // Gone, or never there: the monitor knows no such port. Any other answer (a printer of
    // someone else's still prints to it: busy) leaves it.
    const bool noSuchPort = status == win::ERROR_FILE_NOT_FOUND || status == win::ERROR_UNKNOWN_PORT;
    m_bPortLeft = status != win::ERROR_SUCCESS && !noSuchPort;
    m_host.Context().ReportRemoval(kPortItem, noSuchPort ? win::ERROR_FILE_NOT_FOUND : status);
}

std::vector<std::u16string> PrinterRemover::FilesLeft() const {
    std::vector<std::u16string> left;
    if (!m_szDriverDir[0]) return left;
    const auto note = [&](const std::u16string& path) {
        if (path.empty() || win::GetFileAttributesW(path.c_str()) == win::INVALID_FILE_ATTRIBUTES) return;
        for (const std::u16string& pending : m_host.Context().scheduledAtRestart)
            if (files::EqualNoCaseAscii(pending, path)) return;
        left.push_back(path);
    };
    for (const char16_t* name : kStagingFiles) note(JoinPath(m_szDriverDir, name));
    const std::u16string installed = JoinPath(m_szDriverDir, u"3");
    for (const InstalledFile& file : kInstalledFiles) {
        note(JoinPath(installed, file.name));
        note(JoinPath(installed, file.temporaryName));
    }
    return left;
}

void PrinterRemover::RemoveInstalledDriverFiles() {
    char16_t installed[win::MAX_PATH];
    if (!CopyBounded(installed, JoinPath(m_szDriverDir, u"3"))) return;
    for (const InstalledFile& file : kInstalledFiles) {
        const std::u16string path = JoinPath(installed, file.name);
        const std::u16string temporary = JoinPath(installed, file.temporaryName);
        if (path.empty() || temporary.empty()) continue;
        // The rename frees the installed name at once, even when the file itself can only go
        // at the next restart, so that a new installation is never deleted by it.
        const bool renamed = win::MoveFileW(path.c_str(), temporary.c_str());
        const win::DWORD error = win::GetLastError();
        const bool blockedByLeftover = !renamed && (error == win::ERROR_ALREADY_EXISTS || error == win::ERROR_FILE_EXISTS);
        RemovalContext& context = m_host.Context();
        const bool temporaryGone = DeleteNowOrAtRestart(context, temporary);
        if (!blockedByLeftover) continue;
        // A temporary name left by an earlier removal that has not seen a restart yet.
        if (temporaryGone && win::MoveFileW(path.c_str(), temporary.c_str())) DeleteNowOrAtRestart(context, temporary);
        else if (!temporaryGone) DeleteProductFile(context, path);
    }
}

void PrinterRemover::UnregisterWordAddin() {
    if (!m_szInstallDir[0]) return;
    const std::u16string path = JoinPath(m_szInstallDir, kWordAddinName);
    if (path.empty()) return;
    // Without an add-in there is nothing to unregister: OLE, which sets up windows of its own,
    // is not started for nothing.
    if (win::GetFileAttributesW(path.c_str()) != win::INVALID_FILE_ATTRIBUTES) UnregisterAddin(path);
    DeleteProductFile(m_host.Context(), path);
}

void PrinterRemover::SetStepProgress(int step) {
    if (m_nProgressSteps <= 0) return;
    m_host.SetProgress(m_nProgressStart + (m_nProgressEnd - m_nProgressStart) * step / m_nProgressSteps);
}

bool PrinterRemover::AskRetry(unsigned messageId) {
    const std::u16string text = m_host.GetMessageText(messageId);
    return m_host.ShowMessage(m_owner, BoxKind::RetryOrCancel, text, m_szCaption);
}

}  // namespace engine::printer
