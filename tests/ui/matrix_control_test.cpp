// The address matrix driven in-process: what it paints for each status, how
// clicks and keys move the selection across cells and pages, and where it shows
// the keyboard focus.

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "ui/matrix_geometry.h"
#include "design_colours.h"
#include "views_support.h"

namespace calderwynfell::test {
namespace {

// The octet is anti-aliased: the pixel furthest from the fill must lie on the
// line from the fill to the text colour, well away from the fill.
bool drawnInColour(const Rendering& r, const matrix::CellBox& b, COLORREF fill, COLORREF text) {
    using Rgb = std::array<double, 3>;
    auto rgb = [](COLORREF c) {
        return Rgb{double(GetRValue(c)), double(GetGValue(c)), double(GetBValue(c))};
    };
    const Rgb f = rgb(fill), t = rgb(text);
    auto offset = [&](const Rgb& p) { return Rgb{p[0] - f[0], p[1] - f[1], p[2] - f[2]}; };
    auto dot = [](const Rgb& a, const Rgb& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; };
    Rgb strongest{};
    for (int y = b.top + 1; y < b.bottom - 1; ++y)
        for (int x = b.left + 1; x < b.right - 1; ++x)
            if (const Rgb p = offset(rgb(r.at(x, y))); dot(p, p) > dot(strongest, strongest)) strongest = p;
    const Rgb way = offset(t);
    const double share = dot(strongest, way) / dot(way, way);
    const Rgb off{strongest[0] - share * way[0], strongest[1] - share * way[1],
                  strongest[2] - share * way[2]};
    return share > 0.3 && dot(off, off) < 100;
}

class MatrixTest : public ::testing::Test {
   protected:
    WindowUnderTest w;

    HWND matrixWindow() const { return w.control(kMatrixId); }
    MainWindow& window() { return w.window; }

    // count untested entries from 127.0.0.1 on.
    void load(int count) {
        loadLoopbackRange(w, count);
        w.pump();
    }

    matrix::CellBox box(int cell) const {
        RECT client{};
        GetClientRect(matrixWindow(), &client);
        return matrix::cellBox(0, 0, client.right, client.bottom, cell, MulDiv(1, w.window.dpi, 96));
    }

    void mouse(UINT message, int cell) {
        const matrix::CellBox b = box(cell);
        SendMessageW(matrixWindow(), message, MK_LBUTTON,
                     MAKELPARAM((b.left + b.right) / 2, (b.top + b.bottom) / 2));
        w.pump();
    }

    int listSelection() const {
        return int(SendMessageW(w.control(kDetailListId), LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED));
    }
};

TEST_F(MatrixTest, CellsAreFilledFramedAndLabelledByStatus) {
    load(254);
    const struct {
        ProbeStatus status;
        COLORREF fill, text;
    } cases[] = {
        {ProbeStatus::Online, RGB(210, 239, 227), RGB(8, 127, 112)},
        {ProbeStatus::NoResponse, RGB(230, 235, 237), kSecondary},
        {ProbeStatus::Error, RGB(252, 231, 214), kSecondary},
        {ProbeStatus::NotChecked, kNotCheckedFill, kSecondary},
        {static_cast<ProbeStatus>(7), kNotCheckedFill, kSecondary},
    };
    for (int i = 0; i < 5; ++i) window().results[i].status = cases[i].status;
    window().selectResult(2);
    window().rebuildView();
    w.pump();
    const Rendering r = renderClient(matrixWindow());
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        const matrix::CellBox b = box(i);
        const int midY = (b.top + b.bottom) / 2;
        const COLORREF frame = i == 2 ? kAccent : kPlainFrame;
        EXPECT_EQ(r.at(b.left + 2, b.top + 2), cases[i].fill);
        EXPECT_EQ(r.at(b.left, midY), frame);
        EXPECT_EQ(r.at(b.right - 1, midY), frame);
        EXPECT_EQ(r.at(b.left - 1, midY), kWhite);  // the inset leaves a white gap
        EXPECT_TRUE(drawnInColour(r, b, cases[i].fill, cases[i].text));
    }
}

TEST_F(MatrixTest, CellInsetFollowsTheDpi) {
    load(254);
    for (const auto& [dpi, inset] : {std::pair{96, 1}, {144, 2}, {192, 2}}) {
        SCOPED_TRACE(dpi);
        w.setDpi(dpi);
        ASSERT_EQ(window().dpi, dpi);
        RECT client{};
        GetClientRect(matrixWindow(), &client);
        const Rendering r = renderClient(matrixWindow());
        const int rowY = client.bottom / 32, boundary = client.right / 16;
        // Column 0 ends and column 1 begins `inset` pixels either side of the boundary.
        EXPECT_EQ(r.at(boundary - inset - 1, rowY), kPlainFrame);
        EXPECT_EQ(r.at(boundary + inset, rowY), kPlainFrame);
        for (int x = boundary - inset; x < boundary + inset; ++x) EXPECT_EQ(r.at(x, rowY), kWhite) << x;
    }
}

TEST_F(MatrixTest, EmptyViewShowsOnlyTheCentredTextAndIgnoresInput) {
    load(254);  // nothing online
    setOnlineOnly(w, true);
    ASSERT_TRUE(window().view.empty());
    const Rendering r = renderClient(matrixWindow());
    r.save("matrix_empty");
    RECT ink{r.width, r.height, -1, -1};
    for (int y = 0; y < r.height; ++y)
        for (int x = 0; x < r.width; ++x)
            if (r.at(x, y) != kWhite)
                ink = {std::min<LONG>(ink.left, x), std::min<LONG>(ink.top, y), std::max<LONG>(ink.right, x),
                       std::max<LONG>(ink.bottom, y)};
    ASSERT_GE(ink.right, 0) << "no text drawn";
    EXPECT_NEAR((ink.left + ink.right) / 2, r.width / 2, 3);
    EXPECT_NEAR((ink.top + ink.bottom) / 2, r.height / 2, 3);
    EXPECT_LT(ink.right - ink.left, r.width / 2);
    EXPECT_GT(countColour(r, RECT{0, 0, r.width, r.height}, kSecondary), 0);

    SetFocus(w.hwnd());
    mouse(WM_LBUTTONDOWN, 0);
    EXPECT_EQ(GetFocus(), matrixWindow());
    w.postKey(VK_RIGHT, matrixWindow());
    EXPECT_EQ(window().selectedIndex, -1);
    EXPECT_EQ(window().page, 0);
}

TEST_F(MatrixTest, LastPageOf300ShowsFortyFourCellsAndItsWhiteSpaceDoesNothing) {
    load(300);
    w.command(kNextPageButtonId);
    ASSERT_EQ(window().page, 1);
    const Rendering r = renderClient(matrixWindow());
    for (int cell = 0; cell < 256; ++cell) {
        const matrix::CellBox b = box(cell);
        const RECT whole{b.left - 1, b.top - 1, b.right + 1, b.bottom + 1};  // frame and gap included
        if (cell < 44)
            EXPECT_EQ(r.at(b.left + 2, b.top + 2), kNotCheckedFill) << cell;
        else
            EXPECT_EQ(countColour(r, whole, kWhite), (whole.right - whole.left) * (whole.bottom - whole.top))
                << cell;
    }
    mouse(WM_LBUTTONDOWN, 5);  // 127.0.1.6, view position 261
    EXPECT_EQ(window().selectedIndex, 261);
    EXPECT_EQ(window().page, 1);

    setClipboardText(L"sentinel");
    const std::wstring detailBefore = window().detail;
    for (const int cell : {44, 100, 255}) {
        mouse(WM_LBUTTONDOWN, cell);
        mouse(WM_LBUTTONDBLCLK, cell);
        EXPECT_EQ(window().selectedIndex, 261);
    }
    EXPECT_EQ(clipboardText(), L"sentinel");
    EXPECT_EQ(window().detail, detailBefore);

    mouse(WM_LBUTTONDOWN, 43);
    mouse(WM_LBUTTONDBLCLK, 43);
    EXPECT_EQ(window().selectedIndex, 299);
    EXPECT_EQ(clipboardText(), L"127.0.1.44");
    EXPECT_EQ(window().detail, L"已复制 127.0.1.44");
}

TEST_F(MatrixTest, ArrowKeysWalkTheViewAsOneSequenceAndOtherKeysDoNothing) {
    const struct {
        int count, page, selected;  // selected: view position, -1 for none
        UINT key;
        int expected, expectedPage;
    } cases[] = {
        {600, 2, -1, VK_RIGHT, 513, 2},  // nothing selected: starts from the page's first cell
        {600, 2, -1, VK_LEFT, 511, 1},
        {600, 0, 245, VK_DOWN, 261, 1},  // last row of page 0
        {260, 0, 250, VK_DOWN, 259, 1},  // fewer than 16 follow
        {300, 0, 5, VK_UP, 0, 0},
        {300, 0, 32, VK_LEFT, 31, 0},  // first cell of a row to the last of
                                       // the row above
        {300, 0, 255, VK_RIGHT, 256, 1},
        {300, 1, 299, VK_RIGHT, 299, 1},
        {300, 1, 290, VK_DOWN, 299, 1},
        {300, 1, 256, VK_UP, 240, 0},
        {300, 0, 260, VK_RIGHT, 261, 1},  // from a selection off the shown page: the view turns to it
        {600, 2, 100, VK_LEFT, 99, 0},
        {300, 0, 20, 'C', 20, 0},  // without Ctrl
        {300, 0, 20, VK_HOME, 20, 0},
        {300, 0, 20, VK_NEXT, 20, 0},
    };
    setClipboardText(L"sentinel");
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.count << " entries, page " << c.page << ", from " << c.selected
                                        << ", key " << c.key);
        load(c.count);
        window().page = c.page;
        if (c.selected >= 0) window().selectResult(c.selected);
        window().rebuildView();
        w.postKey(c.key, matrixWindow());
        EXPECT_EQ(window().selectedIndex, c.expected);
        EXPECT_EQ(window().page, c.expectedPage);
        EXPECT_EQ(listSelection(), c.expected) << "the list mirrors the selection";
    }
    EXPECT_EQ(clipboardText(), L"sentinel");
}

// The focus rectangle shows only while the matrix has the focus and keyboard cues
// are on (the keyboard was used, or the user's setting shows them always); it
// marks the selected cell on the shown page, or else the page's first, and
// nothing else changes.
TEST_F(MatrixTest, KeyboardFocusShowsOnTheCellTheArrowsActFrom) {
    load(300);
    const auto changed = [](const Rendering& a, const Rendering& b, RECT area) {
        int count = 0;
        for (LONG y = area.top; y < area.bottom; ++y)
            for (LONG x = area.left; x < area.right; ++x) count += a.at(x, y) != b.at(x, y);
        return count;
    };
    // Unfocused, then focused, in the same state (an address field losing the focus
    // would preview its range).
    const auto renderings = [&] {
        SetFocus(w.control(kStartButtonId));
        const Rendering plain = renderClient(matrixWindow());
        SetFocus(matrixWindow());
        return std::pair{plain, renderClient(matrixWindow())};
    };
    const auto [hiddenPlain, hiddenFocused] = renderings();
    EXPECT_EQ(changed(hiddenPlain, hiddenFocused, {0, 0, hiddenPlain.width, hiddenPlain.height}), 0)
        << "cues start hidden without keyboard input";
    // "Always underline access keys" shows them from the start, whatever the input.
    const auto cuesSetting = [&](bool on) {
        window().keyboardCuesQuery = [on] { return on; };
        SendMessageW(w.hwnd(), WM_SETTINGCHANGE, SPI_SETKEYBOARDCUES, 0);
    };
    cuesSetting(true);
    const auto [plainOn, focusedOn] = renderings();
    EXPECT_GT(changed(plainOn, focusedOn, {0, 0, plainOn.width, plainOn.height}), 0) << "the setting is on";
    cuesSetting(false);

    SendMessageW(w.hwnd(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    const struct {
        int select;  // -1: nothing selected
        bool nextPage;
        int cell;
    } cases[] = {{-1, false, 0}, {37, false, 37}, {37, true, 0}};
    for (const auto& c : cases) {
        if (c.select >= 0) window().selectResult(c.select);
        if (c.nextPage) w.command(kNextPageButtonId);
        const auto [plain, focused] = renderings();
        const matrix::CellBox b = box(c.cell);
        const RECT inside{b.left + 2, b.top + 2, b.right - 2, b.bottom - 2};  // clear of the frame
        const RECT within{inside.left + 1, inside.top + 1, inside.right - 1, inside.bottom - 1};
        EXPECT_GT(changed(plain, focused, inside) - changed(plain, focused, within), (b.right - b.left) / 2)
            << "a dotted ring just inside cell " << c.cell;
        EXPECT_EQ(changed(plain, focused, {0, 0, plain.width, plain.height}), changed(plain, focused, inside))
            << "nothing outside cell " << c.cell;
    }
}

TEST_F(MatrixTest, EnterAndControlCCopyTheSelectionEvenWhenHidden) {
    load(300);
    for (auto& entry : window().results) entry.status = ProbeStatus::Online;
    window().results[7].status = ProbeStatus::NoResponse;
    const struct {
        int selected;
        bool onlineOnly, control;
        const wchar_t* copied;
    } cases[] = {
        {9, false, false, L"127.0.0.10"},
        {36, false, true, L"127.0.0.37"},
        {7, true, false, L"127.0.0.8"},
        {7, true, true, L"127.0.0.8"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.copied);
        setOnlineOnly(w, false);
        window().selectResult(c.selected);
        setOnlineOnly(w, c.onlineOnly);
        ASSERT_EQ(window().view.size(), c.onlineOnly ? 299u : 300u);
        setClipboardText(L"sentinel");
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_CONTROL] = c.control ? 0x80 : 0;
        SetKeyboardState(keys);
        w.postKey(c.control ? 'C' : VK_RETURN, matrixWindow());
        keys[VK_CONTROL] = 0;
        SetKeyboardState(keys);
        EXPECT_EQ(clipboardText(), c.copied);
        EXPECT_EQ(window().detail, std::wstring(L"已复制 ") + c.copied);
    }
    w.postKey(VK_RIGHT, matrixWindow());
    EXPECT_EQ(window().selectedIndex, 1) << "from a hidden selection the arrows start at the page";
}

}  // namespace
}  // namespace calderwynfell::test
