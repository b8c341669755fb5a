// The address matrix driven in-process: what it paints for each status, how
// clicks and keys move the selection across cells and pages.

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "ui/matrix_geometry.h"
#include "ui_harness.h"
#include "views_support.h"

namespace calderwynfell::test {
namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kSelectedFrame = RGB(8, 127, 112);
constexpr COLORREF kNormalFrame = RGB(215, 225, 225);
constexpr COLORREF kNotCheckedFill = RGB(250, 252, 252);

// The octet is anti-aliased, so its strongest pixel is a blend of fill and text
// colour: it must lie on the line between the two, well away from the fill.
bool drawnInColour(const Rendering& r, const matrix::CellBox& b, COLORREF fill, COLORREF text) {
    auto channels = [](COLORREF c) {
        return std::array<double, 3>{double(GetRValue(c)), double(GetGValue(c)), double(GetBValue(c))};
    };
    const auto f = channels(fill), t = channels(text);
    std::array<double, 3> strongest{};
    double strongestDistance = -1;
    for (int y = b.top + 1; y < b.bottom - 1; ++y)
        for (int x = b.left + 1; x < b.right - 1; ++x) {
            const auto p = channels(r.at(x, y));
            const double distance =
                (p[0] - f[0]) * (p[0] - f[0]) + (p[1] - f[1]) * (p[1] - f[1]) + (p[2] - f[2]) * (p[2] - f[2]);
            if (distance > strongestDistance) strongestDistance = distance, strongest = p;
        }
    double dot = 0, length = 0;
    for (int i = 0; i < 3; ++i)
        dot += (strongest[i] - f[i]) * (t[i] - f[i]), length += (t[i] - f[i]) * (t[i] - f[i]);
    const double share = dot / length;
    double residual = 0;
    for (int i = 0; i < 3; ++i) {
        const double off = strongest[i] - f[i] - share * (t[i] - f[i]);
        residual += off * off;
    }
    return share > 0.3 && residual < 100;
}

class MatrixTest : public ::testing::Test {
   protected:
    WindowUnderTest w;

    HWND matrixWindow() const { return w.control(kMatrixId); }
    MainWindow& window() { return w.window; }

    // count untested entries from 127.0.0.1 on.
    void load(int count) {
        std::vector<std::uint32_t> addresses;
        for (int i = 0; i < count; ++i) addresses.push_back(loopback(0, 1) + static_cast<std::uint32_t>(i));
        window().loadRange(addresses);
        w.pump();
    }

    matrix::CellBox box(int cell) const {
        RECT client{};
        GetClientRect(matrixWindow(), &client);
        return matrix::cellBox(0, 0, client.right, client.bottom, cell, MulDiv(1, w.window.dpi, 96));
    }

    POINT centre(int cell) const {
        const matrix::CellBox b = box(cell);
        return POINT{(b.left + b.right) / 2, (b.top + b.bottom) / 2};
    }

    void mouse(UINT message, int cell) {
        const POINT p = centre(cell);
        SendMessageW(matrixWindow(), message, MK_LBUTTON, MAKELPARAM(p.x, p.y));
        w.pump();
    }

    int listSelection() const {
        return static_cast<int>(
            SendMessageW(w.control(kDetailListId), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    }
};

TEST_F(MatrixTest, CellsAreFilledFramedAndLabelledByStatus) {
    load(254);
    struct Case {
        ProbeStatus status;
        COLORREF fill;
        COLORREF text;
    };
    const Case cases[] = {
        {ProbeStatus::Online, RGB(210, 239, 227), RGB(8, 127, 112)},
        {ProbeStatus::NoResponse, RGB(230, 235, 237), RGB(99, 119, 124)},
        {ProbeStatus::Error, RGB(252, 231, 214), RGB(99, 119, 124)},
        {ProbeStatus::NotChecked, kNotCheckedFill, RGB(99, 119, 124)},
        {static_cast<ProbeStatus>(7), kNotCheckedFill, RGB(99, 119, 124)},
    };
    for (int i = 0; i < 5; ++i) window().results[i].status = cases[i].status;
    window().selectResult(2);
    window().rebuildView();
    w.pump();
    const Rendering r = renderClient(matrixWindow());
    r.save("matrix_statuses");

    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        const matrix::CellBox b = box(i);
        const int midY = (b.top + b.bottom) / 2;
        EXPECT_EQ(r.at(b.left + 2, b.top + 2), cases[i].fill);
        EXPECT_EQ(r.at(b.left, midY), i == 2 ? kSelectedFrame : kNormalFrame);
        EXPECT_EQ(r.at(b.right - 1, midY), i == 2 ? kSelectedFrame : kNormalFrame);
        EXPECT_EQ(r.at(b.left - 1, midY), kWhite);  // the inset leaves a white gap
        EXPECT_TRUE(drawnInColour(r, b, cases[i].fill, cases[i].text));
    }
    // 254 entries: the last two cells of the page stay white.
    for (const int cell : {254, 255}) {
        const matrix::CellBox b = box(cell);
        const RECT whole{b.left - 1, b.top - 1, b.right + 1, b.bottom + 1};
        EXPECT_EQ(countColour(r, whole, kWhite), (whole.right - whole.left) * (whole.bottom - whole.top));
    }
}

TEST_F(MatrixTest, CellInsetFollowsTheDpi) {
    load(254);
    struct Case {
        int dpi;
        int inset;
    };
    for (const Case c : {Case{96, 1}, Case{144, 2}, Case{192, 2}}) {
        SCOPED_TRACE(c.dpi);
        w.setDpi(c.dpi);
        ASSERT_EQ(window().dpi, c.dpi);
        RECT client{};
        GetClientRect(matrixWindow(), &client);
        const Rendering r = renderClient(matrixWindow());
        const int rowY = client.bottom / 32;  // middle of the first row
        const int boundary = client.right / 16;
        // Column 0 ends and column 1 begins `inset` pixels either side of the boundary.
        EXPECT_EQ(r.at(boundary - c.inset - 1, rowY), kNormalFrame);
        EXPECT_EQ(r.at(boundary + c.inset, rowY), kNormalFrame);
        for (int x = boundary - c.inset; x < boundary + c.inset; ++x) EXPECT_EQ(r.at(x, rowY), kWhite) << x;
    }
}

TEST_F(MatrixTest, EmptyViewShowsOnlyTheCentredTextAndIgnoresInput) {
    load(254);  // nothing online
    SendMessageW(w.control(kOnlineOnlyCheckId), BM_SETCHECK, BST_CHECKED, 0);
    w.command(kOnlineOnlyCheckId);
    ASSERT_TRUE(window().view.empty());
    const Rendering r = renderClient(matrixWindow());
    r.save("matrix_empty");
    int left = r.width, right = -1, top = r.height, bottom = -1;
    for (int y = 0; y < r.height; ++y)
        for (int x = 0; x < r.width; ++x)
            if (r.at(x, y) != kWhite) {
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
    ASSERT_GE(right, 0) << "no text drawn";
    EXPECT_NEAR((left + right) / 2, r.width / 2, 3);
    EXPECT_NEAR((top + bottom) / 2, r.height / 2, 3);
    EXPECT_LT(right - left, r.width / 2);
    EXPECT_EQ(countColour(r, RECT{0, 0, r.width, r.height}, RGB(99, 119, 124)) > 0, true);

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
    r.save("matrix_300_page_1");
    for (int cell = 0; cell < 256; ++cell) {
        const matrix::CellBox b = box(cell);
        EXPECT_EQ(r.at(b.left + 2, b.top + 2), cell < 44 ? kNotCheckedFill : kWhite) << "cell " << cell;
    }

    mouse(WM_LBUTTONDOWN, 5);  // 127.0.1.6, view position 261
    EXPECT_EQ(window().selectedIndex, 261);
    EXPECT_EQ(window().page, 1);
    EXPECT_EQ(listSelection(), -1) << "a click does not rebuild the view";

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

TEST_F(MatrixTest, ArrowKeysWalkTheViewAsOneSequence) {
    struct Case {
        int count;
        int page;
        int selected;  // view position, -1 for none
        UINT key;
        int expected;
        int expectedPage;
    };
    const Case cases[] = {
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
    };
    for (const Case& c : cases) {
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
}

TEST_F(MatrixTest, KeysWithoutAStepChangeNothing) {
    load(300);
    window().selectResult(20);
    setClipboardText(L"sentinel");
    for (const UINT key : {UINT{'C'}, UINT{VK_HOME}, UINT{VK_NEXT}, UINT{'X'}}) {
        w.postKey(key, matrixWindow());
        EXPECT_EQ(window().selectedIndex, 20) << key;
        EXPECT_EQ(window().page, 0) << key;
    }
    EXPECT_EQ(clipboardText(), L"sentinel");
}

TEST_F(MatrixTest, HiddenSelectionStartsFromThePageAndStillCopies) {
    load(300);
    for (auto& entry : window().results) entry.status = ProbeStatus::Online;
    window().results[7].status = ProbeStatus::NoResponse;
    window().selectResult(7);
    SendMessageW(w.control(kOnlineOnlyCheckId), BM_SETCHECK, BST_CHECKED, 0);
    w.command(kOnlineOnlyCheckId);
    ASSERT_EQ(window().view.size(), 299u);

    setClipboardText(L"sentinel");
    w.postKey(VK_RETURN, matrixWindow());
    EXPECT_EQ(clipboardText(), L"127.0.0.8") << "Enter copies the hidden selection";

    w.postKey(VK_RIGHT, matrixWindow());
    EXPECT_EQ(window().selectedIndex, 1) << "view position 1 of page 0";
}

TEST_F(MatrixTest, EnterAndControlCCopyThroughTheMessageLoop) {
    load(254);
    window().selectResult(9);
    setClipboardText(L"sentinel");
    w.postKey(VK_RETURN, matrixWindow());
    EXPECT_EQ(clipboardText(), L"127.0.0.10");
    EXPECT_EQ(window().detail, L"已复制 127.0.0.10");

    window().selectResult(36);
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    w.postKey('C', matrixWindow());
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    EXPECT_EQ(clipboardText(), L"127.0.0.37");
    EXPECT_EQ(window().detail, L"已复制 127.0.0.37");
}

}  // namespace
}  // namespace calderwynfell::test
