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

TEST(ParseIpv4, Accepts) {
    const std::pair<const wchar_t*, std::uint32_t> cases[] = {
        {L"192.168.1.10", ip(192, 168, 1, 10)},
        {L"\n\t\r 1.2.3.4 \t", ip(1, 2, 3, 4)},
        {L"0.0.0.0", 0},
        {L"255.255.255.255", 0xFFFFFFFFu},
        // leading zeros are decimal, not octal
        {L"010.001.000.009", ip(10, 1, 0, 9)},
        {L"255.0.0.1", ip(255, 0, 0, 1)},
    };
    for (const auto& [text, expected] : cases) {
        std::uint32_t value = 0xDEADBEEFu;
        EXPECT_TRUE(parseIpv4(text, value)) << text;
        EXPECT_EQ(value, expected);
    }
}

TEST(ParseIpv4, Rejects) {
    const std::wstring cases[] = {
        L"",
        L" \t\r\n",
        L"192.168.1",
        L"192.168.1.1.",
        L"192.168..1",
        L"1,2,3,4",
        L".1.2.3.4",
        L"1.2.3.4.5",
        L"256.1.1.1",
        L"1.2.3.256",
        L"1.2.3.4 5",
        L"+1.2.3.4",
        L"1.2.-3.4",
        L"0001.2.3.4",
        L"1.2.3.0255",
        L"1.2.3.4x",
        L"1 .2.3.4",
        L"4294967296.1.1.1",
        L"0x1.2.3.4",
        L"\u30001.2.3.4",  // ideographic, no-break space, vertical tab, form feed are not blanks
        L"\u00A01.2.3.4",
        L"1.2.3.4\v",
        L"\f1.2.3.4",
        L"\u0661.2.3.4",  // Arabic-Indic and full-width digits are not digits
        L"\uFF11.2.3.4",
        std::wstring(L"1.2.3.4\0", 8),
        std::wstring(L"1.2\0.3.4", 8),
        // What a user may type that names more than one IPv4 address or none:
        // a CIDR block, a host name, IPv6, a port.
        L"10.0.0.0/24",
        L"10.0.0.1/",
        L"router.local",
        L"localhost",
        L"::1",
        L"fe80::1",
        L"::ffff:10.0.0.1",
        L"10.0.0.1:80",
    };
    for (const auto& text : cases) {
        std::uint32_t value = 0;
        EXPECT_FALSE(parseIpv4(text, value)) << "case " << (&text - cases);
    }
}

const wchar_t kMalformed[] = L"请输入完整的 IPv4 地址，每一段为 0 到 255。";
const wchar_t kReversed[] = L"结束 IP 不能小于起始 IP。";
const wchar_t kTooLarge[] = L"一次最多扫描 4096 个地址，请缩小范围。";

TEST(ExpandRange, OutcomesAndErrorOrder) {
    const struct {
        const wchar_t *start, *end, *message;  // nullptr on success
        std::size_t count = 0;
        std::uint32_t first = 0, last = 0;
    } cases[] = {
        {L"10.0.0.5", L"10.0.0.5", nullptr, 1, ip(10, 0, 0, 5), ip(10, 0, 0, 5)},
        {L"10.0.0.0", L"10.0.15.255", nullptr, 4096, ip(10, 0, 0, 0), ip(10, 0, 15, 255)},
        {L"10.0.0.0", L"10.0.16.0", kTooLarge},
        {L"255.255.240.0", L"255.255.255.255", nullptr, 4096, ip(255, 255, 240, 0), 0xFFFFFFFFu},
        {L"255.255.255.255", L"255.255.255.255", nullptr, 1, 0xFFFFFFFFu, 0xFFFFFFFFu},
        {L"127.255.255.250", L"128.0.0.5", nullptr, 12, ip(127, 255, 255, 250), ip(128, 0, 0, 5)},
        {L" 1.1.1.1\r\n", L"\t1.1.1.3 ", nullptr, 3, ip(1, 1, 1, 1), ip(1, 1, 1, 3)},
        {L"10.255.0.0", L"10.0.0.0", kReversed},        // reversed beats too large
        {L"128.0.0.0", L"127.255.255.255", kReversed},  // unsigned comparison
        {L"0.0.0.0", L"255.255.255.255", kTooLarge},
        {L"255.255.255.255", L"0.0.0.256", kMalformed},  // malformed beats both
        {L"bad", L"10.0.0.1", kMalformed},
        {L"0.0.0.0", L"", kMalformed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        std::vector<std::uint32_t> list = {7, 8, 9};
        std::wstring message = L"previous message";
        const bool ok = expandRange(c.start, c.end, list, message);
        ASSERT_EQ(ok, c.message == nullptr);
        if (!ok) {
            EXPECT_EQ(message, c.message);  // overwritten, not appended
            EXPECT_EQ(list, (std::vector<std::uint32_t>{7, 8, 9}));
            continue;
        }
        EXPECT_TRUE(message.empty());
        ASSERT_EQ(list.size(), c.count);  // the old list replaced, not appended to
        EXPECT_EQ(list.front(), c.first);
        EXPECT_EQ(list.back(), c.last);
        for (std::size_t i = 1; i < list.size(); ++i) ASSERT_EQ(list[i], list[i - 1] + 1) << "at " << i;
    }
}

}  // namespace
}  // namespace calderwynfell
