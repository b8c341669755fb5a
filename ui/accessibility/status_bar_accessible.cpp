#include "ui/accessibility/status_bar_accessible.h"

#include <vector>

#include "ui/accessibility/accessible_values.h"
#include "ui/main_window.h"

#define CALDERWYNFELL_REQUIRE_PARENT() \
    if (!parent_->connected()) return RPC_E_DISCONNECTED

namespace calderwynfell {

namespace {

using accessible::giveInteger;
using accessible::giveNothing;
using accessible::giveText;
using accessible::guarded;
using accessible::noText;

constexpr int kSelf = -1;
constexpr int kInvalid = -2;

long partId(int element) {
    return element - kStatusElement + 1;
}

HRESULT giveLocation(HWND window, RECT rect, long* left, long* top, long* width, long* height) {
    if (!left || !top || !width || !height) return E_POINTER;
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    *left = rect.left;
    *top = rect.top;
    *width = rect.right - rect.left;
    *height = rect.bottom - rect.top;
    return S_OK;
}

}  // namespace

ComRef<StatusBarAccessible> StatusBarAccessible::create(ComRef<WindowAccessible> parent) {
    return ComRef<StatusBarAccessible>::adopt(new StatusBarAccessible(std::move(parent)));
}

void* StatusBarAccessible::interfaceFor(REFIID iid) {
    return iid == IID_IDispatch || iid == IID_IAccessible ? static_cast<IAccessible*>(this) : nullptr;
}

int StatusBarAccessible::elementOf(const VARIANT& child) const {
    if (child.vt != VT_I4) return kInvalid;
    if (child.lVal == CHILDID_SELF) return kSelf;
    return child.lVal >= 1 && child.lVal <= kStatusBarPartCount ? kStatusElement + child.lVal - 1 : kInvalid;
}

HRESULT StatusBarAccessible::get_accParent(IDispatch** parent) {
    if (!parent) return E_POINTER;
    *parent = nullptr;
    CALDERWYNFELL_REQUIRE_PARENT();
    return parent_->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(parent));
}

HRESULT StatusBarAccessible::get_accChildCount(long* count) {
    CALDERWYNFELL_REQUIRE_PARENT();
    if (!count) return E_POINTER;
    *count = kStatusBarPartCount;
    return S_OK;
}

HRESULT StatusBarAccessible::get_accChild(VARIANT child, IDispatch** dispatch) {
    CALDERWYNFELL_REQUIRE_PARENT();
    if (!dispatch) return E_POINTER;
    *dispatch = nullptr;
    return elementOf(child) >= 0 ? S_FALSE : E_INVALIDARG;  // the parts are simple elements
}

// The bar itself has no text of its own: a screen reader reads its parts.
HRESULT StatusBarAccessible::get_accName(VARIANT child, BSTR* name) {
    CALDERWYNFELL_REQUIRE_PARENT();
    const int element = elementOf(child);
    if (element == kInvalid) return E_INVALIDARG;
    if (element == kSelf) return noText(name);
    return guarded([&] { return giveText(window().paintedElement(element).name, name); });
}

HRESULT StatusBarAccessible::get_accValue(VARIANT child, BSTR* value) {
    CALDERWYNFELL_REQUIRE_PARENT();
    return elementOf(child) == kInvalid ? E_INVALIDARG : noText(value);
}

HRESULT StatusBarAccessible::get_accDescription(VARIANT child, BSTR* description) {
    CALDERWYNFELL_REQUIRE_PARENT();
    return elementOf(child) == kInvalid ? E_INVALIDARG : noText(description);
}

HRESULT StatusBarAccessible::get_accRole(VARIANT child, VARIANT* role) {
    CALDERWYNFELL_REQUIRE_PARENT();
    const int element = elementOf(child);
    if (element == kInvalid) return E_INVALIDARG;
    if (element == kSelf) return giveInteger(ROLE_SYSTEM_STATUSBAR, role);
    return guarded([&] { return giveInteger(window().paintedElement(element).role, role); });
}

HRESULT StatusBarAccessible::get_accState(VARIANT child, VARIANT* state) {
    CALDERWYNFELL_REQUIRE_PARENT();
    if (elementOf(child) == kInvalid) return E_INVALIDARG;
    const long hidden = IsIconic(window().hwnd) ? STATE_SYSTEM_INVISIBLE : 0;
    return giveInteger(STATE_SYSTEM_READONLY | hidden, state);
}

HRESULT StatusBarAccessible::get_accHelp(VARIANT child, BSTR* help) {
    CALDERWYNFELL_REQUIRE_PARENT();
    return elementOf(child) == kInvalid ? E_INVALIDARG : noText(help);
}

HRESULT StatusBarAccessible::get_accHelpTopic(BSTR* file, VARIANT child, long* topic) {
    CALDERWYNFELL_REQUIRE_PARENT();
    if (elementOf(child) == kInvalid) return E_INVALIDARG;
    if (topic) *topic = -1;
    noText(file);
    return DISP_E_MEMBERNOTFOUND;
}

HRESULT StatusBarAccessible::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) {
    CALDERWYNFELL_REQUIRE_PARENT();
    return elementOf(child) == kInvalid ? E_INVALIDARG : noText(shortcut);
}

HRESULT StatusBarAccessible::get_accFocus(VARIANT* focus) {
    CALDERWYNFELL_REQUIRE_PARENT();
    return giveNothing(focus);  // nothing here takes the keyboard focus
}

HRESULT StatusBarAccessible::get_accSelection(VARIANT* selection) {
    CALDERWYNFELL_REQUIRE_PARENT();
    return giveNothing(selection);
}

HRESULT StatusBarAccessible::get_accDefaultAction(VARIANT child, BSTR* action) {
    CALDERWYNFELL_REQUIRE_PARENT();
    if (elementOf(child) == kInvalid) return E_INVALIDARG;
    noText(action);
    return DISP_E_MEMBERNOTFOUND;
}

HRESULT StatusBarAccessible::accSelect(long, VARIANT child) {
    CALDERWYNFELL_REQUIRE_PARENT();
    return elementOf(child) == kInvalid ? E_INVALIDARG : S_FALSE;  // painted text cannot be selected
}

HRESULT StatusBarAccessible::accLocation(long* left, long* top, long* width, long* height, VARIANT child) {
    CALDERWYNFELL_REQUIRE_PARENT();
    const int element = elementOf(child);
    if (element == kInvalid) return E_INVALIDARG;
    return guarded([&] {
        const RECT rect = element == kSelf ? window().statusBarRect() : window().paintedElementRect(element);
        return giveLocation(window().hwnd, rect, left, top, width, height);
    });
}

HRESULT StatusBarAccessible::accNavigate(long direction, VARIANT start, VARIANT* end) {
    CALDERWYNFELL_REQUIRE_PARENT();
    const int element = elementOf(start);
    if (element == kInvalid || direction <= NAVDIR_MIN || direction >= NAVDIR_MAX) return E_INVALIDARG;
    if (element == kSelf) {
        if (direction == NAVDIR_FIRSTCHILD) return giveInteger(1, end);
        if (direction == NAVDIR_LASTCHILD) return giveInteger(kStatusBarPartCount, end);
        WindowChild self;
        self.kind = WindowChild::Kind::StatusBar;
        return parent_->navigateFrom(self, direction, end);
    }
    if (direction == NAVDIR_FIRSTCHILD || direction == NAVDIR_LASTCHILD) return E_INVALIDARG;
    return guarded([&] {
        const int reached =
            window().navigateStatusParts(element, static_cast<accessible::Direction>(direction));
        return reached < 0 ? giveNothing(end) : giveInteger(partId(reached), end);
    });
}

HRESULT StatusBarAccessible::accHitTest(long x, long y, VARIANT* child) {
    CALDERWYNFELL_REQUIRE_PARENT();
    if (!child) return E_POINTER;
    return guarded([&] {
        POINT point{x, y};
        ScreenToClient(window().hwnd, &point);
        const RECT bar = window().statusBarRect();
        if (!PtInRect(&bar, point)) return giveNothing(child);
        for (int element = kStatusElement; element < kPaintedElementCount; ++element) {
            const RECT part = window().paintedElementRect(element);
            if (PtInRect(&part, point)) return giveInteger(partId(element), child);
        }
        return giveInteger(CHILDID_SELF, child);
    });
}

HRESULT StatusBarAccessible::accDoDefaultAction(VARIANT child) {
    CALDERWYNFELL_REQUIRE_PARENT();
    return elementOf(child) == kInvalid ? E_INVALIDARG : DISP_E_MEMBERNOTFOUND;
}

}  // namespace calderwynfell
