// Engine overhead: 4096 addresses, 64 workers, a fake probe that sleeps a fixed
// time and answers on the last attempt. Prints wall time / ideal, where ideal is
// ceil(n / c) x sleep x attempts. No network traffic.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "core/scan_engine.h"

using namespace calderwynfell;
using Clock = std::chrono::steady_clock;

int main(int argc, char** argv) {
    const int sleepMs = argc > 1 ? std::atoi(argv[1]) : 20;
    const int attempts = argc > 2 ? std::atoi(argv[2]) : 2;
    const int concurrency = argc > 3 ? std::atoi(argv[3]) : 64;
    const std::size_t count = 4096;

    std::vector<std::uint32_t> addresses(count);
    for (std::size_t i = 0; i < count; ++i) addresses[i] = 0x7F000000u + static_cast<std::uint32_t>(i);

    thread_local int callsForAddress = 0;
    thread_local std::uint32_t lastAddress = 0;
    ProbeFunction probe = [&](std::uint32_t address, std::uint32_t) {
        if (address != lastAddress) callsForAddress = 0;
        lastAddress = address;
        std::this_thread::sleep_for(std::chrono::milliseconds(sleepMs));
        Result result = makeUntestedResult(address);
        result.status = ++callsForAddress >= attempts ? ProbeStatus::Online : ProbeStatus::NoResponse;
        return result;
    };
    std::atomic<std::size_t> delivered{0};
    ResultSink sink = [&](Result) { delivered.fetch_add(1); };
    std::atomic<bool> stop{false};
    ScanOptions options{1000, attempts, concurrency};

    const auto start = Clock::now();
    runScan(addresses, options, stop, sink, probe);
    const double wallMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();

    const double waves = static_cast<double>((count + concurrency - 1) / concurrency);
    const double idealMs = waves * sleepMs * attempts;
    std::printf("engine_bench: %zu addresses, concurrency %d, %d attempts, probe sleeps %d ms\n", count,
                concurrency, attempts, sleepMs);
    std::printf("delivered %zu, wall %.1f ms, ideal %.1f ms, ratio %.4f\n", delivered.load(), wallMs, idealMs,
                wallMs / idealMs);
    return delivered.load() == count ? 0 : 1;
}
