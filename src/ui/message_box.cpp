#include "ui/message_box.h"

#include "ui/reading_direction.h"

namespace ui {

win::UINT ReadingFlags(const std::u16string& caption) {
    return IsRightToLeftText(caption) ? win::MB_RTLREADING | win::MB_RIGHT : 0;
}

bool ShowBox(win::HWND owner, engine::BoxKind kind, const std::u16string& text, const std::u16string& caption) {
    const win::UINT type =
        kind == engine::BoxKind::RetryOrCancel ? win::MB_OKCANCEL : win::MB_OK | win::MB_ICONWARNING;
    return win::MessageBoxW(owner, text.c_str(), caption.c_str(), type | ReadingFlags(caption)) == win::IDOK;
}

bool AskToUninstall(const std::u16string& text, const std::u16string& caption) {
    return win::MessageBoxW(nullptr, text.c_str(), caption.c_str(),
                            win::MB_YESNO | win::MB_ICONWARNING | ReadingFlags(caption)) == win::IDYES;
}

}  // namespace ui
