// The message boxes of the program, by kind: the one place that knows their flags. A box whose
// caption reads from right to left (the Arabic and Hebrew texts) reads and aligns its text that
// way too; every other box is as it always was.
#pragma once
#include <string>

#include "engine/uninstall_host.h"
#include "platform/window.h"

namespace ui {

// Shows a box of `kind` owned by `owner` (null: no owner) and waits; true when answered OK.
bool ShowBox(win::HWND owner, engine::BoxKind kind, const std::u16string& text, const std::u16string& caption);

// The question before anything is removed, owned by nobody; true when answered Yes.
bool AskToUninstall(const std::u16string& text, const std::u16string& caption);

// The flags a box with this caption adds for its reading direction.
win::UINT ReadingFlags(const std::u16string& caption);

}  // namespace ui
