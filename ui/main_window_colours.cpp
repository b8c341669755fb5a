// The colours in use: the design's, or the system's while high contrast is on,
// switched live when the user changes the theme.

#include "ui/main_window.h"
#include "ui/system_services.h"

namespace calderwynfell {

bool systemHighContrast() {
    HIGHCONTRASTW contrast{};
    contrast.cbSize = sizeof(contrast);
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

bool systemKeyboardCues() {
    BOOL on = FALSE;
    return SystemParametersInfoW(SPI_GETKEYBOARDCUES, 0, &on, 0) && on;
}

SystemColours currentSystemColours() {
    return SystemColours{GetSysColor(COLOR_WINDOW),    GetSysColor(COLOR_WINDOWTEXT),
                         GetSysColor(COLOR_BTNFACE),   GetSysColor(COLOR_BTNTEXT),
                         GetSysColor(COLOR_HIGHLIGHT), GetSysColor(COLOR_HIGHLIGHTTEXT),
                         GetSysColor(COLOR_GRAYTEXT)};
}

void MainWindow::applyPalette() {
    highContrast = highContrastQuery && highContrastQuery();
    palette = makePalette(highContrast, highContrast && systemColours ? systemColours() : SystemColours{});
    backgroundBrush.reset(CreateSolidBrush(palette.controlBackground));
    whiteBrush.reset(CreateSolidBrush(palette.editBackground));
}

// Only top-level windows hear of a colour or setting change; the common controls
// must be told by their parent, or the list and its header keep stale colours.
void MainWindow::onSystemChange(UINT message, WPARAM wParam, LPARAM lParam) {
    for (const HWND child : controls)
        if (child) SendMessageW(child, message, wParam, lParam);
    if (message == WM_SETTINGCHANGE && wParam == SPI_SETKEYBOARDCUES) readKeyboardCuesSetting();
    onColoursChanged();
}

void MainWindow::onColoursChanged() {
    applyPalette();
    if (hwnd) RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
}

}  // namespace calderwynfell
