// The adapter walk, driven by a stand-in for GetAdaptersAddresses that lays
// hand-built adapters into the caller's buffer, and the real call under Wine.
// Discovered networks are only inspected, never probed.

#include "core/local_networks.h"

#include <gtest/gtest.h>
#include <ws2tcpip.h>

#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "core/ipv4.h"
#include "core/platform.h"

namespace calderwynfell {
namespace {

struct FakeAddress {
    int family = AF_INET;
    const char* text = "";  // dotted IPv4; ignored for other families
    std::uint8_t prefix = 24;
    bool noSocketAddress = false;
};

struct FakeAdapter {
    const wchar_t* name = L"以太网";  // nullptr: no name pointer at all
    IF_OPER_STATUS operStatus = IfOperStatusUp;
    DWORD ifType = IF_TYPE_ETHERNET_CSMACD;
    std::vector<FakeAddress> unicast;
    std::vector<FakeAddress> gateways;
};

// Owns everything the adapter records point to; the records themselves are
// written into the buffer the walk hands over, as the platform does.
class FakePlatform {
   public:
    struct Reply {
        ULONG status;
        ULONG sizeWritten;  // for ERROR_BUFFER_OVERFLOW
    };
    struct Call {
        ULONG family, flags;
        bool reservedNull, bufferZeroed;
        ULONG size;
    };

    FakePlatform(std::vector<FakeAdapter> adapters, std::vector<Reply> replies)
        : adapters_(std::move(adapters)), replies_(std::move(replies)) {}

    AdapterAddressesQuery query() {
        return [this](ULONG family, ULONG flags, PVOID reserved, PIP_ADAPTER_ADDRESSES buffer, PULONG size) {
            return answer(family, flags, reserved, buffer, size);
        };
    }
    const std::vector<Call>& calls() const { return calls_; }

   private:
    ULONG answer(ULONG family, ULONG flags, PVOID reserved, PIP_ADAPTER_ADDRESSES buffer, PULONG size) {
        Call call{family, flags, reserved == nullptr, true, *size};
        const auto* bytes = reinterpret_cast<const unsigned char*>(buffer);
        for (ULONG i = 0; buffer && i < *size; ++i) call.bufferZeroed = call.bufferZeroed && bytes[i] == 0;
        calls_.push_back(call);

        const Reply reply =
            calls_.size() <= replies_.size() ? replies_[calls_.size() - 1] : Reply{NO_ERROR, 0};
        if (reply.status == ERROR_BUFFER_OVERFLOW) {
            *size = reply.sizeWritten;
            return ERROR_BUFFER_OVERFLOW;
        }
        if (reply.status != NO_ERROR) return reply.status;
        const ULONG needed = static_cast<ULONG>(adapters_.size() * sizeof(IP_ADAPTER_ADDRESSES));
        if (buffer == nullptr || *size < needed) {
            ADD_FAILURE() << "success reported into a buffer of " << *size << " bytes, " << needed
                          << " needed";
            return ERROR_INVALID_PARAMETER;
        }
        layOut(buffer);
        return NO_ERROR;
    }

    SOCKET_ADDRESS socketAddress(const FakeAddress& fake) {
        SOCKET_ADDRESS result{};
        if (fake.noSocketAddress) return result;
        if (fake.family == AF_INET) {
            sockaddr_in& in = v4_.emplace_back();
            in.sin_family = AF_INET;
            std::uint32_t host = 0;
            EXPECT_TRUE(parseIpv4(std::wstring(fake.text, fake.text + std::strlen(fake.text)), host));
            in.sin_addr.s_addr = htonl(host);
            result.lpSockaddr = reinterpret_cast<sockaddr*>(&in);
            result.iSockaddrLength = sizeof(in);
        } else {
            sockaddr_in6& in6 = v6_.emplace_back();
            in6.sin6_family = AF_INET6;
            in6.sin6_addr.s6_addr[15] = 1;
            result.lpSockaddr = reinterpret_cast<sockaddr*>(&in6);
            result.iSockaddrLength = sizeof(in6);
        }
        return result;
    }

    void layOut(PIP_ADAPTER_ADDRESSES records) {
        for (std::size_t i = 0; i < adapters_.size(); ++i) {
            const FakeAdapter& fake = adapters_[i];
            IP_ADAPTER_ADDRESSES& adapter = records[i];
            adapter.Length = sizeof(adapter);
            adapter.Next = i + 1 < adapters_.size() ? &records[i + 1] : nullptr;
            adapter.OperStatus = fake.operStatus;
            adapter.IfType = fake.ifType;
            adapter.FriendlyName = fake.name ? names_.emplace_back(fake.name).data() : nullptr;
            IP_ADAPTER_UNICAST_ADDRESS** unicastLink = &adapter.FirstUnicastAddress;
            for (const FakeAddress& a : fake.unicast) {
                IP_ADAPTER_UNICAST_ADDRESS& u = unicast_.emplace_back();
                u.Address = socketAddress(a);
                u.OnLinkPrefixLength = a.prefix;
                *unicastLink = &u;
                unicastLink = &u.Next;
            }
            IP_ADAPTER_GATEWAY_ADDRESS_LH** gatewayLink = &adapter.FirstGatewayAddress;
            for (const FakeAddress& g : fake.gateways) {
                IP_ADAPTER_GATEWAY_ADDRESS_LH& gateway = gateways_.emplace_back();
                gateway.Address = socketAddress(g);
                *gatewayLink = &gateway;
                gatewayLink = &gateway.Next;
            }
        }
    }

    std::vector<FakeAdapter> adapters_;
    std::vector<Reply> replies_;
    std::vector<Call> calls_;
    // deques: growing them never moves what the records already point to
    std::deque<std::wstring> names_;
    std::deque<sockaddr_in> v4_;
    std::deque<sockaddr_in6> v6_;
    std::deque<IP_ADAPTER_UNICAST_ADDRESS> unicast_{};
    std::deque<IP_ADAPTER_GATEWAY_ADDRESS_LH> gateways_{};
};

FakeAddress v4(const char* text, std::uint8_t prefix = 24) {
    return {AF_INET, text, prefix, false};
}
FakeAddress v6() {
    return {AF_INET6, "", 64, false};
}

std::vector<std::wstring> describe(const std::vector<LocalNetwork>& networks) {
    std::vector<std::wstring> lines;
    for (const LocalNetwork& n : networks) {
        lines.push_back(n.label + L"|" + n.localAddressText + L"|" + n.startText + L"-" + n.endText +
                        (n.hasGateway ? L"|gw" : L""));
    }
    return lines;
}

TEST(DiscoverLocalNetworks, FiltersAdaptersAndAddresses) {
    FakePlatform platform(
        {
            {L"down", IfOperStatusDown, IF_TYPE_ETHERNET_CSMACD, {v4("10.9.9.9")}, {v4("10.9.9.1")}},
            {L"testing", IfOperStatusTesting, IF_TYPE_ETHERNET_CSMACD, {v4("10.8.8.8")}, {}},
            {L"loopback", IfOperStatusUp, IF_TYPE_SOFTWARE_LOOPBACK, {v4("127.0.0.1", 8)}, {}},
            {L"以太网",
             IfOperStatusUp,
             IF_TYPE_ETHERNET_CSMACD,
             {v6(), v4("169.254.3.4", 16), FakeAddress{AF_INET, "", 24, true}, v4("10.1.2.3", 33),
              v4("192.168.1.23", 24), v4("10.20.30.40", 8)},
             {v6(), v4("0.0.0.0"), v4("192.168.1.1")}},
            {nullptr, IfOperStatusUp, IF_TYPE_IEEE80211, {v4("172.16.5.9", 20)}, {v4("0.0.0.0"), v6()}},
            {L"", IfOperStatusUp, IF_TYPE_PPP, {v4("100.64.0.7", 32)}, {}},
        },
        {});
    const auto networks = discoverLocalNetworks(platform.query());
    const std::vector<std::wstring> expected = {
        L"以太网|192.168.1.23|192.168.1.1-192.168.1.254|gw",
        L"以太网（当前 /24）|10.20.30.40|10.20.30.1-10.20.30.254|gw",
        L"IPv4|172.16.5.9|172.16.0.1-172.16.15.254",
        L"|100.64.0.7|100.64.0.7-100.64.0.7",
    };
    EXPECT_EQ(describe(networks), expected);
}

TEST(DiscoverLocalNetworks, OnlyLoopbackAndLinkLocalGiveNothing) {
    FakePlatform platform({{L"lo", IfOperStatusUp, IF_TYPE_SOFTWARE_LOOPBACK, {v4("127.0.0.1", 8)}, {}},
                           {L"eth", IfOperStatusUp, IF_TYPE_ETHERNET_CSMACD, {v4("169.254.7.7", 16)}, {}}},
                          {});
    EXPECT_TRUE(discoverLocalNetworks(platform.query()).empty());
}

struct BufferCase {
    const char* name;
    std::vector<FakePlatform::Reply> replies;
    std::vector<ULONG> sizesPassed;  // the size argument of each call made
    bool found;
};

TEST(DiscoverLocalNetworks, BufferSizingAndAtMostThreeCalls) {
    const BufferCase cases[] = {
        {"first call succeeds", {{NO_ERROR, 0}}, {16384}, true},
        {"one bigger buffer", {{ERROR_BUFFER_OVERFLOW, 40000}, {NO_ERROR, 0}}, {16384, 40000}, true},
        {"two bigger buffers",
         {{ERROR_BUFFER_OVERFLOW, 20000}, {ERROR_BUFFER_OVERFLOW, 30001}, {NO_ERROR, 0}},
         {16384, 20000, 30001},
         true},
        {"three overflows",
         {{ERROR_BUFFER_OVERFLOW, 20000}, {ERROR_BUFFER_OVERFLOW, 30000}, {ERROR_BUFFER_OVERFLOW, 40000}},
         {16384, 20000, 30000},
         false},
        {"a smaller buffer is taken too",
         {{ERROR_BUFFER_OVERFLOW, 3000}, {NO_ERROR, 0}},
         {16384, 3000},
         true},
        {"no adapters", {{ERROR_NO_DATA, 0}}, {16384}, false},
        {"failure after an overflow",
         {{ERROR_BUFFER_OVERFLOW, 20000}, {ERROR_NOT_ENOUGH_MEMORY, 0}},
         {16384, 20000},
         false},
        {"invalid parameter", {{ERROR_INVALID_PARAMETER, 0}}, {16384}, false},
    };
    for (const BufferCase& c : cases) {
        SCOPED_TRACE(c.name);
        FakePlatform platform({{L"eth", IfOperStatusUp, IF_TYPE_ETHERNET_CSMACD, {v4("10.0.0.5")}, {}}},
                              c.replies);
        const auto networks = discoverLocalNetworks(platform.query());
        EXPECT_EQ(!networks.empty(), c.found);
        std::vector<ULONG> sizes;
        for (const auto& call : platform.calls()) {
            sizes.push_back(call.size);
            EXPECT_EQ(call.family, static_cast<ULONG>(AF_INET));
            EXPECT_EQ(call.flags, 0x8Eu);
            EXPECT_TRUE(call.reservedNull);
            EXPECT_TRUE(call.bufferZeroed);
        }
        EXPECT_EQ(sizes, c.sizesPassed);
    }
}

// Wine lists the machine's real interfaces. What is certain: loopback is
// never proposed and every proposal is a range the window can scan.
TEST(DiscoverLocalNetworks, RealAdapters) {
    const auto networks = discoverLocalNetworks();
    for (const LocalNetwork& network : networks) {
        SCOPED_TRACE(toUtf8(network.label + L" " + network.localAddressText));
        std::uint32_t local = 0;
        ASSERT_TRUE(parseIpv4(network.localAddressText, local));
        EXPECT_NE(local >> 24, 127u);
        EXPECT_NE(local >> 16, (169u << 8) | 254u);
        std::vector<std::uint32_t> addresses;
        std::wstring message;
        EXPECT_TRUE(expandRange(network.startText, network.endText, addresses, message));
        EXPECT_LE(addresses.size(), kMaxScanAddresses);
    }
    for (std::size_t i = 1; i < networks.size(); ++i) {
        EXPECT_FALSE(!networks[i - 1].hasGateway && networks[i].hasGateway) << "gateway networks come first";
    }
    for (const LocalNetwork& n : networks) {
        std::printf("discovered: %s\n", toUtf8(n.label + L" · " + n.localAddressText + L" " + n.startText +
                                               L"-" + n.endText + (n.hasGateway ? L" gateway" : L""))
                                            .c_str());
    }
}

}  // namespace
}  // namespace calderwynfell
