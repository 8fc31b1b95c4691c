// The simulated window system: message boxes answered from a script, top-level windows found
// by caption, progress bars that remember every position they were given, and the dialogs and
// controls of the wizard with a modal loop that delivers queued messages and timers.
#pragma once
#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/window.h"

namespace sim {

struct MessageBoxRecord {
    win::HWND owner;
    std::u16string text;
    std::u16string caption;
    win::UINT type;
    int answer;
};

struct SimTimer {
    win::UINT interval;
    long due;
};

struct SimWindow {
    std::u16string caption;
    std::vector<int> progressPositions;  // PBM_SETPOS in order
    int rangeLow = 0, rangeHigh = 100;
    bool broughtToTop = false;

    win::HWND parent = nullptr;
    int id = 0;
    std::u16string className;
    win::LONG_PTR style = 0, exStyle = 0;
    int dpi = 0;  // a top-level window's DPI; 0: the system's
    int x = 0, y = 0, width = 0, height = 0;
    bool moved = false;  // SetWindowPos was called
    win::WNDPROC proc = nullptr;  // null: the class's own handling
    win::DLGPROC dialogProc = nullptr;
    win::LONG_PTR userData = 0, dialogUser = 0;
    bool enabled = true, iconic = false, destroyed = false;
    bool dialogEnded = false;
    win::INT_PTR dialogResult = 0;
    void* font = nullptr;
    void* dialogFont = nullptr;  // the dialog manager's font of a dialog, deleted with it
    win::HICON bigIcon = nullptr, smallIcon = nullptr;
    std::map<win::UINT_PTR, SimTimer> timers;
    int invalidations = 0;
    win::LONG accessibleRole = 0;  // annotated; 0: the class's own
    // Tooltip state.
    std::u16string tipText;
    int tipDelay = -1, tipMaxWidth = -1;
    win::TOOLINFOW tool{};
};

struct PostedMessage {
    win::HWND window;  // null: the dialog being run
    win::UINT message;
    win::WPARAM wParam;
    win::LPARAM lParam;
    int control = 0;  // when set, lParam becomes this control of the dialog (a notification from it)
};

struct WindowState {
    std::deque<int> answers;  // next answers; when empty: IDYES, IDOK, or IDCANCEL for OK/Cancel boxes
    std::vector<MessageBoxRecord> boxes;
    std::map<win::HWND, SimWindow> windows;
    std::uintptr_t nextWindow = 0x9000;

    win::HWND AddWindow(const std::u16string& caption);  // another process's top-level window

    // Dialogs and controls.
    bool dialogFails = false;        // DialogBoxParamW cannot create the window
    bool dialogsStartIconic = false;
    int dialogWidth = 537, dialogHeight = 212;  // client size of a dialog the loop creates
    std::deque<PostedMessage> queue;  // delivered by the modal loop, before any timer
    long clock = 0;                   // milliseconds of the modal loop's timers
    win::POINT cursor{-1000, -1000};  // where the mouse is, in screen coordinates
    win::HCURSOR cursorShown = nullptr;
    std::set<std::pair<std::u16string, win::UINT>> moduleCursors;  // (lower-case module key, id)
    std::vector<win::TRACKMOUSEEVENT> tracks;
    win::DWORD commonControls = 0;  // InitCommonControlsEx classes
    win::HWND focus = nullptr;
    // The display: the system's DPI (what the screen's LOGPIXELSX says), whether the system knows
    // a DPI per window (Windows 10 1607 on), and whether high contrast is on.
    int systemDpi = 96;
    bool perWindowDpi = true;
    bool highContrast = false;
    // Modal loops that ran out of messages and timers before their dialog ended: on Windows
    // such a dialog would wait for ever.
    int modalStalls = 0;

    win::HWND Create(const std::u16string& className, win::HWND parent, int id);
    SimWindow* Find(win::HWND window);  // null for unknown or destroyed windows
};

// What LoadCursorW(nullptr, IDC_HAND) answers.
extern const win::HCURSOR kSystemHandCursor;

// The handling of the system's window classes (text, font, icons, progress bar, tooltip).
win::LRESULT WIN_STDCALL ClassProc(win::HWND window, win::UINT message, win::WPARAM wParam, win::LPARAM lParam);

}  // namespace sim
