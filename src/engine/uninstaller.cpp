// The sequence and the entry point of each step. The work of a step is done by the workers of
// its subject: files/ (shortcuts, program files, trees), addons/, printer/ and registry/.
#include "engine/uninstaller.h"

#include "engine/addons/add_on_remover.h"
#include "engine/files/file.h"
#include "engine/files/path.h"
#include "engine/files/shortcuts.h"
#include "engine/printer/printer_remover.h"
#include "engine/product.h"
#include "engine/registry/product_registry.h"
#include "engine/registry/read_registry_string.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/system.h"

namespace engine {

bool Uninstaller::PrepareUninstall() {
    LoadProductRecords();
    return CheckProductNotInUse();
}

void Uninstaller::LoadProductRecords() {
    m_strInstallPath.clear();
    m_strExistPath.clear();
    std::u16string install = files::WithTrailingBackslash(
        registry::ReadRegistryString(win::HKEY_LOCAL_MACHINE, product::kProductKey, product::kInstallPathValue));
    // Without a usable install directory every path would be formed at a drive root (or in a
    // place the product never was): such a record leaves the install path empty, and the steps
    // that work inside the install directory do nothing.
    if (files::IsSafeInstallDirectory(install)) m_strInstallPath = install;
    m_host.SetInstallDir(m_strInstallPath);
    m_strExistPath = files::WithTrailingBackslash(
        registry::ReadRegistryString(win::HKEY_LOCAL_MACHINE, product::kProductKey, product::kExistPathValue));
}

bool Uninstaller::CheckProductNotInUse() {
    if (!HasInstallPath()) return true;
    const std::u16string executable = m_strInstallPath + product::kExecutableName;
    win::SetFileAttributesW(executable.c_str(), win::FILE_ATTRIBUTE_NORMAL);
    if (!files::FindFirstEntry(executable)) return true;
    if (files::DeleteProductFile(executable)) return true;
    const std::u16string text = m_host.GetMessageText(product::kMsgProductInUse);
    const std::u16string caption = m_host.GetMessageText(product::kMsgCaption);
    m_host.ShowMessage(BoxOwner::None, BoxKind::Warning, text, caption);
    return false;
}

void Uninstaller::RunUninstall() {
    struct ProgressPoint {
        int position;
        int code;
    };
    auto after = [this](ProgressPoint point) {
        m_host.SetProgress(point.position);
        m_host.ReportToInstaller(point.code);
    };

    RemoveDesktopShortcuts();
    after({10, 1});
    RemoveQuickLaunchShortcut();
    after({20, 2});
    RemoveStartMenuFolder();
    after({40, 4});
    RemoveAddOns();
    after({60, 6});
    RemovePrinter();
    after({70, 7});
    RemoveProgramFiles();
    after({80, 8});
    if (IsProductPdfHandler()) RemoveFileAssociations();
    after({90, 9});
    RemoveProductRegistry();
    after({100, 10});

    win::Sleep(500);
    if (!m_host.IsSilent()) {
        const std::u16string text = m_host.GetMessageText(product::kMsgRemoved);
        const std::u16string caption = m_host.GetMessageText(product::kMsgCaption);
        m_host.ShowMessage(BoxOwner::Wizard, BoxKind::Warning, text, caption);
    }
}

void Uninstaller::RemoveDesktopShortcuts() { files::RemoveDesktopShortcuts(); }

void Uninstaller::RemoveQuickLaunchShortcut() { files::RemoveQuickLaunchShortcut(); }

void Uninstaller::RemoveStartMenuFolder() { files::RemoveStartMenuFolders(); }

void Uninstaller::RemoveAddOns() { addons::AddOnRemover(m_strInstallPath).RemoveAll(); }

// The printer step moves the bar from 60 to 75 while it works; the sequence then sets 70.
void Uninstaller::RemovePrinter() {
    printer::PrinterRemover remover(m_host);
    remover.Configure(m_strInstallPath, 60, 75);
    remover.Run();
}

void Uninstaller::RemoveProgramFiles() {
    if (!HasInstallPath()) return;
    files::RemoveProgramFiles(m_strInstallPath);
    // The walk up works in lower case, and the records keep that spelling from here on: the
    // later steps that need the install directory read the host's copy.
    m_strInstallPath = files::ToLowerAscii(m_strInstallPath);
    m_strExistPath = files::ToLowerAscii(m_strExistPath);
    files::RemoveCreatedParents(m_strInstallPath, m_strExistPath);
}

bool Uninstaller::IsProductPdfHandler() { return registry::IsProductPdfHandler(m_host.GetInstallDir()); }

void Uninstaller::RemoveFileAssociations() { registry::RemoveFileAssociations(); }

void Uninstaller::RemoveProductRegistry() { registry::RemoveProductRegistry(); }

}  // namespace engine
