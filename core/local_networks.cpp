#include "core/local_networks.h"

#include <cstdint>

#include "core/ipv4.h"
#include "core/network_derivation.h"
#include "core/system_library.h"

namespace calderwynfell {

namespace {

constexpr ULONG kQueryFlags =
    GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER | GAA_FLAG_INCLUDE_GATEWAYS;
static_assert(kQueryFlags == 0x8E);
constexpr ULONG kInitialBufferBytes = 16384;
constexpr int kMaxQueries = 3;

// Whole 8-byte units keep the adapter records aligned.
std::vector<std::uint64_t> zeroedBuffer(ULONG bytes) {
    return std::vector<std::uint64_t>((bytes + sizeof(std::uint64_t) - 1) / sizeof(std::uint64_t));
}

bool ipv4Of(const SOCKET_ADDRESS& socketAddress, std::uint32_t& address) {
    const sockaddr* raw = socketAddress.lpSockaddr;
    if (raw == nullptr || raw->sa_family != AF_INET) return false;
    address = swapNetworkOrder(reinterpret_cast<const sockaddr_in*>(raw)->sin_addr.s_addr);
    return true;
}

bool hasIpv4Gateway(const IP_ADAPTER_ADDRESSES& adapter) {
    for (auto* gateway = adapter.FirstGatewayAddress; gateway != nullptr; gateway = gateway->Next) {
        std::uint32_t address = 0;
        if (ipv4Of(gateway->Address, address) && address != 0) return true;
    }
    return false;
}

std::vector<AdapterAddress> collectAddresses(const IP_ADAPTER_ADDRESSES* first) {
    std::vector<AdapterAddress> collected;
    for (auto* adapter = first; adapter != nullptr; adapter = adapter->Next) {
        if (adapter->OperStatus != IfOperStatusUp || adapter->IfType == IF_TYPE_SOFTWARE_LOOPBACK) continue;
        const bool gateway = hasIpv4Gateway(*adapter);
        for (auto* unicast = adapter->FirstUnicastAddress; unicast != nullptr; unicast = unicast->Next) {
            AdapterAddress entry;
            if (!ipv4Of(unicast->Address, entry.address)) continue;
            if (adapter->FriendlyName != nullptr) entry.friendlyName = std::wstring(adapter->FriendlyName);
            entry.prefixLength = unicast->OnLinkPrefixLength;
            entry.hasGateway = gateway;
            collected.push_back(std::move(entry));
        }
    }
    return collected;
}

}  // namespace

std::vector<LocalNetwork> discoverLocalNetworks(const AdapterAddressesQuery& query) {
    ULONG size = kInitialBufferBytes;
    auto buffer = zeroedBuffer(size);
    ULONG status = ERROR_BUFFER_OVERFLOW;
    for (int calls = 0; calls < kMaxQueries; ++calls) {
        if (calls > 0) {
            // The size the platform asked for, shrinking or growing, all zero.
            buffer = zeroedBuffer(size);
        }
        auto* addresses = buffer.empty() ? nullptr : reinterpret_cast<PIP_ADAPTER_ADDRESSES>(buffer.data());
        status = query(AF_INET, kQueryFlags, nullptr, addresses, &size);
        if (status != ERROR_BUFFER_OVERFLOW) break;
    }
    if (status != NO_ERROR) return {};
    return deriveLocalNetworks(
        collectAddresses(reinterpret_cast<const IP_ADAPTER_ADDRESSES*>(buffer.data())));
}

std::vector<LocalNetwork> discoverLocalNetworks() {
    static const auto query =
        systemFunction<decltype(&GetAdaptersAddresses)>(kIpHelperLibrary, "GetAdaptersAddresses");
    if (!query) return {};
    return discoverLocalNetworks(query);
}

}  // namespace calderwynfell
