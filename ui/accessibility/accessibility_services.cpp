#include "ui/accessibility/accessibility_services.h"

#include <oleacc.h>

#include "core/system_library.h"
#include "ui/accessibility/com_object.h"

namespace calderwynfell {

namespace {

// Not in every SDK's headers; values of the NotificationKind and NotificationProcessing enumerations.
constexpr int kNotificationActionCompleted = 2;
constexpr int kNotificationImportantMostRecent = 1;

using HostProviderFromHwnd = HRESULT(WINAPI*)(HWND, IUnknown**);
using RaiseNotificationEvent = HRESULT(WINAPI*)(IUnknown*, int, int, BSTR, BSTR);

}  // namespace

HRESULT annotateAccessibleName(HWND control, const wchar_t* name) {
    ComRef<IAccPropServices> services;
    const HRESULT created = CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                             IID_IAccPropServices, reinterpret_cast<void**>(services.put()));
    if (FAILED(created)) return created;
    return services->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, PROPID_ACC_NAME,
                                    name);
}

void raiseUiaNotification(HWND window, const std::wstring& text) {
    static const auto hostProvider =
        systemFunction<HostProviderFromHwnd>(L"uiautomationcore.dll", "UiaHostProviderFromHwnd");
    static const auto raise =
        systemFunction<RaiseNotificationEvent>(L"uiautomationcore.dll", "UiaRaiseNotificationEvent");
    if (!hostProvider || !raise) return;  // before Windows 10 1709 the end goes unannounced
    ComRef<IUnknown> provider;
    if (FAILED(hostProvider(window, provider.put())) || !provider) return;
    const UniqueBstr display(text.c_str());
    const UniqueBstr activity(L"status");
    raise(provider.get(), kNotificationActionCompleted, kNotificationImportantMostRecent, display.get(),
          activity.get());
}

}  // namespace calderwynfell
