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

#include "ui/com_object.h"

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

class WindowAccessible final : public ComObject<IAccessible, IEnumVARIANT, IOleWindow> {
   public:
    // Null when the standard client object cannot be had.
    static ComRef<WindowAccessible> create(MainWindow& window);
    void disconnect() noexcept;

    // IDispatch: no type information; clients call IAccessible directly.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override;

    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override;
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** dispatch) override;
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override;
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override;
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override;
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override;
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override;
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override;
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override;
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override;
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override;

    // IEnumVARIANT: the standard object's children, then the painted elements.
    HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* items, ULONG* fetched) override;
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override;
    HRESULT STDMETHODCALLTYPE Reset() override;
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** copy) override;

    // IOleWindow: how clients find the window behind the object.
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override;

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
};

}  // namespace calderwynfell
