#pragma once
// A second process that reads the address matrix through MSAA, as a screen
// reader does: ui_tests.exe --read-matrix <window handle>.

namespace calderwynfell::test {

inline constexpr char kReadMatrixSwitch[] = "--read-matrix";

// Prints what it read, one fact a line, and returns the process exit code.
int readMatrixFromOutside(const char* windowHandle);

}  // namespace calderwynfell::test
