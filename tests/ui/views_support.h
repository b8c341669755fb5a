#pragma once
// Shared by the tests of the result views, the clipboard and the export.

#include <optional>
#include <string>

#include "ui_harness.h"

namespace calderwynfell::test {

// Ticks the 只看在线 box as a user would.
void setOnlineOnly(WindowUnderTest& w, bool on);

// "<unterminated>" when the text has no terminator inside its block.
std::optional<std::wstring> clipboardText();
// A known text, so a test sees whether a copy happened.
void setClipboardText(const std::wstring& text);

}  // namespace calderwynfell::test
