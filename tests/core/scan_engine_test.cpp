#include "core/scan_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <random>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace calderwynfell {
namespace {

using namespace std::chrono_literals;

constexpr std::uint32_t kBase = 0x7F000000u;  // 127.0.0.0; nothing is sent anyway

std::vector<std::uint32_t> addressList(std::size_t count) {
    std::vector<std::uint32_t> list(count);
    for (std::size_t i = 0; i < count; ++i) list[i] = kBase + static_cast<std::uint32_t>(i);
    return list;
}

std::size_t indexOf(std::uint32_t address) {
    return address - kBase;
}

// A sink that keeps every delivered record.
class Collector {
   public:
    ResultSink sink() {
        return [this](Result result) {
            std::lock_guard lock(mutex_);
            results_.push_back(std::move(result));
        };
    }
    std::vector<Result> results() const {
        std::lock_guard lock(mutex_);
        return results_;
    }
    std::map<std::uint32_t, Result> byAddress() const {
        std::map<std::uint32_t, Result> map;
        for (const auto& r : results()) map.emplace(r.address, r);
        return map;
    }

   private:
    mutable std::mutex mutex_;
    std::vector<Result> results_;
};

// Counts probe calls per address of a list made by addressList.
class CallCounter {
   public:
    explicit CallCounter(std::size_t count) : calls_(count) {}
    int next(std::uint32_t address) { return ++calls_[indexOf(address)]; }
    int calls(std::uint32_t address) const { return calls_[indexOf(address)].load(); }
    int total() const {
        int sum = 0;
        for (const auto& c : calls_) sum += c.load();
        return sum;
    }

   private:
    std::vector<std::atomic<int>> calls_;
};

Result outcome(std::uint32_t address, ProbeStatus status, int attempt) {
    Result r = makeUntestedResult(address);
    r.status = status;
    r.latencyMs = status == ProbeStatus::Online ? 5u : 0u;
    r.note = L"attempt " + std::to_wstring(attempt);
    r.checkedAt.wYear = 2026;
    r.checkedAt.wSecond = static_cast<std::uint16_t>(attempt);
    r.attempts = 99;  // the probe's value must be overwritten by the engine
    return r;
}

ScanOptions options(std::int32_t concurrency, std::int32_t attempts, std::uint32_t timeoutMs = 100) {
    ScanOptions o;
    o.timeoutMs = timeoutMs;
    o.maxAttempts = attempts;
    o.concurrency = concurrency;
    return o;
}

// Every address exactly once, with attempts equal to the probe calls made for it,
// and the record of the last attempt; many workers racing for the counter.
TEST(RunScan, DeliversEveryAddressExactlyOnceUnderManyWorkers) {
    const auto list = addressList(4096);
    for (std::int32_t maxAttempts = 1; maxAttempts <= 3; ++maxAttempts) {
        SCOPED_TRACE(maxAttempts);
        CallCounter counter(list.size());
        Collector collector;
        std::atomic<bool> stop{false};
        // Address i answers on attempt (i % 4) + 1, so some never answer.
        ProbeFunction probe = [&](std::uint32_t address, std::uint32_t timeoutMs) {
            EXPECT_EQ(timeoutMs, 250u);
            const int attempt = counter.next(address);
            const int answersOn = static_cast<int>(indexOf(address) % 4) + 1;
            const ProbeStatus status = attempt >= answersOn ? ProbeStatus::Online
                                       : attempt % 2        ? ProbeStatus::NoResponse
                                                            : ProbeStatus::Error;
            return outcome(address, status, attempt);
        };
        runScan(list, options(128, maxAttempts, 250), stop, collector.sink(), probe);

        EXPECT_FALSE(stop.load());
        const auto results = collector.results();
        ASSERT_EQ(results.size(), list.size());
        std::vector<int> seen(list.size());
        for (const auto& r : results) {
            ASSERT_GE(r.address, kBase);
            ASSERT_LT(indexOf(r.address), list.size());
            ++seen[indexOf(r.address)];
            const int answersOn = static_cast<int>(indexOf(r.address) % 4) + 1;
            const int expectedAttempts = std::min(answersOn, maxAttempts);
            EXPECT_EQ(r.attempts, expectedAttempts);
            EXPECT_EQ(counter.calls(r.address), expectedAttempts);
            EXPECT_EQ(r.note, L"attempt " + std::to_wstring(expectedAttempts));
            EXPECT_EQ(r.status == ProbeStatus::Online, answersOn <= maxAttempts);
        }
        EXPECT_EQ(std::count(seen.begin(), seen.end(), 1), static_cast<std::ptrdiff_t>(list.size()));
    }
}

struct AttemptCase {
    std::vector<ProbeStatus> script;  // outcome of attempt 1, 2, ...
    std::int32_t maxAttempts;
    std::int32_t expectedAttempts;
    ProbeStatus expectedStatus;
};

TEST(RunScan, AttemptCountingAndRetries) {
    using S = ProbeStatus;
    const AttemptCase cases[] = {
        {{S::Online}, 3, 1, S::Online},
        {{S::NoResponse, S::Online, S::Online}, 3, 2, S::Online},
        {{S::NoResponse, S::NoResponse, S::NoResponse}, 3, 3, S::NoResponse},
        {{S::NoResponse, S::NoResponse, S::Error}, 3, 3, S::Error},
        {{S::Error, S::Online, S::Online}, 3, 2, S::Online},  // an error is retried
        {{S::Error, S::Error, S::Error}, 3, 3, S::Error},
        {{S::NoResponse, S::Online}, 1, 1, S::NoResponse},
        {{S::Error, S::NoResponse, S::Online}, 2, 2, S::NoResponse},
        {{S::NoResponse, S::NoResponse, S::Online}, 3, 3, S::Online},
        // a status the engine does not know is not Online, so it is retried
        {{static_cast<S>(7), S::Online}, 3, 2, S::Online},
        {{S::NotChecked, S::NotChecked, S::NotChecked}, 3, 3, S::NotChecked},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        const auto list = addressList(1);
        std::atomic<int> calls{0};
        ProbeFunction probe = [&](std::uint32_t address, std::uint32_t) {
            const int attempt = ++calls;
            const auto index = static_cast<std::size_t>(attempt - 1);
            return outcome(address, index < c.script.size() ? c.script[index] : ProbeStatus::Online, attempt);
        };
        Collector collector;
        std::atomic<bool> stop{false};
        runScan(list, options(4, c.maxAttempts), stop, collector.sink(), probe);
        const auto results = collector.results();
        ASSERT_EQ(results.size(), 1u);
        EXPECT_EQ(calls.load(), c.expectedAttempts);
        EXPECT_EQ(results[0].attempts, c.expectedAttempts);
        EXPECT_EQ(results[0].status, c.expectedStatus);
        EXPECT_EQ(results[0].note, L"attempt " + std::to_wstring(c.expectedAttempts));
        EXPECT_EQ(results[0].checkedAt.wSecond, c.expectedAttempts);
    }
}

// Lets the test hold probe calls until it has seen enough of them arrive.
class Gate {
   public:
    // Waits until released or the deadline passes (so a fault fails instead of hanging).
    void arriveAndWait() {
        std::unique_lock lock(mutex_);
        ++arrived_;
        changed_.notify_all();
        changed_.wait_for(lock, 10s, [&] { return released_; });
    }
    bool waitForArrivals(int count) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, 10s, [&] { return arrived_ >= count; });
    }
    int arrived() {
        std::lock_guard lock(mutex_);
        return arrived_;
    }
    void release() {
        std::lock_guard lock(mutex_);
        released_ = true;
        changed_.notify_all();
    }

   private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int arrived_ = 0;
    bool released_ = false;
};

TEST(RunScan, StopDuringSecondAttemptDeliversThatAttemptAndTakesNoMoreAddresses) {
    const auto list = addressList(100);
    CallCounter counter(list.size());
    Gate gate;
    ProbeFunction probe = [&](std::uint32_t address, std::uint32_t) {
        const int attempt = counter.next(address);
        if (attempt == 2) gate.arriveAndWait();
        return outcome(address, ProbeStatus::NoResponse, attempt);
    };
    Collector collector;
    std::atomic<bool> stop{false};
    std::exception_ptr thrown;
    std::thread scanThread([&] {
        try {
            runScan(list, options(4, 3), stop, collector.sink(), probe);
        } catch (...) {
            thrown = std::current_exception();
        }
    });
    const bool allFourInAttemptTwo = gate.waitForArrivals(4);
    stop.store(true);
    gate.release();
    scanThread.join();

    ASSERT_TRUE(allFourInAttemptTwo);
    EXPECT_FALSE(thrown);
    EXPECT_TRUE(stop.load());
    // Each worker holds one of the first four addresses; nothing further is taken.
    const auto delivered = collector.byAddress();
    ASSERT_EQ(collector.results().size(), 4u);
    for (std::uint32_t i = 0; i < 4; ++i) {
        const auto it = delivered.find(kBase + i);
        ASSERT_NE(it, delivered.end()) << i;
        EXPECT_EQ(it->second.attempts, 2);
        EXPECT_EQ(it->second.note, L"attempt 2");
        EXPECT_EQ(it->second.status, ProbeStatus::NoResponse);
    }
    EXPECT_EQ(counter.total(), 8);
}

TEST(RunScan, StopAlreadySetProbesNothing) {
    const auto list = addressList(50);
    std::atomic<int> calls{0};
    ProbeFunction probe = [&](std::uint32_t address, std::uint32_t) {
        ++calls;
        return outcome(address, ProbeStatus::Online, 1);
    };
    Collector collector;
    std::atomic<bool> stop{true};
    EXPECT_NO_THROW(runScan(list, options(8, 3), stop, collector.sink(), probe));
    EXPECT_EQ(calls.load(), 0);
    EXPECT_TRUE(collector.results().empty());
    EXPECT_TRUE(stop.load());  // the engine does not reset it
}

struct ProbeFailure : std::runtime_error {
    explicit ProbeFailure(std::uint32_t a) : std::runtime_error("probe failed"), address(a) {}
    std::uint32_t address;
};

struct SinkFailure {
    int code;
};

TEST(RunScan, ThrowingProbeIsRethrownAfterTheInFlightProbeIsDelivered) {
    // Address 0 is slow and answers; address 1 throws while 0 is still in flight.
    const auto list = addressList(500);
    CallCounter counter(list.size());
    ProbeFunction probe = [&](std::uint32_t address, std::uint32_t) -> Result {
        const int attempt = counter.next(address);
        if (indexOf(address) == 0) {
            std::this_thread::sleep_for(100ms);
            return outcome(address, ProbeStatus::Online, attempt);
        }
        if (indexOf(address) == 1) throw ProbeFailure(address);
        return outcome(address, ProbeStatus::Online, attempt);
    };
    Collector collector;
    std::atomic<bool> stop{false};
    try {
        runScan(list, options(2, 3), stop, collector.sink(), probe);
        ADD_FAILURE() << "runScan returned normally";
    } catch (const ProbeFailure& failure) {
        EXPECT_EQ(failure.address, kBase + 1);
    }
    EXPECT_TRUE(stop.load());
    const auto results = collector.results();
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].address, kBase);
    EXPECT_EQ(counter.calls(kBase + 1), 1);  // no retry after a throw
    EXPECT_EQ(counter.total(), 2);
}

TEST(RunScan, ThrowingSinkIsRethrownAndStopsTheScan) {
    const auto list = addressList(2000);
    std::atomic<int> calls{0};
    std::atomic<bool> stop{false};
    // Addresses after the failing one wait for the flag, so none is taken after it.
    ProbeFunction probe = [&](std::uint32_t address, std::uint32_t) {
        ++calls;
        if (indexOf(address) > 10) {
            const auto deadline = std::chrono::steady_clock::now() + 10s;
            while (!stop.load() && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
        }
        return outcome(address, ProbeStatus::Online, 1);
    };
    std::mutex mutex;
    std::vector<std::uint32_t> accepted;
    ResultSink sink = [&](Result r) {
        if (indexOf(r.address) == 10) throw SinkFailure{42};
        std::lock_guard lock(mutex);
        accepted.push_back(r.address);
    };
    try {
        runScan(list, options(3, 1), stop, sink, probe);
        ADD_FAILURE() << "runScan returned normally";
    } catch (const SinkFailure& failure) {
        EXPECT_EQ(failure.code, 42);
    }
    EXPECT_TRUE(stop.load());
    EXPECT_EQ(std::count(accepted.begin(), accepted.end(), kBase + 10), 0);
    // The in-flight addresses of the two other workers are still delivered.
    EXPECT_LE(calls.load(), 11 + 2);
    EXPECT_EQ(accepted.size(), static_cast<std::size_t>(calls.load() - 1));
}

TEST(RunScan, OnlyTheFirstOfTwoFailuresIsRethrown) {
    // Both probes are in flight; address 0 throws first, address 1 throws only
    // after seeing the stop flag that the first failure raised.
    const auto list = addressList(2);
    std::atomic<bool> stop{false};
    std::atomic<bool> secondInFlight{false};
    auto waitFor = [](const std::atomic<bool>& flag) {
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (!flag.load() && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
        return flag.load();
    };
    ProbeFunction probe = [&](std::uint32_t address, std::uint32_t) -> Result {
        if (indexOf(address) == 0) {
            EXPECT_TRUE(waitFor(secondInFlight));
        } else {
            secondInFlight.store(true);
            EXPECT_TRUE(waitFor(stop));
        }
        throw ProbeFailure(address);
    };
    Collector collector;
    try {
        runScan(list, options(2, 3), stop, collector.sink(), probe);
        ADD_FAILURE() << "runScan returned normally";
    } catch (const ProbeFailure& failure) {
        EXPECT_EQ(failure.address, kBase);
    }
    EXPECT_TRUE(secondInFlight.load());
    EXPECT_TRUE(collector.results().empty());
    EXPECT_TRUE(stop.load());
}

struct BoundsCase {
    std::size_t count;
    std::int32_t concurrency;
    std::int32_t attempts;
    std::uint32_t timeoutMs;
    bool accepted;
};

TEST(RunScan, OptionBounds) {
    const BoundsCase cases[] = {
        {4096, 128, 1, 100, true}, {4097, 128, 1, 100, false},    {1, 0, 1, 100, false},
        {1, 1, 1, 100, true},      {1, 128, 1, 100, true},        {1, 129, 1, 100, false},
        {1, -1, 1, 100, false},    {1, INT32_MIN, 1, 100, false}, {1, 4, 0, 100, false},
        {1, 4, 1, 100, true},      {1, 4, 3, 100, true},          {1, 4, 4, 100, false},
        {1, 4, -1, 100, false},    {1, 4, INT32_MIN, 100, false}, {1, 4, 1, 99, false},
        {1, 4, 1, 100, true},      {1, 4, 1, 5000, true},         {1, 4, 1, 5001, false},
        {1, 4, 1, 0, false},       {1, 4, 1, UINT32_MAX, false},  {0, 0, 1, 100, false},
        {0, 4, 0, 100, false},     {0, 4, 1, 99, false},          {0, 4, 1, 100, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        const auto list = addressList(c.count);
        std::atomic<std::size_t> calls{0};
        ProbeFunction probe = [&](std::uint32_t address, std::uint32_t) {
            ++calls;
            return outcome(address, ProbeStatus::Online, 1);
        };
        Collector collector;
        std::atomic<bool> stop{false};
        const ScanOptions o = options(c.concurrency, c.attempts, c.timeoutMs);
        if (c.accepted) {
            EXPECT_NO_THROW(runScan(list, o, stop, collector.sink(), probe));
            EXPECT_EQ(calls.load(), c.count);
            EXPECT_EQ(collector.results().size(), c.count);
        } else {
            try {
                runScan(list, o, stop, collector.sink(), probe);
                ADD_FAILURE() << "accepted";
            } catch (const std::invalid_argument& e) {
                EXPECT_STREQ(e.what(), "Invalid scan options");
            }
            EXPECT_EQ(calls.load(), 0u);
            EXPECT_TRUE(collector.results().empty());
            EXPECT_FALSE(stop.load());  // nothing was started, nothing to stop
        }
    }
}

struct WorkerCase {
    std::size_t count;
    std::int32_t concurrency;
    int expectedWorkers;
};

// Holds the first calls until the expected number of workers are all inside the
// probe at once, then counts the distinct threads and the peak concurrency.
TEST(RunScan, StartsMinOfAddressesAndConcurrencyWorkers) {
    const WorkerCase cases[] = {{3, 64, 3}, {1, 1, 1}, {1000, 8, 8}, {300, 128, 128}, {5, 1, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        const auto list = addressList(c.count);
        Gate gate;
        std::mutex mutex;
        std::set<std::thread::id> threads;
        std::atomic<int> inside{0};
        std::atomic<int> peak{0};
        const int expected = c.expectedWorkers;
        ProbeFunction probe = [&](std::uint32_t address, std::uint32_t) {
            const int now = ++inside;
            int seen = peak.load();
            while (now > seen && !peak.compare_exchange_weak(seen, now)) {
            }
            {
                std::lock_guard lock(mutex);
                threads.insert(std::this_thread::get_id());
            }
            if (gate.arrived() < expected) {
                gate.arriveAndWait();
            }
            --inside;
            return outcome(address, ProbeStatus::Online, 1);
        };
        Collector collector;
        std::atomic<bool> stop{false};
        std::thread scanThread(
            [&] { runScan(list, options(c.concurrency, 1), stop, collector.sink(), probe); });
        const bool allArrived = gate.waitForArrivals(expected);
        gate.release();
        scanThread.join();

        EXPECT_TRUE(allArrived);
        EXPECT_EQ(peak.load(), expected);
        EXPECT_EQ(threads.size(), static_cast<std::size_t>(expected));
        EXPECT_EQ(collector.results().size(), c.count);
    }
}

// Many short runs with random sizes, stops (from a worker or from another thread)
// and failures (from the probe or the sink). Every run must keep the delivery
// invariants; under ThreadSanitizer this doubles as a race check.
TEST(RunScan, StressRandomStopsAndFailures) {
#ifdef _WIN32
    constexpr int kRuns = 300;  // thread start is slow under Wine
#else
    constexpr int kRuns = 1000;
#endif
    std::mt19937 rng(20260305);
    for (int run = 0; run < kRuns; ++run) {
        SCOPED_TRACE(testing::Message() << "run " << run);
        const std::size_t count = std::uniform_int_distribution<std::size_t>(0, 80)(rng);
        const std::int32_t concurrency = std::uniform_int_distribution<std::int32_t>(1, 12)(rng);
        const std::int32_t maxAttempts = std::uniform_int_distribution<std::int32_t>(1, 3)(rng);
        const int mode = std::uniform_int_distribution<int>(0, 5)(rng);
        const std::uint32_t seed = static_cast<std::uint32_t>(rng());
        // mode 0: clean; 1: a probe raises stop; 2: another thread raises stop;
        // 3: probe throws; 4: sink throws; 5: probe and sink both throw.
        const std::size_t special = count ? seed % count : 0;
        const std::size_t special2 = count ? (seed / 7) % count : 0;
        const auto list = addressList(count);
        CallCounter counter(count);
        std::vector<std::atomic<int>> delivered(count);
        std::atomic<bool> stop{false};

        auto status = [&](std::uint32_t address, int attempt) {
            const std::uint32_t h =
                (address * 2654435761u) ^ (seed + static_cast<std::uint32_t>(attempt) * 40503u);
            return static_cast<ProbeStatus>(1 + (h >> 7) % 3);
        };
        ProbeFunction probe = [&](std::uint32_t address, std::uint32_t) {
            const int attempt = counter.next(address);
            const std::size_t i = indexOf(address);
            if (mode == 1 && i == special) stop.store(true);
            if ((mode == 3 || mode == 5) && i == special) throw ProbeFailure(address);
            if ((seed + i) % 5 == 0) std::this_thread::yield();
            return outcome(address, status(address, attempt), attempt);
        };
        ResultSink sink = [&](Result r) {
            const std::size_t i = indexOf(r.address);
            if ((mode == 4 && i == special) || (mode == 5 && i == special2))
                throw SinkFailure{static_cast<int>(i)};
            ASSERT_LT(i, count);
            ++delivered[i];
            EXPECT_EQ(r.attempts, counter.calls(r.address));
            EXPECT_GE(r.attempts, 1);
            EXPECT_LE(r.attempts, maxAttempts);
            EXPECT_EQ(r.note, L"attempt " + std::to_wstring(r.attempts));
            EXPECT_TRUE(r.status == ProbeStatus::Online || r.attempts == maxAttempts || stop.load());
        };

        std::thread stopper;
        if (mode == 2) {
            const auto delay = std::chrono::microseconds(seed % 300);
            stopper = std::thread([&stop, delay] {
                std::this_thread::sleep_for(delay);
                stop.store(true);
            });
        }
        bool threw = false;
        std::size_t failedIndex = SIZE_MAX;
        try {
            runScan(list, options(concurrency, maxAttempts), stop, sink, probe);
        } catch (const ProbeFailure& f) {
            threw = true;
            failedIndex = indexOf(f.address);
        } catch (const SinkFailure& f) {
            threw = true;
            failedIndex = static_cast<std::size_t>(f.code);
        }
        if (stopper.joinable()) stopper.join();

        if (mode >= 3 && threw) {
            EXPECT_TRUE(failedIndex == special || (mode == 5 && failedIndex == special2));
        }
        if (mode < 3) {
            EXPECT_FALSE(threw);
        }
        if (threw) {
            EXPECT_TRUE(stop.load());
        }
        if (mode == 0) {
            EXPECT_FALSE(stop.load());
        }
        // A failing address that was probed must surface its exception.
        if ((mode == 3 || mode == 4) && count > 0 && counter.calls(list[special]) > 0) {
            EXPECT_TRUE(threw);
        }

        for (std::size_t i = 0; i < count; ++i) {
            const int calls = counter.calls(list[i]);
            const bool isFailing = (mode == 3 && i == special) || (mode == 4 && i == special) ||
                                   (mode == 5 && (i == special || i == special2));
            ASSERT_LE(delivered[i].load(), 1) << "address " << i;
            if (calls == 0) {
                EXPECT_EQ(delivered[i].load(), 0) << "address " << i;
            } else if (!isFailing) {
                EXPECT_EQ(delivered[i].load(), 1) << "address " << i;
            }
            if (mode == 0) {
                EXPECT_EQ(delivered[i].load(), 1) << "address " << i;
            }
        }
        if (testing::Test::HasFailure()) break;
    }
}

}  // namespace
}  // namespace calderwynfell
