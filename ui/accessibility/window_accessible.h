#pragma once
// The main window's client area as seen through MSAA. Its children, in reading
// order, are the child controls (each a thin object over the control's own,
// see ControlAccessible), simple elements for what the window paints itself
// (figures, range, page, detail, progress) and the status bar at its foot (see
// StatusBarAccessible). Walking with accNavigate visits exactly what the
// enumeration lists. Every WM_GETOBJECT gets an object of its own over the
// shared window state, and every enumerator keeps its own position, so clients
// never disturb each other. Once disconnected, every method answers an error.

#include <windows.h>
#include <oleacc.h>
#include <oleidl.h>

#include <string>
#include <vector>

#include "ui/accessibility/accessible_object.h"
#include "ui/accessibility/child_navigation.h"

namespace calderwynfell {

class MainWindow;

// One painted item: its role, its texts exactly as painted, and its rectangle in client pixels.
struct PaintedElement {
    long role = ROLE_SYSTEM_STATICTEXT;
    std::wstring name;
    std::wstring value;
    RECT rect{};
};

// The painted elements, in reading order: five summary cards, then these. Those
// from the status line on are the parts of the status bar.
inline constexpr int kRangeTextElement = 5;
inline constexpr int kPageIndicatorElement = 6;
inline constexpr int kDetailElement = 7;
inline constexpr int kProgressElement = 8;
inline constexpr int kStatusElement = 9;
inline constexpr int kLegendElement = 10;
inline constexpr int kFootLineElement = 11;
inline constexpr int kPaintedElementCount = 12;
inline constexpr int kStatusBarPartCount = kPaintedElementCount - kStatusElement;

// A child of the window's object: a control, a painted element before the status
// bar, or the status bar.
struct WindowChild {
    enum class Kind { Control, Painted, StatusBar };
    Kind kind = Kind::Painted;
    HWND control = nullptr;
    int element = -1;
};

class WindowAccessible final : public AccessibleObject {
   public:
    // Null when the standard client object cannot be had.
    static ComRef<WindowAccessible> create(MainWindow& window);
    void disconnect() noexcept;
    bool connected() const noexcept { return window_ != nullptr; }
    MainWindow& window() const noexcept { return *window_; }

    // For the objects this one hands out: a child as a VARIANT (the control's
    // object, a child id, or the status bar), and sibling navigation from a child.
    HRESULT giveChild(const WindowChild& child, VARIANT* out);
    HRESULT navigateFrom(const WindowChild& child, long direction, VARIANT* end);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    CALDERWYNFELL_IACCESSIBLE_METHODS;

   private:
    WindowAccessible(MainWindow& window, ComRef<IAccessible> standard);
    ~WindowAccessible() override;
    void* interfaceFor(REFIID iid) override;
    // The painted element a child id names, or -1 (the window itself or nothing).
    int elementOf(const VARIANT& child) const;
    HRESULT navigateFromPosition(const std::vector<WindowChild>& children, int position,
                                 accessible::Direction direction, VARIANT* end);
    HRESULT navigateStatusPart(int element, accessible::Direction direction, VARIANT* end);

    MainWindow* window_;
    ComRef<IAccessible> standard_;

    // IOleWindow: how clients find the window behind the object.
    class WindowHandle final : public InterfacePart<IOleWindow, WindowAccessible> {
       public:
        using InterfacePart::InterfacePart;
        HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
        HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override;
    };
    WindowHandle windowHandle_{*this};
};

}  // namespace calderwynfell
