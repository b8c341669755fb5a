// Everything in the client area that is not a child control: background, cards,
// labels, summary figures, results panel, progress, status, legend and foot line.

#include <algorithm>
#include <cwchar>
#include <string>

#include "results/text_forms.h"
#include "ui/main_window_paint.h"

namespace calderwynfell {
namespace {

// Each item's colour is a role in the palette, so high contrast repaints the same table.
using ColourRole = Colour Palette::*;
constexpr ColourRole kPanel = &Palette::panel;
constexpr ColourRole kSecondaryText = &Palette::secondaryText;
constexpr ColourRole kAccent = &Palette::accent;
constexpr ColourRole kProgressTrack = &Palette::progressTrack;

constexpr wchar_t kRangeSeparator[] = L" \u2014 ";
constexpr wchar_t kHint[] = L"无响应不等于离线，设备可能禁用了 Ping。";
constexpr wchar_t kLegend[] = L"绿 在线 / 灰 无响应";
// The design's legend names hues; high contrast tells the statuses apart by shape.
constexpr wchar_t kHighContrastLegend[] = L"实心 在线 / 细框 无响应";

// A coordinate in 96-DPI units: an offset from one of the values known only at paint time:
// W, H, the panel top P, N = (W - 211) / 2 where the address gap is, and the progress fill end.
enum class Anchor { Zero, Width, Height, Panel, Dash, ProgressEnd };
struct Coord {
    Anchor anchor;
    int offset;
};
constexpr Coord at(int offset) {
    return {Anchor::Zero, offset};
}
constexpr Coord fromW(int offset) {
    return {Anchor::Width, offset};
}
constexpr Coord fromH(int offset) {
    return {Anchor::Height, offset};
}
constexpr Coord fromP(int offset) {
    return {Anchor::Panel, offset};
}
constexpr Coord fromN(int offset) {
    return {Anchor::Dash, offset};
}
constexpr Coord fromF(int offset) {
    return {Anchor::ProgressEnd, offset};
}

enum class Content {
    Fill,           // solid rectangle in `colour`
    ProgressTrack,  // a Fill that assistive technology reads as the progress bar
    Fixed,          // the item's own text
    SummaryCards,   // the five cards, laid out on their own
    RangeText,
    PageIndicator,
    Detail,
    Status,
    FootLine,  // the error message, or the hint in `colour`
    Legend,    // the item's own text, or the high-contrast legend
};
enum class FontRole { None, Small, Ui };
enum class Align { Left, Centre, Right };
enum class Shown { Always, SettingsRow, WithResults };

struct PaintItem {
    Content content;
    Coord left, top, right, bottom;
    FontRole font;
    ColourRole colour;
    Align align;
    Shown shown;
    const wchar_t* text;
};

// Drawing order, after the background; later items paint over earlier ones.
constexpr PaintItem kPaintItems[] = {
    {Content::Fill, at(16), at(12), fromW(-16), at(67), FontRole::None, kPanel, Align::Left, Shown::Always,
     nullptr},
    {Content::Fixed, at(22), at(13), at(242), at(33), FontRole::Small, kSecondaryText, Align::Left,
     Shown::Always, L"扫描范围"},
    {Content::Fixed, fromN(22), at(34), fromN(40), at(61), FontRole::Ui, kSecondaryText, Align::Centre,
     Shown::Always, L"\u2014"},
    {Content::Fixed, at(16), at(74), at(70), at(99), FontRole::Small, kSecondaryText, Align::Left,
     Shown::Always, L"本机网段"},
    {Content::Fixed, at(16), at(109), at(52), at(134), FontRole::Small, kSecondaryText, Align::Left,
     Shown::SettingsRow, L"超时"},
    {Content::Fixed, at(153), at(109), at(215), at(134), FontRole::Small, kSecondaryText, Align::Left,
     Shown::SettingsRow, L"最多尝试"},
    {Content::Fixed, at(298), at(109), at(336), at(134), FontRole::Small, kSecondaryText, Align::Left,
     Shown::SettingsRow, L"并发"},
    {Content::SummaryCards, at(0), at(0), at(0), at(0), FontRole::None, nullptr, Align::Left, Shown::Always,
     nullptr},
    {Content::Fill, at(16), fromP(0), fromW(-16), fromH(-20), FontRole::None, kPanel, Align::Left,
     Shown::Always, nullptr},
    {Content::RangeText, at(24), fromP(38), fromW(-178), fromP(64), FontRole::Small, kSecondaryText,
     Align::Left, Shown::Always, nullptr},
    {Content::PageIndicator, fromW(-120), fromP(40), fromW(-74), fromP(62), FontRole::Small, kSecondaryText,
     Align::Centre, Shown::Always, nullptr},
    {Content::Detail, at(24), fromH(-73), fromW(-98), fromH(-48), FontRole::Small, kSecondaryText,
     Align::Left, Shown::Always, nullptr},
    {Content::ProgressTrack, at(22), fromH(-44), fromW(-22), fromH(-41), FontRole::None, kProgressTrack,
     Align::Left, Shown::Always, nullptr},
    {Content::Fill, at(22), fromH(-44), fromF(22), fromH(-41), FontRole::None, kAccent, Align::Left,
     Shown::WithResults, nullptr},
    {Content::Status, at(24), fromH(-40), fromW(-171), fromH(-19), FontRole::Small, kSecondaryText,
     Align::Left, Shown::Always, nullptr},
    {Content::Legend, fromW(-166), fromH(-40), fromW(-24), fromH(-19), FontRole::Small, kSecondaryText,
     Align::Right, Shown::Always, nullptr},
    {Content::FootLine, at(17), fromH(-19), fromW(-17), fromH(0), FontRole::Small, kSecondaryText,
     Align::Left, Shown::Always, nullptr},
};

std::wstring count(std::uint64_t value) {
    return decimalText(value);
}

int resolve(const MainWindow& window, Coord coord, int progressUnits) {
    switch (coord.anchor) {
        case Anchor::Width: return window.clientWidth + coord.offset;
        case Anchor::Height: return window.clientHeight + coord.offset;
        case Anchor::Panel: return window.contentTop + coord.offset;
        case Anchor::Dash: return (window.clientWidth - 211) / 2 + coord.offset;
        case Anchor::ProgressEnd: return coord.offset + progressUnits;
        default: return coord.offset;
    }
}

// Each edge is scaled on its own.
RECT pixelRect(const MainWindow& window, int left, int top, int right, int bottom) {
    return {window.scale(left), window.scale(top), window.scale(right), window.scale(bottom)};
}

RECT itemRect(const MainWindow& window, const PaintItem& item, int progressUnits) {
    return pixelRect(window, resolve(window, item.left, progressUnits),
                     resolve(window, item.top, progressUnits), resolve(window, item.right, progressUnits),
                     resolve(window, item.bottom, progressUnits));
}

// The caption (first) or figure rectangle of summary card j, in units.
RECT cardUnits(const MainWindow& window, int j, bool figure) {
    const int u = (window.clientWidth - 32) / 5;
    const int t = window.settingsExpanded ? 138 : 102;
    return figure ? RECT{17 + j * u, t + 16, 17 + (j + 1) * u, t + 40}
                  : RECT{18 + j * u, t, 18 + (j + 1) * u, t + 16};
}

UINT drawTextFlags(Align align) {
    // Painted texts are data, not labels: an '&' must show as itself, not underline the next letter.
    switch (align) {
        case Align::Centre: return DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_NOPREFIX;
        case Align::Right: return DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX;
        default: return DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX;
    }
}

// Unit-to-pixel conversion and drawing for one paint.
class Painter {
   public:
    Painter(const MainWindow& window, HDC dc) : window_(window), dc_(dc), texts_(paintTexts(window)) {}

    void paint() const {
        RECT client{};
        GetClientRect(window_.hwnd, &client);
        fillSolid(dc_, client, palette().windowBackground);
        SetBkMode(dc_, TRANSPARENT);
        for (const PaintItem& item : kPaintItems) {
            if (!isShown(item.shown)) continue;
            if (item.content == Content::SummaryCards) {
                paintSummaryCards();
            } else if (item.content == Content::Fill || item.content == Content::ProgressTrack) {
                fillSolid(dc_, itemRect(window_, item, texts_.progressUnits), palette().*item.colour);
            } else {
                const COLORREF colour = item.content == Content::FootLine && texts_.footIsError
                                            ? palette().errorText
                                            : palette().*item.colour;
                drawText(textOf(item), itemRect(window_, item, texts_.progressUnits), font(item.font), colour,
                         item.align);
            }
        }
    }

   private:
    const Palette& palette() const { return window_.palette; }

    bool isShown(Shown shown) const {
        switch (shown) {
            case Shown::SettingsRow: return window_.settingsExpanded;
            case Shown::WithResults: return !window_.results.empty();
            default: return true;
        }
    }

    HFONT font(FontRole role) const {
        return role == FontRole::Ui ? window_.uiFont.get() : window_.smallFont.get();
    }

    void drawText(const std::wstring& text, RECT rect, HFONT font, COLORREF colour, Align align) const {
        SelectObjectGuard selected(dc_, font);
        SetTextColor(dc_, colour);
        DrawTextW(dc_, text.c_str(), static_cast<int>(text.size()), &rect, drawTextFlags(align));
    }

    std::wstring textOf(const PaintItem& item) const {
        switch (item.content) {
            case Content::RangeText: return texts_.rangeText;
            case Content::PageIndicator: return texts_.pageIndicator;
            case Content::Detail: return window_.detail;
            case Content::Status: return texts_.statusLine;
            case Content::FootLine: return texts_.footLine;
            case Content::Legend: return texts_.legend;
            default: return item.text;
        }
    }

    void paintSummaryCards() const {
        for (int j = 0; j < 5; ++j) {
            const SummaryCardText& card = texts_.cards[static_cast<std::size_t>(j)];
            const RECT caption = cardUnits(window_, j, false);
            const RECT figure = cardUnits(window_, j, true);
            drawText(card.caption,
                     pixelRect(window_, caption.left, caption.top, caption.right, caption.bottom),
                     window_.smallFont.get(), card.accent ? palette().accent : palette().secondaryText,
                     Align::Left);
            drawText(card.figure, pixelRect(window_, figure.left, figure.top, figure.right, figure.bottom),
                     window_.numberFont.get(), card.accent ? palette().accent : palette().primaryText,
                     Align::Left);
        }
    }

    const MainWindow& window_;
    HDC dc_;
    PaintTexts texts_;
};

}  // namespace

SummaryCardText summaryCardText(const MainWindow& window, int card, const StatusCounts& counts) {
    const auto total = static_cast<std::uint64_t>(window.results.size());
    switch (card) {
        case 0: return {L"地址", count(total), false};
        case 1: return {L"在线", count(static_cast<std::uint64_t>(counts.online)), true};
        case 2: return {L"无响应", count(static_cast<std::uint64_t>(counts.noResponse)), false};
        case 3: {
            const std::wstring untested = count(total - static_cast<std::uint64_t>(counts.done()));
            if (counts.error == 0) return {L"未检测", untested, false};
            return {L"未测 / 错误", untested + L" / " + count(static_cast<std::uint64_t>(counts.error)),
                    false};
        }
        default: return {L"用时", elapsedSecondsText(window.elapsedMs), false};
    }
}

std::wstring rangeText(const MainWindow& window) {
    const auto& results = window.results;
    const auto& view = window.view;
    if (results.empty()) return {};
    const auto address = [&](std::size_t viewPosition) {
        return addressText(results[static_cast<std::size_t>(view[viewPosition])].address);
    };
    const std::size_t first = static_cast<std::size_t>(window.page) * kPageSize;
    // The matrix shows one page: name its first and last cell.
    if (!window.listMode && window.page >= 0 && first < view.size()) {
        return address(first) + kRangeSeparator + address(std::min(view.size() - 1, first + kPageSize - 1));
    }
    return addressText(results.front().address) + kRangeSeparator + addressText(results.back().address);
}

std::wstring pageIndicatorText(const MainWindow& window) {
    const std::uint64_t viewSize = window.view.size();
    if (window.listMode) return count(viewSize) + L" 条";
    const std::uint64_t pages = std::max<std::uint64_t>(1, (viewSize + kPageSize - 1) / kPageSize);
    return decimalText(static_cast<std::int32_t>(window.page + 1)) + L"/" + count(pages);
}

std::wstring statusLineText(const MainWindow& window, const StatusCounts& counts) {
    return window.statusText + L" \u00b7 " + count(static_cast<std::uint64_t>(counts.done())) + L" / " +
           count(window.results.size());
}

std::wstring legendText(const MainWindow& window) {
    return window.highContrast ? kHighContrastLegend : kLegend;
}

std::wstring footLineText(const MainWindow& window) {
    return window.message.empty() ? std::wstring(kHint) : window.message;
}

PaintTexts paintTexts(const MainWindow& window) {
    const StatusCounts counts = countStatuses(window.results);
    PaintTexts texts;
    for (int card = 0; card < 5; ++card)
        texts.cards[static_cast<std::size_t>(card)] = summaryCardText(window, card, counts);
    texts.rangeText = rangeText(window);
    texts.pageIndicator = pageIndicatorText(window);
    texts.statusLine = statusLineText(window, counts);
    texts.legend = legendText(window);
    texts.footIsError = !window.message.empty();
    texts.footLine = footLineText(window);
    if (!window.results.empty()) {
        texts.progressUnits = static_cast<int>(static_cast<double>(window.clientWidth - 44) * counts.done() /
                                               static_cast<double>(window.results.size()));
    }
    return texts;
}

RECT paintedPartRect(const MainWindow& window, PaintedPart part) {
    const Content content = [part] {
        switch (part) {
            case PaintedPart::RangeText: return Content::RangeText;
            case PaintedPart::PageIndicator: return Content::PageIndicator;
            case PaintedPart::Detail: return Content::Detail;
            case PaintedPart::ProgressTrack: return Content::ProgressTrack;
            case PaintedPart::Status: return Content::Status;
            case PaintedPart::Legend: return Content::Legend;
            default: return Content::FootLine;
        }
    }();
    const auto item =
        std::find_if(std::begin(kPaintItems), std::end(kPaintItems),
                     [content](const PaintItem& candidate) { return candidate.content == content; });
    return itemRect(window, *item, 0);
}

RECT summaryCardRect(const MainWindow& window, int card) {
    const RECT caption = cardUnits(window, card, false);
    const RECT figure = cardUnits(window, card, true);
    return pixelRect(window, std::min(caption.left, figure.left), caption.top,
                     std::max(caption.right, figure.right), figure.bottom);
}

void MainWindow::paintWindow(HDC dc) const {
    Painter(*this, dc).paint();
}

void MainWindow::onPaint() {
    PaintGuard paint(hwnd);
    RECT client{};
    GetClientRect(hwnd, &client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    if (width <= 0 || height <= 0) return;  // minimised: nothing to show

    // One complete picture per paint: draw into a bitmap, then copy it in one go.
    UniqueMemoryDc memory(CreateCompatibleDC(paint.dc()));
    UniqueBitmap bitmap(CreateCompatibleBitmap(paint.dc(), width, height));
    if (!memory || !bitmap) {
        paintWindow(paint.dc());
        return;
    }
    SelectObjectGuard selected(memory.get(), bitmap.get());
    paintWindow(memory.get());
    BitBlt(paint.dc(), 0, 0, width, height, memory.get(), 0, 0, SRCCOPY);
}

}  // namespace calderwynfell
