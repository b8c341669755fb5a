#pragma once
// The production side of the window's colour seams.

#include <windows.h>

#include "ui/palette.h"

namespace calderwynfell {

// SPI_GETHIGHCONTRAST reports HCF_HIGHCONTRASTON.
bool systemHighContrast();
SystemColours currentSystemColours();

}  // namespace calderwynfell
