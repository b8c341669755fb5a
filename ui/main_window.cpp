#include "ui/main_window.h"

#include "core/icmp_probe.h"
#include "results/export_command.h"
#include "ui/accessibility/accessibility_services.h"
#include "ui/system_services.h"

namespace calderwynfell {

namespace {

LRESULT colourControl(WPARAM dc, COLORREF text, COLORREF background, const UniqueBrush& brush) {
    SetTextColor(reinterpret_cast<HDC>(dc), text);
    SetBkColor(reinterpret_cast<HDC>(dc), background);
    return reinterpret_cast<LRESULT>(brush.get());
}

}  // namespace

MainWindow::MainWindow()
    : probe([](std::uint32_t address, std::uint32_t timeoutMs) { return icmpEchoProbe(address, timeoutMs); }),
      networkDiscovery([] { return discoverLocalNetworks(); }),
      savePathPrompt(askExportPath),
      accessibleNamer(annotateAccessibleName),
      announcer(raiseUiaNotification),
      highContrastQuery(systemHighContrast),
      systemColours(currentSystemColours),
      keyboardCuesQuery(systemKeyboardCues),
      backgroundBrush(CreateSolidBrush(makePalette(false, {}).controlBackground)),
      whiteBrush(CreateSolidBrush(makePalette(false, {}).editBackground)) {}

MainWindow::~MainWindow() {
    stopRequested.exchange(true);
    if (scanThread.joinable()) scanThread.join();
    // Only when the loop ended without WM_QUIT: the window must not outlive its object.
    if (hwnd && IsWindow(hwnd)) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        DestroyWindow(hwnd);
    }
    elements->disconnect();
    deleteFonts();
    backgroundBrush.reset();
    whiteBrush.reset();
}

LRESULT CALLBACK MainWindow::mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        if (self) {
            self->hwnd = window;
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    ++self->messageDepth;
    const LRESULT result = self->handleMessage(message, wParam, lParam);
    if (--self->messageDepth == 0) self->announceChanges();
    return result;
}

LRESULT MainWindow::handleMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    const HWND window = hwnd;  // WM_NCDESTROY clears the field before default processing
    try {
        switch (msg) {
            case WM_CREATE: createControls(); return 0;
            case WM_SIZE: onSize(wParam); return 0;
            case WM_ACTIVATE: onActivate(wParam); return 0;
            case WM_SETFOCUS: restoreFocus(); return 0;  // the frame itself never keeps the focus
            case WM_GETOBJECT: return onGetObject(window, wParam, lParam);
            case WM_PAINT: onPaint(); return 0;
            case WM_PRINTCLIENT: paintWindow(reinterpret_cast<HDC>(wParam)); return 0;
            case WM_ERASEBKGND: return 1;
            case WM_CTLCOLOREDIT:
                return colourControl(wParam, palette.controlText, palette.editBackground, whiteBrush);
            case WM_CTLCOLORBTN:
            case WM_CTLCOLORSTATIC:
                return colourControl(wParam, palette.controlText, palette.controlBackground, backgroundBrush);
            case WM_DRAWITEM: drawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); return TRUE;
            case WM_NOTIFY: return onListNotify(*reinterpret_cast<const NMHDR*>(lParam));
            case WM_COMMAND: onCommand(LOWORD(wParam), HIWORD(wParam)); return 0;
            case WM_TIMER:
                if (wParam == kProgressTimerId) progressTick();
                return 0;
            case WM_GETMINMAXINFO: onGetMinMaxInfo(*reinterpret_cast<MINMAXINFO*>(lParam)); return 0;
            case WM_DPICHANGED:
                onDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
                return 0;
            case WM_SETTINGCHANGE:
            case WM_SYSCOLORCHANGE: onSystemChange(msg, wParam, lParam); break;
            case WM_THEMECHANGED: onColoursChanged(); break;
            case WM_CHANGEUISTATE: onChangeUiState(wParam); break;
            case WM_CLOSE: onClose(); return 0;
            case WM_DESTROY: PostQuitMessage(0); return 0;
            case WM_NCDESTROY: onFinalDestroy(); break;
            default: break;
        }
    } catch (...) {
        // Out of memory inside a handler: the message is dropped, the window lives on.
        return 0;
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}

void MainWindow::onCommand(int id, int notification) {
    switch (id) {
        case kStartEditId:
        case kEndEditId:
            if (notification == EN_KILLFOCUS) previewRange();
            break;
        case kStartButtonId: startScan(); break;
        case kStopButtonId: stopScan(); break;
        case kNetworkComboId:
            if (notification == CBN_SELCHANGE) applyNetworkSelection();
            break;
        case kSettingsButtonId:
            settingsExpanded = !settingsExpanded;
            layoutControls();
            break;
        case kMatrixViewButtonId:
        case kListViewButtonId:
            setListMode(id == kListViewButtonId);
            layoutControls();
            break;
        case kOnlineOnlyCheckId: onlineFilterChanged(); break;
        case kExportButtonId: exportCsv(); break;
        case kPreviousPageButtonId: previousPage(); break;
        case kNextPageButtonId: nextPage(); break;
        case kCopyButtonId: copySelectedAddress(); break;
        case IDOK: pressFocusedButton(); break;  // Enter, from the dialog navigation
        default: break;                          // IDCANCEL from dialog navigation included
    }
}

void MainWindow::onClose() {
    stopRequested.exchange(true);
    KillTimer(hwnd, kProgressTimerId);
    // Blocks until the probes in flight have returned: at most about one timeout.
    if (scanThread.joinable()) scanThread.join();
    DestroyWindow(hwnd);
}

void MainWindow::onFinalDestroy() {
    elements->disconnect();  // accessible objects that clients still hold answer an error from now on
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    hwnd = nullptr;
    controls.fill(nullptr);
}

}  // namespace calderwynfell
