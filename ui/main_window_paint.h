#pragma once
// What the main window's paint routine shows, derived from MainWindow state
// alone, so the texts and the progress length can be checked without pixels.

#include <array>
#include <string>

#include "ui/main_window.h"

namespace calderwynfell {

struct SummaryCardText {
    std::wstring caption;
    std::wstring figure;
    bool accent = false;  // the online card
};

struct PaintTexts {
    std::array<SummaryCardText, 5> cards;
    std::wstring rangeText;
    std::wstring pageIndicator;
    std::wstring statusLine;
    std::wstring footLine;
    bool footIsError = false;
    int progressUnits = 0;  // length of the progress fill in 96-DPI units
};

PaintTexts paintTexts(const MainWindow& window);

}  // namespace calderwynfell
