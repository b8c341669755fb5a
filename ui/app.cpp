#include "ui/app.h"

#include <commctrl.h>

#include <algorithm>

#include "ui/accessibility/com_object.h"
#include "ui/dpi.h"
#include "ui/main_window.h"

namespace calderwynfell {

namespace {

constexpr int kIconResourceId = 101;

bool registerClass(HINSTANCE instance, UINT style, WNDPROC procedure, const wchar_t* className) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = style;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(kIconResourceId));
    windowClass.hIconSm = windowClass.hIcon;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = className;
    return RegisterClassExW(&windowClass) != 0;
}

// Out of memory while loading a range is the only way these can throw; the key
// is then simply lost, as a window procedure would lose it.
template <typename Action>
void runGuarded(Action action) noexcept {
    try {
        action();
    } catch (...) {
    }
}

int width(const RECT& rect) {
    return rect.right - rect.left;
}
int height(const RECT& rect) {
    return rect.bottom - rect.top;
}

}  // namespace

bool registerWindowClasses(HINSTANCE instance) {
    return registerClass(instance, CS_HREDRAW | CS_VREDRAW, MainWindow::mainWindowProc, kMainWindowClass) &&
           registerClass(instance, CS_DBLCLKS, MainWindow::matrixWindowProc, kMatrixWindowClass);
}

RECT initialWindowRect(const RECT& workArea, int dpi) {
    const int windowWidth = std::min(width(workArea) - 12, MulDiv(600, dpi, 96));
    const int windowHeight = std::min(height(workArea) - 12, MulDiv(589, dpi, 96));
    const int left = workArea.left + (width(workArea) - windowWidth) / 2;
    const int top = workArea.top + (height(workArea) - windowHeight) / 2;
    return RECT{left, top, left + windowWidth, top + windowHeight};
}

SIZE minimumTrackSize(const RECT& workArea, int dpi) {
    return SIZE{std::min<LONG>(width(workArea), MulDiv(560, dpi, 96)),
                std::min<LONG>(height(workArea), MulDiv(579, dpi, 96))};
}

namespace {

// Should the focus ever be nowhere, keys reach the window as WM_SYSKEYDOWN; F5 and
// Esc still count then, as long as Alt is not held.
bool isPlainKeyDown(const MSG& message) {
    return message.message == WM_KEYDOWN ||
           (message.message == WM_SYSKEYDOWN && !(HIWORD(message.lParam) & KF_ALTDOWN));
}

// A key's command runs as a window message would: what it changes is announced
// once it is done, not from the messages it sends on the way.
template <typename Command>
void runKeyCommand(MainWindow& window, Command command) {
    runGuarded([&] {
        ++window.messageDepth;
        try {
            command();
        } catch (...) {
            --window.messageDepth;
            throw;
        }
        --window.messageDepth;
        window.announceChanges();
    });
}

// Keys that move the focus around the window, after which it shows where it went.
bool isNavigationKey(const MSG& message) {
    if (message.message != WM_KEYDOWN) return false;
    switch (message.wParam) {
        case VK_TAB:
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN: return true;
        default: return false;
    }
}

// A key or a button pressed in the window: what it does to the focus is the user's doing.
bool isUserAction(const MainWindow& window, const MSG& message) {
    switch (message.message) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_XBUTTONDOWN:
            return window.hwnd && (message.hwnd == window.hwnd || IsChild(window.hwnd, message.hwnd));
        default: return false;
    }
}

}  // namespace

void routeLoopMessage(MainWindow& window, MSG& message) {
    if (isUserAction(window, message)) window.userActed();
    // The two keys are taken whichever control has the focus, before any control sees them.
    const bool keyDown = isPlainKeyDown(message);
    if (keyDown && message.wParam == VK_F5) {
        runKeyCommand(window, [&] { window.startScan(); });
        return;
    }
    if (keyDown && message.wParam == VK_ESCAPE && window.scanning) {
        runKeyCommand(window, [&] { window.stopScan(); });
        return;
    }
    // As the dialog manager does on Windows; where the system keeps no UI state, the window's own copy learns
    // it.
    if (window.hwnd && isNavigationKey(message) && IsChild(window.hwnd, message.hwnd))
        SendMessageW(window.hwnd, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    if (window.hwnd && IsDialogMessageW(window.hwnd, &message)) return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

void runMessageLoop(MainWindow& window) {
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) routeLoopMessage(window, message);
}

int runApplication(HINSTANCE instance, int showCommand) {
    // The matrix's accessible object is marshalled to screen readers from this apartment.
    const ComApartment apartment;
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    if (!registerWindowClasses(instance)) return 1;

    MainWindow window;
    window.instance = instance;
    window.dpi = systemDpi();

    RECT workArea{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
    const RECT frame = initialWindowRect(workArea, window.dpi);
    const HWND created =
        CreateWindowExW(0, kMainWindowClass, kWindowTitle, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, frame.left,
                        frame.top, width(frame), height(frame), nullptr, nullptr, instance, &window);
    if (!created) return 2;

    ShowWindow(created, showCommand);
    UpdateWindow(created);
    runMessageLoop(window);
    return 0;
}

}  // namespace calderwynfell
