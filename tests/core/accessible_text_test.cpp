#include "results/accessible_text.h"

#include <gtest/gtest.h>

namespace calderwynfell {
namespace {

Result entry(std::uint32_t address, ProbeStatus status, std::uint32_t latency) {
    return {address, status, latency, 1, L"说明"};
}

TEST(CellAccessibleName, AddressStatusAndLatencyOnlyWhenOnline) {
    const std::pair<Result, const wchar_t*> cases[] = {
        {entry(0x7F000005, ProbeStatus::Online, 0), L"127.0.0.5 在线 <1 ms"},
        {entry(0x7F000005, ProbeStatus::Online, 12), L"127.0.0.5 在线 12 ms"},
        {entry(0x7F000006, ProbeStatus::NoResponse, 40), L"127.0.0.6 无响应"},
        {entry(0x0A000000, ProbeStatus::Error, 0), L"10.0.0.0 检测错误"},
        {makeUntestedResult(0xC0A80101), L"192.168.1.1 未检测"},
    };
    for (const auto& [result, name] : cases) EXPECT_EQ(cellAccessibleName(result), name);
}

TEST(ScanEndAnnouncement, StatusThenTheThreeCountsThenAnyMessage) {
    const struct {
        const wchar_t* status;
        StatusCounts counts;
        const wchar_t *message, *text;
    } cases[] = {
        {L"扫描完成", {12, 240, 2}, L"", L"扫描完成 · 在线 12 · 无响应 240 · 错误 2"},
        {L"已停止", {0, 0, 0}, L"", L"已停止 · 在线 0 · 无响应 0 · 错误 0"},
        {L"扫描未完成",
         {1, 2, 0},
         L"扫描未完成：无法分配扫描资源或发生系统异常。",
         L"扫描未完成 · 在线 1 · 无响应 2 · 错误 0 · 扫描未完成：无法分配扫描资源或发生系统异常。"},
    };
    for (const auto& c : cases) EXPECT_EQ(scanEndAnnouncement(c.status, c.counts, c.message), c.text);
}

// What a screen reader hears of the progress bar: whole percent, rounded down.
TEST(ProgressPercentText, WholePercentRoundedDown) {
    const struct {
        std::uint64_t done, total;
        const wchar_t* text;
    } cases[] = {{0, 0, L"0%"}, {37, 100, L"37%"}, {1, 1, L"100%"}, {100, 100, L"100%"}, {2, 3, L"66%"}};
    for (const auto& c : cases) EXPECT_EQ(progressPercentText(c.done, c.total), c.text) << c.done << "/" << c.total;
}

TEST(CountStatuses, UntestedAndUnknownStatusesCountNowhere) {
    std::vector<Result> results = {entry(1, ProbeStatus::Online, 0),
                                   entry(2, ProbeStatus::Online, 0),
                                   entry(3, ProbeStatus::NoResponse, 0),
                                   entry(4, ProbeStatus::Error, 0),
                                   makeUntestedResult(5),
                                   entry(6, static_cast<ProbeStatus>(9), 0)};
    const StatusCounts counts = countStatuses(results);
    EXPECT_EQ(counts.online, 2);
    EXPECT_EQ(counts.noResponse, 1);
    EXPECT_EQ(counts.error, 1);
}

}  // namespace
}  // namespace calderwynfell
