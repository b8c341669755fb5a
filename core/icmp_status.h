#pragma once
// What one ICMP echo call means: the classification of a status code and the
// Result built from the call's outcome. Pure, so the whole table is tested natively.

#include <cstdint>
#include <string>

#include "core/result.h"

namespace calderwynfell {

inline constexpr wchar_t kNoteOnline[] = L"收到 ICMP 回复";
inline constexpr wchar_t kNoteTimedOut[] = L"等待 ICMP 回复超时";
inline constexpr wchar_t kNoteHandleFailurePrefix[] = L"无法创建 ICMP 句柄：";
inline constexpr wchar_t kNoteReplyFromPrefix[] = L"回复来自 ";

struct IcmpClassification {
    ProbeStatus status;
    std::wstring note;
};

// code is the reply's Status or, when the send failed, GetLastError().
IcmpClassification classifyIcmpCode(std::uint32_t code);

// What the send call gave back. replyAddress (host order), replyStatus and
// roundTripMs are read only when replies is non-zero, lastError only when it is zero.
struct EchoOutcome {
    std::uint32_t replies = 0;
    std::uint32_t replyAddress = 0;
    std::uint32_t replyStatus = 0;
    std::uint32_t roundTripMs = 0;
    std::uint32_t lastError = 0;
};

// Sets status, note and latencyMs (0 unless Online); leaves the other fields.
// A success reply makes the result Online only when it came from result.address.
void applyEchoOutcome(const EchoOutcome& outcome, Result& result);

// No handle could be opened: Error with the system error number.
void applyHandleFailure(std::uint32_t lastError, Result& result);

}  // namespace calderwynfell
