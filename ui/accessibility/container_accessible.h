#pragma once
// The accessible object of a container that the window describes (see
// element_source.h): its client area, its status bar or the address matrix.
// One implementation serves the simple elements of all three. Every object
// handed out keeps its own place in the enumeration of its children, and every
// Clone a place of its own under an identity of its own, so that no client
// moves another's. Once the window is gone, every method answers
// RPC_E_DISCONNECTED; the interfaces an object answers stay the same.

#include <windows.h>
#include <oleacc.h>
#include <oleidl.h>

#include <memory>

#include "ui/accessibility/accessible_object.h"
#include "ui/accessibility/element_source.h"

namespace calderwynfell::accessible {

// A child as a VARIANT: its child id, or the object of a control or of the status bar.
HRESULT giveChild(const std::shared_ptr<ElementSource>& source, Container container, long id, VARIANT* out);
// The child that `direction` (a NAVDIR value) leads to from child `from`, or -1.
long navigate(const ElementSource& source, Container container, long from, long direction);
// Sibling navigation from a full child of the client area (a control, the status
// bar), which each answers for itself.
HRESULT navigateSiblings(const std::shared_ptr<ElementSource>& source, Child self, long direction,
                         VARIANT* end);

class ContainerAccessible final : public AccessibleObject {
   public:
    static ComRef<ContainerAccessible> create(std::shared_ptr<ElementSource> source, Container container);

    // The children from `position` (0 is the first); the position moves only by what was handed out.
    HRESULT next(ULONG& position, ULONG count, VARIANT* items, ULONG* fetched);
    HRESULT skip(ULONG& position, ULONG count);
    HRESULT reset(ULONG& position);
    HRESULT clone(ULONG position, IEnumVARIANT** copy);

    CALDERWYNFELL_IACCESSIBLE_METHODS;
    HRESULT windowHandle(HWND* window) const;

   private:
    ContainerAccessible(std::shared_ptr<ElementSource> source, Container container)
        : source_(std::move(source)), container_(container) {}
    void* interfaceFor(REFIID iid) override;
    long childOf(const VARIANT& child) const;
    long elementOf(const VARIANT& child) const;
    template <typename Give>
    HRESULT answer(const VARIANT& child, Give give) const;
    HRESULT nothingFor(const VARIANT& child, BSTR* text, HRESULT result) const;
    HRESULT giveResult(long id, VARIANT* out);

    std::shared_ptr<ElementSource> source_;
    Container container_;
    ULONG position_ = 0;

    // This object's own enumeration, under its identity.
    class Children final : public InterfacePart<IEnumVARIANT, ContainerAccessible> {
       public:
        using InterfacePart::InterfacePart;
        HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* items, ULONG* fetched) override;
        HRESULT STDMETHODCALLTYPE Skip(ULONG count) override;
        HRESULT STDMETHODCALLTYPE Reset() override;
        HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** copy) override;
    };
    Children children_{*this};
    WindowHandlePart<ContainerAccessible> windowHandle_{*this};
};

}  // namespace calderwynfell::accessible
