#include "ui/accessibility/control_accessible.h"

#include "ui/accessibility/accessibility_api.h"

// Every method but the two this object exists for asks the control's own object.
#define CALDERWYNFELL_FORWARD(call)                       \
    if (!parent_->connected()) return RPC_E_DISCONNECTED; \
    return standard_->call

namespace calderwynfell {

namespace {

bool isSelf(const VARIANT& child) {
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

bool isSiblingDirection(long direction) {
    return direction >= NAVDIR_UP && direction <= NAVDIR_PREVIOUS;
}

}  // namespace

ComRef<ControlAccessible> ControlAccessible::create(ComRef<WindowAccessible> parent, HWND control) {
    ComRef<IAccessible> standard;
    if (FAILED(accessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_WINDOW), IID_IAccessible,
                                          reinterpret_cast<void**>(standard.put()))) ||
        !standard)
        return {};
    return ComRef<ControlAccessible>::adopt(
        new ControlAccessible(std::move(parent), std::move(standard), control));
}

void* ControlAccessible::interfaceFor(REFIID iid) {
    if (iid == IID_IDispatch || iid == IID_IAccessible) return static_cast<IAccessible*>(this);
    if (iid == IID_IOleWindow) return static_cast<IOleWindow*>(&windowHandle_);
    return nullptr;
}

HRESULT ControlAccessible::get_accParent(IDispatch** parent) {
    if (!parent) return E_POINTER;
    *parent = nullptr;
    if (!parent_->connected()) return RPC_E_DISCONNECTED;
    return parent_->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(parent));
}

// From the control itself, a sibling is one of the main window's children; an
// id it answers with is one of the main window's, as for any sibling.
HRESULT ControlAccessible::accNavigate(long direction, VARIANT start, VARIANT* end) {
    if (!parent_->connected()) return RPC_E_DISCONNECTED;
    if (!isSelf(start) || !isSiblingDirection(direction))
        return standard_->accNavigate(direction, start, end);
    WindowChild self;
    self.kind = WindowChild::Kind::Control;
    self.control = control_;
    return parent_->navigateFrom(self, direction, end);
}

HRESULT ControlAccessible::get_accChildCount(long* count) {
    CALDERWYNFELL_FORWARD(get_accChildCount(count));
}

HRESULT ControlAccessible::get_accChild(VARIANT child, IDispatch** dispatch) {
    CALDERWYNFELL_FORWARD(get_accChild(child, dispatch));
}

HRESULT ControlAccessible::get_accName(VARIANT child, BSTR* name) {
    CALDERWYNFELL_FORWARD(get_accName(child, name));
}

HRESULT ControlAccessible::get_accValue(VARIANT child, BSTR* value) {
    CALDERWYNFELL_FORWARD(get_accValue(child, value));
}

HRESULT ControlAccessible::get_accDescription(VARIANT child, BSTR* description) {
    CALDERWYNFELL_FORWARD(get_accDescription(child, description));
}

HRESULT ControlAccessible::get_accRole(VARIANT child, VARIANT* role) {
    CALDERWYNFELL_FORWARD(get_accRole(child, role));
}

HRESULT ControlAccessible::get_accState(VARIANT child, VARIANT* state) {
    CALDERWYNFELL_FORWARD(get_accState(child, state));
}

HRESULT ControlAccessible::get_accHelp(VARIANT child, BSTR* help) {
    CALDERWYNFELL_FORWARD(get_accHelp(child, help));
}

HRESULT ControlAccessible::get_accHelpTopic(BSTR* file, VARIANT child, long* topic) {
    CALDERWYNFELL_FORWARD(get_accHelpTopic(file, child, topic));
}

HRESULT ControlAccessible::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) {
    CALDERWYNFELL_FORWARD(get_accKeyboardShortcut(child, shortcut));
}

HRESULT ControlAccessible::get_accFocus(VARIANT* focus) {
    CALDERWYNFELL_FORWARD(get_accFocus(focus));
}

HRESULT ControlAccessible::get_accSelection(VARIANT* selection) {
    CALDERWYNFELL_FORWARD(get_accSelection(selection));
}

HRESULT ControlAccessible::get_accDefaultAction(VARIANT child, BSTR* action) {
    CALDERWYNFELL_FORWARD(get_accDefaultAction(child, action));
}

HRESULT ControlAccessible::accSelect(long flags, VARIANT child) {
    CALDERWYNFELL_FORWARD(accSelect(flags, child));
}

HRESULT ControlAccessible::accLocation(long* left, long* top, long* width, long* height, VARIANT child) {
    CALDERWYNFELL_FORWARD(accLocation(left, top, width, height, child));
}

HRESULT ControlAccessible::accHitTest(long x, long y, VARIANT* child) {
    CALDERWYNFELL_FORWARD(accHitTest(x, y, child));
}

HRESULT ControlAccessible::accDoDefaultAction(VARIANT child) {
    CALDERWYNFELL_FORWARD(accDoDefaultAction(child));
}

HRESULT ControlAccessible::WindowHandle::GetWindow(HWND* window) {
    if (!window) return E_POINTER;
    *window = owner_.control_;
    return S_OK;
}

}  // namespace calderwynfell
