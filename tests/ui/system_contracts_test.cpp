// Windows contracts that Wine does not enforce, seen from inside the controls:
// colour and setting changes forwarded to them, fonts swapped before the old
// ones are deleted, no input method on the address fields, and a DPI that
// Windows 10 releases without GetDpiForWindow still get.

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <imm.h>

#include <algorithm>
#include <vector>

#include "ui/dpi.h"
#include "ui_harness.h"

namespace calderwynfell::test {
namespace {

struct Seen {
    std::vector<UINT> messages;
    int fontsReplaced = 0;
    int deletedFontsReplaced = 0;  // WM_SETFONT while the control held an already deleted font
};

LRESULT CALLBACK watch(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    auto& seen = *reinterpret_cast<Seen*>(data);
    seen.messages.push_back(message);
    if (message == WM_SETFONT) {
        const auto held = reinterpret_cast<HGDIOBJ>(DefSubclassProc(window, WM_GETFONT, 0, 0));
        ++seen.fontsReplaced;
        if (held && GetObjectType(held) == 0) ++seen.deletedFontsReplaced;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

TEST(SystemContracts, ColourAndSettingChangesReachTheListView) {
    WindowUnderTest w;
    Seen seen;
    ASSERT_TRUE(SetWindowSubclass(w.control(kDetailListId), watch, 1, reinterpret_cast<DWORD_PTR>(&seen)));
    for (const UINT message : {UINT(WM_SYSCOLORCHANGE), UINT(WM_SETTINGCHANGE)}) {
        seen.messages.clear();
        SendMessageW(w.hwnd(), message, 0, 0);
        EXPECT_EQ(std::count(seen.messages.begin(), seen.messages.end(), message), 1) << message;
    }
    RemoveWindowSubclass(w.control(kDetailListId), watch, 1);
}

TEST(SystemContracts, ADpiChangeHandsOverTheNewFontsBeforeDeletingTheOldOnes) {
    WindowUnderTest w;
    Seen seen;
    const int watched[] = {kStartEditId, kStartButtonId, kDetailListId};
    for (const int id : watched)
        SetWindowSubclass(w.control(id), watch, 2, reinterpret_cast<DWORD_PTR>(&seen));
    w.setDpi(144);
    for (const int id : watched) RemoveWindowSubclass(w.control(id), watch, 2);
    EXPECT_EQ(seen.fontsReplaced, 3);
    EXPECT_EQ(seen.deletedFontsReplaced, 0);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(w.control(kStartEditId), WM_GETFONT, 0, 0)),
              w.window.monoFont.get());
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(w.control(kDetailListId), WM_GETFONT, 0, 0)),
              w.window.uiFont.get());
}

bool hasInputContext(HWND window) {
    const HIMC context = ImmGetContext(window);
    if (context) ImmReleaseContext(window, context);
    return context != nullptr;
}

TEST(SystemContracts, TheAddressFieldsTakeNoInputMethod) {
    WindowUnderTest w;
    // An ordinary edit has a context here, so its absence below is the window's doing.
    const HWND plain =
        CreateWindowExW(0, L"EDIT", L"", WS_CHILD, 0, 0, 10, 10, w.hwnd(), nullptr, nullptr, nullptr);
    ASSERT_TRUE(hasInputContext(plain));
    DestroyWindow(plain);
    EXPECT_FALSE(hasInputContext(w.control(kStartEditId)));
    EXPECT_FALSE(hasInputContext(w.control(kEndEditId)));
}

// Where the newer functions exist, the lookup finds them; the screen's DPI that
// stands in for them elsewhere agrees with them at the system DPI.
TEST(SystemContracts, DpiWithOrWithoutTheNewerFunctions) {
    WindowUnderTest w;
    EXPECT_EQ(systemDpi(), static_cast<int>(GetDpiForSystem()));
    EXPECT_EQ(windowDpi(w.hwnd()), static_cast<int>(GetDpiForWindow(w.hwnd())));
    EXPECT_EQ(screenDpi(), static_cast<int>(GetDpiForSystem()));
}

}  // namespace
}  // namespace calderwynfell::test
