// The window under a high-contrast theme, through the window's flag and
// system-colour seams (Wine cannot switch high contrast on): one pixel check
// per painted area, the standard controls' colours, and the live switch.

#include <gtest/gtest.h>

#include <string>

#include "design_colours.h"
#include "ui/matrix_geometry.h"
#include "ui_harness.h"

namespace calderwynfell::test {
namespace {

// A dark scheme whose colours differ from each other and from the design's.
constexpr COLORREF kHcWindow = RGB(0, 0, 0);
constexpr COLORREF kHcText = RGB(255, 255, 255);
constexpr COLORREF kHcFace = RGB(20, 20, 60);
constexpr COLORREF kHcButtonText = RGB(255, 255, 160);
constexpr COLORREF kHcHighlight = RGB(26, 235, 255);
constexpr COLORREF kHcHighlightText = RGB(2, 2, 2);
constexpr COLORREF kHcGray = RGB(63, 242, 63);

class HighContrast : public testing::Test {
   protected:
    bool on = true;
    WindowUnderTest ui{fakeProbe(), fakeNetworks(), 600, 589, [this](MainWindow& window) {
                           window.highContrastQuery = [this] { return on; };
                           window.systemColours = [] {
                               return SystemColours{kHcWindow,    kHcText,          kHcFace, kHcButtonText,
                                                    kHcHighlight, kHcHighlightText, kHcGray};
                           };
                       }};
    int px(int units) const { return MulDiv(units, ui.window.dpi, 96); }

    // 127.0.0.1 online, .2 no response, .3 error, .4 untested; .1 selected.
    void loadStatuses() {
        ui.window.loadRange({0x7F000001u, 0x7F000002u, 0x7F000003u, 0x7F000004u});
        const ProbeStatus statuses[] = {ProbeStatus::Online, ProbeStatus::NoResponse, ProbeStatus::Error};
        for (int i = 0; i < 3; ++i) ui.window.results[i].status = statuses[i];
        ui.window.selectResult(0);
        ui.window.rebuildView();
        ui.pump();
    }
    matrix::CellBox cell(int k) const {
        RECT client{};
        GetClientRect(ui.control(kMatrixId), &client);
        return matrix::cellBox(0, 0, client.right, client.bottom, k, px(1));
    }
};

TEST_F(HighContrast, EveryPaintedAreaTakesTheSystemColours) {
    loadStatuses();
    const Rendering shot = renderClient(ui.hwnd());
    shot.save("high_contrast_window");
    const int W = ui.window.clientWidth, H = ui.window.clientHeight, P = ui.window.contentTop;
    EXPECT_EQ(hex(shot.at(px(8), px(6))), hex(kHcWindow)) << "background";
    EXPECT_EQ(hex(shot.at(px(16), px(12))), hex(kHcWindow)) << "range card";
    EXPECT_EQ(hex(shot.at(px(W - 30), px(H - 43))), hex(kHcGray)) << "progress track";
    EXPECT_EQ(hex(shot.at(px(23), px(H - 43))), hex(kHcHighlight)) << "progress fill";
    const struct {
        const char* what;
        RECT area;
        COLORREF ink;
    } texts[] = {
        {"range label", {px(22), px(13), px(242), px(33)}, kHcText},
        {"online figure",
         {px(17 + (W - 32) / 5), px(102 + 16), px(17 + 2 * (W - 32) / 5), px(142)},
         kHcHighlight},
        {"address figure", {px(17), px(118), px(17 + (W - 32) / 5), px(142)}, kHcText},
        {"page range", {px(24), px(P + 38), px(W - 178), px(P + 64)}, kHcText},
        {"page indicator", {px(W - 120), px(P + 40), px(W - 74), px(P + 62)}, kHcText},
        {"legend", {px(W - 166), px(H - 40), px(W - 24), px(H - 19)}, kHcText},
        {"detail line", {px(24), px(H - 73), px(W - 98), px(H - 48)}, kHcText},
        {"status line", {px(24), px(H - 40), px(W - 171), px(H - 19)}, kHcText},
        {"hint", {px(17), px(H - 19), px(W - 17), px(H)}, kHcText},
    };
    for (const auto& t : texts) EXPECT_GT(countInk(shot, t.area, t.ink, kHcWindow), 0) << t.what;
}

TEST_F(HighContrast, StatusesDifferByFillFrameAndWeightNotHue) {
    loadStatuses();
    const Rendering r = renderClient(ui.control(kMatrixId));
    r.save("high_contrast_matrix");
    const int thick = px(2), selected = px(3);
    const struct {
        int cell;
        COLORREF fill, frame;
        int frameWidth;
    } cases[] = {
        {0, kHcHighlight, kHcHighlightText, selected},  // online and selected: the frame is not the fill
        {1, kHcWindow, kHcText, 1},
        {2, kHcWindow, kHcText, thick},
        {3, kHcWindow, kHcGray, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cell);
        const matrix::CellBox b = cell(c.cell);
        const int midY = (b.top + b.bottom) / 2;
        EXPECT_EQ(hex(r.at(b.left + c.frameWidth - 1, midY)), hex(c.frame));
        EXPECT_EQ(hex(r.at(b.left + c.frameWidth, b.top + c.frameWidth)), hex(c.fill));
        EXPECT_EQ(hex(r.at(b.left - 1, midY)), hex(kHcWindow)) << "the matrix background";
    }
    // Bold numbers put more ink into the cell than regular ones of the same digit count.
    const auto ink = [&](int k, COLORREF text, COLORREF fill) {
        const matrix::CellBox b = cell(k);
        return countInk(r, RECT{b.left + 3, b.top + 3, b.right - 3, b.bottom - 3}, text, fill);
    };
    EXPECT_GT(ink(2, kHcText, kHcWindow), ink(1, kHcText, kHcWindow)) << "error bold, no response regular";
}

TEST_F(HighContrast, ButtonsAndStandardControlsUseTheSystemColours) {
    const struct {
        int id;
        COLORREF fill, frame;
    } buttons[] = {
        {kStartButtonId, kHcHighlight, kHcHighlight},
        {kMatrixViewButtonId, kHcHighlight, kHcHighlight},
        {kSettingsButtonId, kHcFace, kHcButtonText},
        {kStopButtonId, kHcFace, kHcButtonText},  // disabled
    };
    for (const auto& b : buttons) {
        const Rendering r = renderControl(ui.control(b.id));
        EXPECT_EQ(hex(r.at(0, r.height / 2)), hex(b.frame)) << b.id;
        EXPECT_EQ(hex(r.at(2, 2)), hex(b.fill)) << b.id;
    }
    const Rendering stop = renderControl(ui.control(kStopButtonId));
    EXPECT_GT(countInk(stop, RECT{1, 1, stop.width - 1, stop.height - 1}, kHcGray, kHcFace), 0);

    DibSurface surface(4, 4);
    for (const auto& [message, background] : {std::pair{UINT(WM_CTLCOLOREDIT), kHcWindow},
                                              {UINT(WM_CTLCOLORSTATIC), kHcWindow},
                                              {UINT(WM_CTLCOLORBTN), kHcWindow}}) {
        SendMessageW(ui.hwnd(), message, reinterpret_cast<WPARAM>(surface.dc()), 0);
        EXPECT_EQ(hex(GetTextColor(surface.dc())), hex(kHcText)) << message;
        EXPECT_EQ(hex(GetBkColor(surface.dc())), hex(background)) << message;
    }
}

TEST_F(HighContrast, ColoursSwitchLiveOnEachThemeMessage) {
    for (const UINT message : {UINT(WM_SETTINGCHANGE), UINT(WM_SYSCOLORCHANGE), UINT(WM_THEMECHANGED)}) {
        SCOPED_TRACE(message);
        on = false;
        SendMessageW(ui.hwnd(), message, 0, 0);
        EXPECT_EQ(hex(renderClient(ui.hwnd()).at(px(8), px(6))), hex(kBackground));
        EXPECT_EQ(hex(renderControl(ui.control(kSettingsButtonId)).at(2, 2)), hex(kWhite));
        on = true;
        SendMessageW(ui.hwnd(), message, 0, 0);
        EXPECT_EQ(hex(renderClient(ui.hwnd()).at(px(8), px(6))), hex(kHcWindow));
        EXPECT_EQ(hex(renderControl(ui.control(kSettingsButtonId)).at(2, 2)), hex(kHcFace));
    }
}

}  // namespace
}  // namespace calderwynfell::test
