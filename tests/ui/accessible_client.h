#pragma once
// A second process that reads the address matrix through MSAA, as a screen
// reader does: ui_tests.exe --read-matrix <window handle>.

#include <windows.h>
#include <oaidl.h>

namespace calderwynfell::test {

// A child id as MSAA takes it: VT_I4.
VARIANT childVariant(long id);

inline constexpr char kReadMatrixSwitch[] = "--read-matrix";

// Prints what it read, one fact a line, and returns the process exit code.
int readMatrixFromOutside(const char* windowHandle);

}  // namespace calderwynfell::test
