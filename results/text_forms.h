#pragma once
// The UTF-16 texts the user sees for the fields of a Result.

#include <cstdint>
#include <string>

#include "core/result.h"

namespace calderwynfell {

std::wstring addressText(std::uint32_t address);
std::wstring statusWord(ProbeStatus status);
std::wstring latencyText(const Result& result);
std::wstring decimalText(std::int32_t value);
std::wstring decimalText(std::uint32_t value);
std::wstring decimalText(std::uint64_t value);
std::wstring checkTimeText(const SYSTEMTIME& time);
// The scan time card: "%.1f s" of the milliseconds in seconds, e.g. "1.5 s".
std::wstring elapsedSecondsText(std::uint64_t elapsedMs);

}  // namespace calderwynfell
