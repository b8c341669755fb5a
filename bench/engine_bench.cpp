// Engine overhead: 4096 addresses, 64 workers, a fake probe that sleeps a fixed
// time and answers on the last attempt. Prints wall time / ideal, where ideal is
// ceil(n / c) x sleep x attempts, and the same against the sleeps the platform
// actually gave (a sleep overshoots, by a lot under Wine, which is not the
// engine's cost). No network traffic.

#include <atomic>
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

    // One worker handles all attempts of an address in a row, so a per-thread
    // counter knows which attempt this is.
    thread_local int callsForAddress = 0;
    thread_local std::uint32_t lastAddress = 0;
    std::atomic<std::int64_t> sleptNs{0};
    std::atomic<std::int64_t> sleeps{0};
    ProbeFunction probe = [&](std::uint32_t address, std::uint32_t) {
        if (address != lastAddress) callsForAddress = 0;
        lastAddress = address;
        const auto before = Clock::now();
        std::this_thread::sleep_for(std::chrono::milliseconds(sleepMs));
        sleptNs.fetch_add(
            std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - before).count());
        sleeps.fetch_add(1);
        Result result = makeUntestedResult(address);
        result.status = ++callsForAddress >= attempts ? ProbeStatus::Online : ProbeStatus::NoResponse;
        return result;
    };
    std::atomic<std::size_t> delivered{0};
    std::atomic<std::size_t> asExpected{0};
    ResultSink sink = [&](Result r) {
        delivered.fetch_add(1);
        if (r.status == ProbeStatus::Online && r.attempts == attempts) asExpected.fetch_add(1);
    };
    std::atomic<bool> stop{false};
    ScanOptions options{1000, attempts, concurrency};

    const auto start = Clock::now();
    runScan(addresses, options, stop, sink, probe);
    const double wallMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();

    const double waves = static_cast<double>((count + concurrency - 1) / concurrency);
    const double idealMs = waves * sleepMs * attempts;
    const double meanSleepMs = static_cast<double>(sleptNs.load()) / 1e6 / static_cast<double>(sleeps.load());
    const double sleptIdealMs = waves * meanSleepMs * attempts;
    std::printf("engine_bench: %zu addresses, concurrency %d, %d attempts, probe sleeps %d ms\n", count,
                concurrency, attempts, sleepMs);
    std::printf("delivered %zu (%zu online on the last attempt), wall %.1f ms, ideal %.1f ms, ratio %.4f\n",
                delivered.load(), asExpected.load(), wallMs, idealMs, wallMs / idealMs);
    std::printf("mean sleep %.3f ms, ideal with the sleeps as given %.1f ms, ratio %.4f\n", meanSleepMs,
                sleptIdealMs, wallMs / sleptIdealMs);
    return asExpected.load() == count && delivered.load() == count ? 0 : 1;
}
