#include "platform/dialog.h"

#include "platform/system.h"

namespace framework {

Control::~Control() { UnsubclassWindow(); }

bool Control::SubclassWindow(win::HWND window) {
    if (!window || m_hWnd || FromHandle(window)) return false;
    m_hWnd = window;
    PreSubclassWindow();
    win::SetWindowLongPtrW(window, win::GWLP_USERDATA, reinterpret_cast<win::LONG_PTR>(this));
    m_oldProc = reinterpret_cast<win::WNDPROC>(
        win::SetWindowLongPtrW(window, win::GWLP_WNDPROC, reinterpret_cast<win::LONG_PTR>(&Control::WindowProc)));
    return true;
}

bool Control::SubclassDlgItem(int id, const Dialog& parent) { return SubclassWindow(parent.GetDlgItem(id)); }

void Control::UnsubclassWindow() {
    if (!m_hWnd) return;
    if (m_oldProc) win::SetWindowLongPtrW(m_hWnd, win::GWLP_WNDPROC, reinterpret_cast<win::LONG_PTR>(m_oldProc));
    win::SetWindowLongPtrW(m_hWnd, win::GWLP_USERDATA, 0);
    m_hWnd = nullptr;
    m_oldProc = nullptr;
}

win::BOOL Control::DestroyWindow() { return m_hWnd ? win::DestroyWindow(m_hWnd) : win::FALSE; }

Control* Control::FromHandle(win::HWND window) {
    // The user data of the template's controls is ours: the system classes keep none there.
    // The window procedure is no test, since a tooltip may subclass the control after us.
    if (!window) return nullptr;
    return reinterpret_cast<Control*>(win::GetWindowLongPtrW(window, win::GWLP_USERDATA));
}

win::LRESULT Control::Default(win::UINT message, win::WPARAM wParam, win::LPARAM lParam) {
    return win::CallWindowProcW(m_oldProc, m_hWnd, message, wParam, lParam);
}

win::LRESULT WIN_STDCALL Control::WindowProc(win::HWND window, win::UINT message, win::WPARAM wParam,
                                             win::LPARAM lParam) {
    Control* control = reinterpret_cast<Control*>(win::GetWindowLongPtrW(window, win::GWLP_USERDATA));
    if (!control) return 0;
    if (message == win::WM_NCDESTROY) {
        // The window is going: detach without touching a procedure chain others may sit on.
        win::WNDPROC original = control->m_oldProc;
        win::SetWindowLongPtrW(window, win::GWLP_USERDATA, 0);
        control->m_hWnd = nullptr;
        control->m_oldProc = nullptr;
        return win::CallWindowProcW(original, window, message, wParam, lParam);
    }
    win::LRESULT result = 0;
    if (control->OnMessage(message, wParam, lParam, result)) return result;
    return control->Default(message, wParam, lParam);
}

win::INT_PTR Dialog::DoModal() {
    return win::DialogBoxParamW(win::GetModuleHandleW(nullptr), win::MAKEINTRESOURCEW(m_templateId), nullptr,
                                &Dialog::DialogProc, reinterpret_cast<win::LPARAM>(this));
}

void Dialog::EndDialog(int result) {
    if (m_hWnd) win::EndDialog(m_hWnd, result);
}

bool Dialog::OnInitDialog() {
    DoDataExchange();
    return true;
}

win::INT_PTR WIN_STDCALL Dialog::DialogProc(win::HWND window, win::UINT message, win::WPARAM wParam,
                                            win::LPARAM lParam) {
    if (message == win::WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<Dialog*>(lParam);
        win::SetWindowLongPtrW(window, win::DWLP_USER, lParam);
        dialog->m_hWnd = window;
        return dialog->OnInitDialog() ? win::TRUE : win::FALSE;
    }
    auto* dialog = reinterpret_cast<Dialog*>(win::GetWindowLongPtrW(window, win::DWLP_USER));
    if (!dialog) return win::FALSE;
    if (message == win::WM_NCDESTROY) {
        dialog->m_hWnd = nullptr;
        return win::FALSE;
    }
    return dialog->Dispatch(message, wParam, lParam);
}

win::INT_PTR Dialog::Dispatch(win::UINT message, win::WPARAM wParam, win::LPARAM lParam) {
    switch (message) {
    case win::WM_COMMAND: {
        const win::UINT id = win::LOWORD(wParam), code = win::HIWORD(wParam);
        Control* control = Control::FromHandle(reinterpret_cast<win::HWND>(lParam));
        if (control && control->OnReflectedCommand(code)) return win::TRUE;
        if (OnCommand(id, code)) return win::TRUE;
        if (id == static_cast<win::UINT>(win::IDOK)) OnOK();
        else if (id == static_cast<win::UINT>(win::IDCANCEL)) OnCancel();
        return win::TRUE;
    }
    case win::WM_CTLCOLOREDIT:
    case win::WM_CTLCOLORSTATIC: {
        Control* control = Control::FromHandle(reinterpret_cast<win::HWND>(lParam));
        win::HBRUSH brush = control ? control->OnReflectedCtlColor(reinterpret_cast<win::HDC>(wParam)) : nullptr;
        return reinterpret_cast<win::INT_PTR>(brush);
    }
    case win::WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const win::DRAWITEMSTRUCT*>(lParam);
        Control* control = item ? Control::FromHandle(item->hwndItem) : nullptr;
        return control && control->OnReflectedDrawItem(*item) ? win::TRUE : win::FALSE;
    }
    case win::WM_TIMER:
        OnTimer(wParam);
        return win::FALSE;
    case win::WM_PAINT:
        return OnPaint() ? win::TRUE : win::FALSE;
    case win::WM_DPICHANGED:
        return OnDpiChanged(win::LOWORD(wParam), reinterpret_cast<const win::RECT*>(lParam)) ? win::TRUE : win::FALSE;
    case win::WM_QUERYDRAGICON:
        return reinterpret_cast<win::INT_PTR>(OnQueryDragIcon());
    default:
        return win::FALSE;
    }
}

}  // namespace framework
