#include "ui/uninstall_dialog.h"

#include "platform/window.h"

namespace ui {

int UninstallDialog::DoModal() {
    RunUninstall();
    return win::IDOK;
}

}  // namespace ui
