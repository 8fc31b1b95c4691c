// The add-on step.
#include "engine/addons/add_on_remover.h"
#include "engine/uninstaller.h"

namespace engine {

void Uninstaller::RemoveAddOns() {
    AddOnRemover remover(m_strInstallPath, m_host.IsSilent());
    remover.RemoveAll();
}

}  // namespace engine
