// Window size at start, control rectangles at 96 and 144 DPI, the settings row,
// view switching, list columns, fonts and the minimum tracking size.

#include "ui_harness.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include "ui/app.h"

namespace calderwynfell::test {
namespace {

struct SizingCase {
    RECT workArea;
    int dpi;
    RECT expected;
};

TEST(AppSizing, StartRectangleIsScaledClampedAndCentred) {
    const SizingCase cases[] = {
        {{0, 0, 1024, 768}, 96, {212, 89, 812, 678}},
        {{0, 0, 800, 600}, 144, {6, 6, 794, 594}},            // 900 x 884 clamped to 788 x 588
        {{100, 40, 1124, 808}, 96, {312, 129, 912, 718}},     // relative to the work-area origin
        {{0, 0, 1920, 1040}, 144, {510, 78, 1410, 962}},      // fits: 900 x 884
        {{-1280, 0, 0, 1024}, 120, {-1015, 144, -265, 880}},  // a monitor left of the primary one
    };
    for (const auto& c : cases) {
        const RECT r = initialWindowRect(c.workArea, c.dpi);
        EXPECT_EQ(r.left, c.expected.left) << c.dpi;
        EXPECT_EQ(r.top, c.expected.top) << c.dpi;
        EXPECT_EQ(r.right, c.expected.right) << c.dpi;
        EXPECT_EQ(r.bottom, c.expected.bottom) << c.dpi;
    }
}

TEST(AppSizing, MinimumTrackSize) {
    const SizingCase cases[] = {
        {{0, 0, 1024, 768}, 96, {0, 0, 560, 579}},
        {{0, 0, 1024, 768}, 144, {0, 0, 840, 768}},
        {{0, 0, 800, 600}, 144, {0, 0, 800, 600}},
        {{0, 0, 1920, 1080}, 192, {0, 0, 1120, 1080}},
    };
    for (const auto& c : cases) {
        const SIZE size = minimumTrackSize(c.workArea, c.dpi);
        EXPECT_EQ(size.cx, c.expected.right) << c.dpi;
        EXPECT_EQ(size.cy, c.expected.bottom) << c.dpi;
    }
}

RECT childRect(HWND parent, HWND child) {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

struct Expected {
    int id, x, y, width, height;  // 96-DPI units; height 0: a combo box, whose closed height is its own
};

// Client 584 x 600 units with the settings row hidden: T = 143. (600, not the
// 550 of a real start: Wine's thinner frame puts a 550 client under the minimum size.)
constexpr Expected kLayout584x600[] = {
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

// The 96-DPI table scaled edge by edge; the client height may differ from 600 units
// (the screen can be too small at high DPI), which moves only what hangs from H.
void expectLayout(const WindowUnderTest& ui, int dpi, int yShift, int heightShift, const char* when) {
    const int dh = ui.window.clientHeight - 600;
    for (const auto& e : kLayout584x600) {
        const bool resultsArea = e.id == kMatrixId || e.id == kDetailListId;
        const bool toolbar = e.y >= 143 && e.id != kCopyButtonId;
        const int y = e.y + (toolbar ? yShift : 0) + (e.id == kCopyButtonId ? dh : 0);
        const int height = e.height + (resultsArea ? heightShift + dh : 0);
        const RECT r = childRect(ui.hwnd(), ui.control(e.id));
        EXPECT_EQ(r.left, MulDiv(e.x, dpi, 96)) << when << ": control " << e.id;
        EXPECT_EQ(r.top, MulDiv(y, dpi, 96)) << when << ": control " << e.id;
        EXPECT_EQ(r.right - r.left, MulDiv(e.width, dpi, 96)) << when << ": control " << e.id;
        if (e.height) {
            EXPECT_EQ(r.bottom - r.top, MulDiv(height, dpi, 96)) << when << ": control " << e.id;
        }
    }
}

bool styleVisible(HWND window) {
    return (GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

int columnWidth(const WindowUnderTest& ui, int column) {
    return static_cast<int>(SendMessageW(ui.control(kDetailListId), LVM_GETCOLUMNWIDTH, column, 0));
}

TEST(AppLayout, ControlRectanglesAt96Dpi) {
    WindowUnderTest ui(fakeProbe(), fakeNetworks(), 584, 600);
    ASSERT_EQ(ui.window.dpi, 96);
    EXPECT_EQ(ui.window.clientWidth, 584);
    EXPECT_EQ(ui.window.clientHeight, 600);
    expectLayout(ui, 96, 0, 0, "96 DPI");
    const int columns[] = {112, 64, 58, 43, 242};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(columnWidth(ui, i), columns[i]) << "column " << i;
}

TEST(AppLayout, SettingsRowMovesTheResultsDownAndBack) {
    WindowUnderTest ui(fakeProbe(), fakeNetworks(), 584, 600);
    ui.command(kSettingsButtonId);
    EXPECT_TRUE(ui.window.settingsExpanded);
    EXPECT_EQ(ui.window.contentTop, 179);
    for (int id : {kTimeoutComboId, kAttemptsComboId, kConcurrencyComboId})
        EXPECT_TRUE(styleVisible(ui.control(id)));
    expectLayout(ui, 96, 36, -36, "settings shown");
    ui.command(kSettingsButtonId);
    EXPECT_FALSE(ui.window.settingsExpanded);
    EXPECT_EQ(ui.window.contentTop, 143);
    for (int id : {kTimeoutComboId, kAttemptsComboId, kConcurrencyComboId})
        EXPECT_FALSE(styleVisible(ui.control(id)));
    expectLayout(ui, 96, 0, 0, "settings hidden again");
}

TEST(AppLayout, ResizeRelaysAndKeepsTheMinimumSizesOfOne) {
    WindowUnderTest ui(fakeProbe(), fakeNetworks(), 584, 600);
    ui.resizeClient(800, 640);
    EXPECT_EQ(ui.window.clientWidth, 800);
    EXPECT_EQ(ui.window.clientHeight, 640);
    EXPECT_EQ(childRect(ui.hwnd(), ui.control(kStopButtonId)).left, 734);
    EXPECT_EQ(childRect(ui.hwnd(), ui.control(kCopyButtonId)).top, 568);
    EXPECT_EQ(columnWidth(ui, 4), 458);

    // The minimum tracking size keeps the window at least 560 units wide unless the
    // work area is narrower: at 600 DPI the 1280-pixel screen is about 204 units.
    ui.setDpi(600);
    ui.resizeClient(600, 640);
    ASSERT_LT(ui.window.clientWidth, 213);
    const RECT start = childRect(ui.hwnd(), ui.control(kStartEditId));
    const RECT end = childRect(ui.hwnd(), ui.control(kEndEditId));
    EXPECT_EQ(start.right - start.left, MulDiv(1, 600, 96));
    EXPECT_EQ(end.right - end.left, MulDiv(1, 600, 96));
    EXPECT_LT(end.left, MulDiv(40, 600, 96));
    EXPECT_EQ(columnWidth(ui, 4), MulDiv(100, 600, 96));
}

TEST(AppLayout, DpiChangeRecreatesFontsAndScalesEverything) {
    WindowUnderTest ui(fakeProbe(), fakeNetworks(), 584, 600);
    const HFONT oldFont = ui.window.uiFont.get();
    ui.setDpi(144);
    EXPECT_EQ(ui.window.dpi, 144);
    ui.resizeClient(876, 900);  // 584 x 600 units at 144 DPI, if the screen is tall enough
    ASSERT_EQ(ui.window.clientWidth, 584);
    ASSERT_GT(ui.window.clientHeight, 400);
    expectLayout(ui, 144, 0, 0, "144 DPI");
    const int columns[] = {168, 96, 87, 65, 363};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(columnWidth(ui, i), columns[i]) << "column " << i;

    EXPECT_NE(ui.window.uiFont.get(), oldFont);
    struct FontCase {
        HFONT font;
        const wchar_t* face;
        LONG height;
    };
    const FontCase fonts[] = {
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
    // 120 DPI: the minimum size (700 x 723) and the rectangle fit a 1024 x 768 screen.
    RECT suggested{40, 30, 40 + 760, 30 + 740};
    SendMessageW(ui.hwnd(), WM_DPICHANGED, MAKEWPARAM(120, 120), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(ui.window.dpi, 120);
    RECT frame{};
    GetWindowRect(ui.hwnd(), &frame);
    EXPECT_EQ(frame.left, 40);
    EXPECT_EQ(frame.top, 30);
    EXPECT_EQ(frame.right - frame.left, 760);
    EXPECT_EQ(frame.bottom - frame.top, 740);
    RECT client{};
    GetClientRect(ui.hwnd(), &client);
    EXPECT_EQ(ui.window.clientWidth, MulDiv(client.right, 96, 120));
    EXPECT_EQ(ui.window.clientHeight, MulDiv(client.bottom, 96, 120));
}

TEST(AppLayout, ViewButtonsSwapMatrixAndList) {
    WindowUnderTest ui;
    ui.setRange(L"127.0.1.0", L"127.0.2.43");  // 300 entries: two pages
    ui.command(kEndEditId, EN_KILLFOCUS);
    ui.command(kNextPageButtonId);
    ASSERT_EQ(ui.window.page, 1);
    EXPECT_TRUE(styleVisible(ui.control(kMatrixId)));
    EXPECT_FALSE(styleVisible(ui.control(kDetailListId)));

    ui.command(kListViewButtonId);
    EXPECT_TRUE(ui.window.listMode);
    EXPECT_TRUE(styleVisible(ui.control(kDetailListId)));
    EXPECT_FALSE(styleVisible(ui.control(kMatrixId)));
    EXPECT_FALSE(isEnabled(ui.control(kPreviousPageButtonId)));
    EXPECT_FALSE(isEnabled(ui.control(kNextPageButtonId)));
    EXPECT_EQ(ui.window.page, 1);

    ui.command(kMatrixViewButtonId);
    EXPECT_FALSE(ui.window.listMode);
    EXPECT_TRUE(styleVisible(ui.control(kMatrixId)));
    EXPECT_FALSE(styleVisible(ui.control(kDetailListId)));
    EXPECT_EQ(ui.window.page, 1);  // kept while the list was shown
    EXPECT_TRUE(isEnabled(ui.control(kPreviousPageButtonId)));
    EXPECT_FALSE(isEnabled(ui.control(kNextPageButtonId)));
}

// The accent moves between the two view buttons, so both must be repainted on a
// switch even though the layout leaves their rectangles as they were.
TEST(AppLayout, ViewSwitchRepaintsBothViewButtons) {
    WindowUnderTest ui;
    for (const int viewButton : {kListViewButtonId, kMatrixViewButtonId}) {
        ui.pump();
        UpdateWindow(ui.hwnd());
        ASSERT_FALSE(GetUpdateRect(ui.control(kListViewButtonId), nullptr, FALSE));
        ASSERT_FALSE(GetUpdateRect(ui.control(kMatrixViewButtonId), nullptr, FALSE));
        ui.command(viewButton);
        EXPECT_TRUE(GetUpdateRect(ui.control(kListViewButtonId), nullptr, FALSE)) << viewButton;
        EXPECT_TRUE(GetUpdateRect(ui.control(kMatrixViewButtonId), nullptr, FALSE)) << viewButton;
    }
}

}  // namespace
}  // namespace calderwynfell::test
