// Window-system operations (USER32 and the common controls): message boxes and window lookup for
// start-up and the engine, and the calls the wizard's dialog and controls make.
#pragma once
#include "platform/types.h"

namespace win {

constexpr UINT MB_OK = 0x0;
constexpr UINT MB_OKCANCEL = 0x1;
constexpr UINT MB_YESNO = 0x4;
constexpr UINT MB_ICONWARNING = 0x30;
constexpr UINT MB_RIGHT = 0x00080000;
constexpr UINT MB_RTLREADING = 0x00100000;

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

struct HiconTag;
using HICON = HiconTag*;
using HCURSOR = HICON;
using WNDPROC = LRESULT(WIN_STDCALL*)(HWND, UINT, WPARAM, LPARAM);
using DLGPROC = INT_PTR(WIN_STDCALL*)(HWND, UINT, WPARAM, LPARAM);

struct POINT {
    LONG x, y;
};
struct SIZE {
    LONG cx, cy;
};
struct RECT {
    LONG left, top, right, bottom;
};

// Messages.
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_SETFOCUS = 0x0007;
constexpr UINT WM_KILLFOCUS = 0x0008;
constexpr UINT WM_SETTEXT = 0x000C;
constexpr UINT WM_GETTEXT = 0x000D;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_ERASEBKGND = 0x0014;
constexpr UINT WM_SETCURSOR = 0x0020;
constexpr UINT WM_ICONERASEBKGND = 0x0027;
constexpr UINT WM_DRAWITEM = 0x002B;
constexpr UINT WM_SETFONT = 0x0030;
constexpr UINT WM_GETFONT = 0x0031;
constexpr UINT WM_QUERYDRAGICON = 0x0037;
constexpr UINT WM_SETICON = 0x0080;
constexpr UINT WM_NCDESTROY = 0x0082;
constexpr UINT WM_GETDLGCODE = 0x0087;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_INITDIALOG = 0x0110;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_CTLCOLOREDIT = 0x0133;
constexpr UINT WM_CTLCOLORDLG = 0x0136;
constexpr UINT WM_CTLCOLORSTATIC = 0x0138;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_MOUSEHOVER = 0x02A1;
constexpr UINT WM_MOUSELEAVE = 0x02A3;
constexpr UINT WM_DPICHANGED = 0x02E0;
constexpr UINT BN_CLICKED = 0;
constexpr UINT STN_CLICKED = 0;
constexpr WPARAM ICON_SMALL = 0;
constexpr WPARAM ICON_BIG = 1;
constexpr WPARAM VK_RETURN = 0x0D;
constexpr WPARAM VK_SPACE = 0x20;
constexpr LRESULT DLGC_WANTMESSAGE = 0x0004;

// Window data and styles.
constexpr DWORD WS_POPUP = 0x80000000;
constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000);
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOZORDER = 0x0004;
constexpr UINT SWP_NOACTIVATE = 0x0010;
constexpr int GWL_STYLE = -16;
constexpr int GWL_EXSTYLE = -20;
constexpr DWORD WS_TABSTOP = 0x00010000;
constexpr DWORD WS_EX_RIGHT = 0x00001000;
constexpr DWORD WS_EX_RTLREADING = 0x00002000;
constexpr DWORD WS_EX_LAYOUTRTL = 0x00400000;  // the window and its drawing mirrored
constexpr int GWLP_WNDPROC = -4;
constexpr int GWLP_USERDATA = -21;
constexpr int DWLP_USER = static_cast<int>(sizeof(LRESULT) + sizeof(DLGPROC));
constexpr DWORD SS_NOTIFY = 0x0100;
constexpr DWORD BS_TYPEMASK = 0x000F;
constexpr DWORD BS_OWNERDRAW = 0x000B;

// Owner drawing.
constexpr UINT ODS_SELECTED = 0x0001;
constexpr UINT ODS_DISABLED = 0x0004;
constexpr UINT ODS_FOCUS = 0x0010;
constexpr UINT ODS_DEFAULT = 0x0020;

struct HdcTag;
using HDC = HdcTag*;

// The message a dialog asks a control about (WM_GETDLGCODE's lParam; null when it asks in general).
struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};

struct DRAWITEMSTRUCT {
    UINT CtlType;
    UINT CtlID;
    UINT itemID;
    UINT itemAction;
    UINT itemState;
    HWND hwndItem;
    HDC hDC;
    RECT rcItem;
    ULONG_PTR itemData;
};

constexpr int SM_CXICON = 11;
constexpr int SM_CYICON = 12;
constexpr int SM_CXEDGE = 45;
constexpr int SM_CYEDGE = 46;

// Mouse tracking.
constexpr DWORD TME_HOVER = 0x1;
constexpr DWORD TME_LEAVE = 0x2;
struct TRACKMOUSEEVENT {
    DWORD cbSize;
    DWORD dwFlags;
    HWND hwndTrack;
    DWORD dwHoverTime;
};

// Tooltips.
inline constexpr char16_t TOOLTIPS_CLASSW[] = u"tooltips_class32";
constexpr UINT TTM_SETDELAYTIME = WM_USER + 3;
constexpr UINT TTM_SETMAXTIPWIDTH = WM_USER + 24;
constexpr UINT TTM_ADDTOOLW = WM_USER + 50;
constexpr UINT TTM_NEWTOOLRECTW = WM_USER + 52;
constexpr UINT TTM_UPDATETIPTEXTW = WM_USER + 57;
constexpr WPARAM TTDT_AUTOMATIC = 0;
constexpr UINT TTF_SUBCLASS = 0x0010;
struct TOOLINFOW {
    UINT cbSize;
    UINT uFlags;
    HWND hwnd;
    UINT_PTR uId;
    RECT rect;
    HINSTANCE hinst;
    LPWSTR lpszText;
    LPARAM lParam;
    void* lpReserved;
};

// Common controls.
constexpr DWORD ICC_BAR_CLASSES = 0x00000004;  // also the tooltip class
constexpr DWORD ICC_PROGRESS_CLASS = 0x00000020;
constexpr DWORD ICC_STANDARD_CLASSES = 0x00004000;
struct INITCOMMONCONTROLSEX {
    DWORD dwSize;
    DWORD dwICC;
};

inline LPCWSTR MAKEINTRESOURCEW(UINT id) { return reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(id)); }
inline LPCWSTR const IDC_HAND = MAKEINTRESOURCEW(32649);

INT_PTR DialogBoxParamW(HINSTANCE instance, LPCWSTR templateName, HWND parent, DLGPROC proc, LPARAM param);
BOOL EndDialog(HWND dialog, INT_PTR result);
HWND GetDlgItem(HWND dialog, int id);
HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, void* menu, HINSTANCE instance, void* param);
BOOL DestroyWindow(HWND window);
HWND GetParent(HWND window);
BOOL IsWindow(HWND window);
BOOL IsIconic(HWND window);
BOOL EnableWindow(HWND window, BOOL enable);
BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height, UINT flags);
BOOL SetWindowTextW(HWND window, LPCWSTR text);
int GetWindowTextW(HWND window, LPWSTR buffer, int size);
LONG_PTR GetWindowLongPtrW(HWND window, int index);
LONG_PTR SetWindowLongPtrW(HWND window, int index, LONG_PTR value);
LRESULT CallWindowProcW(WNDPROC proc, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT milliseconds, void* callback);
BOOL KillTimer(HWND window, UINT_PTR id);
BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase);
BOOL GetClientRect(HWND window, RECT* rect);
BOOL GetWindowRect(HWND window, RECT* rect);
BOOL ScreenToClient(HWND window, POINT* point);
BOOL PtInRect(const RECT* rect, POINT point);
DWORD GetMessagePos();
HCURSOR SetCursor(HCURSOR cursor);
HICON CopyIcon(HICON icon);
BOOL DestroyCursor(HCURSOR cursor);
int GetSystemMetrics(int index);
BOOL DrawIcon(HDC dc, int x, int y, HICON icon);
BOOL TrackMouseEvent(TRACKMOUSEEVENT* track);
HWND GetFocus();
HWND SetFocus(HWND window);
// The window's DPI; 0 where the system has no per-window DPI (before Windows 10 1607), which
// also leaves ERROR_PROC_NOT_FOUND as the last error.
UINT GetDpiForWindow(HWND window);

// What a screen reader announces of a window beyond what its class tells: its role, set as an
// annotation of its client object (the system's accessibility services, Windows XP SP2 on).
// False where the system has no such services.
constexpr LONG ROLE_SYSTEM_LINK = 0x1E;
bool SetAccessibleRole(HWND window, LONG role);
void ClearAccessibleRole(HWND window);

// High contrast and the system's colours.
constexpr UINT SPI_GETHIGHCONTRAST = 0x0042;
constexpr DWORD HCF_HIGHCONTRASTON = 0x00000001;
struct HIGHCONTRASTW {
    UINT cbSize;
    DWORD dwFlags;
    LPWSTR lpszDefaultScheme;
};
BOOL SystemParametersInfoW(UINT action, UINT param, void* data, UINT winIni);
constexpr int COLOR_WINDOW = 5;
constexpr int COLOR_WINDOWTEXT = 8;
constexpr int COLOR_HIGHLIGHT = 13;
constexpr int COLOR_HIGHLIGHTTEXT = 14;
constexpr int COLOR_BTNFACE = 15;
constexpr int COLOR_BTNTEXT = 18;
constexpr int COLOR_HOTLIGHT = 26;
BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init);

constexpr WORD LOWORD(std::uintptr_t value) { return static_cast<WORD>(value & 0xFFFF); }
constexpr WORD HIWORD(std::uintptr_t value) { return static_cast<WORD>((value >> 16) & 0xFFFF); }
constexpr std::uint32_t MAKELONG(WORD low, WORD high) { return static_cast<std::uint32_t>(low) | (static_cast<std::uint32_t>(high) << 16); }

}  // namespace win
