#include "ui/palette.h"

#include <gtest/gtest.h>

#include <set>

namespace calderwynfell {
namespace {

// A dark theme whose colours all differ from each other and from the design's.
constexpr SystemColours kDark{rgb(0, 0, 0),      rgb(255, 255, 255), rgb(10, 10, 10), rgb(250, 250, 250),
                              rgb(26, 235, 255), rgb(1, 1, 1),       rgb(63, 242, 63)};

TEST(Palette, WithoutHighContrastTheDesignColoursWhateverTheSystemSays) {
    for (const SystemColours& system : {SystemColours{}, kDark}) {
        const Palette p = makePalette(false, system);
        const std::pair<Colour, Colour> cases[] = {
            {p.windowBackground, rgb(243, 245, 245)},
            {p.panel, rgb(255, 255, 255)},
            {p.primaryText, rgb(32, 50, 56)},
            {p.secondaryText, rgb(99, 119, 124)},
            {p.accent, rgb(8, 127, 112)},
            {p.progressTrack, rgb(234, 240, 238)},
            {p.errorText, rgb(170, 67, 42)},
            {p.controlText, rgb(32, 50, 56)},
            {p.editBackground, rgb(255, 255, 255)},
            {p.controlBackground, rgb(243, 245, 245)},
            {p.cells[1].fill, rgb(210, 239, 227)},
            {p.cells[2].fill, rgb(230, 235, 237)},
            {p.cells[3].fill, rgb(252, 231, 214)},
            {p.cells[0].fill, rgb(250, 252, 252)},
            {p.cells[1].text, rgb(8, 127, 112)},
            {p.cells[3].frame, rgb(215, 225, 225)},
            {p.plainButton.frame, rgb(215, 225, 225)},
            {p.pressedFill, rgb(190, 224, 215)},
            {p.disabledCaption, rgb(157, 167, 168)},
            {p.accentViewButton.fill, rgb(224, 243, 236)},
            {p.matrixBackground, rgb(255, 255, 255)},
            {p.startButton.caption, rgb(255, 255, 255)},
            {p.plainButton.fill, rgb(255, 255, 255)},
            {p.plainButton.caption, rgb(32, 50, 56)},
            {p.disabledFill, rgb(240, 244, 244)},
            {rgb(8, 127, 112), Colour{0x707F08}},  // COLORREF's byte order: 0x00BBGGRR
        };
        for (const auto& [actual, design] : cases) EXPECT_EQ(actual, design);
        for (int status = 0; status < 4; ++status) {
            EXPECT_EQ(cellStyle(p, status, false).frameWidth, 1);
            EXPECT_FALSE(cellStyle(p, status, false).bold);
            EXPECT_EQ(cellStyle(p, status, true).frame, rgb(8, 127, 112));
            EXPECT_EQ(cellStyle(p, status, true).frameWidth, 1);
        }
        EXPECT_FALSE(p.pressedCaption.has_value());
    }
}

TEST(Palette, HighContrastTakesEveryColourFromTheSystem) {
    const Palette p = makePalette(true, kDark);
    const std::set<Colour> system = {kDark.window,    kDark.windowText,    kDark.buttonFace, kDark.buttonText,
                                     kDark.highlight, kDark.highlightText, kDark.grayText};
    const Colour all[] = {p.windowBackground,
                          p.panel,
                          p.primaryText,
                          p.secondaryText,
                          p.accent,
                          p.progressTrack,
                          p.errorText,
                          p.controlText,
                          p.editBackground,
                          p.controlBackground,
                          p.matrixBackground,
                          p.emptyText,
                          p.selectedFrame,
                          p.startButton.fill,
                          p.startButton.caption,
                          p.accentViewButton.frame,
                          p.plainButton.fill,
                          p.plainButton.caption,
                          p.disabledFill,
                          p.pressedFill,
                          p.disabledCaption,
                          *p.pressedCaption};
    for (const Colour colour : all) EXPECT_TRUE(system.count(colour)) << std::hex << colour;
    for (const CellStyle& cell : p.cells) {
        EXPECT_TRUE(system.count(cell.fill) && system.count(cell.text) && system.count(cell.frame));
        EXPECT_NE(cell.fill, cell.text) << "text stays readable on its fill";
    }
}

TEST(Palette, HighContrastStatusesDifferWithoutHue) {
    // Two statuses must differ in something other than a colour that only a hue tells apart:
    // whether the cell is filled, the frame's width or colour against the background, the weight.
    const Palette p = makePalette(true, kDark);
    for (int a = 0; a < 4; ++a)
        for (int b = a + 1; b < 4; ++b) {
            const CellStyle x = cellStyle(p, a, false), y = cellStyle(p, b, false);
            const bool filledDiffers = (x.fill == p.matrixBackground) != (y.fill == p.matrixBackground);
            EXPECT_TRUE(filledDiffers || x.frameWidth != y.frameWidth || x.bold != y.bold || x.text != y.text)
                << a << " vs " << b;
        }
    // The selection frame is thicker than any status frame and never vanishes into the fill.
    for (int status = 0; status < 5; ++status) {
        const CellStyle selected = cellStyle(p, status, true);
        EXPECT_NE(selected.frame, selected.fill) << status;
        EXPECT_EQ(selected.frameWidth, 3);
    }
    // Online filled, no response a thin frame, an error a thick frame and bold, untested all grey.
    const CellStyle looks[] = {{kDark.window, kDark.grayText, kDark.grayText, 1, false},
                               {kDark.highlight, kDark.highlightText, kDark.highlight, 1, true},
                               {kDark.window, kDark.windowText, kDark.windowText, 1, false},
                               {kDark.window, kDark.windowText, kDark.windowText, 2, true}};
    for (int status = 0; status < 4; ++status) EXPECT_EQ(cellStyle(p, status, false), looks[status]) << status;
    EXPECT_EQ(cellStyle(p, 7, false), cellStyle(p, 0, false)) << "unknown statuses look untested";
}

}  // namespace
}  // namespace calderwynfell
