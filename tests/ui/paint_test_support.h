#pragma once
// Pixel helpers shared by the painting and button tests.

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

#include "ui/win_handles.h"
#include "ui_harness.h"

namespace calderwynfell::test {

// "#RRGGBB", so a failed colour comparison reads like the design's colours.
inline std::string hex(COLORREF colour) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", GetRValue(colour), GetGValue(colour),
                  GetBValue(colour));
    return text;
}

// Pixels of text drawn in `ink` on `background`: anti-aliased glyph pixels lie on the line between
// the two colours, so a pixel counts when it is at least half-way towards `ink` and close to that line.
inline int countInk(const Rendering& rendering, RECT rect, COLORREF ink, COLORREF background) {
    const double d[3] = {double(GetRValue(ink)) - GetRValue(background),
                         double(GetGValue(ink)) - GetGValue(background),
                         double(GetBValue(ink)) - GetBValue(background)};
    const double length2 = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
    int count = 0;
    for (LONG y = std::max<LONG>(rect.top, 0); y < std::min<LONG>(rect.bottom, rendering.height); ++y) {
        for (LONG x = std::max<LONG>(rect.left, 0); x < std::min<LONG>(rect.right, rendering.width); ++x) {
            const COLORREF p = rendering.at(x, y);
            const double v[3] = {double(GetRValue(p)) - GetRValue(background),
                                 double(GetGValue(p)) - GetGValue(background),
                                 double(GetBValue(p)) - GetBValue(background)};
            const double share = (v[0] * d[0] + v[1] * d[1] + v[2] * d[2]) / length2;
            double off2 = 0;
            for (int c = 0; c < 3; ++c) off2 += (v[c] - share * d[c]) * (v[c] - share * d[c]);
            if (share >= 0.5 && share <= 1.1 && std::sqrt(off2) <= 24.0) ++count;
        }
    }
    return count;
}

// A control drawn the way it paints itself: an owner-drawn button answers WM_PRINTCLIENT
// by sending WM_DRAWITEM, with its real state, to the main window.
inline Rendering renderControl(HWND control) {
    RECT client{};
    GetClientRect(control, &client);
    DibSurface surface(std::max<LONG>(client.right, 1), std::max<LONG>(client.bottom, 1));
    SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(surface.dc()), PRF_CLIENT);
    return surface.take();
}

}  // namespace calderwynfell::test
