#pragma once
// Scan ranges proposed from the machine's own addresses. Pure: the adapter walk
// hands over what it found, this part decides ranges, labels and order.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/local_networks.h"

namespace calderwynfell {

inline constexpr wchar_t kNarrowedLabelSuffix[] = L"（当前 /24）";
inline constexpr wchar_t kUnnamedAdapterLabel[] = L"IPv4";

struct DerivedRange {
    std::uint32_t start = 0;
    std::uint32_t end = 0;
    bool narrowed = false;  // the network was too large and only its /24 is proposed
};

// prefixLength must be 0..32.
DerivedRange deriveRange(std::uint32_t address, std::uint32_t prefixLength);

// One IPv4 address of an adapter that is up and not a loopback.
struct AdapterAddress {
    std::optional<std::wstring> friendlyName;  // absent when the platform gives no name
    std::uint32_t address = 0;                 // host order
    std::uint32_t prefixLength = 0;
    bool hasGateway = false;
};

// True when the address belongs to 169.254.0.0/16.
bool isLinkLocal(std::uint32_t address);

// Candidates for the addresses in platform order, unusable ones skipped,
// gateway networks first (stable).
std::vector<LocalNetwork> deriveLocalNetworks(const std::vector<AdapterAddress>& addresses);

}  // namespace calderwynfell
