#include "ui/window_elements.h"

#include <oleacc.h>

#include <algorithm>

#include "results/accessible_text.h"
#include "ui/main_window.h"
#include "ui/main_window_paint.h"
#include "ui/matrix_geometry.h"

namespace calderwynfell {

namespace {

using accessible::Box;
using accessible::Child;
using accessible::ChildKind;
using accessible::Container;
using accessible::Element;

constexpr wchar_t kProgressName[] = L"扫描进度";
constexpr wchar_t kMatrixName[] = L"地址矩阵";
constexpr wchar_t kEmptyMatrix[] = L"当前筛选没有结果";
constexpr wchar_t kCopyAction[] = L"复制";

struct Slot {
    ChildKind kind;
    int id;  // a control id, or a PaintedText
};

constexpr Slot control(int id) {
    return {ChildKind::Control, id};
}
constexpr Slot painted(PaintedText text) {
    return {ChildKind::Simple, static_cast<int>(text)};
}

// The client area's children: the controls in the Tab order (the order they are
// created in), each painted text just before the first control that reads after
// it on screen, and the status bar at the foot. The option row keeps its place
// while hidden.
// clang-format off: one line a row of the window
constexpr Slot kWindowOrder[] = {
    control(kStartEditId),
    control(kEndEditId),
    control(kStartButtonId),
    control(kStopButtonId),
    control(kNetworkComboId),
    control(kSettingsButtonId),
    control(kTimeoutComboId),
    control(kAttemptsComboId),
    control(kConcurrencyComboId),
    painted(PaintedText::Addresses),
    painted(PaintedText::Online),
    painted(PaintedText::NoResponse),
    painted(PaintedText::Untested),
    painted(PaintedText::Elapsed),
    control(kMatrixViewButtonId),
    control(kListViewButtonId),
    control(kOnlineOnlyCheckId),
    control(kExportButtonId),
    painted(PaintedText::Range),
    control(kPreviousPageButtonId),
    painted(PaintedText::Page),
    control(kNextPageButtonId),
    painted(PaintedText::Detail),
    control(kCopyButtonId),
    control(kMatrixId),
    control(kDetailListId),  // one place, two views: drawn above the detail line
    painted(PaintedText::Progress),
    {ChildKind::StatusBar, 0},
};
// clang-format on

Element makeElement(long role, long state, std::wstring name = {}) {
    Element element;
    element.role = role;
    element.state = state;
    element.name = std::move(name);
    return element;
}

long readOnly(const MainWindow& window) {
    return STATE_SYSTEM_READONLY | (IsIconic(window.hwnd) ? STATE_SYSTEM_INVISIBLE : 0);
}

RECT clientRect(HWND window) {
    RECT rect{};
    GetClientRect(window, &rect);
    return rect;
}

// Visits the children in order, with their ids, skipping controls that do not
// exist; the id of the first child for which `visit` is true, or -1.
template <typename Visit>
long forEachSlot(const MainWindow& window, Visit visit) {
    long id = 0;
    for (const Slot& slot : kWindowOrder) {
        if (slot.kind == ChildKind::Control && !window.control(slot.id)) continue;
        if (visit(slot, ++id)) return id;
    }
    return -1;
}

const Slot* slotAt(const MainWindow& window, long id) {
    const Slot* found = nullptr;
    forEachSlot(window, [&](const Slot& slot, long at) {
        if (at == id) found = &slot;
        return at == id;
    });
    return found;
}

PaintedText paintedAt(const MainWindow& window, long id) {
    const Slot* slot = slotAt(window, id);
    return slot ? static_cast<PaintedText>(slot->id) : PaintedText::Addresses;
}

}  // namespace

long WindowElements::idOf(PaintedText text) const {
    return forEachSlot(*window_, [&](const Slot& slot, long) {
        return slot.kind == ChildKind::Simple && slot.id == static_cast<int>(text);
    });
}

HWND WindowElements::windowOf(Container container) const {
    return container == Container::Matrix ? window_->control(kMatrixId) : window_->hwnd;
}

long WindowElements::childCount(Container container) const {
    switch (container) {
        case Container::Window: {
            long count = 0;
            forEachSlot(*window_, [&](const Slot&, long id) { return (count = id, false); });
            return count;
        }
        case Container::StatusBar: return kStatusPartCount;
        default: return window_->matrixCellCount();
    }
}

Child WindowElements::child(Container container, long id) const {
    const Slot* slot = container == Container::Window ? slotAt(*window_, id) : nullptr;
    if (!slot) return {};
    return {slot->kind, slot->kind == ChildKind::Control ? window_->control(slot->id) : nullptr};
}

Element WindowElements::element(Container container, long id) const {
    switch (container) {
        case Container::Window:
            return id == CHILDID_SELF ? clientElement() : paintedElement(paintedAt(*window_, id));
        case Container::StatusBar:
            return id == CHILDID_SELF ? makeElement(ROLE_SYSTEM_STATUSBAR, readOnly(*window_))
                                      : statusPart(id);
        default: return matrixElement(id);
    }
}

// As the standard client object describes it: named after the window.
Element WindowElements::clientElement() const {
    const HWND window = window_->hwnd;
    Element client = makeElement(ROLE_SYSTEM_CLIENT, STATE_SYSTEM_FOCUSABLE);
    if (GetFocus() == window) client.state |= STATE_SYSTEM_FOCUSED;
    if (!IsWindowVisible(window) || IsIconic(window)) client.state |= STATE_SYSTEM_INVISIBLE;
    client.name = window_->readEditText(window);
    return client;
}

// Named with its text exactly as painted; a summary card's caption is its name and its figure its value.
Element WindowElements::paintedElement(PaintedText text) const {
    const MainWindow& window = *window_;
    Element element = makeElement(ROLE_SYSTEM_STATICTEXT, readOnly(window));
    switch (text) {
        case PaintedText::Range: element.name = rangeText(window); break;
        case PaintedText::Page: element.name = pageIndicatorText(window); break;
        case PaintedText::Detail: element.name = window.detail; break;
        case PaintedText::Progress: {
            const StatusCounts counts = countStatuses(window.results);
            element.role = ROLE_SYSTEM_PROGRESSBAR;
            element.name = kProgressName;
            element.value =
                progressPercentText(static_cast<std::uint64_t>(counts.done()), window.results.size());
            break;
        }
        default: {
            const bool counted = text != PaintedText::Addresses && text != PaintedText::Elapsed;
            const SummaryCardText card = summaryCardText(
                window, static_cast<int>(text), counted ? countStatuses(window.results) : StatusCounts{});
            element.name = card.caption;
            element.value = card.figure;
        }
    }
    return element;
}

// The status line, the legend, and the hint or message line, an alert while it shows an error.
Element WindowElements::statusPart(long part) const {
    const MainWindow& window = *window_;
    Element element = makeElement(ROLE_SYSTEM_STATICTEXT, readOnly(window));
    if (part == kStatusLinePart) element.name = statusLineText(window, countStatuses(window.results));
    if (part == kLegendPart) element.name = legendText(window);
    if (part == kFootLinePart) {
        element.name = footLineText(window);
        if (!window.message.empty()) element.role = ROLE_SYSTEM_ALERT;
    }
    return element;
}

// The table, or one cell of the shown page: "127.0.0.5 在线 <1 ms", described by its note.
Element WindowElements::matrixElement(long id) const {
    const MainWindow& window = *window_;
    const bool focused = GetFocus() == window.control(kMatrixId);
    if (id == CHILDID_SELF) {
        Element table = makeElement(ROLE_SYSTEM_TABLE, STATE_SYSTEM_FOCUSABLE, kMatrixName);
        if (focused) table.state |= STATE_SYSTEM_FOCUSED;
        if (!IsWindowVisible(window.control(kMatrixId))) table.state |= STATE_SYSTEM_INVISIBLE;
        if (window.view.empty()) table.description = kEmptyMatrix;
        return table;
    }
    const int cell = static_cast<int>(id - 1);
    const Result& entry = window.results[static_cast<std::size_t>(window.matrixCellEntry(cell))];
    Element element = makeElement(ROLE_SYSTEM_CELL, STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_SELECTABLE,
                                  cellAccessibleName(entry));
    if (cell == window.selectedMatrixCell())
        element.state |= STATE_SYSTEM_SELECTED | (focused ? STATE_SYSTEM_FOCUSED : 0);
    element.description = entry.note;
    element.defaultAction = kCopyAction;
    return element;
}

RECT WindowElements::paintedRect(PaintedText text) const {
    switch (text) {
        case PaintedText::Range: return paintedPartRect(*window_, PaintedPart::RangeText);
        case PaintedText::Page: return paintedPartRect(*window_, PaintedPart::PageIndicator);
        case PaintedText::Detail: return paintedPartRect(*window_, PaintedPart::Detail);
        case PaintedText::Progress: return paintedPartRect(*window_, PaintedPart::ProgressTrack);
        default: return summaryCardRect(*window_, static_cast<int>(text));
    }
}

// The foot of the window, from the top of the status line down and across the
// whole width: a screen reader finds the status bar at the client's bottom-left pixel.
RECT WindowElements::footRect() const {
    RECT foot = clientRect(window_->hwnd);
    foot.top = std::min(paintedPartRect(*window_, PaintedPart::Status).top, foot.bottom);
    return foot;
}

Box WindowElements::box(Container container, long id) const {
    const MainWindow& window = *window_;
    if (container == Container::Matrix) {
        const HWND matrix = window.control(kMatrixId);
        const RECT client = clientRect(matrix);
        if (id == CHILDID_SELF) return {client, IsWindowVisible(matrix) != FALSE};
        const matrix::CellBox cell = matrix::cellBox(0, 0, client.right, client.bottom,
                                                     static_cast<int>(id - 1), MulDiv(1, window.dpi, 96));
        return {{cell.left, cell.top, cell.right, cell.bottom}};
    }
    if (container == Container::StatusBar) {
        constexpr PaintedPart kParts[] = {PaintedPart::Status, PaintedPart::Legend, PaintedPart::FootLine};
        return {id == CHILDID_SELF ? footRect() : paintedPartRect(window, kParts[id - 1])};
    }
    if (id == CHILDID_SELF) return {clientRect(window.hwnd)};
    const Child found = child(container, id);
    if (found.kind == ChildKind::StatusBar) return {footRect()};
    if (found.kind == ChildKind::Simple) return {paintedRect(paintedAt(window, id))};
    RECT rect{};
    GetWindowRect(found.control, &rect);
    MapWindowPoints(nullptr, window.hwnd, reinterpret_cast<POINT*>(&rect), 2);
    return {rect, IsWindowVisible(found.control) != FALSE};
}

// The client area's child that holds `window`, which may be a grandchild; -1 for none.
long WindowElements::windowChildHolding(HWND window) const {
    while (window && GetParent(window) != window_->hwnd) window = GetParent(window);
    if (!window) return -1;
    return forEachSlot(*window_, [&](const Slot& slot, long) {
        return slot.kind == ChildKind::Control && window_->control(slot.id) == window;
    });
}

long WindowElements::focus(Container container) const {
    const HWND focused = GetFocus();
    switch (container) {
        case Container::Window:
            if (focused == window_->hwnd) return CHILDID_SELF;
            return focused && IsChild(window_->hwnd, focused) ? windowChildHolding(focused) : -1;
        case Container::Matrix:
            if (focused != window_->control(kMatrixId)) return -1;
            return window_->selectedMatrixCell() >= 0 ? window_->selectedMatrixCell() + 1 : CHILDID_SELF;
        default: return -1;  // nothing in the status bar takes the focus
    }
}

long WindowElements::selection(Container container) const {
    const int cell = container == Container::Matrix ? window_->selectedMatrixCell() : -1;
    return cell >= 0 ? cell + 1 : -1;
}

long WindowElements::hit(Container container, POINT client) const {
    const Box self = box(container, CHILDID_SELF);
    if (!PtInRect(&self.rect, client)) return -1;
    if (container == Container::Window) return windowHit(client);
    if (container == Container::Matrix) {
        const int cell = matrix::hitCell(client.x, client.y, self.rect.right, self.rect.bottom);
        return cell >= 0 && cell < window_->matrixCellCount() ? cell + 1 : CHILDID_SELF;
    }
    for (long part = 1; part <= kStatusPartCount; ++part) {
        const RECT rect = box(container, part).rect;
        if (PtInRect(&rect, client)) return part;
    }
    return CHILDID_SELF;
}

// A control where one is shown; otherwise what the window paints there, the
// later painted over the earlier.
long WindowElements::windowHit(POINT client) const {
    const HWND control = ChildWindowFromPointEx(window_->hwnd, client, CWP_SKIPINVISIBLE);
    if (control && control != window_->hwnd) {
        const long id = windowChildHolding(control);
        return id > 0 ? id : CHILDID_SELF;
    }
    for (long id = childCount(Container::Window); id >= 1; --id) {
        if (child(Container::Window, id).kind == ChildKind::Control) continue;
        const RECT rect = box(Container::Window, id).rect;
        if (PtInRect(&rect, client)) return id;
    }
    return CHILDID_SELF;
}

// Only the matrix has anything to select: its cells, through the path a click
// takes, and the focus, which the screen reader's user moves as a click would.
// A hidden matrix (the list is shown) cannot take the focus; it stays where it is.
HRESULT WindowElements::select(Container container, long id, long flags) {
    if (container != Container::Matrix) return S_FALSE;  // painted text is neither selected nor focused
    MainWindow& window = *window_;
    const HWND matrix = window.control(kMatrixId);
    const bool focusable = window.isUsable(matrix);
    if ((flags & SELFLAG_TAKEFOCUS) && focusable) {
        window.userActed();
        window.giveFocus(matrix);
    }
    if (id == CHILDID_SELF || !(flags & (SELFLAG_TAKESELECTION | SELFLAG_ADDSELECTION)))
        return focusable || !(flags & SELFLAG_TAKEFOCUS) ? S_OK : S_FALSE;
    window.selectResult(window.matrixCellEntry(static_cast<int>(id - 1)));
    window.rebuildView();
    return S_OK;
}

HRESULT WindowElements::doDefaultAction(Container container, long id) {
    if (container != Container::Matrix || id == CHILDID_SELF) return DISP_E_MEMBERNOTFOUND;
    select(container, id, SELFLAG_TAKESELECTION);
    window_->copySelectedAddress();
    return S_OK;
}

}  // namespace calderwynfell
