// The wizard: the one window of the program. Until its window exists the removal runs as in
// silent mode, without a window.
#pragma once
#include "engine/uninstaller.h"

namespace ui {

class UninstallDialog : public engine::Uninstaller {
public:
    explicit UninstallDialog(engine::UninstallHost& host) : Uninstaller(host) {}

    // Runs the wizard modally; returns IDOK when the removal has run to its end.
    int DoModal();
};

}  // namespace ui
