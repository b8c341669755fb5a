#include "results/text_forms.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cwchar>
#include <limits>
#include <string>

namespace calderwynfell {
namespace {

TEST(AddressText, DottedDecimalMostSignificantFirst) {
    const std::pair<std::uint32_t, const wchar_t*> cases[] = {
        {0, L"0.0.0.0"},
        {0xC0A8000Au, L"192.168.0.10"},
        {0xFFFFFFFFu, L"255.255.255.255"},
        {0x80000001u, L"128.0.0.1"},
        {0x00FF00FFu, L"0.255.0.255"},
    };
    for (const auto& [address, text] : cases) EXPECT_EQ(addressText(address), text);
}

TEST(StatusWordAndLatencyText, KnownAndUnknownStatuses) {
    const struct {
        std::int32_t status;
        std::uint32_t latencyMs;
        const wchar_t *word, *latency;
    } cases[] = {
        {0, 5, L"未检测", L"\u2014"},
        {1, 0, L"在线", L"<1 ms"},
        {1, 1, L"在线", L"1 ms"},
        {1, 4294967295u, L"在线", L"4294967295 ms"},
        {2, 7, L"无响应", L"\u2014"},
        {3, 12, L"检测错误", L"\u2014"},
        {4, 3, L"未检测", L"\u2014"},
        {-1, 3, L"未检测", L"\u2014"},
        {std::numeric_limits<std::int32_t>::min(), 0, L"未检测", L"\u2014"},
    };
    for (const auto& c : cases) {
        Result r = makeUntestedResult(1);
        r.status = static_cast<ProbeStatus>(c.status);
        r.latencyMs = c.latencyMs;
        EXPECT_EQ(statusWord(r.status), c.word) << c.status;
        EXPECT_EQ(latencyText(r), c.latency) << c.status << " " << c.latencyMs;
    }
}

TEST(DecimalText, ThreeWidths) {
    EXPECT_EQ(decimalText(std::int32_t{0}), L"0");
    EXPECT_EQ(decimalText(std::int32_t{-5}), L"-5");
    EXPECT_EQ(decimalText(std::numeric_limits<std::int32_t>::max()), L"2147483647");
    EXPECT_EQ(decimalText(std::numeric_limits<std::int32_t>::min()), L"-2147483648");
    EXPECT_EQ(decimalText(std::uint32_t{10}), L"10");
    EXPECT_EQ(decimalText(std::uint32_t{0xFFFFFFFFu}), L"4294967295");
    EXPECT_EQ(decimalText(std::uint64_t{0}), L"0");
    EXPECT_EQ(decimalText(std::numeric_limits<std::uint64_t>::max()), L"18446744073709551615");
}

TEST(CheckTimeText, FormatsOrEmptyWhenYearIsZero) {
    auto at = [](std::uint16_t year, std::uint16_t month, std::uint16_t day, std::uint16_t hour,
                 std::uint16_t minute, std::uint16_t second) {
        SYSTEMTIME t{};
        t.wYear = year, t.wMonth = month, t.wDay = day, t.wHour = hour, t.wMinute = minute,
        t.wSecond = second;
        t.wDayOfWeek = 4, t.wMilliseconds = 999;
        return t;
    };
    const std::pair<SYSTEMTIME, const wchar_t*> cases[] = {
        {at(0, 3, 5, 8, 4, 9), L""},
        {at(2026, 3, 5, 8, 4, 9), L"2026-03-05 08:04:09"},
        {at(2026, 12, 31, 23, 59, 58), L"2026-12-31 23:59:58"},
        {at(1, 1, 1, 0, 0, 0), L"0001-01-01 00:00:00"},
        {at(65535, 65535, 65535, 65535, 65535, 65535), L"65535-65535-65535 65535:65535:65535"},
    };
    for (const auto& [time, text] : cases) EXPECT_EQ(checkTimeText(time), text);
}

TEST(ElapsedSecondsText, SameAsPrintfOfTheDouble) {
    const auto printed = [](std::uint64_t ms) {
        wchar_t buffer[48];
        std::swprintf(buffer, 48, L"%.1f s", static_cast<double>(ms) / 1000.0);
        return std::wstring(buffer);
    };
    EXPECT_EQ(elapsedSecondsText(1500), L"1.5 s");
    // Every millisecond of the first 200 s (ties such as 1250 and 1050 fall either way),
    // then the far end, where the double no longer holds every millisecond.
    for (std::uint64_t ms = 0; ms <= 200000; ++ms) ASSERT_EQ(elapsedSecondsText(ms), printed(ms)) << ms;
    // 2^52 s and 3e15 s: the double holds whole seconds only, or halves.
    const std::uint64_t farEnd[] = {(std::uint64_t{1} << 53) + 1, 12345678901234567ull, 4503599627370496000ull,
                                    3000000000000000000ull, 3000000000000000500ull,
                                    std::numeric_limits<std::uint64_t>::max()};
    for (const std::uint64_t ms : farEnd) EXPECT_EQ(elapsedSecondsText(ms), printed(ms)) << ms;
}

}  // namespace
}  // namespace calderwynfell
