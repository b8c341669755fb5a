// The whole program in-process: registration failure, and a normal run that
// opens the window at its start size and ends with exit code 0 on close.

#include "ui_harness.h"

#include <gtest/gtest.h>

#include "ui/app.h"

namespace calderwynfell::test {
namespace {

// Only this thread's main window: other programs on the same Wine desktop may have one too.
HWND ownMainWindow() {
    HWND found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM result) -> BOOL {
            wchar_t name[64] = {};
            GetClassNameW(window, name, 64);
            if (std::wstring(name) != kMainWindowClass) return TRUE;
            *reinterpret_cast<HWND*>(result) = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

TEST(AppRun, ExitCodeOneWhenTheClassesCannotBeRegistered) {
    // The test main registered both classes already, so registering again fails.
    EXPECT_FALSE(registerWindowClasses(GetModuleHandleW(nullptr)));
    EXPECT_EQ(runApplication(GetModuleHandleW(nullptr), SW_SHOWNORMAL), 1);
    EXPECT_EQ(ownMainWindow(), nullptr);
}

struct Seen {
    bool found = false;
    RECT frame{};
    std::wstring title;
    int dpi = 0;
};
Seen seen;

void CALLBACK closeWhenShown(HWND, UINT, UINT_PTR timer, DWORD) {
    const HWND main = ownMainWindow();
    if (!main || !IsWindowVisible(main)) return;
    KillTimer(nullptr, timer);
    seen.found = true;
    GetWindowRect(main, &seen.frame);
    seen.title = windowText(main);
    seen.dpi = static_cast<int>(GetDpiForWindow(main));
    PostMessageW(main, WM_CLOSE, 0, 0);
}

TEST(AppRun, NormalRunOpensAtTheStartSizeAndExitsWithZero) {
    // Nothing is scanned: the window only proposes a range, and the timer closes it.
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    ASSERT_TRUE(UnregisterClassW(kMainWindowClass, instance));
    ASSERT_TRUE(UnregisterClassW(kMatrixWindowClass, instance));
    seen = {};
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, closeWhenShown);
    ASSERT_NE(timer, 0u);
    EXPECT_EQ(runApplication(instance, SW_SHOWNORMAL), 0);
    KillTimer(nullptr, timer);

    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.title, L"Calderwynfell - by calderwynfell.example");
    RECT workArea{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
    const RECT expected = initialWindowRect(workArea, static_cast<int>(GetDpiForSystem()));
    EXPECT_EQ(seen.frame.left, expected.left);
    EXPECT_EQ(seen.frame.top, expected.top);
    EXPECT_EQ(seen.frame.right - seen.frame.left, expected.right - expected.left);
    EXPECT_EQ(seen.frame.bottom - seen.frame.top, expected.bottom - expected.top);
    EXPECT_EQ(ownMainWindow(), nullptr);

    // The classes stay registered for the tests that follow.
    EXPECT_FALSE(registerWindowClasses(instance));
}

}  // namespace
}  // namespace calderwynfell::test
