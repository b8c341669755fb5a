#include "core/icmp_probe.h"

#include <algorithm>
#include <array>
#include <iterator>

#include "core/icmp_status.h"
#include "core/ipv4.h"
#include "core/system_library.h"

namespace calderwynfell {

namespace {

constexpr DWORD kPayloadSize = sizeof(kProbePayload);  // 25: the zero byte is part of the data
constexpr DWORD kReplyBufferSize = 97;
static_assert(kPayloadSize == 25);
static_assert(kReplyBufferSize >= sizeof(ICMP_ECHO_REPLY) + kPayloadSize + 8);

// Closes the ICMP handle exactly once, on every path that has one.
class IcmpHandle {
   public:
    explicit IcmpHandle(const IcmpCalls& calls) : calls_(calls), handle_(calls.createFile()) {}
    IcmpHandle(const IcmpHandle&) = delete;
    IcmpHandle& operator=(const IcmpHandle&) = delete;
    ~IcmpHandle() {
        if (valid()) calls_.closeHandle(handle_);
    }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }

   private:
    const IcmpCalls& calls_;
    HANDLE handle_;
};

void sendAndClassify(const IcmpCalls& calls, HANDLE handle, std::uint32_t address, std::uint32_t timeoutMs,
                     Result& result) {
    // The platform writes an ICMP_ECHO_REPLY (with pointers) at the start.
    alignas(ICMP_ECHO_REPLY) std::array<unsigned char, kReplyBufferSize> reply{};
    char payload[kPayloadSize];
    std::copy(std::begin(kProbePayload), std::end(kProbePayload), payload);

    EchoOutcome outcome;
    outcome.replies =
        calls.sendEcho(handle, swapNetworkOrder(address), payload, static_cast<WORD>(kPayloadSize), nullptr,
                       reply.data(), kReplyBufferSize, timeoutMs);
    if (outcome.replies != 0) {
        const auto* echo = reinterpret_cast<const ICMP_ECHO_REPLY*>(reply.data());
        outcome.replyAddress = swapNetworkOrder(echo->Address);
        outcome.replyStatus = echo->Status;
        outcome.roundTripMs = echo->RoundTripTime;
    } else {
        outcome.lastError = GetLastError();
    }
    applyEchoOutcome(outcome, result);
}

// Without IP Helper every probe reports the missing function as its handle failure.
IcmpCalls unavailableCalls() {
    return IcmpCalls{[] {
                         SetLastError(ERROR_PROC_NOT_FOUND);
                         return INVALID_HANDLE_VALUE;
                     },
                     nullptr, nullptr};
}

const IcmpCalls& platformCalls() {
    static const IcmpCalls calls = [] {
        const auto create = systemFunction<decltype(&IcmpCreateFile)>(kIpHelperLibrary, "IcmpCreateFile");
        const auto send = systemFunction<decltype(&IcmpSendEcho)>(kIpHelperLibrary, "IcmpSendEcho");
        const auto close = systemFunction<decltype(&IcmpCloseHandle)>(kIpHelperLibrary, "IcmpCloseHandle");
        return create && send && close ? IcmpCalls{create, send, close} : unavailableCalls();
    }();
    return calls;
}

}  // namespace

Result icmpEchoProbeWith(const IcmpCalls& calls, std::uint32_t address, std::uint32_t timeoutMs) {
    Result result = makeUntestedResult(address);
    {
        IcmpHandle handle(calls);
        if (!handle.valid()) {
            applyHandleFailure(GetLastError(), result);
        } else {
            sendAndClassify(calls, handle.get(), address, timeoutMs, result);
        }
    }
    GetLocalTime(&result.checkedAt);
    return result;
}

Result icmpEchoProbe(std::uint32_t address, std::uint32_t timeoutMs) {
    return icmpEchoProbeWith(platformCalls(), address, timeoutMs);
}

}  // namespace calderwynfell
