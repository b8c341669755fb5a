// The owner-drawn buttons as they paint themselves: fill, one-pixel frame and
// caption colour for the accent, plain, disabled, pressed and focused states.

#include <gtest/gtest.h>

#include <string>

#include "design_colours.h"
#include "ui_harness.h"

namespace calderwynfell::test {
namespace {


struct Look {
    const char* what;
    int id;
    COLORREF fill, frame, caption;
};

// Frame on every edge pixel, fill just inside it, caption ink in the middle.
void expectLook(const Rendering& r, const Look& look) {
    SCOPED_TRACE(look.what);
    const int w = r.width, h = r.height;
    ASSERT_GT(w, 8);
    ASSERT_GT(h, 8);
    const auto ring = [&](int inset, int depth, COLORREF colour) {  // `depth` rows/columns from `inset` in
        return countColour(r, {inset, inset, w - inset, inset + depth}, colour) +
               countColour(r, {inset, h - inset - depth, w - inset, h - inset}, colour) +
               countColour(r, {inset, inset + depth, inset + depth, h - inset - depth}, colour) +
               countColour(r, {w - inset - depth, inset + depth, w - inset, h - inset - depth}, colour);
    };
    EXPECT_EQ(ring(0, 1, look.frame), 2 * w + 2 * h - 4)
        << "frame " << hex(look.frame) << ", corner " << hex(r.at(0, 0));
    // Rows and columns 1 and 2 lie between the frame and where a focus rectangle would go.
    EXPECT_EQ(ring(1, 2, look.fill), 4 * (w - 2) + 4 * (h - 6))
        << "fill " << hex(look.fill) << ", inside corner " << hex(r.at(1, 1));
    // Real captions give 29 or more ink pixels at 96 DPI; a wrong colour gives at most a handful.
    EXPECT_GT(countInk(r, {4, 4, w - 4, h - 4}, look.caption, look.fill), 15)
        << "caption " << hex(look.caption);
}

class ButtonPixels : public testing::TestWithParam<int> {
   protected:
    void SetUp() override {
        if (GetParam() != ui.window.dpi) ui.setDpi(GetParam());
        ASSERT_EQ(ui.window.dpi, GetParam());
    }
    void expectLooks(const std::string& stage, std::initializer_list<Look> looks) {
        for (const Look& look : looks) {
            const Rendering r = renderControl(ui.control(look.id));
            r.save("button_" + stage + "_" + std::to_string(look.id) + "_" + std::to_string(GetParam()));
            expectLook(r, look);
        }
    }
    // Drawn straight from a DRAWITEMSTRUCT, for states a test cannot reach through the control.
    Rendering drawDirect(HWND button, UINT state) const {
        RECT client{};
        GetClientRect(button, &client);
        DibSurface surface(client.right, client.bottom);
        DRAWITEMSTRUCT item{ODT_BUTTON,
                            static_cast<UINT>(GetDlgCtrlID(button)),
                            0,
                            ODA_DRAWENTIRE,
                            state,
                            button,
                            surface.dc(),
                            client,
                            0};
        ui.window.drawButton(item);
        return surface.take();
    }

    WindowUnderTest ui{fakeProbe(150)};
};

TEST_P(ButtonPixels, AccentFollowsTheViewAndDisabledButtonsAreGrey) {
    ASSERT_FALSE(ui.window.listMode);
    expectLooks("start", {
                             {"start button", kStartButtonId, kAccent, kAccent, kWhite},
                             {"stop disabled at start", kStopButtonId, kDisabledFill, kPlainFrame, kDisabledCaption},
                             {"export disabled at start", kExportButtonId, kDisabledFill, kPlainFrame, kDisabledCaption},
                             {"copy disabled at start", kCopyButtonId, kDisabledFill, kPlainFrame, kDisabledCaption},
                             {"matrix view accented", kMatrixViewButtonId, kLightGreen, kAccent, kAccent},
                             {"list view plain", kListViewButtonId, kWhite, kPlainFrame, kPrimaryText},
                             {"settings plain", kSettingsButtonId, kWhite, kPlainFrame, kPrimaryText},
                         });
    ui.command(kListViewButtonId);
    expectLooks("list", {{"matrix view plain", kMatrixViewButtonId, kWhite, kPlainFrame, kPrimaryText},
                         {"list view accented", kListViewButtonId, kLightGreen, kAccent, kAccent}});
    ui.command(kMatrixViewButtonId);
    expectLooks("matrix", {{"matrix view accented again", kMatrixViewButtonId, kLightGreen, kAccent, kAccent},
                           {"list view plain again", kListViewButtonId, kWhite, kPlainFrame, kPrimaryText}});
}

TEST_P(ButtonPixels, StartButtonKeepsItsGreenFrameWhileDisabledDuringAScan) {
    ui.setRange(L"127.0.0.1", L"127.0.0.254");
    ui.command(kStartButtonId);
    ASSERT_TRUE(ui.window.scanning);
    ui.pump();
    expectLooks("scanning", {{"start disabled", kStartButtonId, kDisabledFill, kAccent, kDisabledCaption},
                             {"stop enabled", kStopButtonId, kWhite, kPlainFrame, kPrimaryText}});
    ui.command(kStopButtonId);
    ASSERT_TRUE(ui.pumpUntil([&] { return !ui.window.scanning; }, 20000));
    expectLooks("stopped", {{"start enabled again", kStartButtonId, kAccent, kAccent, kWhite}});
}

TEST_P(ButtonPixels, PressedButtonsChangeOnlyTheirFill) {
    for (const Look& look : {Look{"start pressed", kStartButtonId, kPressedFill, kAccent, kWhite},
                             Look{"matrix view pressed", kMatrixViewButtonId, kPressedFill, kAccent, kAccent},
                             Look{"settings pressed", kSettingsButtonId, kPressedFill, kPlainFrame, kPrimaryText}}) {
        const HWND button = ui.control(look.id);
        SendMessageW(button, BM_SETSTATE, TRUE, 0);
        ASSERT_TRUE(SendMessageW(button, BM_GETSTATE, 0, 0) & BST_PUSHED);
        expectLooks("pressed", {look});
        SendMessageW(button, BM_SETSTATE, FALSE, 0);
    }
    ASSERT_FALSE(IsWindowEnabled(ui.control(kStopButtonId)));  // disabled but selected: the pressed fill
    expectLook(drawDirect(ui.control(kStopButtonId), ODS_SELECTED),
               {"stop pressed while disabled", kStopButtonId, kPressedFill, kPlainFrame, kDisabledCaption});
}

TEST_P(ButtonPixels, FocusRectangleIsThreePixelsInsideAtEveryDpi) {
    const Rendering plain = drawDirect(ui.control(kStartButtonId), 0);
    const Rendering focused = drawDirect(ui.control(kStartButtonId), ODS_FOCUS);
    focused.save("button_focus_" + std::to_string(GetParam()));
    const int w = focused.width, h = focused.height;
    const auto changed = [&](RECT area) {
        int count = 0;
        for (LONG y = area.top; y < area.bottom; ++y)
            for (LONG x = area.left; x < area.right; ++x) count += focused.at(x, y) != plain.at(x, y);
        return count;
    };
    // The dotted rectangle runs along row and column 3 on every side, nothing outside it.
    EXPECT_GT(changed({3, 3, w - 3, 4}), (w - 6) / 3) << "top";
    EXPECT_GT(changed({3, h - 4, w - 3, h - 3}), (w - 6) / 3) << "bottom";
    EXPECT_GT(changed({3, 3, 4, h - 3}), (h - 6) / 3) << "left";
    EXPECT_GT(changed({w - 4, 3, w - 3, h - 3}), (h - 6) / 3) << "right";
    EXPECT_EQ(changed({0, 0, w, 3}) + changed({0, h - 3, w, h}) + changed({0, 3, 3, h - 3}) +
                  changed({w - 3, 3, w, h - 3}),
              0)
        << "the ring outside the focus rectangle";
    EXPECT_EQ(changed({4, 4, w - 4, h - 4}), 0) << "inside the focus rectangle";
}

INSTANTIATE_TEST_SUITE_P(Dpi, ButtonPixels, testing::Values(96, 144),
                         [](const testing::TestParamInfo<int>& info) { return std::to_string(info.param); });

}  // namespace
}  // namespace calderwynfell::test
