#pragma once
// The DPI of the system and of a window. GetDpiForSystem and GetDpiForWindow
// first came with Windows 10 version 1607: imported, they would keep the exe
// from starting on 1507 and 1511. So they are looked up when first used, and
// where they are missing the screen's logical DPI stands in for both.

#include <windows.h>

namespace calderwynfell {

int systemDpi();
int windowDpi(HWND window);
// The fallback: LOGPIXELSX of a screen DC, 96 when even that cannot be had.
int screenDpi();

}  // namespace calderwynfell
