#pragma once
// Every colour the window paints, as one pure function of the high-contrast
// flag and the system colours. No Windows types, so it tests natively.

#include <array>
#include <cstdint>
#include <optional>

namespace calderwynfell {

// Laid out as a Windows COLORREF: red in the low byte.
using Colour = std::uint32_t;
constexpr Colour rgb(int red, int green, int blue) {
    return static_cast<Colour>(red) | (static_cast<Colour>(green) << 8) | (static_cast<Colour>(blue) << 16);
}

// The system colours a high-contrast theme sets (GetSysColor).
struct SystemColours {
    Colour window = 0;
    Colour windowText = 0;
    Colour buttonFace = 0;
    Colour buttonText = 0;
    Colour highlight = 0;
    Colour highlightText = 0;
    Colour grayText = 0;
};

struct CellStyle {
    Colour fill = 0;
    Colour text = 0;
    Colour frame = 0;
    int frameWidth = 1;  // in 96-DPI pixels
    bool bold = false;
    friend constexpr bool operator==(const CellStyle&, const CellStyle&) = default;
};

struct ButtonColours {
    Colour fill = 0;
    Colour frame = 0;
    Colour caption = 0;
};

struct Palette {
    Colour windowBackground, panel, primaryText, secondaryText, accent, progressTrack, errorText;
    Colour controlText, editBackground, controlBackground;  // answered for the standard controls
    Colour matrixBackground, emptyText, selectedFrame;
    int selectedFrameWidth;
    std::array<CellStyle, 4> cells;  // indexed by ProbeStatus
    ButtonColours startButton, accentViewButton, plainButton;
    Colour disabledFill, pressedFill, disabledCaption;
    std::optional<Colour> pressedCaption;  // none: the button's own caption colour
};

constexpr Palette makePalette(bool highContrast, const SystemColours& s) {
    if (!highContrast) {
        constexpr Colour frame = rgb(215, 225, 225);
        constexpr Colour secondary = rgb(99, 119, 124);
        constexpr Colour accent = rgb(8, 127, 112);
        return Palette{
            rgb(243, 245, 245), rgb(255, 255, 255), rgb(32, 50, 56), secondary, accent, rgb(234, 240, 238),
            rgb(170, 67, 42),
            rgb(32, 50, 56), rgb(255, 255, 255), rgb(243, 245, 245),
            rgb(255, 255, 255), secondary, accent, 1,
            {{{rgb(250, 252, 252), secondary, frame, 1, false},
              {rgb(210, 239, 227), accent, frame, 1, false},
              {rgb(230, 235, 237), secondary, frame, 1, false},
              {rgb(252, 231, 214), secondary, frame, 1, false}}},
            {accent, accent, rgb(255, 255, 255)}, {rgb(224, 243, 236), accent, accent},
            {rgb(255, 255, 255), frame, rgb(32, 50, 56)},
            rgb(240, 244, 244), rgb(190, 224, 215), rgb(157, 167, 168), std::nullopt,
        };
    }
    // Without hue: online is filled, no response has a thin frame, an error a
    // thick frame and bold text, an untested cell only the grey text and frame.
    return Palette{
        s.window, s.window, s.windowText, s.windowText, s.highlight, s.grayText, s.windowText,
        s.windowText, s.window, s.window,
        s.window, s.windowText, s.highlight, 3,
        {{{s.window, s.grayText, s.grayText, 1, false},
          {s.highlight, s.highlightText, s.highlight, 1, true},
          {s.window, s.windowText, s.windowText, 1, false},
          {s.window, s.windowText, s.windowText, 2, true}}},
        {s.highlight, s.highlight, s.highlightText}, {s.highlight, s.highlight, s.highlightText},
        {s.buttonFace, s.buttonText, s.buttonText},
        s.buttonFace, s.highlight, s.grayText, s.highlightText,
    };
}

// How one cell is drawn; any status outside the four looks untested. The
// selection frame never takes the colour of the fill it surrounds.
constexpr CellStyle cellStyle(const Palette& palette, int status, bool selected) {
    CellStyle style = palette.cells[status >= 0 && status < 4 ? status : 0];
    if (selected) {
        style.frame = palette.selectedFrame != style.fill ? palette.selectedFrame : style.text;
        style.frameWidth = palette.selectedFrameWidth;
    }
    return style;
}

}  // namespace calderwynfell
