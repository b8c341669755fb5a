#pragma once
// What the main window's paint routine shows, derived from MainWindow state
// alone, so the texts and the progress length can be checked without pixels,
// and read by assistive technology from the same source.

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
    std::wstring legend;
    std::wstring footLine;
    bool footIsError = false;
    int progressUnits = 0;  // length of the progress fill in 96-DPI units
};

PaintTexts paintTexts(const MainWindow& window);

// The painted parts that assistive technology reads, and where they are in client pixels.
enum class PaintedPart { RangeText, PageIndicator, Detail, ProgressTrack, Status, Legend, FootLine };
RECT paintedPartRect(const MainWindow& window, PaintedPart part);
// Caption and figure of summary card 0 to 4 together.
RECT summaryCardRect(const MainWindow& window, int card);

}  // namespace calderwynfell
