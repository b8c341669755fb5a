#include "ui/dpi.h"

namespace calderwynfell {

namespace {

using DpiForSystem = UINT(WINAPI*)();
using DpiForWindow = UINT(WINAPI*)(HWND);

// user32 is imported, so it is loaded; only the function may be missing.
template <typename Function>
Function user32Function(const char* name) {
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name)))
                  : nullptr;
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
