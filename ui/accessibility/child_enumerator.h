#pragma once
// The IEnumVARIANT of the main window's accessible object. Every query for it
// and every Clone makes a new one with a position of its own, so that two
// clients enumerating at once never move each other's place. Its identity is
// the window object's: every other interface is asked of that.

#include <windows.h>
#include <oaidl.h>

#include "ui/accessibility/com_object.h"
#include "ui/accessibility/window_accessible.h"

namespace calderwynfell {

class ChildEnumerator final : public ComObject<IEnumVARIANT> {
   public:
    static ComRef<ChildEnumerator> create(ComRef<WindowAccessible> owner, ULONG position = 0);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* items, ULONG* fetched) override;
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override;
    HRESULT STDMETHODCALLTYPE Reset() override;
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** copy) override;

   private:
    ChildEnumerator(ComRef<WindowAccessible> owner, ULONG position)
        : owner_(std::move(owner)), position_(position) {}
    void* interfaceFor(REFIID iid) override;

    ComRef<WindowAccessible> owner_;
    ULONG position_;
};

}  // namespace calderwynfell
