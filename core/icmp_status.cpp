#include "core/icmp_status.h"

#include "results/text_forms.h"

namespace calderwynfell {

namespace {

// IP_STATUS values of the platform (base 11000).
constexpr std::uint32_t kIpStatusBase = 11000;
constexpr std::uint32_t kDestNetUnreachable = 11002;
constexpr std::uint32_t kDestHostUnreachable = 11003;
constexpr std::uint32_t kRequestTimedOut = 11010;
constexpr std::uint32_t kTtlExpiredTransit = 11013;
constexpr std::uint32_t kLastNoResponseCode = 11049;
constexpr std::uint32_t kGeneralFailure = 11050;

const wchar_t* knownNote(std::uint32_t code) {
    switch (code) {
        case kDestNetUnreachable: return L"目标网络不可达";
        case kDestHostUnreachable: return L"目标主机不可达";
        case kRequestTimedOut: return L"等待 ICMP 回复超时";
        case kTtlExpiredTransit: return L"TTL 已耗尽";
        case kGeneralFailure: return L"本机网络发送失败";
        default: return nullptr;
    }
}

}  // namespace

IcmpClassification classifyIcmpCode(std::uint32_t code) {
    const bool noResponseBand = code >= kIpStatusBase && code <= kLastNoResponseCode;
    const ProbeStatus status = noResponseBand ? ProbeStatus::NoResponse : ProbeStatus::Error;
    const wchar_t* note = knownNote(code);
    return {status, note ? std::wstring(note) : L"ICMP 状态 " + decimalText(code)};
}

}  // namespace calderwynfell
