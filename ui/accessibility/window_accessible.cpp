#include "ui/accessibility/window_accessible.h"

#include <algorithm>
#include <vector>

#include "ui/accessibility/accessibility_api.h"
#include "ui/accessibility/accessible_values.h"
#include "ui/accessibility/child_enumerator.h"
#include "ui/accessibility/control_accessible.h"
#include "ui/accessibility/status_bar_accessible.h"
#include "ui/main_window.h"

namespace calderwynfell {

namespace {

using accessible::Direction;
using accessible::giveInteger;
using accessible::giveNothing;
using accessible::giveText;
using accessible::guarded;
using accessible::noText;

// The child of `window` that holds `focus`, which may be a grandchild.
HWND directChild(HWND window, HWND focus) {
    while (focus && GetParent(focus) != window) focus = GetParent(focus);
    return focus;
}

bool isSelf(const VARIANT& child) {
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

bool validDirection(long direction) {
    return direction > NAVDIR_MIN && direction < NAVDIR_MAX;
}

bool sameChild(const WindowChild& a, const WindowChild& b) {
    return a.kind == b.kind && a.control == b.control && a.element == b.element;
}

WindowChild controlChild(HWND control) {
    WindowChild child;
    child.kind = WindowChild::Kind::Control;
    child.control = control;
    return child;
}

}  // namespace

WindowAccessible::WindowAccessible(MainWindow& window, ComRef<IAccessible> standard)
    : window_(&window), standard_(std::move(standard)) {
    window.windowAccessibles.push_back(this);
}

WindowAccessible::~WindowAccessible() {
    if (window_) std::erase(window_->windowAccessibles, this);
}

ComRef<WindowAccessible> WindowAccessible::create(MainWindow& window) {
    ComRef<IAccessible> standard;
    if (FAILED(createStdAccessibleObject(window.hwnd, static_cast<LONG>(OBJID_CLIENT), IID_IAccessible,
                                         reinterpret_cast<void**>(standard.put()))) ||
        !standard)
        return {};
    return ComRef<WindowAccessible>::adopt(new WindowAccessible(window, std::move(standard)));
}

void WindowAccessible::disconnect() noexcept {
    window_ = nullptr;
    standard_.reset();
    CoDisconnectObject(static_cast<IAccessible*>(this), 0);
}

HRESULT WindowAccessible::QueryInterface(REFIID iid, void** out) {
    if (!out || iid != IID_IEnumVARIANT) return AccessibleObject::QueryInterface(iid, out);
    *out = nullptr;
    if (!window_) return E_NOINTERFACE;
    return guarded([&] {
        *out = static_cast<IEnumVARIANT*>(
            ChildEnumerator::create(ComRef<WindowAccessible>::retain(this)).release());
        return S_OK;
    });
}

void* WindowAccessible::interfaceFor(REFIID iid) {
    if (iid == IID_IDispatch || iid == IID_IAccessible) return static_cast<IAccessible*>(this);
    if (iid == IID_IOleWindow) return static_cast<IOleWindow*>(&windowHandle_);
    return nullptr;
}

int WindowAccessible::elementOf(const VARIANT& child) const {
    if (child.vt != VT_I4) return -1;
    const long element = child.lVal - window_->paintedChildId(0);
    return element >= 0 && element < kPaintedElementCount ? static_cast<int>(element) : -1;
}

HRESULT WindowAccessible::giveChild(const WindowChild& child, VARIANT* out) {
    if (!out) return E_POINTER;
    VariantInit(out);
    if (child.kind == WindowChild::Kind::Painted)
        return giveInteger(window_->paintedChildId(child.element), out);
    IDispatch* object = nullptr;
    if (child.kind == WindowChild::Kind::StatusBar) {
        object = StatusBarAccessible::create(ComRef<WindowAccessible>::retain(this)).release();
    } else if (auto control =
                   ControlAccessible::create(ComRef<WindowAccessible>::retain(this), child.control)) {
        object = control.release();
    }
    if (!object) return E_FAIL;
    out->vt = VT_DISPATCH;
    out->pdispVal = object;
    return S_OK;
}

HRESULT WindowAccessible::navigateFrom(const WindowChild& child, long direction, VARIANT* end) {
    if (!window_) return RPC_E_DISCONNECTED;
    if (!end) return E_POINTER;
    if (!validDirection(direction)) return E_INVALIDARG;
    return guarded([&] {
        const std::vector<WindowChild> children = window_->windowChildren();
        const auto found = std::find_if(children.begin(), children.end(), [&](const WindowChild& candidate) {
            return sameChild(candidate, child);
        });
        if (found == children.end()) return giveNothing(end);
        return navigateFromPosition(children, static_cast<int>(found - children.begin()),
                                    static_cast<Direction>(direction), end);
    });
}

HRESULT WindowAccessible::navigateFromPosition(const std::vector<WindowChild>& children, int position,
                                               Direction direction, VARIANT* end) {
    std::vector<accessible::ChildBox> boxes;
    boxes.reserve(children.size());
    for (const WindowChild& child : children) boxes.push_back(window_->windowChildBox(child));
    const int reached = accessible::navigateChildren(boxes, position, direction);
    if (reached < 0) return giveNothing(end);
    return giveChild(children[static_cast<std::size_t>(reached)], end);
}

// The status line, legend and foot line keep ids of this object, which the
// events about them name; between them they move as the status bar's parts do.
HRESULT WindowAccessible::navigateStatusPart(int element, Direction direction, VARIANT* end) {
    const int reached = window_->navigateStatusParts(element, direction);
    return reached < 0 ? giveNothing(end) : giveInteger(window_->paintedChildId(reached), end);
}

HRESULT WindowAccessible::get_accParent(IDispatch** parent) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    return standard_->get_accParent(parent);
}

HRESULT WindowAccessible::get_accChildCount(long* count) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    if (!count) return E_POINTER;
    return guarded([&] {
        *count = static_cast<long>(window_->windowChildren().size());
        return S_OK;
    });
}

HRESULT WindowAccessible::get_accChild(VARIANT child, IDispatch** dispatch) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    if (isSelf(child)) return standard_->get_accChild(child, dispatch);
    if (!dispatch) return E_POINTER;
    *dispatch = nullptr;
    return elementOf(child) < 0 ? E_INVALIDARG : S_FALSE;  // painted elements are simple elements
}

HRESULT WindowAccessible::get_accName(VARIANT child, BSTR* name) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    if (isSelf(child)) return standard_->get_accName(child, name);
    const int element = elementOf(child);
    if (element < 0) return E_INVALIDARG;
    return guarded([&] { return giveText(window_->paintedElement(element).name, name); });
}

HRESULT WindowAccessible::get_accValue(VARIANT child, BSTR* value) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    if (isSelf(child)) return standard_->get_accValue(child, value);
    const int element = elementOf(child);
    if (element < 0) return E_INVALIDARG;
    return guarded([&] {
        const std::wstring text = window_->paintedElement(element).value;
        return text.empty() ? noText(value) : giveText(text, value);
    });
}

HRESULT WindowAccessible::get_accDescription(VARIANT child, BSTR* description) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    if (isSelf(child)) return standard_->get_accDescription(child, description);
    return elementOf(child) < 0 ? E_INVALIDARG : noText(description);
}

HRESULT WindowAccessible::get_accRole(VARIANT child, VARIANT* role) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    if (isSelf(child)) return standard_->get_accRole(child, role);
    const int element = elementOf(child);
    if (element < 0) return E_INVALIDARG;
    return guarded([&] { return giveInteger(window_->paintedElement(element).role, role); });
}

HRESULT WindowAccessible::get_accState(VARIANT child, VARIANT* state) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    if (isSelf(child)) return standard_->get_accState(child, state);
    if (elementOf(child) < 0) return E_INVALIDARG;
    const long hidden = IsIconic(window_->hwnd) ? STATE_SYSTEM_INVISIBLE : 0;
    return giveInteger(STATE_SYSTEM_READONLY | hidden, state);
}

HRESULT WindowAccessible::get_accHelp(VARIANT child, BSTR* help) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    if (isSelf(child)) return standard_->get_accHelp(child, help);
    return elementOf(child) < 0 ? E_INVALIDARG : noText(help);
}

HRESULT WindowAccessible::get_accHelpTopic(BSTR* file, VARIANT child, long* topic) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    if (isSelf(child)) return standard_->get_accHelpTopic(file, child, topic);
    if (elementOf(child) < 0) return E_INVALIDARG;
    if (topic) *topic = -1;
    noText(file);
    return DISP_E_MEMBERNOTFOUND;
}

HRESULT WindowAccessible::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    if (isSelf(child)) return standard_->get_accKeyboardShortcut(child, shortcut);
    return elementOf(child) < 0 ? E_INVALIDARG : noText(shortcut);
}

// The focused control's object, the window itself, or nothing.
HRESULT WindowAccessible::get_accFocus(VARIANT* focus) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    if (!focus) return E_POINTER;
    const HWND window = window_->hwnd;
    const HWND focused = GetFocus();
    if (focused == window) return giveInteger(CHILDID_SELF, focus);
    if (!focused || !IsChild(window, focused)) return giveNothing(focus);
    return guarded([&] {
        const HRESULT given = giveChild(controlChild(directChild(window, focused)), focus);
        return SUCCEEDED(given) ? given : giveNothing(focus);
    });
}

HRESULT WindowAccessible::get_accSelection(VARIANT* selection) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    return standard_->get_accSelection(selection);
}

HRESULT WindowAccessible::get_accDefaultAction(VARIANT child, BSTR* action) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    if (isSelf(child)) return standard_->get_accDefaultAction(child, action);
    if (elementOf(child) < 0) return E_INVALIDARG;
    noText(action);
    return DISP_E_MEMBERNOTFOUND;
}

HRESULT WindowAccessible::accSelect(long flags, VARIANT child) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    if (isSelf(child)) return standard_->accSelect(flags, child);
    return elementOf(child) < 0 ? E_INVALIDARG : S_FALSE;  // painted text cannot be selected or focused
}

HRESULT WindowAccessible::accLocation(long* left, long* top, long* width, long* height, VARIANT child) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    if (isSelf(child)) return standard_->accLocation(left, top, width, height, child);
    const int element = elementOf(child);
    if (element < 0) return E_INVALIDARG;
    if (!left || !top || !width || !height) return E_POINTER;
    return guarded([&] {
        RECT rect = window_->paintedElementRect(element);
        MapWindowPoints(window_->hwnd, nullptr, reinterpret_cast<POINT*>(&rect), 2);
        *left = rect.left;
        *top = rect.top;
        *width = rect.right - rect.left;
        *height = rect.bottom - rect.top;
        return S_OK;
    });
}

HRESULT WindowAccessible::accNavigate(long direction, VARIANT start, VARIANT* end) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    if (!end) return E_POINTER;
    if (!validDirection(direction)) return E_INVALIDARG;
    const auto way = static_cast<Direction>(direction);
    if (isSelf(start)) {
        if (way != Direction::FirstChild && way != Direction::LastChild)
            return standard_->accNavigate(direction, start, end);  // the window's own siblings
        return guarded([&] {
            const std::vector<WindowChild> children = window_->windowChildren();
            if (children.empty()) return giveNothing(end);
            return giveChild(way == Direction::FirstChild ? children.front() : children.back(), end);
        });
    }
    const int element = elementOf(start);
    if (element < 0) return E_INVALIDARG;
    if (way == Direction::FirstChild || way == Direction::LastChild) return E_INVALIDARG;  // simple elements
    if (element >= kStatusElement) return guarded([&] { return navigateStatusPart(element, way, end); });
    WindowChild painted;
    painted.element = element;
    return navigateFrom(painted, direction, end);
}

HRESULT WindowAccessible::accHitTest(long x, long y, VARIANT* child) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    const HRESULT hit = standard_->accHitTest(x, y, child);
    if (FAILED(hit) || !child) return hit;
    return guarded([&] {
        POINT point{x, y};
        ScreenToClient(window_->hwnd, &point);
        // A control: handed out as this object's child, so that walking on from it stays here.
        if (child->vt == VT_DISPATCH) {
            const HWND control = ChildWindowFromPointEx(window_->hwnd, point, CWP_SKIPINVISIBLE);
            if (!control || control == window_->hwnd) return hit;
            VariantClear(child);
            return giveChild(controlChild(control), child);
        }
        // The standard object names the window itself where the window paints.
        if (!isSelf(*child)) return hit;
        const RECT bar = window_->statusBarRect();
        if (PtInRect(&bar, point)) {
            WindowChild statusBar;
            statusBar.kind = WindowChild::Kind::StatusBar;
            return giveChild(statusBar, child);
        }
        for (int element = kStatusElement - 1; element >= 0; --element) {
            const RECT rect = window_->paintedElementRect(element);
            if (PtInRect(&rect, point)) return giveInteger(window_->paintedChildId(element), child);
        }
        return hit;
    });
}

HRESULT WindowAccessible::accDoDefaultAction(VARIANT child) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    if (isSelf(child)) return standard_->accDoDefaultAction(child);
    return elementOf(child) < 0 ? E_INVALIDARG : DISP_E_MEMBERNOTFOUND;
}

HRESULT WindowAccessible::WindowHandle::GetWindow(HWND* window) {
    if (!owner_.window_) return RPC_E_DISCONNECTED;
    if (!window) return E_POINTER;
    *window = owner_.window_->hwnd;
    return S_OK;
}

HRESULT WindowAccessible::WindowHandle::ContextSensitiveHelp(BOOL) {
    return E_NOTIMPL;
}

}  // namespace calderwynfell
