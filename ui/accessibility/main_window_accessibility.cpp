// What assistive technology sees beyond the standard controls: the accessible
// objects of the matrix and the main window, the window's painted texts and the
// names of the inputs.

#include <windows.h>
#include <oleacc.h>

#include <algorithm>

#include "results/accessible_text.h"
#include "ui/accessibility/accessibility_api.h"
#include "ui/accessibility/com_object.h"
#include "ui/main_window.h"
#include "ui/main_window_paint.h"
#include "ui/matrix_geometry.h"

namespace calderwynfell {

namespace {

struct ControlName {
    int id;
    const wchar_t* name;
};

// The painted labels beside these inputs are not controls, so the names are given here.
constexpr ControlName kControlNames[] = {
    {kStartEditId, L"起始地址"}, {kEndEditId, L"结束地址"},       {kNetworkComboId, L"本机网段"},
    {kTimeoutComboId, L"超时"},  {kAttemptsComboId, L"最多尝试"}, {kConcurrencyComboId, L"并发"},
};

constexpr wchar_t kProgressName[] = L"扫描进度";

struct ReadingSlot {
    WindowChild::Kind kind;
    int id;  // of the control, or the painted element
};

constexpr auto kControl = WindowChild::Kind::Control;
constexpr auto kPainted = WindowChild::Kind::Painted;

// The window's children as a reader meets them: rows from the top, left to right
// within a row, the controls among what the window paints. Both views share one
// place, the matrix first; the option row stands in the order even while hidden.
constexpr ReadingSlot kReadingOrder[] = {
    {kControl, kStartEditId},
    {kControl, kEndEditId},
    {kControl, kStartButtonId},
    {kControl, kStopButtonId},
    {kControl, kNetworkComboId},
    {kControl, kSettingsButtonId},
    {kControl, kTimeoutComboId},
    {kControl, kAttemptsComboId},
    {kControl, kConcurrencyComboId},
    {kPainted, 0},
    {kPainted, 1},
    {kPainted, 2},
    {kPainted, 3},
    {kPainted, 4},
    {kControl, kMatrixViewButtonId},
    {kControl, kListViewButtonId},
    {kControl, kOnlineOnlyCheckId},
    {kControl, kExportButtonId},
    {kPainted, kRangeTextElement},
    {kControl, kPreviousPageButtonId},
    {kPainted, kPageIndicatorElement},
    {kControl, kNextPageButtonId},
    {kControl, kMatrixId},
    {kControl, kDetailListId},
    {kPainted, kDetailElement},
    {kControl, kCopyButtonId},
    {kPainted, kProgressElement},
    {WindowChild::Kind::StatusBar, 0},
};

}  // namespace

LRESULT MainWindow::onMatrixGetObject(WPARAM flags, LPARAM objectId) {
    const HWND matrixWindow = control(kMatrixId);
    if (static_cast<DWORD>(objectId) != static_cast<DWORD>(OBJID_CLIENT))
        return DefWindowProcW(matrixWindow, WM_GETOBJECT, flags, objectId);
    if (!matrixAccessible) matrixAccessible = MatrixAccessible::create(*this);
    return lresultFromObject(IID_IAccessible, flags, static_cast<IAccessible*>(matrixAccessible.get()));
}

int MainWindow::matrixCellCount() const {
    const long long first = static_cast<long long>(page) * kPageSize;
    const long long left = static_cast<long long>(view.size()) - first;
    return static_cast<int>(std::clamp<long long>(left, 0, kPageSize));
}

int MainWindow::matrixCellEntry(int cell) const {
    return view[static_cast<std::size_t>(page) * kPageSize + static_cast<std::size_t>(cell)];
}

int MainWindow::selectedMatrixCell() const {
    const int count = matrixCellCount();
    if (count == 0) return -1;
    const auto first = view.begin() + static_cast<std::ptrdiff_t>(page) * kPageSize;
    const auto found = std::find(first, first + count, selectedIndex);
    return found != first + count ? static_cast<int>(found - first) : -1;
}

RECT MainWindow::matrixCellRect(int cell) const {
    RECT client{};
    GetClientRect(control(kMatrixId), &client);
    const matrix::CellBox box = matrix::cellBox(0, 0, client.right, client.bottom, cell, MulDiv(1, dpi, 96));
    return RECT{box.left, box.top, box.right, box.bottom};
}

// The keyboard's path: the detail line, the list's selection and the copy button follow.
void MainWindow::selectMatrixCell(int cell) {
    selectResult(matrixCellEntry(cell));
    rebuildView();
}

void MainWindow::disconnectAccessible() noexcept {
    if (matrixAccessible) matrixAccessible->disconnect();
    matrixAccessible.reset();
    // One at a time from the live list: an object that goes meanwhile takes itself off it.
    while (!windowAccessibles.empty()) {
        WindowAccessible* object = windowAccessibles.back();
        windowAccessibles.pop_back();
        object->disconnect();
    }
}

void MainWindow::nameControls() const {
    if (!accessibleNamer) return;
    for (const auto& [id, name] : kControlNames)
        if (control(id)) accessibleNamer(control(id), name);  // where unsupported the name stays unset
}

// Every request gets an object of its own, as the standard client object does:
// what one client walks or enumerates never moves another's place.
LRESULT MainWindow::onWindowGetObject(WPARAM flags, LPARAM objectId) {
    if (static_cast<DWORD>(objectId) == static_cast<DWORD>(OBJID_CLIENT)) {
        if (const ComRef<WindowAccessible> object = WindowAccessible::create(*this))
            return lresultFromObject(IID_IAccessible, flags, static_cast<IAccessible*>(object.get()));
    }
    return DefWindowProcW(hwnd, WM_GETOBJECT, flags, objectId);
}

std::vector<PaintedElement> MainWindow::paintedElements() const {
    const PaintTexts texts = paintTexts(*this);
    std::vector<PaintedElement> elements;
    elements.reserve(kPaintedElementCount);
    for (int card = 0; card < 5; ++card) {
        const SummaryCardText& text = texts.cards[static_cast<std::size_t>(card)];
        elements.push_back({ROLE_SYSTEM_STATICTEXT, text.caption, text.figure, paintedElementRect(card)});
    }
    const auto add = [&](long role, const std::wstring& name, const std::wstring& value) {
        const int element = static_cast<int>(elements.size());
        elements.push_back({role, name, value, paintedElementRect(element)});
    };
    const StatusCounts counts = countStatuses(results);
    const auto done = static_cast<std::uint64_t>(counts.online + counts.noResponse + counts.error);
    add(ROLE_SYSTEM_STATICTEXT, texts.rangeText, {});
    add(ROLE_SYSTEM_STATICTEXT, texts.pageIndicator, {});
    add(ROLE_SYSTEM_STATICTEXT, detail, {});
    add(ROLE_SYSTEM_PROGRESSBAR, kProgressName, progressPercentText(done, results.size()));
    add(ROLE_SYSTEM_STATICTEXT, texts.statusLine, {});
    add(ROLE_SYSTEM_STATICTEXT, texts.legend, {});
    add(texts.footIsError ? ROLE_SYSTEM_ALERT : ROLE_SYSTEM_STATICTEXT, texts.footLine, {});
    return elements;
}

PaintedElement MainWindow::paintedElement(int element) const {
    return paintedElements()[static_cast<std::size_t>(element)];
}

RECT MainWindow::paintedElementRect(int element) const {
    constexpr PaintedPart kParts[] = {
        PaintedPart::RangeText, PaintedPart::PageIndicator, PaintedPart::Detail,  PaintedPart::ProgressTrack,
        PaintedPart::Status,    PaintedPart::Legend,        PaintedPart::FootLine};
    static_assert(std::size(kParts) == kPaintedElementCount - kRangeTextElement);
    if (element < kRangeTextElement) return summaryCardRect(*this, element);
    return paintedPartRect(*this, kParts[element - kRangeTextElement]);
}

std::vector<WindowChild> MainWindow::windowChildren() const {
    std::vector<WindowChild> children;
    children.reserve(std::size(kReadingOrder) + 2);
    for (const ReadingSlot& slot : kReadingOrder) {
        WindowChild child;
        child.kind = slot.kind;
        if (slot.kind == WindowChild::Kind::Control) {
            child.control = control(slot.id);
            if (!child.control) continue;
        } else if (slot.kind == WindowChild::Kind::Painted) {
            child.element = slot.id;
        }
        children.push_back(child);
    }
    // A child window the order does not know still belongs to the window: last.
    for (HWND window = GetWindow(hwnd, GW_CHILD); window; window = GetWindow(window, GW_HWNDNEXT)) {
        const int id = GetDlgCtrlID(window);
        if (id >= kStartEditId && id <= kMatrixId && control(id) == window) continue;
        WindowChild child;
        child.kind = WindowChild::Kind::Control;
        child.control = window;
        children.push_back(child);
    }
    return children;
}

accessible::ChildBox MainWindow::windowChildBox(const WindowChild& child) const {
    RECT rect{};
    bool shown = true;
    switch (child.kind) {
        case WindowChild::Kind::Control:
            GetWindowRect(child.control, &rect);
            MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&rect), 2);
            shown = IsWindowVisible(child.control) != FALSE;
            break;
        case WindowChild::Kind::Painted: rect = paintedElementRect(child.element); break;
        case WindowChild::Kind::StatusBar: rect = statusBarRect(); break;
    }
    return {rect.left, rect.top, rect.right, rect.bottom, shown};
}

// The foot of the window, from the top of the status line down and across the
// whole width: a screen reader finds the status bar at the client's bottom-left pixel.
RECT MainWindow::statusBarRect() const {
    RECT client{};
    GetClientRect(hwnd, &client);
    client.top = std::min(paintedElementRect(kStatusElement).top, client.bottom);
    return client;
}

int MainWindow::navigateStatusParts(int element, accessible::Direction direction) const {
    std::vector<accessible::ChildBox> parts;
    for (int part = kStatusElement; part < kPaintedElementCount; ++part) {
        const RECT rect = paintedElementRect(part);
        parts.push_back({rect.left, rect.top, rect.right, rect.bottom, true});
    }
    const int reached = accessible::navigateChildren(parts, element - kStatusElement, direction);
    return reached < 0 ? -1 : kStatusElement + reached;
}

}  // namespace calderwynfell
