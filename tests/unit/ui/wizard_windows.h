// The wizard's windows on the simulated window system, for the tests of the wizard.
#pragma once
#include "platform/sim/machine.h"

namespace wizard_windows {

// The control `id` of the wizard's dialog; null when there is none.
inline sim::SimWindow* Control(int id) {
    auto& windows = sim::machine().windows.windows;
    for (auto& [handle, w] : windows)
        if (w.parent && w.id == id && windows[w.parent].className == u"#32770") return &w;
    return nullptr;
}

inline sim::SimWindow* DialogWindow() {
    for (auto& [handle, w] : sim::machine().windows.windows)
        if (w.className == u"#32770") return &w;
    return nullptr;
}

}  // namespace wizard_windows
