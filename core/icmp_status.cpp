#include "core/icmp_status.h"

#include "results/text_forms.h"

namespace calderwynfell {

namespace {

// IP_STATUS values of the platform (base 11000).
constexpr std::uint32_t kIpSuccess = 0;
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
        case kRequestTimedOut: return kNoteTimedOut;
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

void applyEchoOutcome(const EchoOutcome& outcome, Result& result) {
    // A failed send leaves the reply buffer meaningless; the reason is in lastError.
    const std::uint32_t code = outcome.replies != 0 ? outcome.replyStatus : outcome.lastError;
    if (outcome.replies != 0 && code == kIpSuccess) {
        // Another host answering (a broadcast address, a proxy) says nothing
        // about this one. Errors are not checked: their sender is a router.
        if (outcome.replyAddress != result.address) {
            result.status = ProbeStatus::NoResponse;
            result.latencyMs = 0;
            result.note = kNoteReplyFromPrefix + addressText(outcome.replyAddress);
            return;
        }
        result.status = ProbeStatus::Online;
        result.latencyMs = outcome.roundTripMs;
        result.note = kNoteOnline;
        return;
    }
    IcmpClassification classification = classifyIcmpCode(code);
    result.status = classification.status;
    result.latencyMs = 0;
    result.note = std::move(classification.note);
}

void applyHandleFailure(std::uint32_t lastError, Result& result) {
    result.status = ProbeStatus::Error;
    result.latencyMs = 0;
    result.note = kNoteHandleFailurePrefix + decimalText(lastError);
}

}  // namespace calderwynfell
