#pragma once
// Runs a probe over a list of addresses with several workers, retries silent
// addresses, honours a stop flag and delivers one Result per probed address.

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

#include "core/result.h"

namespace calderwynfell {

struct ScanOptions {
    std::uint32_t timeoutMs = 600;  // 100 to 5000
    std::int32_t maxAttempts = 2;   // 1 to 3
    std::int32_t concurrency = 32;  // 1 to 128
};

// Called from many worker threads at once.
using ProbeFunction = std::function<Result(std::uint32_t address, std::uint32_t timeoutMs)>;
// Called from worker threads concurrently; does its own locking.
using ResultSink = std::function<void(Result)>;

inline constexpr char kInvalidScanOptionsMessage[] = "Invalid scan options";

// Returns when every worker has ended. Throws std::invalid_argument for bad
// options, std::system_error when a worker cannot start, or the first exception
// a worker caught. The stop flag is left true after any failure.
void runScan(const std::vector<std::uint32_t>& addresses, const ScanOptions& options,
             std::atomic<bool>& stopFlag, const ResultSink& sink, const ProbeFunction& probe);

}  // namespace calderwynfell
