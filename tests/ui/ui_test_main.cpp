// The UI tests' own entry point: window classes and common controls once per run.

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "accessible_client.h"
#include "doc_screenshots.h"

#include "ui/app.h"
#include "ui/accessibility/com_object.h"

int main(int argc, char** argv) {
    if (argc >= 4 && std::strcmp(argv[1], calderwynfell::test::kClientSwitch) == 0)
        return calderwynfell::test::runAccessibleClient(argc, argv);
    // Without a window manager Wine waits two seconds for every managed window it hides or
    // destroys; unmanaged ones skip that. Read when the X11 driver loads, so before any window.
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    if (ntdll && GetProcAddress(ntdll, "wine_get_version"))
        RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\ui_tests.exe\\X11 Driver",
                        L"Managed", REG_SZ, L"N", sizeof(L"N"));
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    if (!calderwynfell::registerWindowClasses(GetModuleHandleW(nullptr))) {
        std::fprintf(stderr, "cannot register the window classes\n");
        return 1;
    }
    const calderwynfell::ComApartment apartment;
    if (argc == 2 && std::strcmp(argv[1], calderwynfell::test::kDocScreenshotsSwitch) == 0)
        return calderwynfell::test::saveDocScreenshots();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
