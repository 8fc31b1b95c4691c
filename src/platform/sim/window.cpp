// Simulated USER32 calls used outside the wizard.
#include "platform/window.h"

#include "platform/sim/machine.h"
#include "platform/sim/text.h"

namespace sim {

win::HWND WindowState::AddWindow(const std::u16string& caption) {
    auto handle = reinterpret_cast<win::HWND>(nextWindow++);
    windows[handle].caption = caption;
    return handle;
}

}  // namespace sim

namespace win {

using sim::machine;

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
    auto& ws = machine().windows;
    int answer;
    if (!ws.answers.empty()) {
        answer = ws.answers.front();
        ws.answers.pop_front();
    } else {
        UINT buttons = type & 0xF;
        answer = buttons == MB_YESNO ? IDYES : buttons == MB_OKCANCEL ? IDCANCEL : IDOK;
    }
    machine().Log("MessageBoxW", sim::Narrow(sim::FromPtr(text)));
    ws.boxes.push_back({owner, sim::FromPtr(text), sim::FromPtr(caption), type, answer});
    return answer;
}

HWND FindWindowW(LPCWSTR, LPCWSTR windowName) {
    for (auto& [handle, window] : machine().windows.windows)
        if (window.caption == sim::FromPtr(windowName)) return handle;
    return nullptr;
}

BOOL BringWindowToTop(HWND window) {
    auto& windows = machine().windows.windows;
    auto it = windows.find(window);
    if (it == windows.end()) return FALSE;
    it->second.broughtToTop = true;
    return TRUE;
}

LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto& windows = machine().windows.windows;
    auto it = windows.find(window);
    if (it == windows.end()) return 0;
    if (message == PBM_SETPOS) {
        int previous = it->second.progressPositions.empty() ? 0 : it->second.progressPositions.back();
        it->second.progressPositions.push_back(static_cast<int>(wParam));
        return previous;
    }
    if (message == PBM_SETRANGE) {
        it->second.rangeLow = static_cast<int>(lParam & 0xFFFF);
        it->second.rangeHigh = static_cast<int>((lParam >> 16) & 0xFFFF);
    }
    return 0;
}

}  // namespace win
