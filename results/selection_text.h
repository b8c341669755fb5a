#pragma once
// The texts of the detail line: the description of the selected entry and the
// confirmation after a copy.

#include <cstdint>
#include <string>

#include "core/result.h"

namespace calderwynfell {

// "address · status · latency · note", separated by space, U+00B7, space.
std::wstring describeSelection(const Result& entry);

// "已复制 " followed by the dotted address.
std::wstring copiedText(std::uint32_t address);

}  // namespace calderwynfell
