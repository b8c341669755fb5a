#pragma once
// The machine's own IPv4 networks as proposed scan ranges.

#include <string>
#include <vector>

#ifdef _WIN32
#include <winsock2.h>
#include <iphlpapi.h>

#include <functional>
#endif

namespace calderwynfell {

struct LocalNetwork {
    std::wstring label;
    std::wstring localAddressText;
    std::wstring startText;
    std::wstring endText;
    bool hasGateway = false;
};

#ifdef _WIN32
// Same parameters as GetAdaptersAddresses, so tests can stand in for the platform.
using AdapterAddressesQuery = std::function<ULONG(ULONG family, ULONG flags, PVOID reserved,
                                                  PIP_ADAPTER_ADDRESSES addresses, PULONG size)>;

// Gateway networks first; empty when the platform call fails.
std::vector<LocalNetwork> discoverLocalNetworks();
std::vector<LocalNetwork> discoverLocalNetworks(const AdapterAddressesQuery& query);
#endif

}  // namespace calderwynfell
