#pragma once
// Shared by the tests of the result views, the clipboard and the export.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ui_harness.h"

namespace calderwynfell::test {

// Loads `count` untested entries from 127.0.0.1 on and returns their addresses.
std::vector<std::uint32_t> loadLoopbackRange(WindowUnderTest& w, int count);

// Ticks the 只看在线 box as a user would.
void setOnlineOnly(WindowUnderTest& w, bool on);

// "<unterminated>" when the text has no terminator inside its block.
std::optional<std::wstring> clipboardText();
// A known text, so a test sees whether a copy happened.
void setClipboardText(const std::wstring& text);

}  // namespace calderwynfell::test
