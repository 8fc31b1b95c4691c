#include "ui/message_box.h"

namespace ui {

bool ShowBox(win::HWND owner, engine::BoxKind kind, const std::u16string& text, const std::u16string& caption) {
    const win::UINT type =
        kind == engine::BoxKind::RetryOrCancel ? win::MB_OKCANCEL : win::MB_OK | win::MB_ICONWARNING;
    return win::MessageBoxW(owner, text.c_str(), caption.c_str(), type) == win::IDOK;
}

}  // namespace ui
