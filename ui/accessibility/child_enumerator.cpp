#include "ui/accessibility/child_enumerator.h"

#include <algorithm>
#include <vector>

#include "ui/accessibility/accessible_values.h"
#include "ui/main_window.h"

namespace calderwynfell {

ComRef<ChildEnumerator> ChildEnumerator::create(ComRef<WindowAccessible> owner, ULONG position) {
    return ComRef<ChildEnumerator>::adopt(new ChildEnumerator(std::move(owner), position));
}

HRESULT ChildEnumerator::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    if (iid != IID_IEnumVARIANT) return owner_->QueryInterface(iid, out);
    *out = static_cast<IEnumVARIANT*>(this);
    AddRef();
    return S_OK;
}

void* ChildEnumerator::interfaceFor(REFIID iid) {
    return iid == IID_IEnumVARIANT ? static_cast<IEnumVARIANT*>(this) : nullptr;
}

HRESULT ChildEnumerator::Next(ULONG count, VARIANT* items, ULONG* fetched) {
    if (fetched) *fetched = 0;
    if (!owner_->connected()) return RPC_E_DISCONNECTED;
    if (!items) return E_POINTER;
    if (count > 1 && !fetched) return E_INVALIDARG;
    return accessible::guarded([&] {
        const std::vector<WindowChild> children = owner_->window().windowChildren();
        const ULONG start = position_;
        ULONG given = 0;
        for (; given < count && position_ < children.size(); ++given, ++position_) {
            const HRESULT result = owner_->giveChild(children[position_], &items[given]);
            if (FAILED(result)) {
                for (ULONG i = 0; i < given; ++i) VariantClear(&items[i]);
                position_ = start;
                return result;
            }
        }
        if (fetched) *fetched = given;
        return given == count ? S_OK : S_FALSE;
    });
}

HRESULT ChildEnumerator::Skip(ULONG count) {
    if (!owner_->connected()) return RPC_E_DISCONNECTED;
    return accessible::guarded([&] {
        const auto total = static_cast<ULONG>(owner_->window().windowChildren().size());
        const ULONG left = total - std::min(position_, total);
        position_ += std::min(count, left);
        return count <= left ? S_OK : S_FALSE;
    });
}

HRESULT ChildEnumerator::Reset() {
    if (!owner_->connected()) return RPC_E_DISCONNECTED;
    position_ = 0;
    return S_OK;
}

HRESULT ChildEnumerator::Clone(IEnumVARIANT** copy) {
    if (!copy) return E_POINTER;
    *copy = nullptr;
    if (!owner_->connected()) return RPC_E_DISCONNECTED;
    return accessible::guarded([&] {
        *copy = create(ComRef<WindowAccessible>::retain(owner_.get()), position_).release();
        return S_OK;
    });
}

}  // namespace calderwynfell
