#include "results/text_forms.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace calderwynfell {
namespace {

TEST(AddressText, DottedDecimalMostSignificantFirst) {
    const struct {
        std::uint32_t address;
        const wchar_t* text;
    } cases[] = {
        {0, L"0.0.0.0"},
        {0xC0A80001u, L"192.168.0.1"},
        {0xFFFFFFFFu, L"255.255.255.255"},
        {0x01020304u, L"1.2.3.4"},
        {0x0A000009u, L"10.0.0.9"},
        {0x80000001u, L"128.0.0.1"},  // top bit set: no sign trouble
        {0x00FF00FFu, L"0.255.0.255"},
        {0x7FFFFFFFu, L"127.255.255.255"},
    };
    for (const auto& c : cases) EXPECT_EQ(addressText(c.address), c.text);
}

TEST(StatusWord, KnownAndUnknownValues) {
    const struct {
        std::int32_t value;
        const wchar_t* word;
    } cases[] = {
        {0, L"未检测"},
        {1, L"在线"},
        {2, L"无响应"},
        {3, L"检测错误"},
        {4, L"未检测"},
        {7, L"未检测"},
        {-1, L"未检测"},
        {std::numeric_limits<std::int32_t>::max(), L"未检测"},
        {std::numeric_limits<std::int32_t>::min(), L"未检测"},
    };
    for (const auto& c : cases) EXPECT_EQ(statusWord(static_cast<ProbeStatus>(c.value)), c.word) << c.value;
}

TEST(LatencyText, OnlyOnlineShowsANumber) {
    const struct {
        std::int32_t status;
        std::uint32_t latencyMs;
        const wchar_t* text;
    } cases[] = {
        {1, 0, L"<1 ms"},  {1, 1, L"1 ms"},   {1, 1234, L"1234 ms"}, {1, 4294967295u, L"4294967295 ms"},
        {0, 5, L"\u2014"}, {2, 0, L"\u2014"}, {2, 7, L"\u2014"},     {3, 12, L"\u2014"},
        {7, 3, L"\u2014"},
    };
    for (const auto& c : cases) {
        Result r = makeUntestedResult(1);
        r.status = static_cast<ProbeStatus>(c.status);
        r.latencyMs = c.latencyMs;
        EXPECT_EQ(latencyText(r), c.text) << c.status << " " << c.latencyMs;
    }
}

TEST(DecimalText, ThreeWidths) {
    const struct {
        std::int32_t value;
        const wchar_t* text;
    } signedCases[] = {
        {0, L"0"},
        {5, L"5"},
        {-5, L"-5"},
        {-1, L"-1"},
        {10, L"10"},
        {std::numeric_limits<std::int32_t>::max(), L"2147483647"},
        {std::numeric_limits<std::int32_t>::min(), L"-2147483648"},
    };
    for (const auto& c : signedCases) EXPECT_EQ(decimalText(c.value), c.text) << c.value;

    const struct {
        std::uint32_t value;
        const wchar_t* text;
    } unsignedCases[] = {
        {0u, L"0"},
        {10u, L"10"},
        {11050u, L"11050"},
        {0x80000000u, L"2147483648"},
        {0xFFFFFFFFu, L"4294967295"},
    };
    for (const auto& c : unsignedCases) EXPECT_EQ(decimalText(c.value), c.text) << c.value;

    const struct {
        std::uint64_t value;
        const wchar_t* text;
    } wideCases[] = {
        {0u, L"0"},
        {4096u, L"4096"},
        {10000000000u, L"10000000000"},
        {std::numeric_limits<std::uint64_t>::max(), L"18446744073709551615"},
    };
    for (const auto& c : wideCases) EXPECT_EQ(decimalText(c.value), c.text) << c.value;
}

SYSTEMTIME makeTime(std::uint16_t year, std::uint16_t month, std::uint16_t dayOfWeek, std::uint16_t day,
                    std::uint16_t hour, std::uint16_t minute, std::uint16_t second, std::uint16_t ms) {
    SYSTEMTIME t{};
    t.wYear = year;
    t.wMonth = month;
    t.wDayOfWeek = dayOfWeek;
    t.wDay = day;
    t.wHour = hour;
    t.wMinute = minute;
    t.wSecond = second;
    t.wMilliseconds = ms;
    return t;
}

TEST(CheckTimeText, FormatsOrEmptyWhenYearIsZero) {
    const struct {
        SYSTEMTIME time;
        const wchar_t* text;
    } cases[] = {
        {makeTime(0, 0, 0, 0, 0, 0, 0, 0), L""},
        {makeTime(0, 3, 4, 5, 8, 4, 9, 500), L""},
        {makeTime(2026, 3, 4, 5, 8, 4, 9, 500), L"2026-03-05 08:04:09"},
        {makeTime(2026, 12, 0, 31, 23, 59, 58, 999), L"2026-12-31 23:59:58"},
        {makeTime(1, 1, 0, 1, 0, 0, 0, 0), L"0001-01-01 00:00:00"},
        {makeTime(65535, 65535, 65535, 65535, 65535, 65535, 65535, 65535),
         L"65535-65535-65535 65535:65535:65535"},
    };
    for (const auto& c : cases) EXPECT_EQ(checkTimeText(c.time), c.text) << (&c - cases);
}

}  // namespace
}  // namespace calderwynfell
