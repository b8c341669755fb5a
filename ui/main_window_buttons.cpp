// The flat owner-drawn push buttons: fill, one-pixel frame, centred caption.

#include <string>

#include "ui/main_window.h"

namespace calderwynfell {
namespace {

// One column of the colour table: how a kind of button looks.
struct ButtonPalette {
    COLORREF fill;
    COLORREF frame;
    COLORREF caption;
};

constexpr ButtonPalette kStartPalette{RGB(8, 127, 112), RGB(8, 127, 112), RGB(255, 255, 255)};
constexpr ButtonPalette kAccentViewPalette{RGB(224, 243, 236), RGB(8, 127, 112), RGB(8, 127, 112)};
constexpr ButtonPalette kPlainPalette{RGB(255, 255, 255), RGB(215, 225, 225), RGB(32, 50, 56)};
constexpr COLORREF kDisabledFill = RGB(240, 244, 244);
constexpr COLORREF kPressedFill = RGB(190, 224, 215);
constexpr COLORREF kDisabledCaption = RGB(157, 167, 168);

const ButtonPalette& paletteFor(int id, bool listMode) {
    if (id == kStartButtonId) return kStartPalette;
    const bool accentView = (id == kMatrixViewButtonId && !listMode) || (id == kListViewButtonId && listMode);
    return accentView ? kAccentViewPalette : kPlainPalette;
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
    const ButtonPalette& palette = paletteFor(static_cast<int>(item.CtlID), listMode);

    COLORREF fill = palette.fill;
    if (!enabled) fill = kDisabledFill;
    if (item.itemState & ODS_SELECTED) fill = kPressedFill;

    RECT rect = item.rcItem;
    fillSolid(item.hDC, rect, fill);
    frameSolid(item.hDC, rect, palette.frame);

    // Read back from the control: the start button's caption changes during a scan.
    const std::wstring caption = windowText(item.hwndItem);
    {
        SelectObjectGuard selected(item.hDC, uiFont.get());
        SetBkMode(item.hDC, TRANSPARENT);
        SetTextColor(item.hDC, enabled ? palette.caption : kDisabledCaption);
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
