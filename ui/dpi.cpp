#include "ui/dpi.h"

namespace calderwynfell {

namespace {

using DpiForSystem = UINT(WINAPI*)();
using DpiForWindow = UINT(WINAPI*)(HWND);

// user32 is imported, so it is loaded: it is found as the module of one of its
// functions, and nothing is looked up by name. Only the function may be missing.
template <typename Function>
Function user32Function(const char* name) {
    HMODULE user32 = nullptr;
    if (!GetModuleHandleExW(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            reinterpret_cast<LPCWSTR>(reinterpret_cast<void*>(&GetWindowLongPtrW)), &user32))
        return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name)));
}

}  // namespace

int screenDpi() {
    const HDC screen = GetDC(nullptr);
    if (!screen) return USER_DEFAULT_SCREEN_DPI;
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

int systemDpi() {
    static const auto forSystem = user32Function<DpiForSystem>("GetDpiForSystem");
    return forSystem ? static_cast<int>(forSystem()) : screenDpi();
}

int windowDpi(HWND window) {
    static const auto forWindow = user32Function<DpiForWindow>("GetDpiForWindow");
    const UINT dpi = forWindow ? forWindow(window) : 0;
    return dpi > 0 ? static_cast<int>(dpi) : screenDpi();
}

}  // namespace calderwynfell
