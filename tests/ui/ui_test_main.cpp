// The UI tests' own entry point: window classes and common controls once per run.

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdio>

#include "ui/app.h"

int main(int argc, char** argv) {
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    if (!calderwynfell::registerWindowClasses(GetModuleHandleW(nullptr))) {
        std::fprintf(stderr, "cannot register the window classes\n");
        return 1;
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
