// The address matrix control: one page of the view as 16 x 16 coloured cells.
// It keeps no state of its own; everything lives in MainWindow.

#include <windows.h>
#include <windowsx.h>

#include <algorithm>

#include "results/text_forms.h"
#include "ui/main_window.h"
#include "ui/matrix_geometry.h"

namespace calderwynfell {

namespace {

constexpr wchar_t kEmptyViewText[] = L"当前筛选没有结果";

// A frame `width` pixels wide inside the rectangle, one FrameRect per pixel.
void frameCell(HDC dc, RECT rect, COLORREF colour, int width) {
    for (int i = 0; i < width; ++i) {
        frameSolid(dc, rect, colour);
        InflateRect(&rect, -1, -1);
    }
}

constexpr UINT kCentredLine = DT_SINGLELINE | DT_VCENTER | DT_CENTER;

// The design's one-pixel frame stays one pixel at every DPI; wider ones scale.
int framePixels(const CellStyle& style, int dpi) {
    return style.frameWidth == 1 ? 1 : MulDiv(style.frameWidth, dpi, 96);
}

}  // namespace

LRESULT CALLBACK MainWindow::matrixWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    try {
        ++self->messageDepth;
        const LRESULT result = self->handleMatrixMessage(window, message, wParam, lParam);
        if (--self->messageDepth == 0) self->announceChanges();  // a copy from the keyboard may have failed
        return result;
    } catch (...) {
        --self->messageDepth;
        // Out of memory while formatting: skip this message rather than let it cross the procedure.
        return 0;
    }
}

LRESULT MainWindow::handleMatrixMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PaintGuard paint(window);
            RECT client{};
            GetClientRect(window, &client);
            paintMatrix(paint.dc(), client);
            return 0;
        }
        case WM_PRINTCLIENT: {
            RECT client{};
            GetClientRect(window, &client);
            paintMatrix(reinterpret_cast<HDC>(wParam), client);
            return 0;
        }
        case WM_ERASEBKGND: return 1;
        case WM_LBUTTONDOWN: onMatrixClick(window, lParam, false); return 0;
        case WM_LBUTTONDBLCLK: onMatrixClick(window, lParam, true); return 0;
        case WM_GETDLGCODE: {
            // The dialog navigation of the message loop would turn Enter into IDOK;
            // asking for that one message lets Enter copy as it should.
            const auto* queued = reinterpret_cast<const MSG*>(lParam);
            if (queued && queued->message == WM_KEYDOWN && queued->wParam == VK_RETURN)
                return DLGC_WANTARROWS | DLGC_WANTMESSAGE;
            return DLGC_WANTARROWS;
        }
        case WM_KEYDOWN: onMatrixKey(wParam); return 0;
        case WM_GETOBJECT: return onGetObject(window, wParam, lParam);
        case WM_SETFOCUS:
            onMatrixFocus();
            InvalidateRect(window, nullptr, FALSE);  // the focus rectangle comes
            return 0;
        case WM_KILLFOCUS: InvalidateRect(window, nullptr, FALSE); return 0;
        case WM_UPDATEUISTATE: {
            // The default processing keeps the window's state; the cues it shows follow.
            const LRESULT result = DefWindowProcW(window, message, wParam, lParam);
            InvalidateRect(window, nullptr, FALSE);
            return result;
        }
        default: return DefWindowProcW(window, message, wParam, lParam);
    }
}

void MainWindow::paintMatrix(HDC dc, const RECT& clientRect) const {
    fillSolid(dc, clientRect, palette.matrixBackground);
    SetBkMode(dc, TRANSPARENT);
    if (view.empty()) {
        SelectObjectGuard font(dc, uiFont.get());
        SetTextColor(dc, palette.emptyText);
        RECT area = clientRect;
        DrawTextW(dc, kEmptyViewText, -1, &area, kCentredLine);
        if (matrixShowsFocus()) drawMatrixFocus(dc, clientRect, -1);
        return;
    }

    const int count = static_cast<int>(view.size());
    const int first = page * kPageSize;
    const int last = std::min(count, first + kPageSize);
    const int width = clientRect.right - clientRect.left;
    const int height = clientRect.bottom - clientRect.top;
    const int inset = MulDiv(1, dpi, 96);

    SelectObjectGuard font(dc, smallFont.get());
    for (int i = first; i < last; ++i) {
        const Result& entry = results[static_cast<std::size_t>(view[static_cast<std::size_t>(i)])];
        const CellStyle style = cellStyle(palette, static_cast<int>(entry.status),
                                          view[static_cast<std::size_t>(i)] == selectedIndex);
        const matrix::CellBox box =
            matrix::cellBox(clientRect.left, clientRect.top, width, height, i - first, inset);
        RECT cell{box.left, box.top, box.right, box.bottom};
        fillSolid(dc, cell, style.fill);
        frameCell(dc, cell, style.frame, framePixels(style, dpi));
        const std::wstring octet = decimalText(static_cast<std::uint32_t>(entry.address & 0xFFu));
        SetTextColor(dc, style.text);
        if (style.bold) {
            SelectObjectGuard bold(dc, smallBoldFont.get());
            DrawTextW(dc, octet.c_str(), static_cast<int>(octet.size()), &cell, kCentredLine);
        } else {
            DrawTextW(dc, octet.c_str(), static_cast<int>(octet.size()), &cell, kCentredLine);
        }
    }
    if (matrixShowsFocus()) drawMatrixFocus(dc, clientRect, keyboardMatrixCell());
}

// While the matrix has the keyboard focus and keyboard cues are on (the user has
// used the keyboard), the cell the arrow keys act from carries the system focus
// rectangle; mouse-only use never sees it.
bool MainWindow::matrixShowsFocus() const {
    const HWND matrix = control(kMatrixId);
    return matrix && GetFocus() == matrix && keyboardCuesShown();
}

// The selected cell when it is on the page, otherwise the page's first; -1 on an empty page.
int MainWindow::keyboardMatrixCell() const {
    const int selected = selectedMatrixCell();
    return selected >= 0 ? selected : (matrixCellCount() > 0 ? 0 : -1);
}

// Inside the cell's frame, clear of it by a pixel; with no cell, around the whole control.
void MainWindow::drawMatrixFocus(HDC dc, const RECT& clientRect, int cell) const {
    const int inset = MulDiv(1, dpi, 96);
    RECT focus = clientRect;
    int margin = 2 * inset;
    if (cell >= 0) {
        const matrix::CellBox box =
            matrix::cellBox(clientRect.left, clientRect.top, clientRect.right - clientRect.left,
                            clientRect.bottom - clientRect.top, cell, inset);
        focus = RECT{box.left, box.top, box.right, box.bottom};
        const Result& entry = results[static_cast<std::size_t>(matrixCellEntry(cell))];
        const CellStyle style =
            cellStyle(palette, static_cast<int>(entry.status), matrixCellEntry(cell) == selectedIndex);
        margin = framePixels(style, dpi) + 1;
    }
    InflateRect(&focus, -margin, -margin);
    if (focus.right > focus.left && focus.bottom > focus.top) DrawFocusRect(dc, &focus);
}

int MainWindow::matrixCellCount() const {
    const long long first = static_cast<long long>(page) * kPageSize;
    const long long left = static_cast<long long>(view.size()) - first;
    return static_cast<int>(std::clamp<long long>(left, 0, kPageSize));
}

int MainWindow::matrixCellEntry(int cell) const {
    return view[static_cast<std::size_t>(page) * kPageSize + static_cast<std::size_t>(cell)];
}

// The cell of the selected address when it is on the shown page, otherwise -1.
int MainWindow::selectedMatrixCell() const {
    const int count = matrixCellCount();
    if (count == 0) return -1;
    const auto first = view.begin() + static_cast<std::ptrdiff_t>(page) * kPageSize;
    const auto found = std::find(first, first + count, selectedIndex);
    return found != first + count ? static_cast<int>(found - first) : -1;
}

void MainWindow::onMatrixClick(HWND window, LPARAM lParam, bool doubleClick) {
    SetFocus(window);
    RECT client{};
    GetClientRect(window, &client);
    const int cell = matrix::hitCell(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), client.right - client.left,
                                     client.bottom - client.top);
    if (cell < 0) return;
    const long long index = static_cast<long long>(page) * kPageSize + cell;
    if (index >= static_cast<long long>(view.size())) return;  // an empty cell of the last page
    selectResult(view[static_cast<std::size_t>(index)]);
    if (doubleClick) copySelectedAddress();
}

void MainWindow::onMatrixKey(WPARAM key) {
    if (view.empty()) return;
    int step = 0;
    switch (key) {
        case VK_RETURN: copySelectedAddress(); return;
        case 'C':
            if (GetKeyState(VK_CONTROL) < 0) copySelectedAddress();
            return;
        case VK_LEFT: step = -1; break;
        case VK_RIGHT: step = 1; break;
        case VK_UP: step = -matrix::kColumns; break;
        case VK_DOWN: step = matrix::kColumns; break;
        default: return;
    }
    const auto found = std::find(view.begin(), view.end(), selectedIndex);
    const int start = found != view.end() ? static_cast<int>(found - view.begin()) : page * kPageSize;
    const int target = matrix::stepTarget(start, step, static_cast<int>(view.size()));
    page = target / kPageSize;
    selectResult(view[static_cast<std::size_t>(target)]);
    rebuildView();
}

}  // namespace calderwynfell
