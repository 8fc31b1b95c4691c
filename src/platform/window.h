// Window-system operations the engine and start-up use (USER32). The wizard's own window code
// lives with the dialog stand-ins.
#pragma once
#include "platform/types.h"

namespace win {

constexpr UINT MB_OK = 0x0;
constexpr UINT MB_OKCANCEL = 0x1;
constexpr UINT MB_YESNO = 0x4;
constexpr UINT MB_ICONWARNING = 0x30;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

constexpr UINT WM_USER = 0x0400;
constexpr UINT PBM_SETRANGE = WM_USER + 1;
constexpr UINT PBM_SETPOS = WM_USER + 2;

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
HWND FindWindowW(LPCWSTR className, LPCWSTR windowName);
BOOL BringWindowToTop(HWND window);
LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

constexpr std::uint32_t MAKELONG(WORD low, WORD high) { return static_cast<std::uint32_t>(low) | (static_cast<std::uint32_t>(high) << 16); }

}  // namespace win
