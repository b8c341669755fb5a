#pragma once
// What every accessible object of the window has in common: reference counting
// (ComObject), IDispatch without type information (clients call IAccessible
// directly), names and values that clients cannot set, and the list of the
// other IAccessible methods each object answers.

#include <windows.h>
#include <oleacc.h>
#include <oleidl.h>

#include "ui/accessibility/com_object.h"

// The IAccessible methods, declared in a class that implements them.
#define CALDERWYNFELL_IACCESSIBLE_METHODS                                                                  \
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;                                  \
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override;                                     \
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** dispatch) override;                  \
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;                             \
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;                           \
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override;               \
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;                          \
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;                        \
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override;                             \
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override;           \
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;             \
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override;                                       \
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override;                               \
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;                  \
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override;                               \
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) \
        override;                                                                                          \
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override;           \
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override;                         \
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override

namespace calderwynfell {

class AccessibleObject : public ComObject<IAccessible> {
   public:
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }
};

// IOleWindow, how clients find the window behind an object: Owner::windowHandle answers.
template <typename Owner>
class WindowHandlePart final : public InterfacePart<IOleWindow, Owner> {
   public:
    using InterfacePart<IOleWindow, Owner>::InterfacePart;
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override { return this->owner_.windowHandle(window); }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
};

}  // namespace calderwynfell
