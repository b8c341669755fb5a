#pragma once
// What the main window's paint routine shows, derived from MainWindow state
// alone, so the texts and the progress length can be checked without pixels.
// A paint reads them all at once; a screen reader asks for one at a time, so
// each text has a function of its own, and only those that show counts take them.

#include <array>
#include <string>

#include "results/accessible_text.h"
#include "ui/main_window.h"

namespace calderwynfell {

struct SummaryCardText {
    std::wstring caption;
    std::wstring figure;
    bool accent = false;  // the online card
};

SummaryCardText summaryCardText(const MainWindow& window, int card, const StatusCounts& counts);
std::wstring rangeText(const MainWindow& window);
std::wstring pageIndicatorText(const MainWindow& window);
std::wstring statusLineText(const MainWindow& window, const StatusCounts& counts);
std::wstring legendText(const MainWindow& window);
// The error message when there is one (`footIsError`), otherwise the hint.
std::wstring footLineText(const MainWindow& window);

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

// Everything one paint shows, with one count over the results.
PaintTexts paintTexts(const MainWindow& window);

// The painted parts that assistive technology reads, and where they are in client pixels.
enum class PaintedPart { RangeText, PageIndicator, Detail, ProgressTrack, Status, Legend, FootLine };
RECT paintedPartRect(const MainWindow& window, PaintedPart part);
// Caption and figure of summary card 0 to 4 together.
RECT summaryCardRect(const MainWindow& window, int card);

}  // namespace calderwynfell
