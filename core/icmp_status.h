#pragma once
// Classification of a non-success ICMP or system status code. Pure, so the
// whole table is tested natively.

#include <cstdint>
#include <string>

#include "core/result.h"

namespace calderwynfell {

struct IcmpClassification {
    ProbeStatus status;
    std::wstring note;
};

// code is the reply's Status or, when the send failed, GetLastError().
IcmpClassification classifyIcmpCode(std::uint32_t code);

}  // namespace calderwynfell
