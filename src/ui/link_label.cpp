#include "ui/link_label.h"

#include "platform/resources.h"
#include "platform/scoped.h"
#include "platform/shell.h"
#include "platform/system.h"
#include "ui/high_contrast.h"
#include "ui/wizard_layout.h"

namespace ui {

namespace {

constexpr win::UINT_PTR kHoverTimer = 1;
constexpr win::UINT kHoverCheckMs = 100;
constexpr win::UINT_PTR kToolId = 1;
// The help viewer of older Windows carries the classic pointing-hand cursor.
constexpr char16_t kHelpViewer[] = u"\\winhlp32.exe";
constexpr win::UINT kHelpViewerHandCursor = 106;

// The viewer is wanted for its cursor alone: mapped as data, none of its code runs and none of
// the libraries it imports is loaded. Systems before Vista know only the data flag.
win::HMODULE LoadAsResourcesOnly(const std::u16string& path) {
    if (win::HMODULE module = win::LoadLibraryExW(
            path.c_str(), nullptr, win::LOAD_LIBRARY_AS_DATAFILE | win::LOAD_LIBRARY_AS_IMAGE_RESOURCE))
        return module;
    return win::LoadLibraryExW(path.c_str(), nullptr, win::LOAD_LIBRARY_AS_DATAFILE);
}

}  // namespace

win::COLORREF LinkTextColour(bool hover, bool highContrast) {
    if (highContrast) return win::GetSysColor(hover ? win::COLOR_HIGHLIGHT : win::COLOR_HOTLIGHT);
    return hover ? win::RGB(255, 0, 0) : win::RGB(29, 90, 142);
}

LinkLabel::~LinkLabel() {
    if (m_tooltip && win::IsWindow(m_tooltip)) win::DestroyWindow(m_tooltip);
    if (m_fontUnderline) win::DeleteObject(m_fontUnderline);
    if (m_hHandCursor && m_bHandCursorIsCopy) win::DestroyCursor(m_hHandCursor);
}

void LinkLabel::PreSubclassWindow() {
    win::SetWindowLongPtrW(m_hWnd, win::GWL_STYLE,
                           win::GetWindowLongPtrW(m_hWnd, win::GWL_STYLE) | win::SS_NOTIFY | win::WS_TABSTOP);
    LoadHandCursor();
    if (win::IsWindow(m_hWnd)) UnderlineFont();
    CreateTooltip();
    // A screen reader announces a static text as text; this one is a link. Its name is its text.
    win::SetAccessibleRole(m_hWnd, win::ROLE_SYSTEM_LINK);
}

void LinkLabel::LoadHandCursor() {
    char16_t path[win::MAX_PATH] = {};
    const win::UINT length = win::GetWindowsDirectoryW(path, win::MAX_PATH);
    const std::size_t suffix = sizeof kHelpViewer / sizeof kHelpViewer[0];  // with terminator
    if (length > 0 && length + suffix <= win::MAX_PATH) {
        std::u16string viewer(path, length);
        viewer += kHelpViewer;
        if (const win::ScopedModule module(LoadAsResourcesOnly(viewer)); module) {
            if (win::HCURSOR cursor = win::LoadCursorW(module.get(), win::MAKEINTRESOURCEW(kHelpViewerHandCursor))) {
                m_hHandCursor = win::CopyIcon(cursor);
                m_bHandCursorIsCopy = m_hHandCursor != nullptr;
            }
        }
    }
    // Current Windows no longer ships the help viewer; its own hand cursor looks the same.
    if (!m_hHandCursor) m_hHandCursor = win::LoadCursorW(nullptr, win::IDC_HAND);
}

void LinkLabel::UnderlineFont() {
    auto font = reinterpret_cast<win::HGDIOBJ>(win::SendMessageW(m_hWnd, win::WM_GETFONT, 0, 0));
    win::LOGFONTW description{};
    if (!font || win::GetObjectW(font, sizeof description, &description) != static_cast<int>(sizeof description)) return;
    description.lfUnderline = win::TRUE;
    if (m_fontUnderline) win::DeleteObject(m_fontUnderline);
    m_fontUnderline = win::CreateFontIndirectW(&description);
    win::SendMessageW(m_hWnd, win::WM_SETFONT, reinterpret_cast<win::WPARAM>(m_fontUnderline), win::TRUE);
    win::InvalidateRect(m_hWnd, nullptr, win::TRUE);
}

void LinkLabel::CreateTooltip() {
    win::RECT client{};
    win::GetClientRect(m_hWnd, &client);
    m_tooltip = win::CreateWindowExW(0, win::TOOLTIPS_CLASSW, nullptr, win::WS_POPUP, win::CW_USEDEFAULT,
                                     win::CW_USEDEFAULT, win::CW_USEDEFAULT, win::CW_USEDEFAULT, m_hWnd, nullptr,
                                     win::GetModuleHandleW(nullptr), nullptr);
    if (!m_tooltip) return;
    win::SendMessageW(m_tooltip, win::TTM_SETDELAYTIME, win::TTDT_AUTOMATIC, kHoverCheckMs);
    win::SendMessageW(m_tooltip, win::TTM_SETMAXTIPWIDTH, 0, 200);
    // The tooltip watches the label's mouse messages itself: the modal loop is the system's,
    // so there is no loop of ours to relay them from.
    char16_t empty[1] = {};
    win::TOOLINFOW tool{sizeof(win::TOOLINFOW), win::TTF_SUBCLASS, m_hWnd, kToolId, client, nullptr, empty, 0, nullptr};
    win::SendMessageW(m_tooltip, win::TTM_ADDTOOLW, 0, reinterpret_cast<win::LPARAM>(&tool));
}

void LinkLabel::SetTooltipText(const std::u16string& text) {
    if (!m_tooltip) return;
    std::u16string copy = text;
    win::TOOLINFOW tool{sizeof(win::TOOLINFOW), 0, m_hWnd, kToolId, {}, nullptr, copy.data(), 0, nullptr};
    win::SendMessageW(m_tooltip, win::TTM_UPDATETIPTEXTW, 0, reinterpret_cast<win::LPARAM>(&tool));
}

void LinkLabel::FitTooltip(int dpi) {
    if (!m_tooltip) return;
    win::SendMessageW(m_tooltip, win::TTM_SETMAXTIPWIDTH, 0, ScaleForDpi(200, dpi));
    win::TOOLINFOW tool{sizeof(win::TOOLINFOW), 0, m_hWnd, kToolId, {}, nullptr, nullptr, 0, nullptr};
    win::GetClientRect(m_hWnd, &tool.rect);
    win::SendMessageW(m_tooltip, win::TTM_NEWTOOLRECTW, 0, reinterpret_cast<win::LPARAM>(&tool));
}

win::BOOL LinkLabel::DestroyWindow() {
    if (m_hWnd) win::KillTimer(m_hWnd, kHoverTimer);
    return Control::DestroyWindow();
}

bool LinkLabel::OnReflectedCommand(win::UINT code) {
    if (code != win::STN_CLICKED) return false;
    Open();
    return true;
}

void LinkLabel::Open() {
    // A link that cannot be opened is left at that.
    win::ShellExecuteW(nullptr, u"open", m_strLink.c_str(), nullptr, nullptr, win::SW_SHOW);
}

// The system draws the text; the focus rectangle goes over it whenever the label has the focus,
// whether or not the keyboard has been used yet, so that the focus is never out of sight.
void LinkLabel::Paint(win::WPARAM wParam, win::LPARAM lParam) {
    Default(win::WM_PAINT, wParam, lParam);
    if (win::GetFocus() != m_hWnd) return;
    win::HDC dc = win::GetDC(m_hWnd);
    if (!dc) return;
    win::RECT client{};
    win::GetClientRect(m_hWnd, &client);
    win::DrawFocusRect(dc, &client);
    win::ReleaseDC(m_hWnd, dc);
}

win::HBRUSH LinkLabel::OnReflectedCtlColor(win::HDC dc) {
    win::SetTextColor(dc, LinkTextColour(m_bHover, IsHighContrastOn()));
    win::SetBkMode(dc, win::TRANSPARENT);
    return static_cast<win::HBRUSH>(win::GetStockObject(win::NULL_BRUSH));
}

void LinkLabel::CheckMouseStillInside() {
    const win::DWORD position = win::GetMessagePos();
    win::POINT point{static_cast<std::int16_t>(win::LOWORD(position)), static_cast<std::int16_t>(win::HIWORD(position))};
    win::ScreenToClient(m_hWnd, &point);
    win::RECT client{};
    win::GetClientRect(m_hWnd, &client);
    if (win::PtInRect(&client, point)) return;
    m_bHover = false;
    win::KillTimer(m_hWnd, kHoverTimer);
    win::InvalidateRect(m_hWnd, nullptr, win::TRUE);
}

// The label draws its text without a background of its own. Smoothed text drawn over the text
// of the other colour would leave that colour at the glyphs' edges, so the label is first
// cleared with the brush the dialog paints its own background with.
bool LinkLabel::EraseBackground(win::HDC dc) {
    win::HWND parent = win::GetParent(m_hWnd);
    auto brush = reinterpret_cast<win::HBRUSH>(
        parent ? win::SendMessageW(parent, win::WM_CTLCOLORDLG, reinterpret_cast<win::WPARAM>(dc),
                                   reinterpret_cast<win::LPARAM>(parent))
               : 0);
    if (!brush) return false;
    win::RECT client{};
    win::GetClientRect(m_hWnd, &client);
    win::FillRect(dc, &client, brush);
    return true;
}

bool LinkLabel::OnMessage(win::UINT message, win::WPARAM wParam, win::LPARAM lParam, win::LRESULT& result) {
    switch (message) {
    case win::WM_GETDLGCODE: {
        // Enter is the link's own, not the dialog's default button's; Tab stays the dialog's.
        const auto* key = reinterpret_cast<const win::MSG*>(lParam);
        result = Default(message, wParam, lParam);
        if (key && key->message == win::WM_KEYDOWN && key->wParam == win::VK_RETURN) result |= win::DLGC_WANTMESSAGE;
        return true;
    }
    case win::WM_KEYDOWN:
        if (wParam != win::VK_RETURN) return false;
        Open();
        result = 0;
        return true;
    case win::WM_DESTROY:
        win::ClearAccessibleRole(m_hWnd);
        return false;
    case win::WM_SETFOCUS:
    case win::WM_KILLFOCUS:
        win::InvalidateRect(m_hWnd, nullptr, win::TRUE);
        return false;
    case win::WM_PAINT:
        Paint(wParam, lParam);
        result = 0;
        return true;
    case win::WM_ERASEBKGND:
        if (!EraseBackground(reinterpret_cast<win::HDC>(wParam))) return false;
        result = win::TRUE;
        return true;
    case win::WM_SETCURSOR:
        if (!m_hHandCursor) return false;
        win::SetCursor(m_hHandCursor);
        result = win::TRUE;
        return true;
    case win::WM_MOUSEMOVE:
        m_bHover = true;
        win::InvalidateRect(m_hWnd, nullptr, win::TRUE);
        win::SetTimer(m_hWnd, kHoverTimer, kHoverCheckMs, nullptr);
        return false;
    case win::WM_TIMER:
        CheckMouseStillInside();
        return false;
    default:
        return false;
    }
}

}  // namespace ui
