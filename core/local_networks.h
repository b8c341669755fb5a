#pragma once
// The machine's own IPv4 networks as proposed scan ranges.

#include <string>
#include <vector>

namespace calderwynfell {

struct LocalNetwork {
    std::wstring label;
    std::wstring localAddressText;
    std::wstring startText;
    std::wstring endText;
    bool hasGateway = false;
};

#ifdef _WIN32
// Gateway networks first; empty when the platform call fails.
std::vector<LocalNetwork> discoverLocalNetworks();
#endif

}  // namespace calderwynfell
