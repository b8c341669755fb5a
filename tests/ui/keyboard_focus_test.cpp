// The keyboard focus in-process: where it starts, how a scan moves it and gives
// it back, activation and minimising, disabled controls handing it on, and F5
// and Esc arriving as system keys. Enter on each button is pressed for real by
// the real-input suite (tests/e2e/real_input.py).

#include <windows.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <string>

#include "accessible_client.h"
#include "ui/accessibility/com_object.h"
#include "views_support.h"

namespace calderwynfell::test {
namespace {

void postKeyDown(HWND target, UINT vk, UINT message = WM_KEYDOWN, LPARAM flags = 1) {
    PostMessageW(target, message, vk, flags);
}

TEST(KeyboardFocus, StartsInTheStartAddressWithItsTextSelected) {
    WindowUnderTest w;
    ASSERT_EQ(GetFocus(), w.control(kStartEditId));
    DWORD first = 1, last = 0;
    SendMessageW(w.control(kStartEditId), EM_GETSEL, reinterpret_cast<WPARAM>(&first),
                 reinterpret_cast<LPARAM>(&last));
    EXPECT_EQ(first, 0u);
    EXPECT_EQ(last, static_cast<DWORD>(windowText(w.control(kStartEditId)).size()));
}

// What the user does while a scan runs.
enum class During { Nothing, Esc, FocusList, NextPageKey, ScreenReaderFocus, EscThenClick };

void act(WindowUnderTest& w, During action) {
    switch (action) {
        case During::Nothing: return;
        case During::FocusList: SetFocus(w.control(kDetailListId)); return;
        case During::NextPageKey:  // Enter on 下一页 turns to the last page and greys it out
            SetFocus(w.control(kNextPageButtonId));
            postKeyDown(w.control(kNextPageButtonId), VK_RETURN);
            break;
        case During::ScreenReaderFocus: {
            ComRef<IAccessible> matrix;
            AccessibleObjectFromWindow(w.control(kMatrixId), static_cast<DWORD>(OBJID_CLIENT),
                                       IID_IAccessible, reinterpret_cast<void**>(matrix.put()));
            if (matrix) matrix->accSelect(SELFLAG_TAKEFOCUS, childVariant(1));
            return;
        }
        case During::Esc:
        case During::EscThenClick: postKeyDown(GetFocus(), VK_ESCAPE); break;
    }
    w.pump();
}

// A scan takes the focus from the inputs it disables to the stop button; a stop
// takes it from there to the results; the end gives back those moves of its own
// (an address field with its caret as it was), or the start button when the
// control cannot take it. A focus the user moved, or used, stays.
TEST(KeyboardFocus, AScanMovesItAndGivesItBack) {
    const struct {
        int from;
        During action;
        bool listMode, twoPages;
        int duringScan, afterAction, afterScan;  // 0: not checked
    } cases[] = {
        {kStartEditId, During::Nothing, false, false, kStopButtonId, 0, kStartEditId},
        {kStartButtonId, During::Nothing, false, false, kStopButtonId, 0, kStartButtonId},
        {kNetworkComboId, During::Nothing, false, false, kStopButtonId, 0, kNetworkComboId},
        {kMatrixId, During::Nothing, false, false, kMatrixId, 0, kMatrixId},
        {kStartEditId, During::Esc, false, false, kStopButtonId, kMatrixId, kStartEditId},
        {kEndEditId, During::Esc, true, false, kStopButtonId, kDetailListId, kEndEditId},
        {kStartEditId, During::FocusList, true, false, kStopButtonId, kDetailListId, kDetailListId},
        {kNextPageButtonId, During::Nothing, false, false, 0, 0, kStartButtonId},
        {kEndEditId, During::NextPageKey, false, true, kStopButtonId, kMatrixId, kMatrixId},
        {kStartEditId, During::ScreenReaderFocus, false, true, kStopButtonId, kMatrixId, kMatrixId},
        {kStartEditId, During::EscThenClick, false, false, kStopButtonId, kMatrixId, kMatrixId},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << " action " << static_cast<int>(c.action));
        ProbeGate gate(4);
        WindowUnderTest w(gate.hold(fakeProbe()));
        if (c.listMode) w.command(kListViewButtonId);
        if (c.from == kNextPageButtonId) loadLoopbackRange(w, 300);  // two pages now, one after the start
        w.setRange(L"127.0.0.1", c.twoPages ? L"127.0.1.44" : L"127.0.0.40");
        SetFocus(w.control(c.from));
        const auto isAddressField = [](int id) { return id == kStartEditId || id == kEndEditId; };
        if (isAddressField(c.from)) SendMessageW(w.control(c.from), EM_SETSEL, 3, 3);
        postKeyDown(w.control(c.from), VK_F5);
        ASSERT_TRUE(w.pumpUntil([&] { return w.window.scanning; }));
        if (c.duringScan) {
            EXPECT_EQ(GetFocus(), w.control(c.duringScan));
        }
        act(w, c.action);
        if (c.afterAction) {
            EXPECT_EQ(GetFocus(), w.control(c.afterAction));
        }
        if (c.action == During::EscThenClick) {
            PostMessageW(w.control(kMatrixId), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
            w.pump();
        }
        gate.open();
        ASSERT_TRUE(w.pumpUntil([&] { return !w.window.scanning; }, 10000));
        EXPECT_EQ(GetFocus(), w.control(c.afterScan));
        if (isAddressField(c.afterScan)) {
            DWORD first = 0, last = 0;
            SendMessageW(GetFocus(), EM_GETSEL, reinterpret_cast<WPARAM>(&first),
                         reinterpret_cast<LPARAM>(&last));
            EXPECT_EQ(first * 100 + last, 303u) << "the caret as the scan found it";
        }
        // The keyboard is alive: F5 from there starts the next scan, held so that it is seen running.
        gate.shut();
        postKeyDown(GetFocus(), VK_F5);
        EXPECT_TRUE(w.pumpUntil([&] { return w.window.scanning; }));
        gate.open();
    }
}

TEST(KeyboardFocus, ComesBackAfterAnotherWindowAndAfterMinimising) {
    WindowUnderTest w;
    SetFocus(w.control(kEndEditId));
    SendMessageW(w.control(kEndEditId), EM_SETSEL, 3, 3);
    const HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200,
                                       100, nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(other);
    ASSERT_TRUE(w.pumpUntil([&] { return GetActiveWindow() == other; }));
    SetForegroundWindow(w.hwnd());
    ASSERT_TRUE(w.pumpUntil([&] { return GetActiveWindow() == w.hwnd(); }));
    EXPECT_EQ(GetFocus(), w.control(kEndEditId));
    DWORD first = 0, last = 0;
    SendMessageW(w.control(kEndEditId), EM_GETSEL, reinterpret_cast<WPARAM>(&first),
                 reinterpret_cast<LPARAM>(&last));
    EXPECT_EQ(first, 3u) << "activation changes the focus, never the selection";
    EXPECT_EQ(last, 3u);
    DestroyWindow(other);

    SetFocus(w.control(kSettingsButtonId));
    ShowWindow(w.hwnd(), SW_MINIMIZE);
    w.pump();
    ShowWindow(w.hwnd(), SW_RESTORE);
    SetForegroundWindow(w.hwnd());
    EXPECT_TRUE(w.pumpUntil([&] { return GetFocus() == w.control(kSettingsButtonId); }));
}

TEST(KeyboardFocus, AFocusedButtonThatIsDisabledHandsItOn) {
    WindowUnderTest w;
    loadLoopbackRange(w, 300);
    SetFocus(w.control(kNextPageButtonId));
    postKeyDown(w.control(kNextPageButtonId), VK_RETURN);
    w.pump();
    ASSERT_EQ(w.window.page, 1);
    ASSERT_FALSE(isEnabled(w.control(kNextPageButtonId)));
    const HWND focus = GetFocus();
    EXPECT_TRUE(focus && IsChild(w.hwnd(), focus) && IsWindowEnabled(focus)) << focus;

    // Nor does a hidden one: the view that goes hands it to the view that comes.
    SetFocus(w.control(kMatrixId));
    w.command(kListViewButtonId);
    EXPECT_EQ(GetFocus(), w.control(kDetailListId));
}

TEST(KeyboardFocus, F5AndEscCountAsSystemKeysOnlyWithoutAlt) {
    ProbeGate gate(0);
    WindowUnderTest w(gate.hold(fakeProbe()));
    SetFocus(nullptr);  // keys now reach the window as WM_SYSKEYDOWN
    const LPARAM withAlt = 1 | (KF_ALTDOWN << 16);
    postKeyDown(w.hwnd(), VK_F5, WM_SYSKEYDOWN, withAlt);
    w.pump();
    EXPECT_FALSE(w.window.scanning);
    postKeyDown(w.hwnd(), VK_F5, WM_SYSKEYDOWN);
    ASSERT_TRUE(w.pumpUntil([&] { return w.window.scanning; }));
    SetFocus(nullptr);
    postKeyDown(w.hwnd(), VK_ESCAPE, WM_SYSKEYDOWN);
    w.pump();
    EXPECT_TRUE(w.window.stopRequested.load());
    gate.open();
}

}  // namespace
}  // namespace calderwynfell::test
