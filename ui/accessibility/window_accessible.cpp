#include "ui/accessibility/window_accessible.h"

#include <algorithm>
#include <vector>

#include "ui/accessibility/accessibility_api.h"
#include "ui/accessibility/accessible_values.h"
#include "ui/main_window.h"

namespace calderwynfell {

namespace {

using accessible::giveInteger;
using accessible::giveNothing;
using accessible::giveText;
using accessible::guarded;
using accessible::noText;

// VARIANTs handed out by an enumeration; whatever is not handed on is cleared.
class VariantList {
   public:
    VariantList() = default;
    VariantList(const VariantList&) = delete;
    VariantList& operator=(const VariantList&) = delete;
    ~VariantList() {
        for (VARIANT& item : items_) VariantClear(&item);
    }
    void add(const VARIANT& item) { items_.push_back(item); }
    std::size_t size() const { return items_.size(); }
    // Moves item i to the caller, who now owns what it holds.
    VARIANT take(std::size_t i) {
        VARIANT item = items_[i];
        VariantInit(&items_[i]);
        return item;
    }

   private:
    std::vector<VARIANT> items_;
};

// The window objects of the child controls, as the standard object's enumeration gives them.
void addStandardChildren(IAccessible& standard, HWND window, VariantList& list) {
    ComRef<IEnumVARIANT> children;
    if (SUCCEEDED(standard.QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(children.put())))) {
        children->Reset();
        VARIANT item;
        VariantInit(&item);
        ULONG fetched = 0;
        while (children->Next(1, &item, &fetched) == S_OK && fetched == 1) {
            list.add(item);
            VariantInit(&item);
        }
        return;
    }
    // Without an enumeration, the same objects straight from the windows.
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        VARIANT item;
        VariantInit(&item);
        if (FAILED(accessibleObjectFromWindow(child, static_cast<DWORD>(OBJID_WINDOW), IID_IDispatch,
                                              reinterpret_cast<void**>(&item.pdispVal))))
            continue;
        item.vt = VT_DISPATCH;
        list.add(item);
    }
}

// The child of `window` that holds `focus`, which may be a grandchild.
HWND directChild(HWND window, HWND focus) {
    while (focus && GetParent(focus) != window) focus = GetParent(focus);
    return focus;
}

bool isSelf(const VARIANT& child) {
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

}  // namespace

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

void* WindowAccessible::interfaceFor(REFIID iid) {
    if (iid == IID_IDispatch || iid == IID_IAccessible) return static_cast<IAccessible*>(this);
    if (iid == IID_IEnumVARIANT) return static_cast<IEnumVARIANT*>(&enumeration_);
    if (iid == IID_IOleWindow) return static_cast<IOleWindow*>(&windowHandle_);
    return nullptr;
}

int WindowAccessible::elementOf(const VARIANT& child) const {
    if (child.vt != VT_I4) return -1;
    const long element = child.lVal - window_->paintedChildId(0);
    return element >= 0 && element < kPaintedElementCount ? static_cast<int>(element) : -1;
}

long WindowAccessible::standardChildCount() const {
    long count = 0;
    return SUCCEEDED(standard_->get_accChildCount(&count)) ? count : 0;
}

HRESULT WindowAccessible::get_accParent(IDispatch** parent) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    return standard_->get_accParent(parent);
}

HRESULT WindowAccessible::get_accChildCount(long* count) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    if (!count) return E_POINTER;
    *count = standardChildCount() + kPaintedElementCount;
    return S_OK;
}

HRESULT WindowAccessible::get_accChild(VARIANT child, IDispatch** dispatch) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    if (elementOf(child) < 0) return standard_->get_accChild(child, dispatch);
    if (!dispatch) return E_POINTER;
    *dispatch = nullptr;
    return S_FALSE;  // painted elements are simple elements
}

HRESULT WindowAccessible::get_accName(VARIANT child, BSTR* name) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    const int element = elementOf(child);
    if (element < 0) return standard_->get_accName(child, name);
    return guarded([&] { return giveText(window_->paintedElement(element).name, name); });
}

HRESULT WindowAccessible::get_accValue(VARIANT child, BSTR* value) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    const int element = elementOf(child);
    if (element < 0) return standard_->get_accValue(child, value);
    return guarded([&] {
        const std::wstring text = window_->paintedElement(element).value;
        return text.empty() ? noText(value) : giveText(text, value);
    });
}

HRESULT WindowAccessible::get_accDescription(VARIANT child, BSTR* description) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    if (elementOf(child) < 0) return standard_->get_accDescription(child, description);
    return noText(description);
}

HRESULT WindowAccessible::get_accRole(VARIANT child, VARIANT* role) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    const int element = elementOf(child);
    if (element < 0) return standard_->get_accRole(child, role);
    return guarded([&] { return giveInteger(window_->paintedElement(element).role, role); });
}

HRESULT WindowAccessible::get_accState(VARIANT child, VARIANT* state) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    if (elementOf(child) < 0) return standard_->get_accState(child, state);
    const long hidden = IsIconic(window_->hwnd) ? STATE_SYSTEM_INVISIBLE : 0;
    return giveInteger(STATE_SYSTEM_READONLY | hidden, state);
}

HRESULT WindowAccessible::get_accHelp(VARIANT child, BSTR* help) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    if (elementOf(child) < 0) return standard_->get_accHelp(child, help);
    return noText(help);
}

HRESULT WindowAccessible::get_accHelpTopic(BSTR* file, VARIANT child, long* topic) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    if (elementOf(child) < 0) return standard_->get_accHelpTopic(file, child, topic);
    if (topic) *topic = -1;
    noText(file);
    return DISP_E_MEMBERNOTFOUND;
}

HRESULT WindowAccessible::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    if (elementOf(child) < 0) return standard_->get_accKeyboardShortcut(child, shortcut);
    return noText(shortcut);
}

// The focused control's window object, the window itself, or nothing.
HRESULT WindowAccessible::get_accFocus(VARIANT* focus) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    if (!focus) return E_POINTER;
    const HWND window = window_->hwnd;
    const HWND focused = GetFocus();
    if (focused == window) return giveInteger(CHILDID_SELF, focus);
    if (!focused || !IsChild(window, focused)) return giveNothing(focus);
    VariantInit(focus);
    const HRESULT found =
        accessibleObjectFromWindow(directChild(window, focused), static_cast<DWORD>(OBJID_WINDOW),
                                   IID_IDispatch, reinterpret_cast<void**>(&focus->pdispVal));
    if (FAILED(found)) return giveNothing(focus);
    focus->vt = VT_DISPATCH;
    return S_OK;
}

HRESULT WindowAccessible::get_accSelection(VARIANT* selection) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    return standard_->get_accSelection(selection);
}

HRESULT WindowAccessible::get_accDefaultAction(VARIANT child, BSTR* action) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    if (elementOf(child) < 0) return standard_->get_accDefaultAction(child, action);
    noText(action);
    return DISP_E_MEMBERNOTFOUND;
}

HRESULT WindowAccessible::accSelect(long flags, VARIANT child) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    if (elementOf(child) < 0) return standard_->accSelect(flags, child);
    return S_FALSE;  // painted text cannot be selected or focused
}

HRESULT WindowAccessible::accLocation(long* left, long* top, long* width, long* height, VARIANT child) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    const int element = elementOf(child);
    if (element < 0) return standard_->accLocation(left, top, width, height, child);
    if (!left || !top || !width || !height) return E_POINTER;
    return guarded([&] {
        RECT rect = window_->paintedElement(element).rect;
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
    const int element = elementOf(start);
    if (isSelf(start) && direction == NAVDIR_LASTCHILD)
        return giveInteger(window_->paintedChildId(kPaintedElementCount - 1), end);
    if (element < 0) return standard_->accNavigate(direction, start, end);
    int next = -1;
    if (direction == NAVDIR_NEXT || direction == NAVDIR_DOWN) next = element + 1;
    if (direction == NAVDIR_PREVIOUS || direction == NAVDIR_UP) next = element - 1;
    if (next < 0 || next >= kPaintedElementCount) return giveNothing(end);
    return giveInteger(window_->paintedChildId(next), end);
}

HRESULT WindowAccessible::accHitTest(long x, long y, VARIANT* child) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    const HRESULT hit = standard_->accHitTest(x, y, child);
    // The standard object names a control, or the window itself where the window paints.
    if (FAILED(hit) || !child || !isSelf(*child)) return hit;
    return guarded([&] {
        POINT point{x, y};
        ScreenToClient(window_->hwnd, &point);
        const std::vector<PaintedElement> elements = window_->paintedElements();
        for (int element = kPaintedElementCount - 1; element >= 0; --element) {
            const RECT& rect = elements[static_cast<std::size_t>(element)].rect;
            if (PtInRect(&rect, point)) return giveInteger(window_->paintedChildId(element), child);
        }
        return hit;
    });
}

HRESULT WindowAccessible::accDoDefaultAction(VARIANT child) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    if (elementOf(child) < 0) return standard_->accDoDefaultAction(child);
    return DISP_E_MEMBERNOTFOUND;
}

HRESULT WindowAccessible::put_accName(VARIANT, BSTR) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    return E_NOTIMPL;
}

HRESULT WindowAccessible::put_accValue(VARIANT, BSTR) {
    CALDERWYNFELL_REQUIRE_CONNECTED();
    return E_NOTIMPL;
}

HRESULT WindowAccessible::Enumeration::Next(ULONG count, VARIANT* items, ULONG* fetched) {
    if (fetched) *fetched = 0;
    if (!owner_.window_) return RPC_E_DISCONNECTED;
    if (!items) return E_POINTER;
    return guarded([&] {
        VariantList all;
        addStandardChildren(*owner_.standard_, owner_.window_->hwnd, all);
        for (int element = 0; element < kPaintedElementCount; ++element) {
            VARIANT item;
            giveInteger(owner_.window_->paintedChildId(element), &item);
            all.add(item);
        }
        ULONG given = 0;
        for (; given < count && owner_.position_ < all.size(); ++given, ++owner_.position_)
            items[given] = all.take(owner_.position_);
        if (fetched) *fetched = given;
        return given == count ? S_OK : S_FALSE;
    });
}

HRESULT WindowAccessible::Enumeration::Skip(ULONG count) {
    if (!owner_.window_) return RPC_E_DISCONNECTED;
    const ULONG total = static_cast<ULONG>(owner_.standardChildCount() + kPaintedElementCount);
    owner_.position_ = std::min(owner_.position_ + count, total);
    return owner_.position_ < total ? S_OK : S_FALSE;
}

HRESULT WindowAccessible::Enumeration::Reset() {
    if (!owner_.window_) return RPC_E_DISCONNECTED;
    owner_.position_ = 0;
    return S_OK;
}

HRESULT WindowAccessible::Enumeration::Clone(IEnumVARIANT** copy) {
    if (copy) *copy = nullptr;
    return E_NOTIMPL;
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
