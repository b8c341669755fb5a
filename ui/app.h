#pragma once
// Start-up, the message loop and teardown of the application.

#include <windows.h>

namespace calderwynfell {

class MainWindow;

inline constexpr wchar_t kWindowTitle[] = L"Calderwynfell - by calderwynfell.example";

// Start-up rectangle in screen pixels: the design size scaled to dpi, at most the
// work area less 12 pixels each way, centred in the work area.
RECT initialWindowRect(const RECT& workArea, int dpi);

// Smallest size the user can drag the window to.
SIZE minimumTrackSize(const RECT& workArea, int dpi);

// Registers both window classes; false when either registration fails.
bool registerWindowClasses(HINSTANCE instance);

// Handles one message of the loop: F5 and Esc first, then dialog navigation,
// then translate and dispatch.
void routeLoopMessage(MainWindow& window, MSG& message);

// Runs until WM_QUIT or a GetMessageW failure.
void runMessageLoop(MainWindow& window);

// The whole program; returns the process exit code (0, 1 or 2).
int runApplication(HINSTANCE instance, int showCommand);

}  // namespace calderwynfell
