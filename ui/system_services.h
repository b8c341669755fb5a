#pragma once
// The production side of the window's colour and keyboard-cue seams.

#include <windows.h>

#include "ui/palette.h"

namespace calderwynfell {

// SPI_GETHIGHCONTRAST reports HCF_HIGHCONTRASTON.
bool systemHighContrast();
SystemColours currentSystemColours();
// SPI_GETKEYBOARDCUES: the user asked for access keys and focus cues always shown.
bool systemKeyboardCues();

}  // namespace calderwynfell
