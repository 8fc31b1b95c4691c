// The message boxes of the program, by kind: the one place that knows their flags.
#pragma once
#include <string>

#include "engine/uninstall_host.h"
#include "platform/window.h"

namespace ui {

// Shows a box of `kind` owned by `owner` (null: no owner) and waits; true when answered OK.
bool ShowBox(win::HWND owner, engine::BoxKind kind, const std::u16string& text, const std::u16string& caption);

}  // namespace ui
