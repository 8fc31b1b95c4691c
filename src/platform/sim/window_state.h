// The simulated window system: message boxes answered from a script, top-level windows found
// by caption, and progress bars that remember every position they were given.
#pragma once
#include <deque>
#include <map>
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

struct SimWindow {
    std::u16string caption;
    std::vector<int> progressPositions;  // PBM_SETPOS in order
    int rangeLow = 0, rangeHigh = 100;
    bool broughtToTop = false;
};

struct WindowState {
    std::deque<int> answers;  // next answers; when empty: IDYES, IDOK, or IDCANCEL for OK/Cancel boxes
    std::vector<MessageBoxRecord> boxes;
    std::map<win::HWND, SimWindow> windows;
    std::uintptr_t nextWindow = 0x9000;

    win::HWND AddWindow(const std::u16string& caption);  // another process's top-level window
};

}  // namespace sim
