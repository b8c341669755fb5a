#include "core/icmp_status.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace calderwynfell {
namespace {

using S = ProbeStatus;

TEST(ClassifyIcmpCode, WholeTable) {
    const struct {
        std::uint32_t code;
        ProbeStatus status;
        const wchar_t* note;
    } cases[] = {
        {10999, S::Error, L"ICMP 状态 10999"},
        {11000, S::NoResponse, L"ICMP 状态 11000"},
        {11001, S::NoResponse, L"ICMP 状态 11001"},
        {11002, S::NoResponse, L"目标网络不可达"},
        {11003, S::NoResponse, L"目标主机不可达"},
        {11010, S::NoResponse, L"等待 ICMP 回复超时"},
        {11013, S::NoResponse, L"TTL 已耗尽"},
        {11049, S::NoResponse, L"ICMP 状态 11049"},
        {11050, S::Error, L"本机网络发送失败"},
        {11051, S::Error, L"ICMP 状态 11051"},
        {87, S::Error, L"ICMP 状态 87"},
        {0, S::Error, L"ICMP 状态 0"},
        {0xFFFFFFFFu, S::Error, L"ICMP 状态 4294967295"},
    };
    for (const auto& c : cases) {
        const IcmpClassification got = classifyIcmpCode(c.code);
        EXPECT_EQ(got.status, c.status) << c.code;
        EXPECT_EQ(got.note, c.note) << c.code;
    }
}

// A stale lastError must not spoil a reply; without replies the buffer is ignored.
// A success counts only from the address asked; an error may come from a router.
TEST(ApplyEchoOutcome, BuildsTheResult) {
    constexpr std::uint32_t asked = 0x7F000001u, other = 0xC0A801FFu;  // 127.0.0.1, 192.168.1.255
    const struct {
        EchoOutcome outcome;
        ProbeStatus status;
        std::uint32_t latencyMs;
        const wchar_t* note;
    } cases[] = {
        {{1, asked, 0, 7, 0}, S::Online, 7, L"收到 ICMP 回复"},
        {{1, asked, 0, 3, 11010}, S::Online, 3, L"收到 ICMP 回复"},
        {{1, other, 0, 7, 0}, S::NoResponse, 0, L"回复来自 192.168.1.255"},
        {{1, other, 11003, 25, 0}, S::NoResponse, 0, L"目标主机不可达"},
        {{1, asked, 11050, 9, 0}, S::Error, 0, L"本机网络发送失败"},
        {{0, 0, 0, 0, 11010}, S::NoResponse, 0, L"等待 ICMP 回复超时"},
        {{0, other, 0, 42, 87}, S::Error, 0, L"ICMP 状态 87"},
        {{0, asked, 0, 0, 0}, S::Error, 0, L"ICMP 状态 0"},  // a failed send is never a reply
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        Result result = makeUntestedResult(asked);
        result.latencyMs = 99;  // must not leak into a failure
        applyEchoOutcome(c.outcome, result);
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(result.latencyMs, c.latencyMs);
        EXPECT_EQ(result.note, c.note);
    }
}

TEST(ApplyHandleFailure, NamesTheSystemError) {
    Result result = makeUntestedResult(1);
    result.latencyMs = 99;
    applyHandleFailure(4294967295u, result);
    EXPECT_EQ(result.status, S::Error);
    EXPECT_EQ(result.note, L"无法创建 ICMP 句柄：4294967295");
    EXPECT_EQ(result.latencyMs, 0u);
}

}  // namespace
}  // namespace calderwynfell
