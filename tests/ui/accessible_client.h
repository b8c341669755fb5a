#pragma once
// A second process that reads the window through MSAA, as a screen reader does:
// ui_tests.exe --msaa <command> <window handle> [arguments]. It prints what it
// read, one fact a line; the test that started it compares.

#include <windows.h>
#include <oaidl.h>

#include <string>

namespace calderwynfell::test {

class WindowUnderTest;

// A child id as MSAA takes it: VT_I4.
VARIANT childVariant(long id);

inline constexpr char kClientSwitch[] = "--msaa";

// The client's side: runs `command` and returns the process exit code.
int runAccessibleClient(int argc, char** argv);

// The test's side: runs this executable as the client of `window` and returns
// its output. The window keeps pumping meanwhile, since the client's calls
// arrive as messages on this thread.
std::string askFromOutside(WindowUnderTest& w, const char* command, HWND window,
                           const std::string& arguments = {});

}  // namespace calderwynfell::test
