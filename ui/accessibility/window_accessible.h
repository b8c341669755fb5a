#pragma once
// The main window as seen through MSAA: the standard client object, whose
// children are the child controls, followed by simple elements for what the
// window paints itself (figures, range, detail, progress, status, legend and
// the foot line). A thin view over MainWindow; once disconnected, every method
// answers an error.

#include <windows.h>
#include <oleacc.h>
#include <oleidl.h>

#include <string>

#include "ui/accessibility/accessible_object.h"

namespace calderwynfell {

class MainWindow;

// One painted item: its role, its texts exactly as painted, and its rectangle in client pixels.
struct PaintedElement {
    long role = ROLE_SYSTEM_STATICTEXT;
    std::wstring name;
    std::wstring value;
    RECT rect{};
};

// The painted elements in reading order: five summary cards, then these.
inline constexpr int kRangeTextElement = 5;
inline constexpr int kPageIndicatorElement = 6;
inline constexpr int kDetailElement = 7;
inline constexpr int kProgressElement = 8;
inline constexpr int kStatusElement = 9;
inline constexpr int kLegendElement = 10;
inline constexpr int kFootLineElement = 11;
inline constexpr int kPaintedElementCount = 12;

class WindowAccessible final : public AccessibleObject {
   public:
    // Null when the standard client object cannot be had.
    static ComRef<WindowAccessible> create(MainWindow& window);
    void disconnect() noexcept;

    CALDERWYNFELL_IACCESSIBLE_METHODS;

   private:
    WindowAccessible(MainWindow& window, ComRef<IAccessible> standard)
        : window_(&window), standard_(std::move(standard)) {}
    void* interfaceFor(REFIID iid) override;
    // The painted element a child id names, or -1 (the window itself or a control).
    int elementOf(const VARIANT& child) const;
    long standardChildCount() const;
    HRESULT fetchChild(ULONG position, VARIANT& item) const;

    MainWindow* window_;
    ComRef<IAccessible> standard_;
    ULONG position_ = 0;  // of the enumeration

    // IEnumVARIANT: the standard object's children, then the painted elements.
    class Enumeration final : public InterfacePart<IEnumVARIANT, WindowAccessible> {
       public:
        using InterfacePart::InterfacePart;
        HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* items, ULONG* fetched) override;
        HRESULT STDMETHODCALLTYPE Skip(ULONG count) override;
        HRESULT STDMETHODCALLTYPE Reset() override;
        HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** copy) override;
    };
    // IOleWindow: how clients find the window behind the object.
    class WindowHandle final : public InterfacePart<IOleWindow, WindowAccessible> {
       public:
        using InterfacePart::InterfacePart;
        HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
        HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override;
    };
    Enumeration enumeration_{*this};
    WindowHandle windowHandle_{*this};
};

}  // namespace calderwynfell
