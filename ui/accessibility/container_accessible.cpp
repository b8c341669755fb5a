// The only file that defines the accessibility GUIDs: with -static, liboleacc.a
// can resolve IID_IAccessible to an import thunk, and every query then fails.
#include <initguid.h>
#include <oleacc.h>

#include "ui/accessibility/container_accessible.h"

#include <algorithm>
#include <vector>

#include "ui/accessibility/accessibility_api.h"
#include "ui/accessibility/accessible_values.h"
#include "ui/accessibility/child_enumerator.h"
#include "ui/accessibility/child_navigation.h"
#include "ui/accessibility/control_accessible.h"

namespace calderwynfell::accessible {

namespace {

constexpr long kNone = -1;
constexpr long kInvalid = -2;

HRESULT giveTextOrNothing(const std::wstring& text, BSTR* out) {
    return text.empty() ? noText(out) : giveText(text, out);
}

template <typename Object>
HRESULT giveDispatch(ComRef<Object> object, VARIANT* out) {
    if (!object) return E_FAIL;
    out->vt = VT_DISPATCH;
    out->pdispVal = static_cast<IAccessible*>(object.release());
    return S_OK;
}

}  // namespace

HRESULT giveChild(const std::shared_ptr<ElementSource>& source, Container container, long id, VARIANT* out) {
    if (!out) return E_POINTER;
    VariantInit(out);
    const Child child = source->child(container, id);
    switch (child.kind) {
        case ChildKind::Control: return giveDispatch(ControlAccessible::create(source, child.control), out);
        case ChildKind::StatusBar:
            return giveDispatch(ContainerAccessible::create(source, Container::StatusBar), out);
        default: return giveInteger(id, out);
    }
}

long navigate(const ElementSource& source, Container container, long from, long direction) {
    const long count = source.childCount(container);
    std::vector<ChildBox> boxes;
    boxes.reserve(static_cast<std::size_t>(count));
    for (long id = 1; id <= count; ++id) {
        const Box box = source.box(container, id);
        boxes.push_back({box.rect.left, box.rect.top, box.rect.right, box.rect.bottom, box.shown});
    }
    // The matrix is a grid: its cells move within their row and column only.
    const int reached = navigateChildren(boxes, static_cast<int>(from - 1), static_cast<Direction>(direction),
                                         container == Container::Matrix);
    return reached < 0 ? kNone : reached + 1;
}

HRESULT navigateSiblings(const std::shared_ptr<ElementSource>& source, Child self, long direction,
                         VARIANT* end) {
    if (!end) return E_POINTER;
    VariantInit(end);
    return guarded([&] {
        const long count = source->childCount(Container::Window);
        for (long id = 1; id <= count; ++id) {
            const Child child = source->child(Container::Window, id);
            if (child.kind != self.kind || child.control != self.control) continue;
            const long reached = navigate(*source, Container::Window, id, direction);
            return reached == kNone ? giveNothing(end) : giveChild(source, Container::Window, reached, end);
        }
        return giveNothing(end);
    });
}

ComRef<ContainerAccessible> ContainerAccessible::create(std::shared_ptr<ElementSource> source,
                                                        Container container) {
    return ComRef<ContainerAccessible>::adopt(new ContainerAccessible(std::move(source), container));
}

void* ContainerAccessible::interfaceFor(REFIID iid) {
    if (iid == IID_IDispatch || iid == IID_IAccessible) return static_cast<IAccessible*>(this);
    if (iid == IID_IEnumVARIANT) return static_cast<IEnumVARIANT*>(&children_);
    if (iid == IID_IOleWindow) return static_cast<IOleWindow*>(&windowHandle_);
    return nullptr;
}

// CHILDID_SELF, one of the children's ids, or kInvalid.
long ContainerAccessible::childOf(const VARIANT& child) const {
    if (child.vt != VT_I4) return kInvalid;
    if (child.lVal == CHILDID_SELF) return CHILDID_SELF;
    return child.lVal >= 1 && child.lVal <= source_->childCount(container_) ? child.lVal : kInvalid;
}

// The container itself or a simple child; a control or the status bar answers for itself.
long ContainerAccessible::elementOf(const VARIANT& child) const {
    const long id = childOf(child);
    if (id == kInvalid || id == CHILDID_SELF) return id;
    return source_->child(container_, id).kind == ChildKind::Simple ? id : kInvalid;
}

template <typename Give>
HRESULT ContainerAccessible::answer(const VARIANT& child, Give give) const {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    return guarded([&] {
        const long id = elementOf(child);
        return id == kInvalid ? E_INVALIDARG : give(source_->element(container_, id));
    });
}

// What no element here has: help, a help topic, a keyboard shortcut.
HRESULT ContainerAccessible::nothingFor(const VARIANT& child, BSTR* text, HRESULT result) const {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    noText(text);
    return elementOf(child) == kInvalid ? E_INVALIDARG : result;
}

// A child, the container itself, or nothing.
HRESULT ContainerAccessible::giveResult(long id, VARIANT* out) {
    if (!out) return E_POINTER;
    if (id == CHILDID_SELF) return giveInteger(CHILDID_SELF, out);
    if (id < 1 || id > source_->childCount(container_)) return giveNothing(out);
    return giveChild(source_, container_, id, out);
}

HRESULT ContainerAccessible::get_accParent(IDispatch** parent) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    if (!parent) return E_POINTER;
    *parent = nullptr;
    // The status bar is a child of the client area; the others are their window's client.
    if (container_ == Container::StatusBar)
        return guarded([&] {
            return create(source_, Container::Window)
                ->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(parent));
        });
    return createStdAccessibleObject(source_->windowOf(container_), OBJID_WINDOW, IID_IDispatch,
                                     reinterpret_cast<void**>(parent));
}

HRESULT ContainerAccessible::get_accChildCount(long* count) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    if (!count) return E_POINTER;
    *count = source_->childCount(container_);
    return S_OK;
}

HRESULT ContainerAccessible::get_accChild(VARIANT child, IDispatch** dispatch) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    if (!dispatch) return E_POINTER;
    *dispatch = nullptr;
    const long id = childOf(child);
    if (id == kInvalid || id == CHILDID_SELF) return E_INVALIDARG;
    return guarded([&] {
        VARIANT item;
        const HRESULT given = giveChild(source_, container_, id, &item);
        if (FAILED(given) || item.vt != VT_DISPATCH)
            return FAILED(given) ? given : S_FALSE;  // a simple element
        *dispatch = item.pdispVal;
        return S_OK;
    });
}

HRESULT ContainerAccessible::get_accName(VARIANT child, BSTR* name) {
    return answer(child, [&](const Element& element) { return giveTextOrNothing(element.name, name); });
}

HRESULT ContainerAccessible::get_accValue(VARIANT child, BSTR* value) {
    return answer(child, [&](const Element& element) { return giveTextOrNothing(element.value, value); });
}

HRESULT ContainerAccessible::get_accDescription(VARIANT child, BSTR* description) {
    return answer(
        child, [&](const Element& element) { return giveTextOrNothing(element.description, description); });
}

HRESULT ContainerAccessible::get_accRole(VARIANT child, VARIANT* role) {
    return answer(child, [&](const Element& element) { return giveInteger(element.role, role); });
}

HRESULT ContainerAccessible::get_accState(VARIANT child, VARIANT* state) {
    return answer(child, [&](const Element& element) { return giveInteger(element.state, state); });
}

HRESULT ContainerAccessible::get_accDefaultAction(VARIANT child, BSTR* action) {
    return answer(child, [&](const Element& element) {
        if (!element.defaultAction.empty()) return giveText(element.defaultAction, action);
        noText(action);
        return DISP_E_MEMBERNOTFOUND;
    });
}

HRESULT ContainerAccessible::get_accHelp(VARIANT child, BSTR* help) {
    return nothingFor(child, help, S_FALSE);
}

HRESULT ContainerAccessible::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) {
    return nothingFor(child, shortcut, S_FALSE);
}

HRESULT ContainerAccessible::get_accHelpTopic(BSTR* file, VARIANT child, long* topic) {
    if (topic) *topic = -1;
    return nothingFor(child, file, DISP_E_MEMBERNOTFOUND);
}

HRESULT ContainerAccessible::get_accFocus(VARIANT* focus) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    return guarded([&] { return giveResult(source_->focus(container_), focus); });
}

HRESULT ContainerAccessible::get_accSelection(VARIANT* selection) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    return guarded([&] { return giveResult(source_->selection(container_), selection); });
}

HRESULT ContainerAccessible::accSelect(long flags, VARIANT child) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    const long id = elementOf(child);
    if (id == kInvalid || (flags & ~SELFLAG_VALID)) return E_INVALIDARG;
    return guarded([&] { return source_->select(container_, id, flags); });
}

HRESULT ContainerAccessible::accDoDefaultAction(VARIANT child) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    const long id = elementOf(child);
    if (id == kInvalid) return E_INVALIDARG;
    return guarded([&] { return source_->doDefaultAction(container_, id); });
}

HRESULT ContainerAccessible::accLocation(long* left, long* top, long* width, long* height, VARIANT child) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    if (!left || !top || !width || !height) return E_POINTER;
    const long id = childOf(child);
    if (id == kInvalid) return E_INVALIDARG;
    return guarded([&] {
        RECT rect = source_->box(container_, id).rect;
        MapWindowPoints(source_->windowOf(container_), nullptr, reinterpret_cast<POINT*>(&rect), 2);
        *left = rect.left;
        *top = rect.top;
        *width = rect.right - rect.left;
        *height = rect.bottom - rect.top;
        return S_OK;
    });
}

HRESULT ContainerAccessible::accNavigate(long direction, VARIANT start, VARIANT* end) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    if (!end) return E_POINTER;
    VariantInit(end);
    const long from = childOf(start);
    if (from == kInvalid || direction <= NAVDIR_MIN || direction >= NAVDIR_MAX) return E_INVALIDARG;
    const bool intoChildren = direction == NAVDIR_FIRSTCHILD || direction == NAVDIR_LASTCHILD;
    if (from != CHILDID_SELF)
        return intoChildren ? E_INVALIDARG  // simple elements have no children
                            : guarded([&] {
                                  return giveResult(navigate(*source_, container_, from, direction), end);
                              });
    if (intoChildren)
        return guarded([&] {
            return giveResult(direction == NAVDIR_FIRSTCHILD ? 1 : source_->childCount(container_), end);
        });
    // Among its siblings: the status bar is one of the client area's children; the
    // client area and the matrix have none of this window's.
    if (container_ == Container::StatusBar)
        return navigateSiblings(source_, {ChildKind::StatusBar}, direction, end);
    return giveNothing(end);
}

HRESULT ContainerAccessible::accHitTest(long x, long y, VARIANT* child) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    if (!child) return E_POINTER;
    POINT point{x, y};
    ScreenToClient(source_->windowOf(container_), &point);
    return guarded([&] { return giveResult(source_->hit(container_, point), child); });
}

HRESULT ContainerAccessible::next(ULONG& position, ULONG count, VARIANT* items, ULONG* fetched) {
    if (fetched) *fetched = 0;
    CALDERWYNFELL_REQUIRE_CONNECTED();
    if (!items) return E_POINTER;
    if (count > 1 && !fetched) return E_INVALIDARG;
    for (ULONG i = 0; i < count; ++i) VariantInit(&items[i]);
    ULONG given = 0;
    const HRESULT result = guarded([&] {
        const auto total = static_cast<ULONG>(source_->childCount(container_));
        for (; given < count && position + given < total; ++given) {
            const HRESULT one =
                giveChild(source_, container_, static_cast<long>(position + given + 1), &items[given]);
            if (FAILED(one)) return one;
        }
        return S_OK;
    });
    if (FAILED(result)) {
        // A failure hands out nothing and moves nothing.
        for (ULONG i = 0; i < given; ++i) VariantClear(&items[i]);
        return result;
    }
    position += given;
    if (fetched) *fetched = given;
    return given == count ? S_OK : S_FALSE;
}

HRESULT ContainerAccessible::skip(ULONG& position, ULONG count) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    const auto total = static_cast<ULONG>(source_->childCount(container_));
    const ULONG left = total - std::min(position, total);
    position += std::min(count, left);
    return count <= left ? S_OK : S_FALSE;
}

HRESULT ContainerAccessible::reset(ULONG& position) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    position = 0;
    return S_OK;
}

HRESULT ContainerAccessible::clone(ULONG position, IEnumVARIANT** copy) {
    if (!copy) return E_POINTER;
    *copy = nullptr;
    CALDERWYNFELL_REQUIRE_CONNECTED();
    return guarded([&] {
        *copy = ChildEnumerator::create(ComRef<ContainerAccessible>::retain(this), position).release();
        return S_OK;
    });
}

HRESULT ContainerAccessible::Children::Next(ULONG count, VARIANT* items, ULONG* fetched) {
    return owner_.next(owner_.position_, count, items, fetched);
}

HRESULT ContainerAccessible::Children::Skip(ULONG count) {
    return owner_.skip(owner_.position_, count);
}

HRESULT ContainerAccessible::Children::Reset() {
    return owner_.reset(owner_.position_);
}

HRESULT ContainerAccessible::Children::Clone(IEnumVARIANT** copy) {
    return owner_.clone(owner_.position_, copy);
}

HRESULT ContainerAccessible::windowHandle(HWND* window) const {
    if (!source_->connected()) return RPC_E_DISCONNECTED;
    if (!window) return E_POINTER;
    *window = source_->windowOf(container_);
    return S_OK;
}

}  // namespace calderwynfell::accessible
