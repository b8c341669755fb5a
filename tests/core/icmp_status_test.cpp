#include "core/icmp_status.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace calderwynfell {
namespace {

TEST(ClassifyIcmpCode, WholeTable) {
    const struct {
        std::uint32_t code;
        ProbeStatus status;
        const wchar_t* note;
    } cases[] = {
        {11000, ProbeStatus::NoResponse, L"ICMP 状态 11000"},
        {11001, ProbeStatus::NoResponse, L"ICMP 状态 11001"},
        {11002, ProbeStatus::NoResponse, L"目标网络不可达"},
        {11003, ProbeStatus::NoResponse, L"目标主机不可达"},
        {11010, ProbeStatus::NoResponse, L"等待 ICMP 回复超时"},
        {11013, ProbeStatus::NoResponse, L"TTL 已耗尽"},
        {11049, ProbeStatus::NoResponse, L"ICMP 状态 11049"},
        {11050, ProbeStatus::Error, L"本机网络发送失败"},
        {11051, ProbeStatus::Error, L"ICMP 状态 11051"},
        {10999, ProbeStatus::Error, L"ICMP 状态 10999"},
        {87, ProbeStatus::Error, L"ICMP 状态 87"},
        {0, ProbeStatus::Error, L"ICMP 状态 0"},
        {0xFFFFFFFFu, ProbeStatus::Error, L"ICMP 状态 4294967295"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        const IcmpClassification got = classifyIcmpCode(c.code);
        EXPECT_EQ(got.status, c.status);
        EXPECT_EQ(got.note, c.note);
    }
}

TEST(ApplyEchoOutcome, BuildsTheResult) {
    const struct {
        const char* name;
        EchoOutcome outcome;
        ProbeStatus status;
        std::uint32_t latencyMs;
        const wchar_t* note;
    } cases[] = {
        {"reply in 7 ms", {1, 0, 7, 0}, ProbeStatus::Online, 7, L"收到 ICMP 回复"},
        // A stale lastError must not spoil a successful reply.
        {"reply with stale error", {1, 0, 3, 11010}, ProbeStatus::Online, 3, L"收到 ICMP 回复"},
        {"reply says host unreachable", {1, 11003, 25, 0}, ProbeStatus::NoResponse, 0, L"目标主机不可达"},
        {"reply says general failure", {1, 11050, 9, 0}, ProbeStatus::Error, 0, L"本机网络发送失败"},
        {"send timed out", {0, 0, 0, 11010}, ProbeStatus::NoResponse, 0, L"等待 ICMP 回复超时"},
        // Without replies the buffer is ignored, even if it looks like a success.
        {"send failed, buffer garbage", {0, 0, 42, 87}, ProbeStatus::Error, 0, L"ICMP 状态 87"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Result result = makeUntestedResult(0x7F000001u);
        result.latencyMs = 99;  // whatever was there before must not leak into a failure
        applyEchoOutcome(c.outcome, result);
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(result.latencyMs, c.latencyMs);
        EXPECT_EQ(result.note, c.note);
    }
}

TEST(ApplyHandleFailure, NamesTheSystemError) {
    const std::pair<std::uint32_t, const wchar_t*> cases[] = {
        {5, L"无法创建 ICMP 句柄：5"},
        {4294967295u, L"无法创建 ICMP 句柄：4294967295"},
    };
    for (const auto& [code, note] : cases) {
        Result result = makeUntestedResult(1);
        applyHandleFailure(code, result);
        EXPECT_EQ(result.status, ProbeStatus::Error);
        EXPECT_EQ(result.note, note);
        EXPECT_EQ(result.latencyMs, 0u);
    }
}

}  // namespace
}  // namespace calderwynfell
