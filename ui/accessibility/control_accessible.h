#pragma once
// A control as the client area's object hands it out: the control's own
// standard object in every respect but two. Its parent is the client area's
// object, and its siblings are the client area's children in their order,
// painted texts included, where the standard object knows only other windows.

#include <windows.h>
#include <oleacc.h>
#include <oleidl.h>

#include <memory>

#include "ui/accessibility/accessible_object.h"
#include "ui/accessibility/element_source.h"

namespace calderwynfell::accessible {

class ControlAccessible final : public AccessibleObject {
   public:
    // Null when the control's standard object cannot be had.
    static ComRef<ControlAccessible> create(std::shared_ptr<ElementSource> source, HWND control);

    CALDERWYNFELL_IACCESSIBLE_METHODS;
    HRESULT windowHandle(HWND* window) const;

   private:
    ControlAccessible(std::shared_ptr<ElementSource> source, ComRef<IAccessible> standard, HWND control)
        : source_(std::move(source)), standard_(std::move(standard)), control_(control) {}
    void* interfaceFor(REFIID iid) override;

    std::shared_ptr<ElementSource> source_;
    ComRef<IAccessible> standard_;
    HWND control_;

    WindowHandlePart<ControlAccessible> windowHandle_{*this};
};

}  // namespace calderwynfell::accessible
