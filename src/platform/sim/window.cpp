// Simulated USER32 calls used outside the wizard.
#include "platform/window.h"

#include <string>

#include "platform/gdi.h"
#include "platform/sim/faults.h"
#include "platform/sim/machine.h"
#include "platform/sim/text.h"

namespace sim {

win::HWND WindowState::AddWindow(const std::u16string& caption) {
    auto handle = reinterpret_cast<win::HWND>(nextWindow++);
    windows[handle].caption = caption;
    return handle;
}

// What the system's own window classes do with the messages the program sends them.
win::LRESULT WIN_STDCALL ClassProc(win::HWND window, win::UINT message, win::WPARAM wParam, win::LPARAM lParam) {
    SimWindow* w = machine().windows.Find(window);
    if (!w) return 0;
    switch (message) {
    case win::PBM_SETPOS: {
        int previous = w->progressPositions.empty() ? 0 : w->progressPositions.back();
        w->progressPositions.push_back(static_cast<int>(wParam));
        return previous;
    }
    case win::PBM_SETRANGE:
        w->rangeLow = static_cast<int>(lParam & 0xFFFF);
        w->rangeHigh = static_cast<int>((lParam >> 16) & 0xFFFF);
        return 0;
    case win::WM_SETTEXT:
        w->caption = FromPtr(reinterpret_cast<const char16_t*>(lParam));
        return win::TRUE;
    case win::WM_SETFONT:
        w->font = reinterpret_cast<void*>(wParam);
        return 0;
    case win::WM_GETFONT:
        return reinterpret_cast<win::LRESULT>(w->font);
    case win::WM_CTLCOLORDLG:
        // The dialog manager answers with the brush of the dialog's background.
        if (w->className != u"#32770") return 0;
        if (!machine().gdi.dialogBackground) {
            SystemCallsNext();
            machine().gdi.dialogBackground = win::CreateSolidBrush(win::RGB(240, 240, 240));
        }
        return reinterpret_cast<win::LRESULT>(machine().gdi.dialogBackground);
    case win::WM_SETICON: {
        auto icon = reinterpret_cast<win::HICON>(lParam);
        auto& slot = wParam == win::ICON_BIG ? w->bigIcon : w->smallIcon;
        auto previous = slot;
        slot = icon;
        return reinterpret_cast<win::LRESULT>(previous);
    }
    case win::TTM_SETDELAYTIME:
        if (wParam == win::TTDT_AUTOMATIC) w->tipDelay = static_cast<int>(lParam & 0xFFFF);
        return 0;
    case win::TTM_SETMAXTIPWIDTH: {
        int previous = w->tipMaxWidth;
        w->tipMaxWidth = static_cast<int>(lParam);
        return previous;
    }
    case win::TTM_NEWTOOLRECTW:
        w->tool.rect = reinterpret_cast<const win::TOOLINFOW*>(lParam)->rect;
        return 0;
    case win::TTM_ADDTOOLW:
    case win::TTM_UPDATETIPTEXTW: {
        auto* tool = reinterpret_cast<const win::TOOLINFOW*>(lParam);
        if (message == win::TTM_ADDTOOLW) w->tool = *tool;
        w->tipText = FromPtr(tool->lpszText);
        return win::TRUE;
    }
    default:
        return 0;
    }
}

}  // namespace sim

namespace win {

using sim::machine;

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
    if (sim::FaultPoint("MessageBoxW")) return sim::Failure(0, ERROR_NOT_ENOUGH_MEMORY);
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
    if (sim::FaultPoint("FindWindowW")) return sim::Failure(HWND{}, ERROR_NOT_ENOUGH_MEMORY);
    for (auto& [handle, window] : machine().windows.windows)
        if (!window.destroyed && !window.parent && window.caption == sim::FromPtr(windowName)) return handle;
    return nullptr;
}

BOOL BringWindowToTop(HWND window) {
    if (sim::FaultPoint("BringWindowToTop")) return sim::Failure(BOOL{FALSE}, ERROR_ACCESS_DENIED);
    auto& windows = machine().windows.windows;
    auto it = windows.find(window);
    if (it == windows.end()) return FALSE;
    it->second.broughtToTop = true;
    return TRUE;
}

LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // The log keeps every position the program tried to set, also one that fails.
    if (message == PBM_SETPOS) machine().Log("PBM_SETPOS", std::to_string(wParam));
    if (sim::FaultPoint("SendMessageW")) return sim::Failure(LRESULT{0}, sim::kErrorInvalidWindowHandle);
    sim::SimWindow* w = machine().windows.Find(window);
    if (!w) return 0;
    WNDPROC proc = w->proc ? w->proc : &sim::ClassProc;
    return proc(window, message, wParam, lParam);
}

}  // namespace win
