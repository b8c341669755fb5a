#pragma once
// A child control as the main window's accessible object hands it out: the
// control's own standard window object in every respect but two. Its parent is
// the main window's object, and its siblings are the main window's children in
// reading order, painted elements included, where the standard object would
// know only the other control windows.

#include <windows.h>
#include <oleacc.h>
#include <oleidl.h>

#include "ui/accessibility/accessible_object.h"
#include "ui/accessibility/window_accessible.h"

namespace calderwynfell {

class ControlAccessible final : public AccessibleObject {
   public:
    // Null when the control's standard object cannot be had.
    static ComRef<ControlAccessible> create(ComRef<WindowAccessible> parent, HWND control);

    CALDERWYNFELL_IACCESSIBLE_METHODS;

   private:
    ControlAccessible(ComRef<WindowAccessible> parent, ComRef<IAccessible> standard, HWND control)
        : parent_(std::move(parent)), standard_(std::move(standard)), control_(control) {}
    void* interfaceFor(REFIID iid) override;

    ComRef<WindowAccessible> parent_;
    ComRef<IAccessible> standard_;
    HWND control_;

    class WindowHandle final : public InterfacePart<IOleWindow, ControlAccessible> {
       public:
        using InterfacePart::InterfacePart;
        HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
        HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    };
    WindowHandle windowHandle_{*this};
};

}  // namespace calderwynfell
