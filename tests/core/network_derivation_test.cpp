#include "core/network_derivation.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/ipv4.h"
#include "results/text_forms.h"

namespace calderwynfell {
namespace {

constexpr std::uint32_t ip(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d) {
    return a << 24 | b << 16 | c << 8 | d;
}

TEST(DeriveRange, PrefixLengths) {
    const struct {
        std::uint32_t address, prefix, start, end;
        bool narrowed;
    } cases[] = {
        {ip(192, 168, 1, 23), 24, ip(192, 168, 1, 1), ip(192, 168, 1, 254), false},
        {ip(10, 20, 30, 40), 8, ip(10, 20, 30, 1), ip(10, 20, 30, 254), true},
        {ip(172, 16, 5, 9), 20, ip(172, 16, 0, 1), ip(172, 16, 15, 254), false},
        {ip(172, 16, 5, 9), 19, ip(172, 16, 5, 1), ip(172, 16, 5, 254), true},
        {ip(10, 0, 0, 200), 25, ip(10, 0, 0, 129), ip(10, 0, 0, 254), false},
        {ip(10, 0, 0, 5), 31, ip(10, 0, 0, 4), ip(10, 0, 0, 5), false},
        {ip(10, 0, 0, 5), 32, ip(10, 0, 0, 5), ip(10, 0, 0, 5), false},
        {ip(255, 255, 255, 255), 0, ip(255, 255, 255, 1), ip(255, 255, 255, 254), true},
        {ip(255, 255, 255, 255), 32, ip(255, 255, 255, 255), ip(255, 255, 255, 255), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.address << "/" << std::dec << c.prefix);
        const DerivedRange got = deriveRange(c.address, c.prefix);
        EXPECT_EQ(got.start, c.start);
        EXPECT_EQ(got.end, c.end);
        EXPECT_EQ(got.narrowed, c.narrowed);
    }
}

// Whatever the prefix, the proposed range passes the range check, so the window can always scan its default.
TEST(DeriveRange, EveryPrefixGivesAnAcceptedRange) {
    for (std::uint32_t address :
         {ip(192, 168, 1, 23), ip(0, 0, 0, 0), ip(255, 255, 255, 255), ip(172, 31, 240, 1)}) {
        for (std::uint32_t prefix = 0; prefix <= 32; ++prefix) {
            SCOPED_TRACE(testing::Message() << std::hex << address << "/" << std::dec << prefix);
            const DerivedRange range = deriveRange(address, prefix);
            std::vector<std::uint32_t> expanded;
            std::wstring message;
            EXPECT_TRUE(expandRange(addressText(range.start), addressText(range.end), expanded, message));
            EXPECT_EQ(range.narrowed, prefix < 20);
        }
    }
}

AdapterAddress entry(const wchar_t* name, std::uint32_t address, std::uint32_t prefix, bool gateway) {
    AdapterAddress a;
    if (name) a.friendlyName = name;
    a.address = address;
    a.prefixLength = prefix;
    a.hasGateway = gateway;
    return a;
}

TEST(DeriveLocalNetworks, FieldsOfOneCandidate) {
    const auto got = deriveLocalNetworks({entry(L"以太网", ip(192, 168, 1, 23), 24, true)});
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].label, L"以太网");
    EXPECT_EQ(got[0].localAddressText, L"192.168.1.23");
    EXPECT_EQ(got[0].startText, L"192.168.1.1");
    EXPECT_EQ(got[0].endText, L"192.168.1.254");
    EXPECT_TRUE(got[0].hasGateway);
}

std::vector<std::wstring> labelsOf(const std::vector<AdapterAddress>& input) {
    std::vector<std::wstring> labels;
    for (const auto& n : deriveLocalNetworks(input)) labels.push_back(n.label);
    return labels;
}

TEST(DeriveLocalNetworks, FiltersLabelsAndPutsGatewayNetworksFirst) {
    const struct {
        std::vector<AdapterAddress> input;
        std::vector<std::wstring> labels;
    } cases[] = {
        {{entry(L"a", ip(169, 254, 0, 0), 16, true), entry(L"b", ip(10, 1, 2, 3), 33, true),
          entry(L"c", ip(10, 1, 2, 3), 255, true), entry(L"d", ip(169, 254, 255, 255), 16, false),
          entry(L"e", ip(169, 253, 255, 255), 32, false), entry(L"f", ip(169, 255, 0, 0), 32, false)},
         {L"e", L"f"}},  // link-local and overlong prefixes are skipped
        {{entry(L"WLAN", ip(10, 1, 2, 3), 8, false), entry(nullptr, ip(10, 1, 2, 3), 24, false),
          entry(nullptr, ip(10, 1, 2, 3), 16, false), entry(L"", ip(10, 1, 2, 3), 0, false)},
         {L"WLAN（当前 /24）", L"IPv4", L"IPv4（当前 /24）", L"（当前 /24）"}},  // IPv4 when unnamed
        {{}, {}},
        {{entry(L"a", ip(10, 0, 0, 1), 24, false), entry(L"b", ip(10, 0, 1, 1), 24, true)}, {L"b", L"a"}},
        {{entry(L"a", ip(10, 0, 0, 1), 24, false), entry(L"b", ip(10, 0, 1, 1), 24, false)}, {L"a", L"b"}},
        {{entry(L"n1", ip(10, 0, 0, 1), 24, false), entry(L"g1", ip(10, 0, 1, 1), 24, true),
          entry(L"n2", ip(10, 0, 2, 1), 24, false), entry(L"g2", ip(10, 0, 3, 1), 24, true),
          entry(L"g3", ip(10, 0, 4, 1), 24, true), entry(L"n3", ip(10, 0, 5, 1), 24, false)},
         {L"g1", L"g2", L"g3", L"n1", L"n2", L"n3"}},
    };
    for (const auto& c : cases) EXPECT_EQ(labelsOf(c.input), c.labels) << "case " << (&c - cases);
}

}  // namespace
}  // namespace calderwynfell
