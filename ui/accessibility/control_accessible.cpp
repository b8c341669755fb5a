#include "ui/accessibility/control_accessible.h"

#include "ui/accessibility/accessibility_api.h"
#include "ui/accessibility/accessible_values.h"
#include "ui/accessibility/container_accessible.h"

// Every method but the two this object exists for asks the control's own object.
#define CALDERWYNFELL_FORWARD(method, parameters, arguments) \
    HRESULT ControlAccessible::method parameters {           \
        CALDERWYNFELL_REQUIRE_CONNECTED();                   \
        return standard_->method arguments;                  \
    }

namespace calderwynfell::accessible {

ComRef<ControlAccessible> ControlAccessible::create(std::shared_ptr<ElementSource> source, HWND control) {
    ComRef<IAccessible> standard;
    if (FAILED(accessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_WINDOW), IID_IAccessible,
                                          reinterpret_cast<void**>(standard.put()))) ||
        !standard)
        return {};
    return ComRef<ControlAccessible>::adopt(
        new ControlAccessible(std::move(source), std::move(standard), control));
}

void* ControlAccessible::interfaceFor(REFIID iid) {
    if (iid == IID_IDispatch || iid == IID_IAccessible) return static_cast<IAccessible*>(this);
    if (iid == IID_IOleWindow) return static_cast<IOleWindow*>(&windowHandle_);
    return nullptr;
}

HRESULT ControlAccessible::get_accParent(IDispatch** parent) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    if (!parent) return E_POINTER;
    *parent = nullptr;
    return guarded([&] {
        return ContainerAccessible::create(source_, Container::Window)
            ->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(parent));
    });
}

// From the control itself, a sibling is one of the client area's children; an id
// it answers with is one of the client area's, as for any sibling.
HRESULT ControlAccessible::accNavigate(long direction, VARIANT start, VARIANT* end) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    const bool self = start.vt == VT_I4 && start.lVal == CHILDID_SELF;
    if (!self || direction < NAVDIR_UP || direction > NAVDIR_PREVIOUS)
        return standard_->accNavigate(direction, start, end);
    return navigateSiblings(source_, {ChildKind::Control, control_}, direction, end);
}

CALDERWYNFELL_FORWARD(get_accChildCount, (long* count), (count))
CALDERWYNFELL_FORWARD(get_accChild, (VARIANT child, IDispatch** dispatch), (child, dispatch))
CALDERWYNFELL_FORWARD(get_accName, (VARIANT child, BSTR* name), (child, name))
CALDERWYNFELL_FORWARD(get_accValue, (VARIANT child, BSTR* value), (child, value))
CALDERWYNFELL_FORWARD(get_accDescription, (VARIANT child, BSTR* description), (child, description))
CALDERWYNFELL_FORWARD(get_accRole, (VARIANT child, VARIANT* role), (child, role))
CALDERWYNFELL_FORWARD(get_accState, (VARIANT child, VARIANT* state), (child, state))
CALDERWYNFELL_FORWARD(get_accHelp, (VARIANT child, BSTR* help), (child, help))
CALDERWYNFELL_FORWARD(get_accHelpTopic, (BSTR * file, VARIANT child, long* topic), (file, child, topic))
CALDERWYNFELL_FORWARD(get_accKeyboardShortcut, (VARIANT child, BSTR* shortcut), (child, shortcut))
CALDERWYNFELL_FORWARD(get_accFocus, (VARIANT * focus), (focus))
CALDERWYNFELL_FORWARD(get_accSelection, (VARIANT * selection), (selection))
CALDERWYNFELL_FORWARD(get_accDefaultAction, (VARIANT child, BSTR* action), (child, action))
CALDERWYNFELL_FORWARD(accSelect, (long flags, VARIANT child), (flags, child))
CALDERWYNFELL_FORWARD(accLocation, (long* left, long* top, long* width, long* height, VARIANT child),
                      (left, top, width, height, child))
CALDERWYNFELL_FORWARD(accHitTest, (long x, long y, VARIANT* child), (x, y, child))
CALDERWYNFELL_FORWARD(accDoDefaultAction, (VARIANT child), (child))

#undef CALDERWYNFELL_FORWARD

HRESULT ControlAccessible::windowHandle(HWND* window) const {
    if (!window) return E_POINTER;
    *window = control_;
    return S_OK;
}

}  // namespace calderwynfell::accessible
