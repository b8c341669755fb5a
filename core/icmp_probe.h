#pragma once
// One ICMP echo request through the platform's ICMP interface.

#include <cstdint>

#ifdef _WIN32
#include <winsock2.h>
#include <iphlpapi.h>
#include <icmpapi.h>

#include <functional>
#endif

#include "core/result.h"

namespace calderwynfell {

inline constexpr char kProbePayload[] = "Calderwynfell diagnostic";  // 24 characters + its zero byte

#ifdef _WIN32
// The three ICMP calls, replaceable so tests can watch the handle's life.
// Failures report their reason through SetLastError, as the platform does.
struct IcmpCalls {
    std::function<HANDLE()> createFile;
    std::function<DWORD(HANDLE handle, IPAddr destination, LPVOID request, WORD requestSize,
                        PIP_OPTION_INFORMATION options, LPVOID reply, DWORD replySize, DWORD timeoutMs)>
        sendEcho;
    std::function<BOOL(HANDLE handle)> closeHandle;
};

// Never throws for a network outcome; attempts stays 0 (the engine sets it).
Result icmpEchoProbe(std::uint32_t address, std::uint32_t timeoutMs);
Result icmpEchoProbeWith(const IcmpCalls& calls, std::uint32_t address, std::uint32_t timeoutMs);
#endif

}  // namespace calderwynfell
