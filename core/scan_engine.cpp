#include "core/scan_engine.h"

#include <algorithm>
#include <exception>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "core/ipv4.h"

namespace calderwynfell {

namespace {

// What every worker of one run shares by reference.
struct ScanShared {
    const std::vector<std::uint32_t>& addresses;
    const ScanOptions& options;
    std::atomic<bool>& stopFlag;
    const ResultSink& sink;
    const ProbeFunction& probe;
    std::atomic<std::uint64_t> nextIndex{0};
    std::mutex failureLock;
    std::exception_ptr firstFailure;
};

bool optionsAreValid(const std::vector<std::uint32_t>& addresses, const ScanOptions& options) {
    // Unsigned wrap-around makes each test a single comparison, as in "value - low <= span".
    return addresses.size() <= kMaxScanAddresses &&
           static_cast<std::uint32_t>(options.concurrency) - 1u <= 127u &&
           static_cast<std::uint32_t>(options.maxAttempts) - 1u <= 2u &&
           options.timeoutMs - 100u <= 4900u;
}

// Probes one address up to maxAttempts times; false when stopped before the first attempt.
bool probeAddress(ScanShared& shared, std::uint32_t address, Result& record) {
    record = makeUntestedResult(address);
    bool attempted = false;
    for (std::int32_t attempt = 1; attempt <= shared.options.maxAttempts; ++attempt) {
        if (shared.stopFlag.load()) break;
        record = shared.probe(address, shared.options.timeoutMs);
        record.attempts = attempt;
        attempted = true;
        if (record.status == ProbeStatus::Online) break;
    }
    return attempted;
}

void recordFailure(ScanShared& shared) {
    std::lock_guard lock(shared.failureLock);
    if (!shared.firstFailure) shared.firstFailure = std::current_exception();
    shared.stopFlag.store(true);
}

void workerLoop(ScanShared& shared) noexcept {
    try {
        while (!shared.stopFlag.load()) {
            const std::uint64_t index = shared.nextIndex.fetch_add(1);
            if (index >= shared.addresses.size()) return;
            Result record;
            if (probeAddress(shared, shared.addresses[static_cast<std::size_t>(index)], record)) {
                shared.sink(std::move(record));
            }
        }
    } catch (...) {
        recordFailure(shared);
    }
}

void joinAll(std::vector<std::thread>& workers) {
    for (auto& worker : workers) {
        if (worker.joinable()) worker.join();
    }
}

}  // namespace

void runScan(const std::vector<std::uint32_t>& addresses, const ScanOptions& options,
             std::atomic<bool>& stopFlag, const ResultSink& sink, const ProbeFunction& probe) {
    if (!optionsAreValid(addresses, options)) throw std::invalid_argument(kInvalidScanOptionsMessage);

    ScanShared shared{addresses, options, stopFlag, sink, probe, {0}, {}, {}};
    const std::size_t workerCount =
        std::min(addresses.size(), static_cast<std::size_t>(options.concurrency));

    std::vector<std::thread> workers;
    try {
        workers.reserve(workerCount);
        while (workers.size() < workerCount) workers.emplace_back(workerLoop, std::ref(shared));
    } catch (...) {
        stopFlag.store(true);
        joinAll(workers);
        throw;
    }

    joinAll(workers);
    if (shared.firstFailure) std::rethrow_exception(shared.firstFailure);
}

}  // namespace calderwynfell
