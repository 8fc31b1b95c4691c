// The small window framework the wizard is built on: a modal dialog run from a template, and
// template controls subclassed so that their object sees their messages first and receives the
// notifications, colour requests and draw requests that the dialog reflects back to them.
#pragma once
#include "platform/gdi.h"
#include "platform/window.h"

namespace framework {

class Dialog;

class Control {
public:
    Control() = default;
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    // Attaches this object to an existing window and routes its messages here first.
    bool SubclassWindow(win::HWND window);
    bool SubclassDlgItem(int id, const Dialog& parent);
    win::HWND GetSafeHwnd() const { return m_hWnd; }
    virtual win::BOOL DestroyWindow();

    // The object attached to a window, if any.
    static Control* FromHandle(win::HWND window);

    // Called with the window attached, before its messages come here.
    virtual void PreSubclassWindow() {}
    // Notifications the parent reflects back; true (or a brush) when handled.
    virtual bool OnReflectedCommand(win::UINT /*code*/) { return false; }
    virtual win::HBRUSH OnReflectedCtlColor(win::HDC /*dc*/) { return nullptr; }
    virtual bool OnReflectedDrawItem(const win::DRAWITEMSTRUCT& /*item*/) { return false; }
    // The control's own messages; true when handled, with the result set.
    virtual bool OnMessage(win::UINT /*message*/, win::WPARAM, win::LPARAM, win::LRESULT& /*result*/) {
        return false;
    }

protected:
    // The window's own handling of a message.
    win::LRESULT Default(win::UINT message, win::WPARAM wParam, win::LPARAM lParam);

    win::HWND m_hWnd = nullptr;

private:
    static win::LRESULT WIN_STDCALL WindowProc(win::HWND window, win::UINT message, win::WPARAM wParam,
                                               win::LPARAM lParam);
    void UnsubclassWindow();

    win::WNDPROC m_oldProc = nullptr;
};

class Dialog {
public:
    explicit Dialog(win::UINT templateId) : m_templateId(templateId) {}
    virtual ~Dialog() = default;
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Runs the dialog until EndDialog; -1 when its window could not be created.
    win::INT_PTR DoModal();
    void EndDialog(int result);
    win::HWND GetSafeHwnd() const { return m_hWnd; }
    win::HWND GetDlgItem(int id) const { return win::GetDlgItem(m_hWnd, id); }

protected:
    // Runs DoDataExchange; true lets the system set the focus.
    virtual bool OnInitDialog();
    // Binds template controls to their objects (DDX_Control).
    virtual void DoDataExchange() {}
    virtual void OnOK() { EndDialog(win::IDOK); }
    virtual void OnCancel() { EndDialog(win::IDCANCEL); }
    // A command from a control or menu; true when handled.
    virtual bool OnCommand(win::UINT /*id*/, win::UINT /*code*/) { return false; }
    virtual void OnTimer(win::UINT_PTR /*id*/) {}
    // True when painted; false leaves the painting to the system.
    virtual bool OnPaint() { return false; }
    virtual win::HICON OnQueryDragIcon() { return nullptr; }
    // The window has moved to a display of another DPI; `suggested` is the system's rectangle for
    // it there. True when handled.
    virtual bool OnDpiChanged(win::UINT /*dpi*/, const win::RECT* /*suggested*/) { return false; }

    void DDX_Control(int id, Control& control) { control.SubclassDlgItem(id, *this); }

    win::HWND m_hWnd = nullptr;

private:
    static win::INT_PTR WIN_STDCALL DialogProc(win::HWND window, win::UINT message, win::WPARAM wParam,
                                               win::LPARAM lParam);
    win::INT_PTR Dispatch(win::UINT message, win::WPARAM wParam, win::LPARAM lParam);

    win::UINT m_templateId;
};

}  // namespace framework
