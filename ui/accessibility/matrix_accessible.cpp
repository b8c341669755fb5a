// The only file that defines the accessibility GUIDs: with -static, liboleacc.a
// can resolve IID_IAccessible to an import thunk, and every query then fails.
#include <initguid.h>
#include <oleacc.h>

#include "ui/accessibility/matrix_accessible.h"

#include <string>

#include "results/accessible_text.h"
#include "results/result_view.h"
#include "ui/accessibility/accessibility_api.h"
#include "ui/accessibility/accessible_values.h"
#include "ui/main_window.h"
#include "ui/matrix_geometry.h"

namespace calderwynfell {

namespace {

using accessible::giveInteger;
using accessible::giveText;
using accessible::guarded;
using accessible::noText;

constexpr wchar_t kTableName[] = L"地址矩阵";
constexpr wchar_t kEmptyDescription[] = L"当前筛选没有结果";
constexpr wchar_t kCopyAction[] = L"复制";
constexpr int kSelf = -1;
constexpr int kInvalid = -2;

// A cell, or nothing (S_FALSE with VT_EMPTY) when the cell is -1.
HRESULT giveCell(int cell, VARIANT* out) {
    return cell < 0 ? accessible::giveNothing(out) : accessible::giveInteger(cell + 1, out);
}

}  // namespace

ComRef<MatrixAccessible> MatrixAccessible::create(MainWindow& window) {
    return ComRef<MatrixAccessible>::adopt(new MatrixAccessible(window));
}

void MatrixAccessible::disconnect() noexcept {
    window_ = nullptr;
    // Remote clients get RPC_E_DISCONNECTED from their proxies; the stub lets go of us.
    CoDisconnectObject(static_cast<IAccessible*>(this), 0);
}

void* MatrixAccessible::interfaceFor(REFIID iid) {
    return iid == IID_IDispatch || iid == IID_IAccessible ? static_cast<IAccessible*>(this) : nullptr;
}

HWND MatrixAccessible::matrixWindow() const {
    return window_->control(kMatrixId);
}

int MatrixAccessible::cellOf(const VARIANT& child) const {
    if (child.vt != VT_I4) return kInvalid;
    if (child.lVal == CHILDID_SELF) return kSelf;
    return child.lVal >= 1 && child.lVal <= window_->matrixCellCount() ? child.lVal - 1 : kInvalid;
}

HRESULT MatrixAccessible::get_accParent(IDispatch** parent) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    if (!parent) return E_POINTER;
    return createStdAccessibleObject(matrixWindow(), OBJID_WINDOW, IID_IDispatch,
                                     reinterpret_cast<void**>(parent));
}

HRESULT MatrixAccessible::get_accChildCount(long* count) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    if (!count) return E_POINTER;
    *count = window_->matrixCellCount();
    return S_OK;
}

HRESULT MatrixAccessible::get_accChild(VARIANT child, IDispatch** dispatch) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    if (!dispatch) return E_POINTER;
    *dispatch = nullptr;
    const int cell = cellOf(child);
    if (cell == kInvalid) return E_INVALIDARG;
    return cell == kSelf ? E_INVALIDARG : S_FALSE;  // cells are simple elements
}

HRESULT MatrixAccessible::get_accName(VARIANT child, BSTR* name) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    const int cell = cellOf(child);
    if (cell == kInvalid) return E_INVALIDARG;
    if (cell == kSelf) return giveText(kTableName, name);
    return guarded(
        [&] { return giveText(cellAccessibleName(window_->results[window_->matrixCellEntry(cell)]), name); });
}

HRESULT MatrixAccessible::get_accValue(VARIANT child, BSTR* value) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    if (cellOf(child) == kInvalid) return E_INVALIDARG;
    noText(value);
    return DISP_E_MEMBERNOTFOUND;
}

HRESULT MatrixAccessible::get_accDescription(VARIANT child, BSTR* description) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    const int cell = cellOf(child);
    if (cell == kInvalid) return E_INVALIDARG;
    if (cell == kSelf)
        return window_->view.empty() ? giveText(kEmptyDescription, description) : noText(description);
    return guarded(
        [&] { return giveText(window_->results[window_->matrixCellEntry(cell)].note, description); });
}

HRESULT MatrixAccessible::get_accRole(VARIANT child, VARIANT* role) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    const int cell = cellOf(child);
    if (cell == kInvalid) return E_INVALIDARG;
    return giveInteger(cell == kSelf ? ROLE_SYSTEM_TABLE : ROLE_SYSTEM_CELL, role);
}

HRESULT MatrixAccessible::get_accState(VARIANT child, VARIANT* state) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    const int cell = cellOf(child);
    if (cell == kInvalid) return E_INVALIDARG;
    const bool focused = GetFocus() == matrixWindow();
    if (cell == kSelf) {
        long flags = STATE_SYSTEM_FOCUSABLE | (focused ? STATE_SYSTEM_FOCUSED : 0);
        if (!IsWindowVisible(matrixWindow())) flags |= STATE_SYSTEM_INVISIBLE;
        return giveInteger(flags, state);
    }
    const bool selected = cell == window_->selectedMatrixCell();
    long flags = STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_SELECTABLE;
    if (selected) flags |= STATE_SYSTEM_SELECTED;
    if (selected && focused) flags |= STATE_SYSTEM_FOCUSED;
    return giveInteger(flags, state);
}

HRESULT MatrixAccessible::get_accHelp(VARIANT child, BSTR* help) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    if (cellOf(child) == kInvalid) return E_INVALIDARG;
    return noText(help);
}

HRESULT MatrixAccessible::get_accHelpTopic(BSTR* file, VARIANT child, long* topic) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    if (cellOf(child) == kInvalid) return E_INVALIDARG;
    if (topic) *topic = -1;
    noText(file);
    return DISP_E_MEMBERNOTFOUND;
}

HRESULT MatrixAccessible::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    if (cellOf(child) == kInvalid) return E_INVALIDARG;
    return noText(shortcut);
}

HRESULT MatrixAccessible::get_accFocus(VARIANT* focus) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    if (!focus) return E_POINTER;
    if (GetFocus() != matrixWindow()) return giveCell(-1, focus);
    const int cell = window_->selectedMatrixCell();
    return cell >= 0 ? giveCell(cell, focus) : giveInteger(CHILDID_SELF, focus);
}

HRESULT MatrixAccessible::get_accSelection(VARIANT* selection) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    return giveCell(window_->selectedMatrixCell(), selection);
}

HRESULT MatrixAccessible::get_accDefaultAction(VARIANT child, BSTR* action) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    const int cell = cellOf(child);
    if (cell == kInvalid) return E_INVALIDARG;
    if (cell == kSelf) {
        noText(action);
        return DISP_E_MEMBERNOTFOUND;
    }
    return giveText(kCopyAction, action);
}

HRESULT MatrixAccessible::accSelect(long flags, VARIANT child) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    const int cell = cellOf(child);
    if (cell == kInvalid || (flags & ~SELFLAG_VALID)) return E_INVALIDARG;
    // A hidden matrix (the list is shown) cannot take the keyboard focus; it stays where it is.
    const bool focusable = window_->isUsable(matrixWindow());
    if ((flags & SELFLAG_TAKEFOCUS) && focusable) {
        window_->userActed();  // the screen reader's user moved it
        window_->giveFocus(matrixWindow());
    }
    if (cell < 0 || !(flags & (SELFLAG_TAKESELECTION | SELFLAG_ADDSELECTION)))
        return focusable || !(flags & SELFLAG_TAKEFOCUS) ? S_OK : S_FALSE;
    return guarded([&] {
        window_->selectMatrixCell(cell);
        return S_OK;
    });
}

HRESULT MatrixAccessible::accLocation(long* left, long* top, long* width, long* height, VARIANT child) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    if (!left || !top || !width || !height) return E_POINTER;
    const int cell = cellOf(child);
    if (cell == kInvalid) return E_INVALIDARG;
    RECT rect{};
    GetClientRect(matrixWindow(), &rect);
    if (cell >= 0) rect = window_->matrixCellRect(cell);
    MapWindowPoints(matrixWindow(), nullptr, reinterpret_cast<POINT*>(&rect), 2);
    *left = rect.left;
    *top = rect.top;
    *width = rect.right - rect.left;
    *height = rect.bottom - rect.top;
    return S_OK;
}

HRESULT MatrixAccessible::accNavigate(long direction, VARIANT start, VARIANT* end) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    const int cell = cellOf(start);
    if (cell == kInvalid || direction <= NAVDIR_MIN || direction >= NAVDIR_MAX) return E_INVALIDARG;
    return giveCell(matrix::navigateCell(cell, static_cast<int>(direction), window_->matrixCellCount()), end);
}

HRESULT MatrixAccessible::accHitTest(long x, long y, VARIANT* child) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    if (!child) return E_POINTER;
    POINT point{x, y};
    ScreenToClient(matrixWindow(), &point);
    RECT client{};
    GetClientRect(matrixWindow(), &client);
    if (!PtInRect(&client, point)) return giveCell(-1, child);
    const int cell = matrix::hitCell(point.x, point.y, client.right, client.bottom);
    return cell >= 0 && cell < window_->matrixCellCount() ? giveCell(cell, child)
                                                          : giveInteger(CHILDID_SELF, child);
}

HRESULT MatrixAccessible::accDoDefaultAction(VARIANT child) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    const int cell = cellOf(child);
    if (cell == kInvalid) return E_INVALIDARG;
    if (cell == kSelf) return DISP_E_MEMBERNOTFOUND;
    return guarded([&] {
        window_->selectMatrixCell(cell);
        window_->copySelectedAddress();
        return S_OK;
    });
}

}  // namespace calderwynfell
