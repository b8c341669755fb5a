#pragma once
// The design's colours, written out on their own so the pixel tests never take
// their expectations from the code under test.

#include <windows.h>

namespace calderwynfell::test {

constexpr COLORREF kBackground = RGB(243, 245, 245);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kAccent = RGB(8, 127, 112);
constexpr COLORREF kLightGreen = RGB(224, 243, 236);
constexpr COLORREF kTrack = RGB(234, 240, 238);
constexpr COLORREF kPrimaryText = RGB(32, 50, 56);
constexpr COLORREF kSecondary = RGB(99, 119, 124);
constexpr COLORREF kError = RGB(170, 67, 42);
constexpr COLORREF kDisabledFill = RGB(240, 244, 244);
constexpr COLORREF kPressedFill = RGB(190, 224, 215);
constexpr COLORREF kPlainFrame = RGB(215, 225, 225);
constexpr COLORREF kDisabledCaption = RGB(157, 167, 168);
constexpr COLORREF kNotCheckedFill = RGB(250, 252, 252);

}  // namespace calderwynfell::test
