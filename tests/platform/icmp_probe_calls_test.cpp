// The probe's handling of the three ICMP calls, with stand-ins that record
// what they were given and answer as the platform would.

#include "core/icmp_probe.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace calderwynfell {
namespace {

struct Scripted {
    bool createFails = false;
    DWORD createError = 0;
    DWORD replies = 0;      // return value of the send
    ULONG replyStatus = 0;  // written into the reply when replies != 0
    ULONG roundTripMs = 0;
    DWORD sendError = 0;  // SetLastError value when replies == 0
};

struct Seen {
    int creates = 0;
    int sends = 0;
    std::vector<HANDLE> closed;
    IPAddr destination = 0;
    std::string payload;
    WORD requestSize = 0;
    bool optionsNull = false;
    DWORD replySize = 0;
    bool replyZeroed = false;
    DWORD timeoutMs = 0;
};

HANDLE const kFakeHandle = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(0x4C1C));

IcmpCalls fakeCalls(const Scripted& script, Seen& seen) {
    IcmpCalls calls;
    calls.createFile = [&script, &seen]() {
        ++seen.creates;
        if (script.createFails) {
            SetLastError(script.createError);
            return INVALID_HANDLE_VALUE;
        }
        return kFakeHandle;
    };
    calls.sendEcho = [&script, &seen](HANDLE handle, IPAddr destination, LPVOID request, WORD requestSize,
                                      PIP_OPTION_INFORMATION options, LPVOID reply, DWORD replySize,
                                      DWORD timeoutMs) -> DWORD {
        ++seen.sends;
        EXPECT_EQ(handle, kFakeHandle);
        seen.destination = destination;
        seen.payload.assign(static_cast<const char*>(request), requestSize);
        seen.requestSize = requestSize;
        seen.optionsNull = options == nullptr;
        seen.replySize = replySize;
        const auto* bytes = static_cast<const unsigned char*>(reply);
        seen.replyZeroed = true;
        for (DWORD i = 0; i < replySize; ++i) seen.replyZeroed = seen.replyZeroed && bytes[i] == 0;
        seen.timeoutMs = timeoutMs;
        if (script.replies == 0) {
            SetLastError(script.sendError);
            return 0;
        }
        auto* echo = static_cast<ICMP_ECHO_REPLY*>(reply);
        echo->Status = script.replyStatus;
        echo->RoundTripTime = script.roundTripMs;
        SetLastError(11010);  // a stale code that must not matter
        return script.replies;
    };
    calls.closeHandle = [&seen](HANDLE handle) {
        seen.closed.push_back(handle);
        return TRUE;
    };
    return calls;
}

struct ProbeCase {
    const char* name;
    Scripted script;
    ProbeStatus status;
    std::uint32_t latencyMs;
    const wchar_t* note;
};

TEST(IcmpEchoProbeCalls, OutcomesAndHandleLife) {
    const ProbeCase cases[] = {
        {"reply", {false, 0, 1, 0, 12, 0}, ProbeStatus::Online, 12, L"收到 ICMP 回复"},
        {"reply under a millisecond", {false, 0, 1, 0, 0, 0}, ProbeStatus::Online, 0, L"收到 ICMP 回复"},
        {"reply says host unreachable",
         {false, 0, 1, 11003, 25, 0},
         ProbeStatus::NoResponse,
         0,
         L"目标主机不可达"},
        {"time-out", {false, 0, 0, 0, 0, 11010}, ProbeStatus::NoResponse, 0, L"等待 ICMP 回复超时"},
        {"send rejected", {false, 0, 0, 0, 0, 87}, ProbeStatus::Error, 0, L"ICMP 状态 87"},
        {"general failure", {false, 0, 0, 0, 0, 11050}, ProbeStatus::Error, 0, L"本机网络发送失败"},
        {"no handle", {true, 5, 0, 0, 0, 0}, ProbeStatus::Error, 0, L"无法创建 ICMP 句柄：5"},
    };
    for (const ProbeCase& c : cases) {
        SCOPED_TRACE(c.name);
        Seen seen;
        const IcmpCalls calls = fakeCalls(c.script, seen);
        const Result result = icmpEchoProbeWith(calls, 0x0A010203u, 600);
        EXPECT_EQ(result.address, 0x0A010203u);
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(result.latencyMs, c.latencyMs);
        EXPECT_EQ(result.note, c.note);
        EXPECT_EQ(result.attempts, 0);
        EXPECT_NE(result.checkedAt.wYear, 0) << "checkedAt is set on every path";
        EXPECT_EQ(seen.creates, 1);
        if (c.script.createFails) {
            EXPECT_EQ(seen.sends, 0);
            EXPECT_TRUE(seen.closed.empty()) << "nothing to close without a handle";
        } else {
            EXPECT_EQ(seen.sends, 1);
            EXPECT_EQ(seen.closed, std::vector<HANDLE>{kFakeHandle});
        }
    }
}

TEST(IcmpEchoProbeCalls, WhatIsSent) {
    Seen seen;
    const Scripted script{false, 0, 1, 0, 1, 0};
    const IcmpCalls calls = fakeCalls(script, seen);
    icmpEchoProbeWith(calls, 0x0A010203u, 2000);
    const auto* octets = reinterpret_cast<const unsigned char*>(&seen.destination);
    EXPECT_EQ((std::vector<int>{octets[0], octets[1], octets[2], octets[3]}),
              (std::vector<int>{10, 1, 2, 3}));
    EXPECT_EQ(seen.requestSize, 25);
    EXPECT_EQ(seen.payload, std::string("Calderwynfell diagnostic", 25));  // with its zero byte
    EXPECT_TRUE(seen.optionsNull);
    EXPECT_EQ(seen.replySize, 97u);
    EXPECT_TRUE(seen.replyZeroed);
    EXPECT_EQ(seen.timeoutMs, 2000u);
}

}  // namespace
}  // namespace calderwynfell
