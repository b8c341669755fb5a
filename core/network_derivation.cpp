#include "core/network_derivation.h"

#include "results/text_forms.h"

namespace calderwynfell {

namespace {

constexpr std::uint64_t kLargestUnnarrowed = 4096;

}  // namespace

DerivedRange deriveRange(std::uint32_t address, std::uint32_t prefixLength) {
    // A shift by 32 is undefined, so /0 gets its mask explicitly.
    const std::uint32_t mask = prefixLength == 0 ? 0u : ~std::uint32_t{0} << (32 - prefixLength);
    const std::uint32_t network = address & mask;
    const std::uint32_t broadcast = ~mask | network;
    const std::uint64_t size = std::uint64_t{broadcast} - network + 1;

    DerivedRange range;
    std::uint32_t base = network;
    std::uint32_t last = broadcast;
    if (size > kLargestUnnarrowed) {
        range.narrowed = true;
        base = address & 0xFFFFFF00u;
        last = base | 0xFFu;
    }
    if (last - base > 1) {
        // Network and broadcast addresses are not hosts.
        range.start = base + 1;
        range.end = last - 1;
    } else {
        range.start = base;
        range.end = last;
    }
    return range;
}

bool isLinkLocal(std::uint32_t address) {
    return (address >> 16) == ((169u << 8) | 254u);
}

std::vector<LocalNetwork> deriveLocalNetworks(const std::vector<AdapterAddress>& addresses) {
    std::vector<LocalNetwork> networks;
    for (const AdapterAddress& entry : addresses) {
        if (isLinkLocal(entry.address) || entry.prefixLength > 32) continue;
        const DerivedRange range = deriveRange(entry.address, entry.prefixLength);
        LocalNetwork network;
        network.label = entry.friendlyName ? *entry.friendlyName : std::wstring(kUnnamedAdapterLabel);
        if (range.narrowed) network.label += kNarrowedLabelSuffix;
        network.localAddressText = addressText(entry.address);
        network.startText = addressText(range.start);
        network.endText = addressText(range.end);
        network.hasGateway = entry.hasGateway;
        networks.push_back(std::move(network));
    }
    // Gateway networks first, each group in platform order: a stable sort on that
    // one key, written as two passes (std::stable_sort of these records is ~6 KB of code).
    std::vector<LocalNetwork> ordered;
    ordered.reserve(networks.size());
    for (const bool gateway : {true, false})
        for (LocalNetwork& network : networks)
            if (network.hasGateway == gateway) ordered.push_back(std::move(network));
    return ordered;
}

}  // namespace calderwynfell
