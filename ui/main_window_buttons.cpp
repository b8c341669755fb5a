// The flat owner-drawn push buttons: fill, one-pixel frame, centred caption.

#include <string>

#include "ui/main_window.h"

namespace calderwynfell {
namespace {

const ButtonColours& coloursFor(const Palette& palette, int id, bool listMode) {
    if (id == kStartButtonId) return palette.startButton;
    const bool accentView = (id == kMatrixViewButtonId && !listMode) || (id == kListViewButtonId && listMode);
    return accentView ? palette.accentViewButton : palette.plainButton;
}

std::wstring windowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return text;
}

}  // namespace

void MainWindow::drawButton(const DRAWITEMSTRUCT& item) const {
    const bool enabled = IsWindowEnabled(item.hwndItem) != FALSE;
    const ButtonColours& colours = coloursFor(palette, static_cast<int>(item.CtlID), listMode);
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;

    COLORREF fill = colours.fill;
    if (!enabled) fill = palette.disabledFill;
    if (pressed) fill = palette.pressedFill;
    COLORREF captionColour = enabled ? colours.caption : palette.disabledCaption;
    if (pressed && enabled && palette.pressedCaption) captionColour = *palette.pressedCaption;

    RECT rect = item.rcItem;
    fillSolid(item.hDC, rect, fill);
    frameSolid(item.hDC, rect, colours.frame);

    // Read back from the control: the start button's caption changes during a scan.
    const std::wstring caption = windowText(item.hwndItem);
    {
        SelectObjectGuard selected(item.hDC, uiFont.get());
        SetBkMode(item.hDC, TRANSPARENT);
        SetTextColor(item.hDC, captionColour);
        DrawTextW(item.hDC, caption.c_str(), static_cast<int>(caption.size()), &rect,
                  DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    }

    if (item.itemState & ODS_FOCUS) {
        RECT focus = item.rcItem;
        InflateRect(&focus, -3, -3);  // fixed pixels at every DPI, inside the one-pixel frame
        DrawFocusRect(item.hDC, &focus);
    }
}

}  // namespace calderwynfell
