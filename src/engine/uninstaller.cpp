#include "engine/uninstaller.h"

#include "engine/files/directory_tree.h"
#include "engine/files/path.h"
#include "engine/product.h"
#include "engine/registry/read_registry_string.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "platform/window.h"

namespace engine {

bool Uninstaller::PrepareUninstall() {
    LoadProductRecords();
    return CheckProductNotInUse();
}

void Uninstaller::LoadProductRecords() {
    m_strInstallPath.clear();
    m_strExistPath.clear();
    std::u16string install =
        WithTrailingBackslash(ReadRegistryString(win::HKEY_LOCAL_MACHINE, product::kProductKey, product::kInstallPathValue));
    // Without a usable install directory every path would be formed at a drive root (or in a
    // place the product never was): such a record leaves the install path empty, and the steps
    // that work inside the install directory do nothing.
    if (IsSafeInstallDirectory(install)) m_strInstallPath = install;
    m_host.SetInstallDir(m_strInstallPath);
    m_strExistPath =
        WithTrailingBackslash(ReadRegistryString(win::HKEY_LOCAL_MACHINE, product::kProductKey, product::kExistPathValue));
}

bool Uninstaller::CheckProductNotInUse() {
    if (!HasInstallPath()) return true;
    const std::u16string executable = m_strInstallPath + product::kExecutableName;
    win::SetFileAttributesW(executable.c_str(), win::FILE_ATTRIBUTE_NORMAL);
    if (!FindFirstEntry(executable)) return true;
    if (win::DeleteFileW(executable.c_str())) return true;
    const std::u16string text = m_host.GetMessageText(product::kMsgProductInUse);
    const std::u16string caption = m_host.GetMessageText(product::kMsgCaption);
    win::MessageBoxW(nullptr, text.c_str(), caption.c_str(), win::MB_OK | win::MB_ICONWARNING);
    return false;
}

void Uninstaller::SetProgress(int position) {
    if (m_hProgress) win::SendMessageW(m_hProgress, win::PBM_SETPOS, static_cast<win::WPARAM>(position), 0);
}

void Uninstaller::RunUninstall() {
    struct ProgressPoint {
        int position;
        int code;
    };
    auto after = [this](ProgressPoint point) {
        SetProgress(point.position);
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
        win::MessageBoxW(WizardWindow(), text.c_str(), caption.c_str(), win::MB_OK | win::MB_ICONWARNING);
    }
    EndWizard(win::IDOK);
}

}  // namespace engine
