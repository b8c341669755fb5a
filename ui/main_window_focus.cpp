// The keyboard focus is part of the window's state. A disabled control cannot
// keep it: with the focus nowhere, Windows hands keys to the window as
// WM_SYSKEYDOWN and Tab stops working. So, as the dialog manager does, the
// focus moves on before a control is disabled, and the focused control is
// remembered when the window is deactivated and given back when it returns.

#include "ui/main_window.h"

namespace calderwynfell {

namespace {

bool hasClass(HWND control, const wchar_t* className) {
    wchar_t name[16] = {};
    return GetClassNameW(control, name, 16) > 0 && lstrcmpiW(name, className) == 0;
}

// Like the dialog manager, an edit reached this way has its text selected for retyping.
void focusAndSelect(HWND control) {
    SetFocus(control);
    if (hasClass(control, L"Edit")) SendMessageW(control, EM_SETSEL, 0, -1);
}

}  // namespace

bool MainWindow::isUsable(HWND control) const {
    return control && IsChild(hwnd, control) && IsWindowVisible(control) && IsWindowEnabled(control);
}

// While the window is inactive the thread has no focus; the control that gets it back stands for it.
HWND MainWindow::focusedControl() const {
    return GetActiveWindow() == hwnd && !IsIconic(hwnd) ? GetFocus() : savedFocus;
}

void MainWindow::giveFocus(HWND control) {
    if (!control) return;
    if (GetActiveWindow() != hwnd || IsIconic(hwnd)) {
        savedFocus = control;  // taken up on activation; never steal the foreground
        return;
    }
    focusAndSelect(control);
}

HWND MainWindow::shownView() const {
    return control(listMode ? kDetailListId : kMatrixId);
}

void MainWindow::rememberFocus() {
    const HWND focus = GetFocus();
    if (focus && IsChild(hwnd, focus)) savedFocus = focus;
}

// The remembered control, or the first one Tab reaches: the start address at start-up.
void MainWindow::restoreFocus() {
    const HWND target = isUsable(savedFocus) ? savedFocus : GetNextDlgTabItem(hwnd, nullptr, FALSE);
    if (isUsable(target)) focusAndSelect(target);
}

void MainWindow::onActivate(WPARAM wParam) {
    if (LOWORD(wParam) == WA_INACTIVE)
        rememberFocus();
    else if (HIWORD(wParam) == 0)
        restoreFocus();  // a minimised window gets its focus back when it is restored (onSize)
}

void MainWindow::onSize(WPARAM kind) {
    layoutControls();
    if (kind == SIZE_MINIMIZED) {
        rememberFocus();
        return;
    }
    const HWND focus = GetFocus();
    if (GetActiveWindow() == hwnd && (!focus || focus == hwnd)) restoreFocus();
}

// The focus first moves on, to `fallback` or else to the next control Tab reaches, the way
// WM_NEXTDLGCTL would, so that disabling a control never leaves the keyboard dead.
void MainWindow::setControlEnabled(int id, bool enabled, HWND fallback) {
    const HWND target = control(id);
    if (!target) return;
    if (!enabled && IsWindowEnabled(target) && focusedControl() == target) {
        HWND next = isUsable(fallback) ? fallback : GetNextDlgTabItem(hwnd, target, FALSE);
        if (!isUsable(next) || next == target) next = shownView();
        giveFocus(next);
    }
    EnableWindow(target, enabled ? TRUE : FALSE);
}

// A hidden control cannot keep the focus either.
void MainWindow::showControl(int id, bool shown, HWND fallback) {
    const HWND target = control(id);
    if (!target) return;
    if (!shown && IsWindowVisible(target) && focusedControl() == target) giveFocus(fallback);
    ShowWindow(target, shown ? SW_SHOW : SW_HIDE);
}

// Enter on a focused button: the dialog navigation of the message loop turns it into IDOK,
// since owner-drawn buttons are never default push buttons. Press the button, as Space would.
void MainWindow::pressFocusedButton() {
    const HWND focus = GetFocus();
    if (!focus || GetParent(focus) != hwnd || !IsWindowEnabled(focus) || !hasClass(focus, L"Button")) return;
    if ((GetWindowLongW(focus, GWL_STYLE) & BS_TYPEMASK) != BS_OWNERDRAW) return;
    onCommand(GetDlgCtrlID(focus), BN_CLICKED);
}

}  // namespace calderwynfell
