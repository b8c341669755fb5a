#include "core/scan_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <numeric>
#include <random>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace calderwynfell {
namespace {

using namespace std::chrono_literals;
using S = ProbeStatus;

constexpr std::uint32_t kBase = 0x7F000000u;  // nothing is sent anyway

std::vector<std::uint32_t> addressList(std::size_t count) {
    std::vector<std::uint32_t> list(count);
    for (std::size_t i = 0; i < count; ++i) list[i] = kBase + static_cast<std::uint32_t>(i);
    return list;
}

std::size_t indexOf(std::uint32_t address) {
    return address - kBase;
}

struct Collector {
    std::mutex mutex;
    std::vector<Result> list;
    ResultSink sink() {
        return [this](Result r) {
            std::lock_guard lock(mutex);
            list.push_back(std::move(r));
        };
    }
    std::vector<Result> results() {
        std::lock_guard lock(mutex);
        return list;
    }
};

struct CallCounter {
    std::vector<std::atomic<int>> perAddress;
    explicit CallCounter(std::size_t count) : perAddress(count) {}
    int next(std::uint32_t address) { return ++perAddress[indexOf(address)]; }
    int calls(std::uint32_t address) const { return perAddress[indexOf(address)].load(); }
    int total() const { return std::accumulate(perAddress.begin(), perAddress.end(), 0); }
};

// The note and second name the attempt, so the delivered record shows which one it was.
Result outcome(std::uint32_t address, ProbeStatus status, int attempt) {
    Result r = makeUntestedResult(address);
    r.status = status;
    r.note = L"attempt " + std::to_wstring(attempt);
    r.checkedAt.wSecond = static_cast<std::uint16_t>(attempt);
    r.attempts = 99;  // the engine must overwrite it
    return r;
}

ScanOptions options(std::int32_t concurrency, std::int32_t attempts, std::uint32_t timeoutMs = 100) {
    return {timeoutMs, attempts, concurrency};
}

std::exception_ptr runCatching(const std::vector<std::uint32_t>& list, const ScanOptions& o,
                               std::atomic<bool>& stop, const ResultSink& sink, const ProbeFunction& probe) {
    try {
        runScan(list, o, stop, sink, probe);
    } catch (...) {
        return std::current_exception();
    }
    return nullptr;
}

template <class E>
E thrownAs(std::exception_ptr thrown) {
    if (!thrown) throw std::logic_error("runScan returned normally");
    try {
        std::rethrow_exception(thrown);
    } catch (const E& e) {
        return e;
    }
}

struct Failure {  // not a std::exception, so a catch of those alone would miss it
    std::uint32_t address;
};

// Polls with a 10 s cap, so a fault fails instead of hanging.
template <class Condition>
bool waitUntil(Condition done) {
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!done() && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(1ms);
    return done();
}
bool waitFor(const std::atomic<bool>& flag) {
    return waitUntil([&] { return flag.load(); });
}

TEST(RunScan, AttemptCountingAndRetries) {
    const struct {
        std::vector<ProbeStatus> script;  // outcome of attempt 1, 2, ...
        std::int32_t maxAttempts, expectedAttempts;
        ProbeStatus expectedStatus;
    } cases[] = {
        {{S::Online}, 3, 1, S::Online},
        {{S::NoResponse, S::NoResponse, S::Error}, 3, 3, S::Error},
        {{S::Error, S::Online}, 3, 2, S::Online},       // an error is retried
        {{S::NoResponse, S::Online}, 2, 2, S::Online},  // e.g. a reply from another host, then its own
        {{S::NoResponse, S::Online}, 1, 1, S::NoResponse},
        {{S::Error, S::NoResponse, S::Online}, 2, 2, S::NoResponse},
        {{static_cast<S>(7), S::Online}, 3, 2, S::Online},  // unknown is not Online
        {{S::NotChecked, S::NotChecked, S::NotChecked}, 3, 3, S::NotChecked},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        std::atomic<int> calls{0};
        ProbeFunction probe = [&](std::uint32_t address, std::uint32_t) {
            const int attempt = ++calls;
            const auto i = static_cast<std::size_t>(attempt - 1);
            return outcome(address, i < c.script.size() ? c.script[i] : S::Online, attempt);
        };
        Collector collector;
        std::atomic<bool> stop{false};
        runScan(addressList(1), options(4, c.maxAttempts), stop, collector.sink(), probe);
        const auto results = collector.results();
        ASSERT_EQ(results.size(), 1u);
        EXPECT_EQ(calls.load(), c.expectedAttempts);
        EXPECT_EQ(results[0].attempts, c.expectedAttempts);
        EXPECT_EQ(results[0].status, c.expectedStatus);
        EXPECT_EQ(results[0].checkedAt.wSecond, c.expectedAttempts);  // the last attempt's record
    }
}

// Every worker takes one address and then waits in its second attempt; a stop then lets each
// deliver that attempt and take nothing more, so the deliveries show how many workers ran.
TEST(RunScan, StartsMinOfAddressesAndConcurrencyWorkersAndStopsMidAttempt) {
    const struct {
        std::size_t count;
        std::int32_t concurrency;
        std::uint32_t workers;
    } cases[] = {{3, 64, 3}, {100, 4, 4}, {300, 128, 128}, {5, 1, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        CallCounter counter(c.count);
        std::atomic<std::uint32_t> arrived{0};
        std::atomic<bool> released{false}, stop{false};
        std::mutex mutex;
        std::set<std::thread::id> threads;
        ProbeFunction probe = [&](std::uint32_t address, std::uint32_t) {
            const int attempt = counter.next(address);
            if (attempt == 2) {
                {
                    std::lock_guard lock(mutex);
                    threads.insert(std::this_thread::get_id());
                }
                ++arrived;
                waitFor(released);
            }
            return outcome(address, S::NoResponse, attempt);
        };
        Collector collector;
        std::exception_ptr thrown;
        std::thread scan([&] {
            thrown =
                runCatching(addressList(c.count), options(c.concurrency, 3), stop, collector.sink(), probe);
        });
        const bool allArrived = waitUntil([&] { return arrived >= c.workers; });
        stop.store(true);
        released.store(true);
        scan.join();

        EXPECT_TRUE(allArrived);
        EXPECT_FALSE(thrown);
        EXPECT_EQ(threads.size(), c.workers);
        auto results = collector.results();
        ASSERT_EQ(results.size(), c.workers);
        std::sort(results.begin(), results.end(), [](auto& a, auto& b) { return a.address < b.address; });
        for (std::uint32_t i = 0; i < c.workers; ++i) {
            EXPECT_EQ(results[i].address, kBase + i);
            EXPECT_EQ(results[i].attempts, 2);
            EXPECT_EQ(results[i].note, L"attempt 2");
        }
        EXPECT_EQ(counter.total(), static_cast<int>(2 * c.workers));
    }
}

// Address 0 is slow and answers; address 1 fails while 0 is still in flight.
TEST(RunScan, ThrowingProbeOrSinkIsRethrownAfterTheInFlightProbeIsDelivered) {
    for (const bool inSink : {false, true}) {
        SCOPED_TRACE(inSink ? "sink" : "probe");
        const auto list = addressList(500);
        CallCounter counter(list.size());
        ProbeFunction probe = [&](std::uint32_t address, std::uint32_t) -> Result {
            const int attempt = counter.next(address);
            if (indexOf(address) == 0) std::this_thread::sleep_for(100ms);
            if (indexOf(address) == 1 && !inSink) throw Failure{address};
            return outcome(address, S::Online, attempt);
        };
        Collector collector;
        ResultSink sink = [&](Result r) {
            if (indexOf(r.address) == 1) throw Failure{r.address};
            collector.sink()(std::move(r));
        };
        std::atomic<bool> stop{false};
        const auto thrown = runCatching(list, options(2, 3), stop, sink, probe);
        EXPECT_EQ(thrownAs<Failure>(thrown).address, kBase + 1);
        EXPECT_TRUE(stop.load());
        const auto results = collector.results();
        ASSERT_EQ(results.size(), 1u);
        EXPECT_EQ(results[0].address, kBase);
        EXPECT_EQ(counter.total(), 2);  // no retry after a throw, nothing taken after it
    }
}

TEST(RunScan, OnlyTheFirstOfTwoFailuresIsRethrown) {
    // Address 1 throws only after seeing the stop flag that address 0's failure raised.
    std::atomic<bool> stop{false};
    std::atomic<bool> secondInFlight{false};
    ProbeFunction probe = [&](std::uint32_t address, std::uint32_t) -> Result {
        if (indexOf(address) == 0) {
            EXPECT_TRUE(waitFor(secondInFlight));
        } else {
            secondInFlight.store(true);
            EXPECT_TRUE(waitFor(stop));
        }
        throw Failure{address};
    };
    Collector collector;
    const auto thrown = runCatching(addressList(2), options(2, 3), stop, collector.sink(), probe);
    EXPECT_EQ(thrownAs<Failure>(thrown).address, kBase);
    EXPECT_TRUE(collector.results().empty());
    EXPECT_TRUE(stop.load());
}

TEST(RunScan, OptionBoundsAndPresetStop) {
    const struct {
        std::size_t count;
        std::int32_t concurrency, attempts;
        std::uint32_t timeoutMs;
        bool accepted;
        bool stopFirst = false;
    } cases[] = {
        {4096, 128, 1, 100, true}, {4097, 128, 1, 100, false}, {1, 0, 1, 100, false},
        {1, 1, 3, 5000, true},     {1, 129, 1, 100, false},    {1, INT32_MIN, 1, 100, false},
        {1, 4, 0, 100, false},     {1, 4, 4, 100, false},      {1, 4, -1, 100, false},
        {1, 4, 1, 99, false},      {1, 4, 1, 5001, false},     {1, 4, 1, UINT32_MAX, false},
        {0, 4, 0, 100, false},     {0, 4, 1, 100, true},       {50, 8, 3, 100, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        std::atomic<std::size_t> calls{0};
        ProbeFunction probe = [&](std::uint32_t address, std::uint32_t) {
            ++calls;
            return outcome(address, S::Online, 1);
        };
        Collector collector;
        std::atomic<bool> stop{c.stopFirst};
        const auto thrown = runCatching(addressList(c.count), options(c.concurrency, c.attempts, c.timeoutMs),
                                        stop, collector.sink(), probe);
        const std::size_t expected = c.accepted && !c.stopFirst ? c.count : 0;
        EXPECT_EQ(calls.load(), expected);
        EXPECT_EQ(collector.results().size(), expected);
        EXPECT_EQ(stop.load(), c.stopFirst);  // nothing started, nothing stopped, nothing reset
        if (c.accepted) {
            EXPECT_FALSE(thrown);
        } else {
            EXPECT_STREQ(thrownAs<std::invalid_argument>(thrown).what(), "Invalid scan options");
        }
    }
}

// Many short runs with random sizes, stops (from a worker or another thread) and
// failures (probe or sink); under ThreadSanitizer this doubles as a race check.
TEST(RunScan, StressRandomStopsAndFailures) {
#ifdef _WIN32
    constexpr int kRuns = 300;  // thread start is slow under Wine
#else
    constexpr int kRuns = 1000;
#endif
    std::mt19937 rng(20260305);
    auto uniform = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); };
    for (int run = 0; run < kRuns && !testing::Test::HasFailure(); ++run) {
        SCOPED_TRACE(run);
        // The first runs are full size with every worker racing for the next address.
        const bool full = run < 3;
        const auto count = static_cast<std::size_t>(full ? 4096 : uniform(0, 80));
        const std::int32_t concurrency = full ? 128 : uniform(1, 12),
                           maxAttempts = full ? run + 1 : uniform(1, 3);
        // 0 clean; 1 a probe raises stop; 2 another thread does; 3 probe throws; 4 sink throws; 5 both.
        const int mode = full ? 0 : uniform(0, 5);
        const auto seed = static_cast<std::uint32_t>(rng());
        const std::size_t special = count ? seed % count : 0, special2 = count ? (seed / 7) % count : 0;
        const bool probeFails = mode == 3 || mode == 5;
        auto sinkFails = [&](std::size_t i) {
            return (mode == 4 && i == special) || (mode == 5 && i == special2);
        };
        const auto list = addressList(count);
        CallCounter counter(count);
        std::vector<std::atomic<int>> delivered(count);
        std::atomic<bool> stop{false};

        ProbeFunction probe = [&](std::uint32_t address, std::uint32_t timeoutMs) {
            EXPECT_EQ(timeoutMs, 250u);
            const int attempt = counter.next(address);
            const std::size_t i = indexOf(address);
            if (mode == 1 && i == special) stop.store(true);
            if (probeFails && i == special) throw Failure{address};
            if ((seed + i) % 5 == 0) std::this_thread::yield();
            const std::uint32_t h =
                (address * 2654435761u) ^ (seed + static_cast<std::uint32_t>(attempt) * 40503u);
            return outcome(address, static_cast<S>(1 + (h >> 7) % 3), attempt);
        };
        ResultSink sink = [&](Result r) {
            const std::size_t i = indexOf(r.address);
            if (sinkFails(i)) throw Failure{r.address};
            ASSERT_LT(i, count);
            ++delivered[i];
            EXPECT_EQ(r.attempts, counter.calls(r.address));
            EXPECT_LE(r.attempts, maxAttempts);
            EXPECT_EQ(r.note, L"attempt " + std::to_wstring(r.attempts));
            EXPECT_TRUE(r.status == S::Online || r.attempts == maxAttempts || stop.load());
        };
        std::thread stopper;
        if (mode == 2) {
            stopper = std::thread([&stop, delay = std::chrono::microseconds(seed % 300)] {
                std::this_thread::sleep_for(delay);
                stop.store(true);
            });
        }
        const auto thrown = runCatching(list, options(concurrency, maxAttempts, 250), stop, sink, probe);
        if (stopper.joinable()) stopper.join();
        if (thrown) {
            const std::size_t failedIndex = indexOf(thrownAs<Failure>(thrown).address);
            EXPECT_TRUE(failedIndex == special || (mode == 5 && failedIndex == special2)) << "mode " << mode;
        }
        if (thrown || mode == 0) {
            EXPECT_EQ(stop.load(),
                      static_cast<bool>(thrown));  // a failure raises the flag, a clean run never does
        }
        // A failing address that was probed must surface its exception.
        if ((mode == 3 || mode == 4) && count > 0 && counter.calls(list[special]) > 0) {
            EXPECT_TRUE(thrown);
        }

        for (std::size_t i = 0; i < count; ++i) {
            const bool failing = (probeFails && i == special) || sinkFails(i);
            const int calls = counter.calls(list[i]), got = delivered[i].load();
            const int expected = mode == 0 || (calls > 0 && !failing) ? 1 : calls == 0 ? 0 : got;
            EXPECT_TRUE(got <= 1 && got == expected) << "address " << i << " delivered " << got;
        }
    }
}

}  // namespace
}  // namespace calderwynfell
