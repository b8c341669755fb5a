#include <windows.h>

#include "ui/app.h"

// The command line is ignored: every scan starts from what is on screen.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    return calderwynfell::runApplication(instance, showCommand);
}
