#include "results/selection_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace calderwynfell {
namespace {

Result entry(std::uint32_t address, ProbeStatus status, std::uint32_t latency, const wchar_t* note) {
    return {address, status, latency, 1, note};
}

TEST(DescribeSelection, JoinsFourPartsWithMiddleDots) {
    const std::pair<Result, const wchar_t*> cases[] = {
        {makeUntestedResult(0x0A000001), L"10.0.0.1 \u00B7 未检测 \u00B7 \u2014 \u00B7 尚未检测"},
        {entry(0xC0A8010A, ProbeStatus::Online, 0, L"收到 ICMP 回复"),
         L"192.168.1.10 \u00B7 在线 \u00B7 <1 ms \u00B7 收到 ICMP 回复"},
        // A stale latency on a silent address must not leak into the line.
        {entry(0x7F0000FE, ProbeStatus::NoResponse, 42, L"等待 ICMP 回复超时"),
         L"127.0.0.254 \u00B7 无响应 \u00B7 \u2014 \u00B7 等待 ICMP 回复超时"},
        {entry(0xFFFFFFFF, ProbeStatus::Error, 0, L""),
         L"255.255.255.255 \u00B7 检测错误 \u00B7 \u2014 \u00B7 "},
    };
    for (const auto& [entry, text] : cases) EXPECT_EQ(describeSelection(entry), text);
}

TEST(CopiedText, PrefixThenDottedAddress) {
    EXPECT_EQ(copiedText(0xC0A8010A), L"\u5DF2\u590D\u5236 192.168.1.10");
    EXPECT_EQ(copiedText(0), L"已复制 0.0.0.0");
}

}  // namespace
}  // namespace calderwynfell
