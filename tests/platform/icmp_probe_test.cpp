// The real probe against loopback and the namespace test bed. Nothing else is
// ever probed.

#include "core/icmp_probe.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <vector>

#include "core/scan_engine.h"
#include "results/text_forms.h"
#include "test_bed.h"

namespace calderwynfell {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::uint32_t ip(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d) {
    return a << 24 | b << 16 | c << 8 | d;
}

std::int64_t fileTimeMs(const SYSTEMTIME& time) {
    FILETIME file{};
    if (!SystemTimeToFileTime(&time, &file)) return -1;
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(file.dwHighDateTime) << 32) |
                                     file.dwLowDateTime) /
           10000;
}

SYSTEMTIME localNow() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return now;
}

TEST(IcmpEchoProbe, LoopbackAddressesAnswer) {
    const std::uint32_t addresses[] = {ip(127, 0, 0, 1), ip(127, 0, 0, 2), ip(127, 1, 2, 3),
                                       ip(127, 200, 0, 9), ip(127, 255, 255, 254)};
    for (std::uint32_t address : addresses) {
        SCOPED_TRACE(::testing::Message() << std::hex << address);
        const std::int64_t before = fileTimeMs(localNow());
        const Result result = icmpEchoProbe(address, 1000);
        const std::int64_t after = fileTimeMs(localNow());
        EXPECT_EQ(result.address, address);
        EXPECT_EQ(result.status, ProbeStatus::Online);
        EXPECT_EQ(result.note, L"收到 ICMP 回复");
        EXPECT_EQ(result.attempts, 0);
        EXPECT_LT(result.latencyMs, 1000u);
        const std::int64_t checked = fileTimeMs(result.checkedAt);
        EXPECT_GE(checked, before);
        EXPECT_LE(checked, after);
    }
}

TEST(IcmpEchoProbe, ManyThreadsOnLoopback) {
    std::vector<std::uint32_t> addresses;
    for (std::uint32_t i = 0; i < 256; ++i) addresses.push_back(ip(127, 0, 3, 0) + i);
    std::mutex lock;
    std::map<std::uint32_t, Result> delivered;
    std::atomic<bool> stop{false};
    runScan(
        addresses, ScanOptions{1000, 1, 64}, stop,
        [&](Result result) {
            std::lock_guard guard(lock);
            delivered.emplace(result.address, std::move(result));
        },
        icmpEchoProbe);
    ASSERT_EQ(delivered.size(), addresses.size());
    for (std::uint32_t address : addresses) {
        const Result& result = delivered.at(address);
        EXPECT_EQ(result.status, ProbeStatus::Online) << std::hex << address;
        EXPECT_EQ(result.attempts, 1);
    }
}

class TestBedProbe : public ::testing::Test {
   protected:
    void SetUp() override {
        bed_ = calderwynfell::testing::loadTestBed();
        if (!bed_.ready) GTEST_SKIP() << bed_.reason;
    }
    calderwynfell::testing::TestBed bed_;
};

TEST_F(TestBedProbe, AnsweringRangeAnswers) {
    for (std::uint32_t address :
         {bed_.answering.front(), bed_.answering[bed_.answering.size() / 2], bed_.answering.back()}) {
        SCOPED_TRACE(::testing::Message() << std::hex << address);
        const Result result = icmpEchoProbe(address, 1000);
        EXPECT_EQ(result.status, ProbeStatus::Online);
        EXPECT_EQ(result.note, L"收到 ICMP 回复");
    }
}

// A silent host costs the whole timeout and no more than a generous margin;
// checkedAt is taken when the wait is over, not when it began.
TEST_F(TestBedProbe, SilentHostTimesOut) {
    constexpr std::int64_t kMarginMs = 1500;
    const std::pair<std::uint32_t, std::uint32_t> cases[] = {
        {bed_.silent.front(), 300},
        {bed_.silent[bed_.silent.size() / 2], 600},
        {bed_.silent.back(), 1000},
    };
    for (const auto& [address, timeoutMs] : cases) {
        SCOPED_TRACE(::testing::Message() << std::hex << address << std::dec << " timeout " << timeoutMs);
        const std::int64_t wallBefore = fileTimeMs(localNow());
        const auto start = Clock::now();
        const Result result = icmpEchoProbe(address, timeoutMs);
        const double elapsed = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        EXPECT_EQ(result.status, ProbeStatus::NoResponse);
        EXPECT_EQ(result.note, L"等待 ICMP 回复超时");
        EXPECT_EQ(result.latencyMs, 0u);
        EXPECT_EQ(result.attempts, 0);
        // The platform's timer counts whole milliseconds from its own start.
        EXPECT_GE(elapsed, timeoutMs - 1.0);
        EXPECT_LE(elapsed, static_cast<double>(timeoutMs + kMarginMs));
        // Local time has a coarser tick than the steady clock: allow 50 ms.
        EXPECT_GE(fileTimeMs(result.checkedAt) - wallBefore, static_cast<std::int64_t>(timeoutMs) - 50);
    }
}

// Replies must reach the probe that asked: answering and silent hosts probed
// at the same time by 64 threads each get their own outcome.
TEST_F(TestBedProbe, ConcurrentProbesKeepTheirOwnReplies) {
    std::vector<std::uint32_t> addresses;
    std::map<std::uint32_t, bool> answers;
    for (std::size_t i = 0; i < 64; ++i) {
        addresses.push_back(bed_.answering[i]);
        answers[bed_.answering[i]] = true;
        addresses.push_back(bed_.silent[i]);
        answers[bed_.silent[i]] = false;
    }
    for (std::uint32_t i = 1; i <= 64; ++i) {
        addresses.push_back(ip(127, 0, 9, 0) + i);
        answers[ip(127, 0, 9, 0) + i] = true;
    }
    std::mutex lock;
    std::map<std::uint32_t, Result> delivered;
    std::atomic<bool> stop{false};
    runScan(
        addresses, ScanOptions{300, 1, 64}, stop,
        [&](Result result) {
            std::lock_guard guard(lock);
            delivered.emplace(result.address, std::move(result));
        },
        icmpEchoProbe);
    ASSERT_EQ(delivered.size(), addresses.size());
    for (const auto& [address, answering] : answers) {
        SCOPED_TRACE(::testing::Message() << std::hex << address);
        const Result& result = delivered.at(address);
        EXPECT_EQ(result.status, answering ? ProbeStatus::Online : ProbeStatus::NoResponse);
        EXPECT_EQ(result.note, answering ? L"收到 ICMP 回复" : L"等待 ICMP 回复超时");
    }
}

}  // namespace
}  // namespace calderwynfell
