// Window size at start, control rectangles at 96 and 144 DPI, the settings row,
// view switching, list columns, fonts and the minimum tracking size.

#include "ui_harness.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include "ui/app.h"

namespace calderwynfell::test {
namespace {

TEST(AppSizing, StartRectangleAndMinimumTrackSize) {
    const struct {
        RECT workArea;
        int dpi;
        RECT start;
        SIZE minimum;
    } cases[] = {
        {{0, 0, 1024, 768}, 96, {212, 89, 812, 678}, {560, 579}},
        {{0, 0, 1024, 768}, 144, {62, 6, 962, 762}, {840, 768}},          // 884 high clamped to 756
        {{0, 0, 800, 600}, 144, {6, 6, 794, 594}, {800, 600}},            // 900 x 884 clamped to 788 x 588
        {{100, 40, 1124, 808}, 96, {312, 129, 912, 718}, {560, 579}},     // relative to the work-area origin
        {{0, 0, 1920, 1040}, 144, {510, 78, 1410, 962}, {840, 869}},      // fits: 900 x 884
        {{-1280, 0, 0, 1024}, 120, {-1015, 144, -265, 880}, {700, 724}},  // left of the primary monitor
        {{0, 0, 1920, 1080}, 192, {360, 6, 1560, 1074}, {1120, 1080}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.workArea.right << "x" << c.workArea.bottom << " @" << c.dpi);
        const RECT r = initialWindowRect(c.workArea, c.dpi);
        EXPECT_TRUE(EqualRect(&r, &c.start)) << r.left << "," << r.top << " " << r.right << "," << r.bottom;
        const SIZE size = minimumTrackSize(c.workArea, c.dpi);
        EXPECT_EQ(size.cx, c.minimum.cx);
        EXPECT_EQ(size.cy, c.minimum.cy);
    }
}

RECT childRect(HWND parent, HWND child) {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// 96-DPI units, client 584 x 600 with the settings row hidden (T = 143); height 0: a combo
// box, whose closed height is its own. (600, not 550: Wine's thinner frame puts a 550 client
// under the minimum size.)
constexpr struct {
    int id, x, y, width, height;
} kLayout584x600[] = {
    {kStartEditId, 22, 34, 186, 27},        {kEndEditId, 226, 34, 186, 27},
    {kStartButtonId, 423, 33, 89, 29},      {kStopButtonId, 518, 33, 44, 29},
    {kNetworkComboId, 72, 74, 410, 0},      {kSettingsButtonId, 490, 74, 78, 25},
    {kTimeoutComboId, 52, 109, 86, 0},      {kAttemptsComboId, 217, 109, 66, 0},
    {kConcurrencyComboId, 337, 109, 64, 0}, {kMatrixViewButtonId, 23, 151, 76, 27},
    {kListViewButtonId, 104, 151, 76, 27},  {kOnlineOnlyCheckId, 377, 152, 94, 25},
    {kExportButtonId, 480, 151, 81, 27},    {kPreviousPageButtonId, 413, 183, 51, 22},
    {kNextPageButtonId, 510, 183, 51, 22},  {kMatrixId, 22, 209, 540, 315},
    {kDetailListId, 22, 209, 540, 315},     {kCopyButtonId, 491, 528, 70, 23},
};

// The table scaled edge by edge; a client height other than 600 units moves only what hangs from H.
void expectLayout(const WindowUnderTest& ui, int dpi, int yShift, const char* when) {
    SCOPED_TRACE(when);
    const int dh = ui.window.clientHeight - 600;
    for (const auto& e : kLayout584x600) {
        const bool resultsArea = e.id == kMatrixId || e.id == kDetailListId;
        const int y = e.y + (e.id == kCopyButtonId ? dh : e.y >= 143 ? yShift : 0);
        const RECT r = childRect(ui.hwnd(), ui.control(e.id));
        EXPECT_EQ(r.left, MulDiv(e.x, dpi, 96)) << "control " << e.id;
        EXPECT_EQ(r.top, MulDiv(y, dpi, 96)) << "control " << e.id;
        EXPECT_EQ(r.right - r.left, MulDiv(e.width, dpi, 96)) << "control " << e.id;
        if (e.height) {
            EXPECT_EQ(r.bottom - r.top, MulDiv(e.height + (resultsArea ? dh - yShift : 0), dpi, 96))
                << "control " << e.id;
        }
    }
}

bool styleVisible(HWND window) {
    return (GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

void expectColumns(const WindowUnderTest& ui, std::vector<int> widths) {
    for (int i = 0; i < static_cast<int>(widths.size()); ++i)
        EXPECT_EQ(SendMessageW(ui.control(kDetailListId), LVM_GETCOLUMNWIDTH, i, 0), widths[i])
            << "column " << i;
}

TEST(AppLayout, ControlRectanglesAndTheSettingsRowAt96Dpi) {
    WindowUnderTest ui(fakeProbe(), fakeNetworks(), 584, 600);
    ASSERT_EQ(ui.window.dpi, 96);
    EXPECT_EQ(ui.window.clientWidth, 584);
    EXPECT_EQ(ui.window.clientHeight, 600);
    expectLayout(ui, 96, 0, "96 DPI");
    expectColumns(ui, {112, 64, 58, 43, 242});
    for (const bool expanded : {true, false}) {
        ui.command(kSettingsButtonId);
        EXPECT_EQ(ui.window.settingsExpanded, expanded);
        EXPECT_EQ(ui.window.contentTop, expanded ? 179 : 143);
        for (int id : {kTimeoutComboId, kAttemptsComboId, kConcurrencyComboId})
            EXPECT_EQ(styleVisible(ui.control(id)), expanded);
        expectLayout(ui, 96, expanded ? 36 : 0, expanded ? "settings shown" : "settings hidden again");
    }
}

TEST(AppLayout, ResizeRelaysAndKeepsTheMinimumSizesOfOne) {
    WindowUnderTest ui(fakeProbe(), fakeNetworks(), 584, 600);
    ui.resizeClient(800, 640);
    EXPECT_EQ(ui.window.clientWidth, 800);
    EXPECT_EQ(ui.window.clientHeight, 640);
    EXPECT_EQ(childRect(ui.hwnd(), ui.control(kStopButtonId)).left, 734);
    EXPECT_EQ(childRect(ui.hwnd(), ui.control(kCopyButtonId)).top, 568);
    expectColumns(ui, {112, 64, 58, 43, 458});

    // At 600 DPI the 1280-pixel screen is about 204 units wide, under the 560-unit minimum.
    ui.setDpi(600);
    ui.resizeClient(600, 640);
    ASSERT_LT(ui.window.clientWidth, 213);
    const RECT start = childRect(ui.hwnd(), ui.control(kStartEditId));
    const RECT end = childRect(ui.hwnd(), ui.control(kEndEditId));
    EXPECT_EQ(start.right - start.left, MulDiv(1, 600, 96));
    EXPECT_EQ(end.right - end.left, MulDiv(1, 600, 96));
    EXPECT_LT(end.left, MulDiv(40, 600, 96));
    EXPECT_EQ(SendMessageW(ui.control(kDetailListId), LVM_GETCOLUMNWIDTH, 4, 0), MulDiv(100, 600, 96));
}

TEST(AppLayout, DpiChangeRecreatesFontsAndScalesEverything) {
    WindowUnderTest ui(fakeProbe(), fakeNetworks(), 584, 600);
    const HFONT oldFont = ui.window.uiFont.get();
    ui.setDpi(144);
    EXPECT_EQ(ui.window.dpi, 144);
    ui.resizeClient(876, 900);  // 584 x 600 units, if the screen is tall enough
    ASSERT_EQ(ui.window.clientWidth, 584);
    ASSERT_GT(ui.window.clientHeight, 400);
    expectLayout(ui, 144, 0, "144 DPI");
    expectColumns(ui, {168, 96, 87, 65, 363});

    EXPECT_NE(ui.window.uiFont.get(), oldFont);
    const struct {
        HFONT font;
        const wchar_t* face;
        LONG height;
    } fonts[] = {
        {ui.window.uiFont.get(), L"Microsoft YaHei UI", -18},
        {ui.window.monoFont.get(), L"Consolas", -21},
        {ui.window.numberFont.get(), L"Consolas", -30},
        {ui.window.smallFont.get(), L"Microsoft YaHei UI", -17},
    };
    for (const auto& f : fonts) {
        LOGFONTW logFont{};
        ASSERT_EQ(GetObjectW(f.font, sizeof(logFont), &logFont), static_cast<int>(sizeof(logFont))) << f.face;
        EXPECT_EQ(logFont.lfHeight, f.height) << f.face;
        EXPECT_STREQ(logFont.lfFaceName, f.face);
        EXPECT_EQ(logFont.lfWeight, 400);
        EXPECT_EQ(logFont.lfQuality, CLEARTYPE_QUALITY);
    }
    // The matrix paints with the window's fonts itself and keeps no WM_SETFONT.
    for (int id = kStartEditId; id <= kDetailListId; ++id) {
        const HFONT expected = id <= kEndEditId ? ui.window.monoFont.get() : ui.window.uiFont.get();
        EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(ui.control(id), WM_GETFONT, 0, 0)), expected) << id;
    }

    MINMAXINFO info{};
    SendMessageW(ui.hwnd(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    RECT workArea{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
    EXPECT_EQ(info.ptMinTrackSize.x, std::min<LONG>(workArea.right - workArea.left, 840));
    EXPECT_EQ(info.ptMinTrackSize.y, std::min<LONG>(workArea.bottom - workArea.top, 869));
}

TEST(AppLayout, DpiChangeAppliesTheSuggestedRectangle) {
    WindowUnderTest ui(fakeProbe(), fakeNetworks(), 584, 600);
    RECT suggested{40, 30, 40 + 760, 30 + 740};  // at 120 DPI above the minimum 700 x 723
    SendMessageW(ui.hwnd(), WM_DPICHANGED, MAKEWPARAM(120, 120), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(ui.window.dpi, 120);
    RECT frame{}, client{};
    GetWindowRect(ui.hwnd(), &frame);
    EXPECT_TRUE(EqualRect(&frame, &suggested));
    GetClientRect(ui.hwnd(), &client);
    EXPECT_EQ(ui.window.clientWidth, MulDiv(client.right, 96, 120));
    EXPECT_EQ(ui.window.clientHeight, MulDiv(client.bottom, 96, 120));
}

TEST(AppLayout, ViewButtonsSwapMatrixAndListAndRepaintBothButtons) {
    WindowUnderTest ui;
    ui.setRange(L"127.0.1.0", L"127.0.2.43");  // 300 entries: two pages
    ui.command(kEndEditId, EN_KILLFOCUS);
    ui.command(kNextPageButtonId);
    ASSERT_EQ(ui.window.page, 1);
    EXPECT_FALSE(styleVisible(ui.control(kDetailListId)));
    for (const bool list : {true, false}) {
        SCOPED_TRACE(list ? "list" : "matrix");
        // The accent moves between the two buttons, so both must be repainted even though
        // the layout leaves their rectangles as they were.
        ui.pump();
        UpdateWindow(ui.hwnd());
        ASSERT_FALSE(GetUpdateRect(ui.control(kListViewButtonId), nullptr, FALSE));
        ASSERT_FALSE(GetUpdateRect(ui.control(kMatrixViewButtonId), nullptr, FALSE));
        ui.command(list ? kListViewButtonId : kMatrixViewButtonId);
        EXPECT_TRUE(GetUpdateRect(ui.control(kListViewButtonId), nullptr, FALSE));
        EXPECT_TRUE(GetUpdateRect(ui.control(kMatrixViewButtonId), nullptr, FALSE));
        EXPECT_EQ(ui.window.listMode, list);
        EXPECT_EQ(styleVisible(ui.control(kDetailListId)), list);
        EXPECT_EQ(styleVisible(ui.control(kMatrixId)), !list);
        EXPECT_EQ(ui.window.page, 1);  // kept while the list was shown
        EXPECT_EQ(isEnabled(ui.control(kPreviousPageButtonId)), !list);
        EXPECT_FALSE(isEnabled(ui.control(kNextPageButtonId)));
    }
}

// What a view shows on screen after a layout change is what a full repaint draws:
// a moved view keeps none of its old bits. The window's surface is read back.
TEST(AppLayout, LayoutChangesLeaveTheViewsDrawnWhole) {
    WindowUnderTest ui;
    ui.setRange(L"127.0.0.1", L"127.0.1.44");  // 300 entries: cells on every row
    ui.command(kEndEditId, EN_KILLFOCUS);
    const auto onScreen = [&](int id) {
        ui.pump();
        const HWND view = ui.control(id);
        RECT client{};
        GetClientRect(view, &client);
        DibSurface canvas(client.right, client.bottom);
        const HDC screen = GetDC(view);
        BitBlt(canvas.dc(), 0, 0, client.right, client.bottom, screen, 0, 0, SRCCOPY);
        ReleaseDC(view, screen);
        return canvas.take();
    };
    const struct {
        const char* change;
        int command, view;
    } cases[] = {{"settings shown", kSettingsButtonId, kMatrixId},
                 {"settings hidden", kSettingsButtonId, kMatrixId},
                 {"list shown", kListViewButtonId, kDetailListId},
                 {"settings shown over the list", kSettingsButtonId, kDetailListId},
                 {"matrix shown", kMatrixViewButtonId, kMatrixId}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.change);
        ui.command(c.command);
        const Rendering shown = onScreen(c.view);
        RedrawWindow(ui.control(c.view), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        EXPECT_TRUE(shown.pixels == onScreen(c.view).pixels) << "differs from a full repaint";
    }
}

}  // namespace
}  // namespace calderwynfell::test
