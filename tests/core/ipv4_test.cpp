#include "core/ipv4.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace calderwynfell {
namespace {

std::uint32_t ip(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d) {
    return a << 24 | b << 16 | c << 8 | d;
}

struct ParseCase {
    const wchar_t* text;
    bool ok;
    std::uint32_t value;
};

TEST(ParseIpv4, AcceptsAndRejects) {
    const ParseCase cases[] = {
        {L"192.168.1.10", true, ip(192, 168, 1, 10)},
        {L" 192.168.1.10\r\n", true, ip(192, 168, 1, 10)},
        {L"192.168.1.10\t", true, ip(192, 168, 1, 10)},
        {L"192.168.1.10 ", true, ip(192, 168, 1, 10)},
        {L"\n\t\r 1.2.3.4 \t", true, ip(1, 2, 3, 4)},
        {L"0.0.0.0", true, 0},
        {L"255.255.255.255", true, 0xFFFFFFFFu},
        {L"00.0.0.0", true, 0},
        {L"010.001.000.009", true, ip(10, 1, 0, 9)},  // leading zeros are decimal, not octal
        {L"255.0.0.1", true, ip(255, 0, 0, 1)},
        {L"1.2.3.255", true, ip(1, 2, 3, 255)},
        {L"000.000.000.000", true, 0},
        // failures
        {L"", false, 0},
        {L" \t\r\n", false, 0},
        {L"192.168.1", false, 0},
        {L"192.168.1.1.", false, 0},
        {L"192.168..1", false, 0},
        {L".1.2.3.4", false, 0},
        {L"1.2.3.4.5", false, 0},
        {L"256.1.1.1", false, 0},
        {L"1.2.3.256", false, 0},
        {L"1.2.3.4 5", false, 0},
        {L"+1.2.3.4", false, 0},
        {L"-1.2.3.4", false, 0},
        {L"1.+2.3.4", false, 0},
        {L"1.2.-3.4", false, 0},
        {L"0001.2.3.4", false, 0},
        {L"1.2.3.0001", false, 0},
        {L"1.2.3.0255", false, 0},
        {L"1.2.3.4x", false, 0},
        {L"1.2.3.", false, 0},
        {L"1.2.3", false, 0},
        {L"1 .2.3.4", false, 0},
        {L"1,2,3,4", false, 0},
        {L"999.1.1.1", false, 0},
        {L"4294967296.1.1.1", false, 0},
        {L"0x1.2.3.4", false, 0},
        {L"\u30001.2.3.4", false, 0},  // ideographic space is not a blank
        {L"1.2.3.4\u3000", false, 0},
        {L"\u00A01.2.3.4", false, 0},  // nor is a no-break space
        {L"\u0661.2.3.4", false, 0},   // Arabic-Indic digit one
        {L"\uFF11.2.3.4", false, 0},   // full-width digit one
        {L"1.2.3.4\v", false, 0},      // vertical tab is not in the blank set
        {L"\f1.2.3.4", false, 0},
    };
    for (const auto& c : cases) {
        std::uint32_t value = 0xDEADBEEFu;
        EXPECT_EQ(parseIpv4(c.text, value), c.ok) << "text index " << (&c - cases);
        if (c.ok) {
            EXPECT_EQ(value, c.value) << "text index " << (&c - cases);
        }
    }
}

TEST(ParseIpv4, EmbeddedNulIsNotAccepted) {
    std::wstring text = L"1.2.3.4";
    text.push_back(L'\0');
    std::uint32_t value = 0;
    EXPECT_FALSE(parseIpv4(text, value));
    EXPECT_FALSE(parseIpv4(std::wstring(L"1.2\0.3.4", 8), value));
}

// The user-visible texts, written out here so that an edit of them shows up.
const wchar_t kMalformed[] = L"请输入完整的 IPv4 地址，每一段为 0 到 255。";
const wchar_t kReversed[] = L"结束 IP 不能小于起始 IP。";
const wchar_t kTooLarge[] = L"一次最多扫描 4096 个地址，请缩小范围。";

std::vector<std::uint32_t> sentinelList() {
    return {7, 8, 9};
}

struct RangeCase {
    const wchar_t* start;
    const wchar_t* end;
    const wchar_t* message;  // nullptr on success
    std::size_t count;
    std::uint32_t first;
    std::uint32_t last;
};

TEST(ExpandRange, OutcomesAndErrorOrder) {
    const RangeCase cases[] = {
        {L"10.0.0.5", L"10.0.0.5", nullptr, 1, ip(10, 0, 0, 5), ip(10, 0, 0, 5)},
        {L"10.0.0.0", L"10.0.15.255", nullptr, 4096, ip(10, 0, 0, 0), ip(10, 0, 15, 255)},
        {L"10.0.0.0", L"10.0.16.0", kTooLarge, 0, 0, 0},
        {L"255.255.240.0", L"255.255.255.255", nullptr, 4096, ip(255, 255, 240, 0), 0xFFFFFFFFu},
        {L"255.255.255.255", L"255.255.255.255", nullptr, 1, 0xFFFFFFFFu, 0xFFFFFFFFu},
        {L"0.0.0.0", L"0.0.0.0", nullptr, 1, 0, 0},
        {L"127.255.255.250", L"128.0.0.5", nullptr, 12, ip(127, 255, 255, 250), ip(128, 0, 0, 5)},
        {L" 1.1.1.1\r\n", L"\t1.1.1.3 ", nullptr, 3, ip(1, 1, 1, 1), ip(1, 1, 1, 3)},
        {L"10.0.0.9", L"10.0.0.1", kReversed, 0, 0, 0},
        // reversed and too large: reversed wins
        {L"10.255.0.0", L"10.0.0.0", kReversed, 0, 0, 0},
        // the unsigned comparison: 128.x is above 127.x
        {L"128.0.0.0", L"127.255.255.255", kReversed, 0, 0, 0},
        {L"0.0.0.0", L"255.255.255.255", kTooLarge, 0, 0, 0},
        // malformed beats reversed and too large
        {L"10.0.0.9", L"10.0.0", kMalformed, 0, 0, 0},
        {L"bad", L"10.0.0.1", kMalformed, 0, 0, 0},
        {L"255.255.255.255", L"0.0.0.256", kMalformed, 0, 0, 0},
        {L"0.0.0.0", L"", kMalformed, 0, 0, 0},
        {L"", L"", kMalformed, 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        std::vector<std::uint32_t> list = sentinelList();
        std::wstring message = L"previous message";
        const bool ok = expandRange(c.start, c.end, list, message);
        if (c.message == nullptr) {
            ASSERT_TRUE(ok);
            EXPECT_TRUE(message.empty());
            ASSERT_EQ(list.size(), c.count);
            EXPECT_EQ(list.front(), c.first);
            EXPECT_EQ(list.back(), c.last);
            for (std::size_t i = 1; i < list.size(); ++i) ASSERT_EQ(list[i], list[i - 1] + 1) << "at " << i;
        } else {
            EXPECT_FALSE(ok);
            EXPECT_EQ(message, c.message);
            EXPECT_EQ(list, sentinelList());
        }
    }
}

TEST(ExpandRange, SuccessReplacesAPreviousListAndFailureThenKeepsIt) {
    std::vector<std::uint32_t> list;
    std::wstring message;
    ASSERT_TRUE(expandRange(L"1.1.1.1", L"1.1.1.200", list, message));
    ASSERT_TRUE(expandRange(L"2.2.2.2", L"2.2.2.4", list, message));
    EXPECT_EQ(list, (std::vector<std::uint32_t>{ip(2, 2, 2, 2), ip(2, 2, 2, 3), ip(2, 2, 2, 4)}));

    EXPECT_FALSE(expandRange(L"2.2.2.9", L"2.2.2.1", list, message));
    EXPECT_EQ(message, kReversed);
    EXPECT_FALSE(expandRange(L"x", L"2.2.2.1", list, message));
    EXPECT_EQ(message, kMalformed);  // overwritten, not appended
    EXPECT_EQ(list.size(), 3u);

    ASSERT_TRUE(expandRange(L"2.2.2.2", L"2.2.2.2", list, message));
    EXPECT_TRUE(message.empty());
    EXPECT_EQ(list, std::vector<std::uint32_t>{ip(2, 2, 2, 2)});
}

}  // namespace
}  // namespace calderwynfell
