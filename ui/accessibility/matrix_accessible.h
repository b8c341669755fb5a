#pragma once
// The address matrix as seen through MSAA: a table whose simple children are
// the cells of the shown page. A thin view over MainWindow; once disconnected,
// every method answers an error.

#include <windows.h>
#include <oleacc.h>

#include "ui/accessibility/accessible_object.h"

namespace calderwynfell {

class MainWindow;

class MatrixAccessible final : public AccessibleObject {
   public:
    static ComRef<MatrixAccessible> create(MainWindow& window);
    // The window is going away: clients keep their references but get errors.
    void disconnect() noexcept;

    CALDERWYNFELL_IACCESSIBLE_METHODS;

   private:
    explicit MatrixAccessible(MainWindow& window) : window_(&window) {}
    void* interfaceFor(REFIID iid) override;
    // -1 for the table itself, the cell index for a child, -2 for anything else.
    int cellOf(const VARIANT& child) const;
    HWND matrixWindow() const;

    MainWindow* window_;
};

}  // namespace calderwynfell
