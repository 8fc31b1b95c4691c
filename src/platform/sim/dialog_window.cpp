// Simulated dialogs and controls: windows with procedures, subclassing, timers on a simulated
// clock, and a modal loop that delivers queued messages and then timers until the dialog ends.
#include <string>

#include "platform/gdi.h"
#include "platform/resources.h"
#include "platform/sim/faults.h"
#include "platform/sim/machine.h"
#include "platform/sim/text.h"
#include "platform/window.h"

namespace sim {

win::HWND WindowState::Create(const std::u16string& className, win::HWND parent, int id) {
    auto handle = reinterpret_cast<win::HWND>(nextWindow++);
    SimWindow& w = windows[handle];
    w.className = className;
    w.parent = parent;
    w.id = id;
    w.proc = &ClassProc;
    return handle;
}

SimWindow* WindowState::Find(win::HWND window) {
    auto it = windows.find(window);
    if (it == windows.end() || it->second.destroyed) return nullptr;
    return &it->second;
}

namespace {

constexpr int kMaxModalMessages = 10000;  // a dialog that never ends stops here instead of hanging

WindowState& ws() { return machine().windows; }

win::LRESULT WIN_STDCALL DialogWindowProc(win::HWND window, win::UINT message, win::WPARAM wParam,
                                          win::LPARAM lParam) {
    SimWindow* w = ws().Find(window);
    if (!w || !w->dialogProc) return 0;
    // The system has moved the window to its new DPI before it says so.
    if (message == win::WM_DPICHANGED) w->dpi = win::LOWORD(wParam);
    win::INT_PTR handled = w->dialogProc(window, message, wParam, lParam);
    if (handled) return handled;
    // The dialog manager turns the close box and Alt+F4 into Cancel.
    if (message == win::WM_CLOSE) return w->dialogProc(window, win::WM_COMMAND, win::IDCANCEL, 0);
    return ClassProc(window, message, wParam, lParam);
}

// The dialog manager's font for a template with DS_SETFONT (Tahoma, 10 points) at the DPI the
// dialog is created at; it goes with the dialog.
void* CreateDialogFont(int dpi) {
    win::LOGFONTW font{};
    font.lfHeight = -((10 * dpi + 36) / 72);
    font.lfCharSet = 1;
    const std::u16string face = u"Tahoma";
    face.copy(font.lfFaceName, face.size());
    GdiObject object{GdiKind::Font};
    object.font = font;
    return machine().gdi.Add(object);
}

void Destroy(win::HWND window) {
    for (auto& [handle, child] : ws().windows)
        if (child.parent == window && !child.destroyed) Destroy(handle);
    if (!ws().Find(window)) return;
    SystemCallsNext();
    win::SendMessageW(window, win::WM_DESTROY, 0, 0);
    SystemCallsNext();
    win::SendMessageW(window, win::WM_NCDESTROY, 0, 0);
    SimWindow& w = ws().windows[window];
    w.destroyed = true;
    w.timers.clear();
    if (w.className == u"#32770" && w.dialogProc) machine().gdi.objects.erase(w.dialogFont);
    if (ws().focus == window) ws().focus = nullptr;
}

// The timer due first, across all windows; false when none runs.
bool NextTimer(win::HWND& window, win::UINT_PTR& id) {
    bool found = false;
    long due = 0;
    for (auto& [handle, w] : ws().windows) {
        if (w.destroyed) continue;
        for (auto& [timerId, timer] : w.timers) {
            if (!found || timer.due < due) {
                found = true;
                due = timer.due;
                window = handle;
                id = timerId;
            }
        }
    }
    return found;
}

bool DeliverNext(win::HWND dialog) {
    if (!ws().queue.empty()) {
        PostedMessage m = ws().queue.front();
        ws().queue.pop_front();
        if (m.control) {
            SystemCallsNext();
            m.lParam = reinterpret_cast<win::LPARAM>(win::GetDlgItem(dialog, m.control));
        }
        SystemCallsNext();
        win::SendMessageW(m.window ? m.window : dialog, m.message, m.wParam, m.lParam);
        return true;
    }
    win::HWND window;
    win::UINT_PTR id;
    if (!NextTimer(window, id)) return false;
    SimTimer& timer = ws().windows[window].timers[id];
    ws().clock = timer.due;
    timer.due += timer.interval;
    SystemCallsNext();
    win::SendMessageW(window, win::WM_TIMER, id, 0);
    return true;
}

}  // namespace
}  // namespace sim

namespace win {

using sim::machine;
using sim::ws;

INT_PTR DialogBoxParamW(HINSTANCE, LPCWSTR templateName, HWND parent, DLGPROC proc, LPARAM param) {
    if (sim::FaultPoint("DialogBoxParamW")) return sim::Failure(INT_PTR{-1}, ERROR_NOT_ENOUGH_MEMORY);
    machine().Log("DialogBoxParamW", std::to_string(reinterpret_cast<ULONG_PTR>(templateName)));
    if (ws().dialogFails) return -1;
    HWND dialog = ws().Create(u"#32770", nullptr, 0);
    sim::SimWindow& w = ws().windows[dialog];
    w.proc = &sim::DialogWindowProc;
    w.dialogProc = proc;
    w.iconic = ws().dialogsStartIconic;
    w.width = ws().dialogWidth;
    w.height = ws().dialogHeight;
    w.dialogFont = w.font = sim::CreateDialogFont(ws().systemDpi);
    (void)parent;
    proc(dialog, WM_INITDIALOG, 0, param);
    for (int i = 0; i < sim::kMaxModalMessages && !ws().windows[dialog].dialogEnded; ++i)
        if (!sim::DeliverNext(dialog)) break;
    bool ended = ws().windows[dialog].dialogEnded;
    if (!ended) ws().modalStalls++;
    INT_PTR result = ws().windows[dialog].dialogResult;
    sim::Destroy(dialog);
    // A modal loop with nothing left to deliver would wait for ever; the simulation gives up.
    return ended ? result : -1;
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
    // It fails only for a window that is no dialog, which no handler of a dialog has.
    sim::CountPoint("EndDialog");
    machine().Log("EndDialog", std::to_string(result));
    sim::SimWindow* w = ws().Find(dialog);
    if (!w || !w->dialogProc) return FALSE;
    w->dialogEnded = true;
    w->dialogResult = result;
    return TRUE;
}

HWND GetDlgItem(HWND dialog, int id) {
    if (sim::FaultPoint("GetDlgItem")) return sim::Failure(HWND{}, sim::kErrorInvalidWindowHandle);
    if (!ws().Find(dialog)) return nullptr;
    for (auto& [handle, w] : ws().windows)
        if (!w.destroyed && w.parent == dialog && w.id == id) return handle;
    // The simulated template has every control the program asks for, in the dialog's font.
    HWND control = ws().Create(u"", dialog, id);
    ws().windows[control].font = ws().windows[dialog].font;
    return control;
}

HWND CreateWindowExW(DWORD, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width, int height,
                     HWND parent, void*, HINSTANCE, void*) {
    if (sim::FaultPoint("CreateWindowExW")) return sim::Failure(HWND{}, ERROR_NOT_ENOUGH_MEMORY);
    machine().Log("CreateWindowExW", sim::Narrow(sim::FromPtr(className)));
    HWND window = ws().Create(sim::FromPtr(className), parent, 0);
    sim::SimWindow& w = ws().windows[window];
    w.caption = sim::FromPtr(windowName);
    w.style = style;
    w.x = x, w.y = y, w.width = width, w.height = height;
    return window;
}

BOOL DestroyWindow(HWND window) {
    if (sim::FaultPoint("DestroyWindow")) return sim::Failure(BOOL{FALSE}, ERROR_ACCESS_DENIED);
    if (!ws().Find(window)) return FALSE;
    sim::Destroy(window);
    return TRUE;
}

HWND GetParent(HWND window) {
    sim::CountPoint("GetParent");
    sim::SimWindow* w = ws().Find(window);
    return w ? w->parent : nullptr;
}

BOOL IsWindow(HWND window) {
    sim::CountPoint("IsWindow");
    return ws().Find(window) ? TRUE : FALSE;
}

BOOL IsIconic(HWND window) {
    sim::CountPoint("IsIconic");
    sim::SimWindow* w = ws().Find(window);
    return w && w->iconic;
}

BOOL EnableWindow(HWND window, BOOL enable) {
    sim::CountPoint("EnableWindow");
    sim::SimWindow* w = ws().Find(window);
    if (!w) return FALSE;
    bool wasDisabled = !w->enabled;
    w->enabled = enable;
    return wasDisabled;
}

BOOL SetWindowPos(HWND window, HWND, int x, int y, int width, int height, UINT flags) {
    if (sim::FaultPoint("SetWindowPos")) return sim::Failure(BOOL{FALSE}, ERROR_NOT_ENOUGH_MEMORY);
    sim::SimWindow* w = ws().Find(window);
    if (!w) return FALSE;
    if (!(flags & SWP_NOMOVE)) w->x = x, w->y = y;
    w->width = width, w->height = height;
    w->moved = true;
    return TRUE;
}

BOOL SetWindowTextW(HWND window, LPCWSTR text) {
    if (sim::FaultPoint("SetWindowTextW")) return sim::Failure(BOOL{FALSE}, ERROR_NOT_ENOUGH_MEMORY);
    sim::SystemCallsNext();
    return SendMessageW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) ? TRUE : FALSE;
}

int GetWindowTextW(HWND window, LPWSTR buffer, int size) {
    if (sim::FaultPoint("GetWindowTextW")) return sim::Failure(0, ERROR_NOT_ENOUGH_MEMORY);
    sim::SimWindow* w = ws().Find(window);
    if (!w || size <= 0) return 0;
    std::u16string text = w->caption.substr(0, static_cast<std::size_t>(size - 1));
    text.copy(buffer, text.size());
    buffer[text.size()] = 0;
    return static_cast<int>(text.size());
}

LONG_PTR GetWindowLongPtrW(HWND window, int index) {
    sim::CountPoint("GetWindowLongPtrW");
    sim::SimWindow* w = ws().Find(window);
    if (!w) return 0;
    if (index == GWL_STYLE) return w->style;
    if (index == GWL_EXSTYLE) return w->exStyle;
    if (index == GWLP_WNDPROC) return reinterpret_cast<LONG_PTR>(w->proc ? w->proc : &sim::ClassProc);
    if (index == GWLP_USERDATA) return w->userData;
    if (index == DWLP_USER && w->dialogProc) return w->dialogUser;
    return 0;
}

LONG_PTR SetWindowLongPtrW(HWND window, int index, LONG_PTR value) {
    sim::CountPoint("SetWindowLongPtrW");
    sim::SimWindow* w = ws().Find(window);
    if (!w) return 0;
    sim::SystemCallsNext();
    LONG_PTR previous = GetWindowLongPtrW(window, index);
    if (index == GWL_STYLE) w->style = value;
    if (index == GWL_EXSTYLE) w->exStyle = value;
    if (index == GWLP_WNDPROC) w->proc = reinterpret_cast<WNDPROC>(value);
    if (index == GWLP_USERDATA) w->userData = value;
    if (index == DWLP_USER && w->dialogProc) w->dialogUser = value;
    return previous;
}

LRESULT CallWindowProcW(WNDPROC proc, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    sim::CountPoint("CallWindowProcW");
    return proc ? proc(window, message, wParam, lParam) : 0;
}

UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT milliseconds, void*) {
    if (sim::FaultPoint("SetTimer")) return sim::Failure(UINT_PTR{0}, ERROR_NOT_ENOUGH_MEMORY);
    sim::SimWindow* w = ws().Find(window);
    if (!w) return 0;
    machine().Log("SetTimer", std::to_string(id) + " " + std::to_string(milliseconds));
    w->timers[id] = {milliseconds, ws().clock + static_cast<long>(milliseconds)};
    return id;
}

BOOL KillTimer(HWND window, UINT_PTR id) {
    if (sim::FaultPoint("KillTimer")) return sim::Failure(BOOL{FALSE}, ERROR_INVALID_PARAMETER);
    sim::SimWindow* w = ws().Find(window);
    if (!w) return FALSE;
    machine().Log("KillTimer", std::to_string(id));
    return w->timers.erase(id) ? TRUE : FALSE;
}

BOOL InvalidateRect(HWND window, const RECT*, BOOL) {
    if (sim::FaultPoint("InvalidateRect")) return sim::Failure(BOOL{FALSE}, sim::kErrorInvalidWindowHandle);
    sim::SimWindow* w = ws().Find(window);
    if (!w) return FALSE;
    w->invalidations++;
    return TRUE;
}

BOOL GetClientRect(HWND window, RECT* rect) {
    if (sim::FaultPoint("GetClientRect")) return sim::Failure(BOOL{FALSE}, sim::kErrorInvalidWindowHandle);
    sim::SimWindow* w = ws().Find(window);
    if (!w) return FALSE;
    *rect = {0, 0, w->width, w->height};
    return TRUE;
}

BOOL GetWindowRect(HWND window, RECT* rect) {
    if (sim::FaultPoint("GetWindowRect")) return sim::Failure(BOOL{FALSE}, sim::kErrorInvalidWindowHandle);
    sim::SimWindow* w = ws().Find(window);
    if (!w) return FALSE;
    *rect = {w->x, w->y, w->x + w->width, w->y + w->height};  // simulated windows have no frame
    return TRUE;
}

BOOL ScreenToClient(HWND window, POINT* point) {
    if (sim::FaultPoint("ScreenToClient")) return sim::Failure(BOOL{FALSE}, sim::kErrorInvalidWindowHandle);
    if (!ws().Find(window)) return FALSE;
    for (HWND h = window; h; h = ws().windows[h].parent) {
        point->x -= ws().windows[h].x;
        point->y -= ws().windows[h].y;
    }
    return TRUE;
}

BOOL PtInRect(const RECT* rect, POINT point) {
    sim::CountPoint("PtInRect");
    return point.x >= rect->left && point.x < rect->right && point.y >= rect->top && point.y < rect->bottom;
}

DWORD GetMessagePos() {
    sim::CountPoint("GetMessagePos");
    return MAKELONG(static_cast<WORD>(ws().cursor.x & 0xFFFF), static_cast<WORD>(ws().cursor.y & 0xFFFF));
}

HCURSOR SetCursor(HCURSOR cursor) {
    sim::CountPoint("SetCursor");
    HCURSOR previous = ws().cursorShown;
    ws().cursorShown = cursor;
    return previous;
}

HICON CopyIcon(HICON icon) {
    if (sim::FaultPoint("CopyIcon")) return sim::Failure(HICON{}, ERROR_NOT_ENOUGH_MEMORY);
    if (!icon) return nullptr;
    return reinterpret_cast<HICON>(ws().nextWindow++);
}

BOOL DestroyCursor(HCURSOR cursor) {
    if (sim::FaultPoint("DestroyCursor")) return sim::Failure(BOOL{FALSE}, ERROR_INVALID_HANDLE);
    return cursor ? TRUE : FALSE;
}

int GetSystemMetrics(int index) {
    if (sim::FaultPoint("GetSystemMetrics")) return sim::Failure(0, ERROR_INVALID_PARAMETER);
    const sim::GdiState& gdi = machine().gdi;
    if (index == SM_CXEDGE || index == SM_CYEDGE) return gdi.edge;
    if (index == SM_CXICON || index == SM_CYICON) return gdi.iconSize;
    return 0;
}

BOOL DrawIcon(HDC, int x, int y, HICON icon) {
    if (sim::FaultPoint("DrawIcon")) return sim::Failure(BOOL{FALSE}, ERROR_INVALID_HANDLE);
    machine().gdi.icons.push_back({x, y, icon});
    return TRUE;
}

BOOL TrackMouseEvent(TRACKMOUSEEVENT* track) {
    if (sim::FaultPoint("TrackMouseEvent")) return sim::Failure(BOOL{FALSE}, ERROR_NOT_ENOUGH_MEMORY);
    ws().tracks.push_back(*track);
    return TRUE;
}

HWND GetFocus() {
    sim::CountPoint("GetFocus");
    return ws().Find(ws().focus) ? ws().focus : nullptr;
}

HWND SetFocus(HWND window) {
    if (sim::FaultPoint("SetFocus")) return sim::Failure(HWND{}, sim::kErrorInvalidWindowHandle);
    if (window && !ws().Find(window)) return nullptr;
    machine().Log("SetFocus", std::to_string(window ? ws().windows[window].id : 0));
    HWND previous = ws().focus;
    ws().focus = window;
    if (previous && ws().Find(previous)) {
        sim::SystemCallsNext();
        SendMessageW(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(window), 0);
    }
    if (window) {
        sim::SystemCallsNext();
        SendMessageW(window, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
    }
    return previous;
}

UINT GetDpiForWindow(HWND window) {
    if (!ws().perWindowDpi) return sim::Failure(UINT{0}, sim::kErrorProcNotFound);
    if (sim::FaultPoint("GetDpiForWindow")) return sim::Failure(UINT{0}, sim::kErrorInvalidWindowHandle);
    HWND top = window;
    while (ws().Find(top) && ws().windows[top].parent) top = ws().windows[top].parent;
    sim::SimWindow* w = ws().Find(top);
    if (!w) return sim::Failure(UINT{0}, sim::kErrorInvalidWindowHandle);
    return static_cast<UINT>(w->dpi ? w->dpi : ws().systemDpi);
}

bool SetAccessibleRole(HWND window, LONG role) {
    if (sim::FaultPoint("SetAccessibleRole")) return false;
    sim::SimWindow* w = ws().Find(window);
    if (!w) return false;
    w->accessibleRole = role;
    return true;
}

void ClearAccessibleRole(HWND window) {
    sim::CountPoint("ClearAccessibleRole");
    if (sim::SimWindow* w = ws().Find(window)) w->accessibleRole = 0;
}

BOOL SystemParametersInfoW(UINT action, UINT, void* data, UINT) {
    if (sim::FaultPoint("SystemParametersInfoW")) return sim::Failure(BOOL{FALSE}, ERROR_INVALID_PARAMETER);
    if (action != SPI_GETHIGHCONTRAST || !data) return sim::Failure(BOOL{FALSE}, ERROR_INVALID_PARAMETER);
    auto* contrast = static_cast<HIGHCONTRASTW*>(data);
    contrast->dwFlags = ws().highContrast ? HCF_HIGHCONTRASTON : 0;
    contrast->lpszDefaultScheme = nullptr;
    return TRUE;
}

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init) {
    if (sim::FaultPoint("InitCommonControlsEx")) return sim::Failure(BOOL{FALSE}, ERROR_NOT_ENOUGH_MEMORY);
    ws().commonControls |= init->dwICC;
    return TRUE;
}


HDC GetDC(HWND window) {
    if (sim::FaultPoint("GetDC")) return nullptr;
    if (window && !ws().Find(window)) return nullptr;
    return machine().gdi.NewDc();
}

int ReleaseDC(HWND, HDC dc) {
    sim::CountPoint("ReleaseDC");
    return machine().gdi.dcs.erase(dc) ? 1 : 0;
}

HDC BeginPaint(HWND window, PAINTSTRUCT* paint) {
    if (sim::FaultPoint("BeginPaint")) {
        *paint = PAINTSTRUCT{};
        return nullptr;
    }
    *paint = PAINTSTRUCT{};
    paint->hdc = machine().gdi.NewDc();
    sim::SystemCallsNext();
    GetClientRect(window, &paint->rcPaint);
    return paint->hdc;
}

BOOL EndPaint(HWND, const PAINTSTRUCT* paint) {
    sim::CountPoint("EndPaint");
    machine().gdi.dcs.erase(paint->hdc);
    return TRUE;
}

}  // namespace win
