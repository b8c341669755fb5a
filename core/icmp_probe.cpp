#include "core/icmp_probe.h"

#include <winsock2.h>
#include <iphlpapi.h>
#include <icmpapi.h>

#include <array>

#include "core/icmp_status.h"
#include "results/text_forms.h"

namespace calderwynfell {

namespace {

constexpr DWORD kPayloadSize = sizeof(kProbePayload);  // 25: the zero byte is part of the data
constexpr DWORD kReplyBufferSize = 97;
static_assert(kPayloadSize == 25);
static_assert(kReplyBufferSize >= sizeof(ICMP_ECHO_REPLY) + kPayloadSize + 8);

// Closes the ICMP handle exactly once, on every path that has one.
class IcmpHandle {
public:
    IcmpHandle() : handle_(IcmpCreateFile()) {}
    IcmpHandle(const IcmpHandle&) = delete;
    IcmpHandle& operator=(const IcmpHandle&) = delete;
    ~IcmpHandle() {
        if (valid()) IcmpCloseHandle(handle_);
    }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

void sendAndClassify(HANDLE handle, std::uint32_t address, std::uint32_t timeoutMs, Result& result) {
    std::array<unsigned char, kReplyBufferSize> reply{};
    char payload[kPayloadSize];
    std::copy(std::begin(kProbePayload), std::end(kProbePayload), payload);

    const DWORD replies = IcmpSendEcho(handle, htonl(address), payload, static_cast<WORD>(kPayloadSize),
                                       nullptr, reply.data(), kReplyBufferSize, timeoutMs);
    DWORD code = 0;
    if (replies != 0) {
        const auto* echo = reinterpret_cast<const ICMP_ECHO_REPLY*>(reply.data());
        code = echo->Status;
        if (code == IP_SUCCESS) {
            result.status = ProbeStatus::Online;
            result.latencyMs = echo->RoundTripTime;
            result.note = L"收到 ICMP 回复";
            return;
        }
    } else {
        code = GetLastError();
    }
    auto classification = classifyIcmpCode(code);
    result.status = classification.status;
    result.note = std::move(classification.note);
}

}  // namespace

Result icmpEchoProbe(std::uint32_t address, std::uint32_t timeoutMs) {
    Result result = makeUntestedResult(address);
    {
        IcmpHandle handle;
        if (!handle.valid()) {
            result.status = ProbeStatus::Error;
            result.note = L"无法创建 ICMP 句柄：" + decimalText(static_cast<std::uint32_t>(GetLastError()));
        } else {
            sendAndClassify(handle.get(), address, timeoutMs, result);
        }
    }
    GetLocalTime(&result.checkedAt);
    return result;
}

}  // namespace calderwynfell
