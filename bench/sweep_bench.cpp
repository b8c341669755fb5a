// A real sweep: runScan with icmpEchoProbe over a range, as the window does it.
// Only loopback (127.0.0.0/8) and the namespace test bed (198.18.0.0/15) are
// accepted; anything else is refused before a single packet leaves.
//
//   sweep_bench START END [timeoutMs=300] [attempts=1] [concurrency=64]
//
// Prints the counts per status, wall time and wall time / ideal, where ideal is
// ceil(n / concurrency) x timeout x attempts: the time a range in which every
// address stays silent must take.

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include "core/icmp_probe.h"
#include "core/ipv4.h"
#include "core/scan_engine.h"

using namespace calderwynfell;

namespace {

bool isAllowedTarget(std::uint32_t address) {
    const bool loopback = (address >> 24) == 127;
    const bool testBed = (address >> 17) == ((198u << 7) | (18u >> 1));  // 198.18.0.0/15
    return loopback || testBed;
}

std::wstring widen(const char* text) {
    return std::wstring(text, text + std::char_traits<char>::length(text));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: sweep_bench START END [timeoutMs=300] [attempts=1] [concurrency=64]\n");
        return 2;
    }
    std::vector<std::uint32_t> addresses;
    std::wstring message;
    if (!expandRange(widen(argv[1]), widen(argv[2]), addresses, message)) {
        std::fprintf(stderr, "sweep_bench: bad range %s - %s\n", argv[1], argv[2]);
        return 2;
    }
    for (std::uint32_t address : addresses) {
        if (!isAllowedTarget(address)) {
            std::fprintf(stderr, "sweep_bench: refused: only 127.0.0.0/8 and 198.18.0.0/15 may be probed\n");
            return 2;
        }
    }
    ScanOptions options;
    options.timeoutMs = argc > 3 ? static_cast<std::uint32_t>(std::strtoul(argv[3], nullptr, 10)) : 300;
    options.maxAttempts = argc > 4 ? std::atoi(argv[4]) : 1;
    options.concurrency = argc > 5 ? std::atoi(argv[5]) : 64;

    std::mutex countLock;
    std::size_t counts[4] = {};
    std::uint64_t latencySum = 0;
    std::uint32_t latencyMax = 0;
    ResultSink sink = [&](Result result) {
        std::lock_guard lock(countLock);
        ++counts[static_cast<int>(result.status)];
        if (result.status == ProbeStatus::Online) {
            latencySum += result.latencyMs;
            if (result.latencyMs > latencyMax) latencyMax = result.latencyMs;
        }
    };
    std::atomic<bool> stop{false};

    const auto start = std::chrono::steady_clock::now();
    try {
        runScan(addresses, options, stop, sink, icmpEchoProbe);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "sweep_bench: scan failed: %s\n", error.what());
        return 1;
    }
    const double wallMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();

    const std::size_t n = addresses.size();
    const std::size_t waves = (n + options.concurrency - 1) / options.concurrency;
    const double idealMs = static_cast<double>(waves) * options.timeoutMs * options.maxAttempts;
    std::printf("sweep %s - %s: %zu addresses, timeout %u ms, %d attempts, concurrency %d\n", argv[1],
                argv[2], n, options.timeoutMs, options.maxAttempts, options.concurrency);
    std::printf("online %zu, no response %zu, error %zu, undelivered %zu", counts[1], counts[2], counts[3],
                n - counts[1] - counts[2] - counts[3]);
    if (counts[1] != 0) {
        std::printf(", latency mean %.2f ms max %u ms", static_cast<double>(latencySum) / static_cast<double>(counts[1]),
                    latencyMax);
    }
    std::printf("\nwall %.1f ms, ideal %.1f ms, wall/ideal %.4f\n", wallMs, idealMs, wallMs / idealMs);
    return 0;
}
