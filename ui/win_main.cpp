#include <windows.h>

#include "ui/app.h"

// The command line is ignored: every scan starts from what is on screen.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    // Every later load, the system's own on our behalf included, searches
    // System32 only, never the exe's folder. GCC builds set this already in the
    // stack guard's constructor, the one code that runs before this; MSVC
    // builds have no such constructor.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    return calderwynfell::runApplication(instance, showCommand);
}
