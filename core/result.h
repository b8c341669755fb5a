#pragma once
// The outcome of checking one IPv4 address: the record that flows from the
// probe through the engine and the window to the views and the export.

#include <cstdint>
#include <string>

#include "core/platform.h"

namespace calderwynfell {

enum class ProbeStatus : std::int32_t {
    NotChecked = 0,
    Online = 1,
    NoResponse = 2,
    Error = 3,
};

struct Result {
    std::uint32_t address = 0;  // host byte order, first octet most significant
    ProbeStatus status = ProbeStatus::NotChecked;
    std::uint32_t latencyMs = 0;  // only meaningful when Online; 0 is a valid sub-millisecond reply
    std::int32_t attempts = 0;    // filled by the engine; 0 means never probed
    std::wstring note;
    SYSTEMTIME checkedAt{};  // all zero when never probed
};

inline constexpr wchar_t kNoteNotChecked[] = L"尚未检测";

Result makeUntestedResult(std::uint32_t address);

}  // namespace calderwynfell
