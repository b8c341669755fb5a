// Pixels of the painted main window at 96 and 144 DPI: background, cards,
// results panel, progress bar and the foot line. Each rendering is saved.

#include <gtest/gtest.h>

#include <string>

#include "ui/main_window_paint.h"
#include "design_colours.h"
#include "ui_harness.h"

namespace calderwynfell::test {
namespace {


struct Probe {
    const char* what;
    int x, y;  // pixels
    COLORREF expected;
};

class PaintPixels : public testing::TestWithParam<int> {
   protected:
    void SetUp() override {
        gate.open();
        if (GetParam() != ui.window.dpi) ui.setDpi(GetParam());
        ASSERT_EQ(ui.window.dpi, GetParam());
    }
    int px(int units) const { return MulDiv(units, ui.window.dpi, 96); }
    int W() const { return ui.window.clientWidth; }
    int H() const { return ui.window.clientHeight; }
    Rendering shoot(const char* what) const {
        Rendering shot = renderClient(ui.hwnd());
        EXPECT_TRUE(shot.save(std::string("paint_") + what + "_" + std::to_string(GetParam())));
        return shot;
    }
    static void expectPixels(const Rendering& shot, std::initializer_list<Probe> probes) {
        for (const Probe& p : probes) {
            ASSERT_TRUE(p.x >= 0 && p.y >= 0 && p.x < shot.width && p.y < shot.height)
                << p.what << " outside";
            EXPECT_EQ(hex(shot.at(p.x, p.y)), hex(p.expected)) << p.what << " at " << p.x << "," << p.y;
        }
    }

    ProbeGate gate{100};  // shut only where a scan must be caught mid-way
    WindowUnderTest ui{gate.hold(fakeProbe(25))};
};

TEST_P(PaintPixels, CardsAndPanelSitOnTheBackgroundAtScaledEdges) {
    ASSERT_EQ(ui.window.contentTop, 143);
    const Rendering shot = shoot("start");
    const int mid = px(100), P = 143;  // a column clear of every text on these rows
    expectPixels(shot, {
                           {"window background", px(8), px(6), kBackground},
                           {"range card top-left", px(16), px(12), kWhite},
                           {"left of range card", px(16) - 1, px(40), kBackground},
                           {"above range card", mid, px(12) - 1, kBackground},
                           {"range card last row", mid, px(67) - 1, kWhite},
                           {"below range card", mid, px(67), kBackground},
                           {"range card last column", px(W() - 16) - 1, px(40), kWhite},
                           {"right of range card", px(W() - 16), px(40), kBackground},
                           {"results panel top-left", px(16), px(P), kWhite},
                           {"above results panel", px(W() - 18), px(P) - 1, kBackground},
                           {"left of results panel", px(16) - 1, px(P) + 5, kBackground},
                           {"results panel bottom-right", px(W() - 16) - 1, px(H() - 20) - 1, kWhite},
                           {"right of results panel", px(W() - 16), px(H() - 30), kBackground},
                           {"below results panel", px(W() - 16) - 1, px(H() - 20), kBackground},
                       });
}

TEST_P(PaintPixels, SettingsRowMovesThePanelDownAndShowsItsLabels) {
    ui.command(kSettingsButtonId);
    ASSERT_EQ(ui.window.contentTop, 179);
    const Rendering shot = shoot("settings");
    const int x = px(W() - 18);  // right of every card text
    expectPixels(shot, {{"old panel top is background now", x, px(143) + 1, kBackground},
                        {"above moved panel", x, px(179) - 1, kBackground},
                        {"moved panel top", x, px(179), kWhite}});
    for (const RECT& label :
         {RECT{px(16), px(109), px(52), px(134)}, RECT{px(153), px(109), px(215), px(134)},
          RECT{px(298), px(109), px(336), px(134)}})
        EXPECT_GT(countInk(shot, label, kSecondary, kBackground), 0);
}

// The progress fill covers F = (W-44) * done / total units of the track, truncated.
TEST_P(PaintPixels, ProgressFillIsTheShareOfFinishedAddresses) {
    for (const char* stage : {"preview", "stopped", "finished"}) {
        SCOPED_TRACE(stage);
        const std::string name = stage;
        ui.setRange(L"127.0.0.1", L"127.0.0.254");
        if (name != "preview") {
            if (name == "stopped") gate.shut();
            ui.command(kStartButtonId);
            ASSERT_TRUE(ui.window.scanning);
            if (name == "stopped") {
                ASSERT_TRUE(ui.pumpUntil([&] { return paintTexts(ui.window).progressUnits > 0; }));
                ui.command(kStopButtonId);
                gate.open();
            }
            ASSERT_TRUE(ui.pumpUntil([&] { return !ui.window.scanning; }, 20000));
        }
        ASSERT_EQ(ui.window.results.size(), 254u);
        int done = 0;
        for (const Result& r : ui.window.results) done += r.status != ProbeStatus::NotChecked;
        if (name == "stopped") {
            ASSERT_LT(done, 254) << "the stop came too late to leave a partial bar";
        }
        const int fill = static_cast<int>((W() - 44) * static_cast<double>(done) / 254.0);

        const Rendering shot = shoot(stage);
        const int top = px(H() - 44), bottom = px(H() - 41), left = px(22), right = px(W() - 22);
        const int split = px(22 + fill), rows = bottom - top;
        ASSERT_GT(rows, 0);
        EXPECT_EQ(countColour(shot, RECT{left, top, split, bottom}, kAccent), (split - left) * rows);
        EXPECT_EQ(countColour(shot, RECT{split, top, right, bottom}, kTrack), (right - split) * rows);
        expectPixels(shot, {{"above bar", left, top - 1, kWhite}, {"below bar", right - 1, bottom, kWhite}});
    }
}

TEST_P(PaintPixels, MessageReplacesTheHintInTheErrorColour) {
    const RECT foot{px(17), px(H() - 19), px(W() - 17), px(H())};
    Rendering shot = renderClient(ui.hwnd());
    EXPECT_GT(countInk(shot, foot, kSecondary, kBackground), 20);
    EXPECT_EQ(countInk(shot, foot, kError, kBackground), 0);

    ui.setRange(L"127.0.0.1", L"127.0.0.x");  // a bad range: the message line gets the reason
    ui.command(kStartButtonId);
    ASSERT_FALSE(ui.window.message.empty());
    shot = shoot("error");
    EXPECT_GT(countInk(shot, foot, kError, kBackground), 20);
    EXPECT_EQ(countInk(shot, foot, kSecondary, kBackground), 0);
}

TEST_P(PaintPixels, OnlineCardIsAccentedAfterAScan) {
    ASSERT_TRUE(ui.scanToEnd(20000));
    const Rendering shot = shoot("scanned");
    const int u = (W() - 32) / 5;
    const RECT onlineFigure{px(17 + u), px(118), px(17 + 2 * u), px(142)};
    const RECT addressFigure{px(17), px(118), px(17 + u), px(142)};
    EXPECT_GT(countInk(shot, onlineFigure, kAccent, kBackground), 10);
    EXPECT_EQ(countInk(shot, addressFigure, kAccent, kBackground), 0);
    EXPECT_GT(countInk(shot, addressFigure, RGB(32, 50, 56), kBackground), 10);
}

INSTANTIATE_TEST_SUITE_P(Dpi, PaintPixels, testing::Values(96, 144),
                         [](const testing::TestParamInfo<int>& info) { return std::to_string(info.param); });

}  // namespace
}  // namespace calderwynfell::test
