#pragma once
// A copy of a container's enumeration, made by Clone: a position and an
// identity of its own, so that it moves independently of the original, also
// for a client in another process (COM keeps one proxy per identity).

#include <windows.h>
#include <oaidl.h>

#include "ui/accessibility/com_object.h"
#include "ui/accessibility/container_accessible.h"

namespace calderwynfell::accessible {

class ChildEnumerator final : public ComObject<IEnumVARIANT> {
   public:
    static ComRef<ChildEnumerator> create(ComRef<ContainerAccessible> owner, ULONG position) {
        return ComRef<ChildEnumerator>::adopt(new ChildEnumerator(std::move(owner), position));
    }

    HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* items, ULONG* fetched) override {
        return owner_->next(position_, count, items, fetched);
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override { return owner_->skip(position_, count); }
    HRESULT STDMETHODCALLTYPE Reset() override { return owner_->reset(position_); }
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** copy) override { return owner_->clone(position_, copy); }

   private:
    ChildEnumerator(ComRef<ContainerAccessible> owner, ULONG position)
        : owner_(std::move(owner)), position_(position) {}
    void* interfaceFor(REFIID iid) override {
        return iid == IID_IEnumVARIANT ? static_cast<IEnumVARIANT*>(this) : nullptr;
    }

    ComRef<ContainerAccessible> owner_;
    ULONG position_;
};

}  // namespace calderwynfell::accessible
