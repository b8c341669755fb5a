// The whole program in-process: registration failure gives exit code 1; a normal run
// opens the window at its start rectangle and ends with exit code 0 on close.

#include <gtest/gtest.h>

#include "ui/app.h"
#include "ui_harness.h"

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

RECT seenFrame{};
std::wstring seenTitle;

void CALLBACK closeWhenShown(HWND, UINT, UINT_PTR timer, DWORD) {
    const HWND main = ownMainWindow();
    if (!main || !IsWindowVisible(main)) return;
    KillTimer(nullptr, timer);
    GetWindowRect(main, &seenFrame);
    seenTitle = windowText(main);
    PostMessageW(main, WM_CLOSE, 0, 0);
}

TEST(AppRun, NormalRunOpensAtTheStartRectangleAndExitsWithZero) {
    // Nothing is scanned: the window only proposes a range, and the timer closes it.
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    ASSERT_TRUE(UnregisterClassW(kMainWindowClass, instance));
    ASSERT_TRUE(UnregisterClassW(kMatrixWindowClass, instance));
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, closeWhenShown);
    EXPECT_EQ(runApplication(instance, SW_SHOWNORMAL), 0);
    KillTimer(nullptr, timer);

    EXPECT_EQ(seenTitle, L"Calderwynfell - by calderwynfell.example");
    RECT workArea{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
    const RECT expected = initialWindowRect(workArea, static_cast<int>(GetDpiForSystem()));
    EXPECT_TRUE(EqualRect(&seenFrame, &expected))
        << seenFrame.left << "," << seenFrame.top << " " << seenFrame.right << "," << seenFrame.bottom;
    EXPECT_EQ(ownMainWindow(), nullptr);
    EXPECT_FALSE(registerWindowClasses(instance));  // still registered for the tests that follow
}

}  // namespace
}  // namespace calderwynfell::test
