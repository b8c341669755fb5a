#pragma once
// The foot of the main window as one MSAA status bar: it covers the whole width
// from the top of the status line to the bottom edge, where a screen reader's
// read-status-bar command hit-tests, and its three simple parts are the status
// line, the colour legend, and the hint or error line (an alert while it shows
// an error). A child of the main window's accessible object.

#include <windows.h>
#include <oleacc.h>

#include "ui/accessibility/accessible_object.h"
#include "ui/accessibility/window_accessible.h"

namespace calderwynfell {

class StatusBarAccessible final : public AccessibleObject {
   public:
    static ComRef<StatusBarAccessible> create(ComRef<WindowAccessible> parent);

    CALDERWYNFELL_IACCESSIBLE_METHODS;

   private:
    explicit StatusBarAccessible(ComRef<WindowAccessible> parent) : parent_(std::move(parent)) {}
    void* interfaceFor(REFIID iid) override;
    // The painted element of a part's child id, -1 for the bar itself, -2 for anything else.
    int elementOf(const VARIANT& child) const;
    MainWindow& window() const { return parent_->window(); }

    ComRef<WindowAccessible> parent_;
};

}  // namespace calderwynfell
