#pragma once
// One ICMP echo request through the platform's ICMP interface.

#include <cstdint>

#include "core/result.h"

namespace calderwynfell {

inline constexpr char kProbePayload[] = "Calderwynfell diagnostic";  // 24 characters + its zero byte

#ifdef _WIN32
// Never throws for a network outcome; attempts stays 0 (the engine sets it).
Result icmpEchoProbe(std::uint32_t address, std::uint32_t timeoutMs);
#endif

}  // namespace calderwynfell
