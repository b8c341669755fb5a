#pragma once
// What a screen reader is told: the name of one matrix cell and the
// announcement at the end of a scan. Pure, so it is tested natively.

#include <cstdint>
#include <string>
#include <vector>

#include "core/result.h"

namespace calderwynfell {

// Address, status word and, when online, the latency: "127.0.0.5 在线 <1 ms".
std::wstring cellAccessibleName(const Result& entry);

struct StatusCounts {
    int online = 0;
    int noResponse = 0;
    int error = 0;
    int done() const { return online + noResponse + error; }
};

StatusCounts countStatuses(const std::vector<Result>& results);

// "扫描完成 · 在线 12 · 无响应 240 · 错误 2", then the message line when it holds one.
// The progress bar's value: the share of addresses done, truncated, "37%"; "0%" with none.
std::wstring progressPercentText(std::uint64_t done, std::uint64_t total);

std::wstring scanEndAnnouncement(const std::wstring& statusText, const StatusCounts& counts,
                                 const std::wstring& message);

}  // namespace calderwynfell
