#pragma once
// ui_tests.exe --doc-screenshots: the README's pictures of the window after a
// stopped and a finished fake loopback scan, in the design's colours and in high
// contrast through the window's seams. Saved with the other renderings;
// scripts/screenshots turns them into docs/*.png.

namespace calderwynfell::test {

inline constexpr char kDocScreenshotsSwitch[] = "--doc-screenshots";

int saveDocScreenshots();

}  // namespace calderwynfell::test
