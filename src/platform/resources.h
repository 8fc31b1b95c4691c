// Resource loading (USER32): the program's string table, icon, banner bitmap, and cursors of
// other modules.
#pragma once
#include "platform/gdi.h"
#include "platform/window.h"

namespace win {

int LoadStringW(HINSTANCE instance, UINT id, LPWSTR buffer, int size);
HICON LoadIconW(HINSTANCE instance, LPCWSTR name);
HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR name);
HBITMAP LoadBitmapW(HINSTANCE instance, LPCWSTR name);

}  // namespace win
