#include "ui/accessibility/accessibility_api.h"

#include "core/system_library.h"

namespace calderwynfell {

namespace {

constexpr wchar_t kOleacc[] = L"oleacc.dll";
const HRESULT kUnavailable = HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);

// Out-parameters hold null on failure, as oleacc leaves them.
HRESULT unavailable(void** object) {
    if (object) *object = nullptr;
    return kUnavailable;
}

}  // namespace

LRESULT lresultFromObject(REFIID iid, WPARAM flags, IUnknown* object) {
    static const auto function = systemFunction<decltype(&LresultFromObject)>(kOleacc, "LresultFromObject");
    return function ? function(iid, flags, object) : kUnavailable;
}

HRESULT createStdAccessibleObject(HWND window, LONG objectId, REFIID iid, void** object) {
    static const auto function =
        systemFunction<decltype(&CreateStdAccessibleObject)>(kOleacc, "CreateStdAccessibleObject");
    return function ? function(window, objectId, iid, object) : unavailable(object);
}

HRESULT accessibleObjectFromWindow(HWND window, DWORD objectId, REFIID iid, void** object) {
    static const auto function =
        systemFunction<decltype(&AccessibleObjectFromWindow)>(kOleacc, "AccessibleObjectFromWindow");
    return function ? function(window, objectId, iid, object) : unavailable(object);
}

}  // namespace calderwynfell
