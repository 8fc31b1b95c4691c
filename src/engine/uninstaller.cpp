// The sequence and the entry point of each step. The work of a step is done by the workers of
// its subject: files/ (shortcuts, program files, trees), addons/, printer/ and registry/.
#include "engine/uninstaller.h"

#include "engine/addons/add_on_remover.h"
#include "engine/files/file.h"
#include "engine/files/path.h"
#include "engine/files/shortcuts.h"
#include "engine/printer/printer_remover.h"
#include "engine/product.h"
#include "engine/product_entries.h"
#include "engine/registry/product_registry.h"
#include "engine/registry/read_registry_string.h"
#include "engine/registry/registry_key.h"
#include "engine/registry/registry_tree.h"
#include "engine/removal_report.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/system.h"

namespace engine {

namespace {
constexpr win::DWORD kFinalWaitMs = 500;
}  // namespace

bool Uninstaller::PrepareUninstall() {
    LoadProductRecords();
    if (m_location.state == InstallRecordState::Unusable) {
        ReportUnusableInstallRecord();
        return false;
    }
    return CheckProductNotInUse();
}

// The records were read and judged at start-up (the location this removal was given): one that
// names no directory of the product's (a root, a system or user folder, a relative path, ...)
// leaves the install path empty, and the preparation then fails before anything is removed.
// Without any record of the directory, while other records show the product is there, the
// program files cannot be looked for: the run cannot say that nothing of the product is left.
void Uninstaller::LoadProductRecords() {
    m_bProgramFilesUnknown = m_location.state == InstallRecordState::Missing && !registry::ProductKeysLeft().empty();
    if (m_bProgramFilesUnknown)
        m_host.Context().ReportDiagnostic(u"the install record names no directory; the program files cannot be looked for");
}

// The record exists but cannot be trusted: removing the product's records now would orphan its
// files, and removing files would work in a place that is not the product's. The installer hears
// -1 from the start-up, which it reads as "product in use"; the box says what really stopped the
// run, in every mode, as the in-use box does.
void Uninstaller::ReportUnusableInstallRecord() {
    const std::u16string text = m_host.GetMessageText(product::kMsgInstallPathUnusable);
    const std::u16string caption = m_host.GetMessageText(product::kMsgCaption);
    m_host.ShowMessage(BoxOwner::None, BoxKind::Warning, text, caption);
}

bool Uninstaller::CheckProductNotInUse() {
    if (!HasInstallPath()) return true;
    const std::u16string executable = m_strInstallPath + product::kExecutableName;
    if (!files::FindFirstEntry(executable)) return true;
    if (files::DeleteProgramFile(m_host.Context(), executable)) return true;
    const std::u16string text = m_host.GetMessageText(product::kMsgProductInUse);
    const std::u16string caption = m_host.GetMessageText(product::kMsgCaption);
    m_host.ShowMessage(BoxOwner::None, BoxKind::Warning, text, caption);
    return false;
}

void Uninstaller::RunUninstall() {
    const std::size_t scheduledBefore = m_host.Context().scheduledAtRestart.size();
    struct ProgressPoint {
        int position;
        int code;
    };
    auto after = [this](ProgressPoint point) {
        m_host.SetProgress(point.position);
        m_host.ReportToInstaller(point.code);
    };

    // Each step is named in the log before the removals it tries.
    auto step = [this](const char16_t* name) { m_host.Note(u"step: " + std::u16string(name)); };

    step(u"desktop shortcuts");
    RemoveDesktopShortcuts();
    after({10, 1});
    step(u"Quick Launch shortcut");
    RemoveQuickLaunchShortcut();
    after({20, 2});
    step(u"Start menu folders");
    RemoveStartMenuFolder();
    after({40, 4});
    step(u"add-ons");
    RemoveAddOns();
    after({60, 6});
    step(u"virtual printer");
    RemovePrinter();
    after({70, 7});
    step(u"program files");
    RemoveProgramFiles();
    after({80, 8});
    step(u"file associations");
    RemoveFileAssociations();
    after({90, 9});
    step(u"registry records");
    RemoveProductRegistry();
    after({100, 10});

    // The run waits half a second after its last code (the wizard's bar stays full meanwhile).
    // What the steps achieved is looked at within that half second, not before it: not assumed,
    // the completion box says "removed" only when nothing is left and nothing waits for a restart,
    // and otherwise where the details are.
    const win::DWORD waitBegan = win::GetTickCount();
    m_left = ItemsLeft();
    m_bRestartNeeded = m_host.Context().scheduledAtRestart.size() > scheduledBefore;
    const bool complete = m_left.empty() && !m_bRestartNeeded;
    const std::u16string place = complete || m_host.IsSilent() ? std::u16string() : m_host.DetailsPlace();
    for (const std::u16string& item : m_left) m_host.Note(u"left: " + item);
    if (m_bRestartNeeded) m_host.Note(u"left for the next restart: files of the printer driver");

    const win::DWORD looked = win::GetTickCount() - waitBegan;  // unsigned: right across the wrap
    if (looked < kFinalWaitMs) win::Sleep(kFinalWaitMs - looked);
    if (!m_host.IsSilent()) {
        std::u16string text = m_host.GetMessageText(complete ? product::kMsgRemoved : product::kMsgPartlyRemoved);
        if (!place.empty()) text += u"\n\n" + place;
        const std::u16string caption = m_host.GetMessageText(product::kMsgCaption);
        m_host.ShowMessage(BoxOwner::Wizard, BoxKind::Warning, text, caption);
    }
}

void Uninstaller::RemoveDesktopShortcuts() { files::RemoveDesktopShortcuts(m_host.Context()); }

void Uninstaller::RemoveQuickLaunchShortcut() { files::RemoveQuickLaunchShortcut(m_host.Context()); }

void Uninstaller::RemoveStartMenuFolder() { files::RemoveStartMenuFolders(m_host.Context()); }

void Uninstaller::RemoveAddOns() {
    const addons::Attendance attendance = m_host.IsUnattended() ? addons::Attendance::Nobody
                                          : m_host.IsSilent()   ? addons::Attendance::Installer
                                                                : addons::Attendance::User;
    addons::AddOnRemover remover(m_host.Context(), m_strInstallPath, attendance, &registry::DeleteRegistryKey);
    remover.RemoveAll();
    m_strPluginLeftRunning = remover.PluginUninstallerLeftRunning();
}

// The printer step moves the bar from 60 to 75 while it works; the sequence then sets 70.
void Uninstaller::RemovePrinter() {
    printer::PrinterRemover remover(m_host);
    remover.Configure(m_strInstallPath, 60, 75);
    const bool ran = remover.Run();
    m_bPrinterIncomplete = !ran || remover.IsDriverInstalled();
    m_bPortLeft = ran && remover.IsPortLeft();
    m_printerFilesLeft = remover.FilesLeft();
}

void Uninstaller::RemoveProgramFiles() {
    if (!HasInstallPath()) return;
    files::RemoveProgramFiles(m_host.Context(), m_strInstallPath);
    files::RemoveCreatedParents(m_host.Context(), m_strInstallPath, m_strExistPath);
}

// Every value that names the product goes, whichever reader the user running the removal
// prefers: the values are the machine's and every user's, and the records step deletes the
// ProgIDs they name.
void Uninstaller::RemoveFileAssociations() {
    m_bAssociationsChanged = registry::RemoveFileAssociations(m_host.Context());
}

// Whether a file type of the product's was among the records, with the association step's own
// removals, decides whether the shell is to be told that file types changed.
void Uninstaller::RemoveProductRegistry() {
    const bool fileTypesThere = registry::RemoveProductRegistry(m_host.Context());
    m_bFileTypesChanged = m_bAssociationsChanged || fileTypesThere;
}

void Uninstaller::TellShellOfChangedFileTypes() const {
    if (m_bFileTypesChanged) registry::TellShellFileTypesChanged();
}

std::vector<std::u16string> Uninstaller::ItemsLeft() const {
    std::vector<std::u16string> left;
    if (m_bPrinterIncomplete) left.push_back(u"printer driver");
    if (m_bPortLeft) left.push_back(printer::kPortItem);
    for (const std::u16string& file : m_printerFilesLeft) left.push_back(u"file " + file);
    for (const std::u16string& shortcut : files::ShortcutsLeft()) left.push_back(u"shortcut " + shortcut);
    if (!m_strPluginLeftRunning.empty())
        left.push_back(u"program " + m_strPluginLeftRunning + u" (the browser plug-in's uninstaller, still running)");
    // What is still in the install directory of what the steps delete there. Anything else
    // there is the user's (a PDF saved beside the program, a folder of their own): it stays,
    // with the directories that hold it, and the log says so.
    if (m_bProgramFilesUnknown) left.push_back(u"program files (no install record names their directory)");
    if (HasInstallPath()) {
        const InstallDirectoryLook look = LookAtInstallDirectory(m_strInstallPath);
        left.insert(left.end(), look.left.begin(), look.left.end());
        RemovalContext& context = m_host.Context();
        for (const std::u16string& kept : look.kept) context.ReportKept(kept);
        if (!look.kept.empty())
            context.ReportKept(u"directory " + files::WithoutTrailingBackslash(m_strInstallPath) +
                               u" (it holds what is not the product's)");
    }
    for (const std::u16string& key : registry::ProductKeysLeft()) left.push_back(u"key " + key);
    for (const std::u16string& value : registry::AssociationsLeft()) left.push_back(value);
    return left;
}

RemovalOutcome Uninstaller::Outcome() const {
    RemovalOutcome outcome;
    outcome.left = m_left;
    outcome.restartNeeded = m_bRestartNeeded;
    outcome.printerIncomplete = m_bPrinterIncomplete;
    outcome.portLeft = m_bPortLeft;
    outcome.pluginLeftRunning = m_strPluginLeftRunning;
    outcome.printerFilesLeft = m_printerFilesLeft;
    outcome.associationsChanged = m_bAssociationsChanged;
    outcome.fileTypesChanged = m_bFileTypesChanged;
    outcome.programFilesUnknown = m_bProgramFilesUnknown;
    return outcome;
}

bool Uninstaller::IsAnythingInstalled(const InstallLocation& location) {
    return !registry::ProductKeysLeft().empty() ||
           (location.IsUsable() && files::MayExist(location.directory + product::kExecutableName));
}

}  // namespace engine
