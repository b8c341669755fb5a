// The keyboard focus is part of the window's state. A disabled control cannot
// keep it: with the focus nowhere, Windows hands keys to the window as
// WM_SYSKEYDOWN and Tab stops working. So, as the dialog manager does, the
// focus moves on before a control is disabled, and the focused control is
// remembered when the window is deactivated and given back when it returns.
// Where it is, the focus shows once the keyboard has been used: keyboard cues.

#include "ui/main_window.h"

#include <utility>

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

// A scan's start and stop may move the focus; its end gives back only those
// moves, and only while the user has not acted since.
void MainWindow::rememberFocusBeforeScan() {
    scanFocus = {};
    scanFocus.before = focusedControl();
    if (hasClass(scanFocus.before, L"Edit"))
        SendMessageW(scanFocus.before, EM_GETSEL, reinterpret_cast<WPARAM>(&scanFocus.selectionStart),
                     reinterpret_cast<LPARAM>(&scanFocus.selectionEnd));
}

void MainWindow::noteScanMovedFocus(HWND from) {
    const HWND now = focusedControl();
    if (now != from) scanFocus.placed = now;
}

// Back where the scan found it, an address field with its caret as it was, as
// activation gives it back; the start button when that control cannot take it.
void MainWindow::giveFocusBackAfterScan() {
    const ScanFocus scan = std::exchange(scanFocus, {});
    if (!isUsable(scan.before)) {
        giveFocus(control(kStartButtonId));
        return;
    }
    if (GetActiveWindow() == hwnd && !IsIconic(hwnd))
        SetFocus(scan.before);
    else
        savedFocus = scan.before;
    if (hasClass(scan.before, L"Edit"))
        SendMessageW(scan.before, EM_SETSEL, scan.selectionStart, scan.selectionEnd);
}

HWND MainWindow::shownView() const {
    return control(listMode ? kDetailListId : kMatrixId);
}

void MainWindow::rememberFocus() {
    const HWND focus = GetFocus();
    if (focus && IsChild(hwnd, focus)) savedFocus = focus;
}

// The remembered control as it was, as the dialog manager restores it: the
// caret and selection of an edit stay. With none, the first control Tab reaches,
// its text selected: the start address at start-up.
void MainWindow::restoreFocus() {
    if (isUsable(savedFocus)) {
        SetFocus(savedFocus);
        return;
    }
    const HWND first = GetNextDlgTabItem(hwnd, nullptr, FALSE);
    if (isUsable(first)) focusAndSelect(first);
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

// Keyboard cues start as the dialog manager starts them: hidden unless the last
// input was a key. A system that keeps no such state (it answers WM_QUERYUISTATE
// with nothing, whatever it is told) leaves the window to keep its own, by the
// same rules, starting hidden.
void MainWindow::initialiseKeyboardCues() {
    readKeyboardCuesSetting();
    const auto hidden = [this] { return (SendMessageW(hwnd, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) != 0; };
    SendMessageW(hwnd, WM_CHANGEUISTATE, MAKEWPARAM(UIS_INITIALIZE, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
    if (hidden()) return;
    SendMessageW(hwnd, WM_CHANGEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS), 0);
    systemKeepsUiState = hidden();
    if (systemKeepsUiState) SendMessageW(hwnd, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
}

// With the setting on, the system never hides focus cues; the window's own copy must not either.
void MainWindow::readKeyboardCuesSetting() {
    const bool alwaysOn = keyboardCuesQuery && keyboardCuesQuery();
    if (alwaysOn == keyboardCuesAlwaysOn) return;
    keyboardCuesAlwaysOn = alwaysOn;
    InvalidateRect(control(kMatrixId), nullptr, FALSE);
}

// The window's own copy, for a system that keeps none.
void MainWindow::onChangeUiState(WPARAM change) {
    if (systemKeepsUiState || !(HIWORD(change) & UISF_HIDEFOCUS)) return;
    const WORD action = LOWORD(change);
    if (action != UIS_SET && action != UIS_CLEAR) return;
    const bool shown = action == UIS_CLEAR;
    if (shown == ownKeyboardCues) return;
    ownKeyboardCues = shown;
    InvalidateRect(control(kMatrixId), nullptr, FALSE);
}

bool MainWindow::keyboardCuesShown() const {
    if (keyboardCuesAlwaysOn) return true;
    if (!systemKeepsUiState) return ownKeyboardCues;
    return !(SendMessageW(control(kMatrixId), WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS);
}

}  // namespace calderwynfell
