// The adapter walk, driven by a stand-in for GetAdaptersAddresses that lays
// hand-built adapters into the caller's buffer, and the real call under Wine.
// Discovered networks are only inspected, never probed.

#include "core/local_networks.h"

#include <gtest/gtest.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "core/ipv4.h"
#include "core/platform.h"

namespace calderwynfell {
namespace {

struct FakeAdapter {
    const wchar_t* name;  // nullptr: no name pointer at all
    IF_OPER_STATUS operStatus;
    DWORD ifType;
    // "a.b.c.d/prefix", "v6" for an IPv6 address, "" for no socket address
    std::vector<std::wstring> unicast, gateways = {};
};

// Owns everything the adapter records point to; the records themselves are
// written into the buffer the walk hands over, as the platform does. Deques
// never move what the records already point to.
class FakePlatform {
   public:
    // Each reply is an error code, or from 1000 up the bigger buffer size
    // asked for with ERROR_BUFFER_OVERFLOW; once they run out, success.
    FakePlatform(std::vector<FakeAdapter> adapters, std::vector<ULONG> replies = {})
        : adapters_(std::move(adapters)), replies_(std::move(replies)) {}

    ULONG operator()(ULONG family, ULONG flags, PVOID reserved, PIP_ADAPTER_ADDRESSES buffer, PULONG size) {
        EXPECT_EQ(family, static_cast<ULONG>(AF_INET));
        EXPECT_EQ(flags, 0x8Eu);
        EXPECT_EQ(reserved, nullptr);
        const auto* bytes = reinterpret_cast<const unsigned char*>(buffer);
        EXPECT_TRUE(!buffer || std::all_of(bytes, bytes + *size, [](auto b) { return b == 0; }));
        sizesPassed.push_back(*size);
        const ULONG reply = sizesPassed.size() <= replies_.size() ? replies_[sizesPassed.size() - 1] : 0;
        if (reply >= 1000) *size = reply;
        if (reply != 0) return reply >= 1000 ? ERROR_BUFFER_OVERFLOW : reply;
        // a success the records would not fit into: the walk must not find anything
        if (!buffer || *size < adapters_.size() * sizeof(IP_ADAPTER_ADDRESSES))
            return ERROR_INVALID_PARAMETER;
        layOut(buffer);
        return NO_ERROR;
    }
    std::vector<ULONG> sizesPassed;

   private:
    SOCKET_ADDRESS socketAddress(const std::wstring& text) {
        SOCKET_ADDRESS result{};
        if (text.empty()) return result;
        sockaddr_in6& storage = sockets_.emplace_back();
        result.lpSockaddr = reinterpret_cast<sockaddr*>(&storage);
        result.iSockaddrLength = sizeof(storage);
        if (text == L"v6") {
            storage.sin6_family = AF_INET6;  // ::
            return result;
        }
        auto& in = reinterpret_cast<sockaddr_in&>(storage);
        in.sin_family = AF_INET;
        std::uint32_t host = 0;
        EXPECT_TRUE(parseIpv4(text.substr(0, text.find(L'/')), host)) << toUtf8(text);
        in.sin_addr.s_addr = htonl(host);
        return result;
    }

    void layOut(PIP_ADAPTER_ADDRESSES records) {
        for (std::size_t i = 0; i < adapters_.size(); ++i) {
            const FakeAdapter& fake = adapters_[i];
            IP_ADAPTER_ADDRESSES& adapter = records[i];
            adapter.Next = i + 1 < adapters_.size() ? &records[i + 1] : nullptr;
            adapter.OperStatus = fake.operStatus;
            adapter.IfType = fake.ifType;
            adapter.FriendlyName = const_cast<PWCHAR>(fake.name);
            auto** unicastLink = &adapter.FirstUnicastAddress;
            for (const std::wstring& text : fake.unicast) {
                auto& u = *(*unicastLink = &unicast_.emplace_back());
                u.Address = socketAddress(text);
                const auto slash = text.find(L'/');
                u.OnLinkPrefixLength =
                    static_cast<UINT8>(slash == std::wstring::npos ? 24 : std::stoi(text.substr(slash + 1)));
                unicastLink = &u.Next;
            }
            auto** gatewayLink = &adapter.FirstGatewayAddress;
            for (const std::wstring& text : fake.gateways) {
                auto& g = *(*gatewayLink = &gateways_.emplace_back());
                g.Address = socketAddress(text);
                gatewayLink = &g.Next;
            }
        }
    }

    std::vector<FakeAdapter> adapters_;
    std::vector<ULONG> replies_;
    std::deque<sockaddr_in6> sockets_;
    std::deque<IP_ADAPTER_UNICAST_ADDRESS> unicast_;
    std::deque<IP_ADAPTER_GATEWAY_ADDRESS_LH> gateways_;
};

std::vector<std::wstring> describe(const std::vector<LocalNetwork>& networks) {
    std::vector<std::wstring> lines;
    for (const LocalNetwork& n : networks) {
        lines.push_back(n.label + L"|" + n.localAddressText + L"|" + n.startText + L"-" + n.endText +
                        (n.hasGateway ? L"|gw" : L""));
    }
    return lines;
}

constexpr DWORD kEthernet = IF_TYPE_ETHERNET_CSMACD;

TEST(DiscoverLocalNetworks, FiltersAdaptersAndAddresses) {
    FakePlatform platform({
        {L"down", IfOperStatusDown, kEthernet, {L"10.9.9.9"}, {L"10.9.9.1"}},
        {L"testing", IfOperStatusTesting, kEthernet, {L"10.8.8.8"}},
        {L"loopback", IfOperStatusUp, IF_TYPE_SOFTWARE_LOOPBACK, {L"127.0.0.1/8"}},
        {L"以太网",
         IfOperStatusUp,
         kEthernet,
         {L"v6", L"169.254.3.4/16", L"", L"10.1.2.3/33", L"192.168.1.23/24", L"10.20.30.40/8"},
         {L"v6", L"0.0.0.0", L"192.168.1.1"}},
        {nullptr, IfOperStatusUp, IF_TYPE_IEEE80211, {L"172.16.5.9/20"}, {L"0.0.0.0", L"v6", L""}},
        {L"", IfOperStatusUp, IF_TYPE_PPP, {L"100.64.0.7/32"}},
    });
    const std::vector<std::wstring> expected = {
        L"以太网|192.168.1.23|192.168.1.1-192.168.1.254|gw",
        L"以太网（当前 /24）|10.20.30.40|10.20.30.1-10.20.30.254|gw",
        L"IPv4|172.16.5.9|172.16.0.1-172.16.15.254",
        L"|100.64.0.7|100.64.0.7-100.64.0.7",
    };
    EXPECT_EQ(describe(discoverLocalNetworks(std::ref(platform))), expected);
}

TEST(DiscoverLocalNetworks, BufferSizingAndAtMostThreeCalls) {
    const struct {
        const char* name;
        std::vector<ULONG> replies;
        std::vector<ULONG> sizesPassed;
        bool found;
    } cases[] = {
        {"first call succeeds", {}, {16384}, true},
        {"one bigger buffer", {40000}, {16384, 40000}, true},
        {"two bigger buffers", {20000, 30001}, {16384, 20000, 30001}, true},
        {"three overflows", {20000, 30000, 40000}, {16384, 20000, 30000}, false},
        {"a smaller buffer is taken too", {3000}, {16384, 3000}, true},
        {"no adapters", {ERROR_NO_DATA}, {16384}, false},
        {"failure after an overflow", {20000, ERROR_NOT_ENOUGH_MEMORY}, {16384, 20000}, false},
        {"invalid parameter", {ERROR_INVALID_PARAMETER}, {16384}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakePlatform platform({{L"eth", IfOperStatusUp, kEthernet, {L"10.0.0.5"}}}, c.replies);
        EXPECT_EQ(!discoverLocalNetworks(std::ref(platform)).empty(), c.found);
        EXPECT_EQ(platform.sizesPassed, c.sizesPassed);
    }
}

// Wine lists the machine's real interfaces. What is certain: loopback is
// never proposed and every proposal is a range the window can scan.
TEST(DiscoverLocalNetworks, RealAdapters) {
    const auto networks = discoverLocalNetworks();
    for (std::size_t i = 0; i < networks.size(); ++i) {
        const LocalNetwork& network = networks[i];
        std::printf("discovered: %s\n", toUtf8(describe({network})[0]).c_str());
        std::uint32_t local = 0;
        ASSERT_TRUE(parseIpv4(network.localAddressText, local));
        EXPECT_NE(local >> 24, 127u);
        EXPECT_NE(local >> 16, (169u << 8) | 254u);
        std::vector<std::uint32_t> addresses;
        std::wstring message;
        EXPECT_TRUE(expandRange(network.startText, network.endText, addresses, message));
        EXPECT_LE(addresses.size(), kMaxScanAddresses);
        EXPECT_FALSE(i > 0 && network.hasGateway && !networks[i - 1].hasGateway) << "gateway networks first";
    }
}

}  // namespace
}  // namespace calderwynfell
