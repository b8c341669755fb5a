// Texts and progress length the main window paints, from MainWindow state alone.

#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

#include "ui/main_window_paint.h"

namespace calderwynfell {
namespace {

// count entries from 127.0.1.0: the first `online` online, then no response, then errors.
std::vector<Result> makeResults(int count, int online = 0, int noResponse = 0, int errors = 0) {
    std::vector<Result> results;
    for (int i = 0; i < count; ++i) {
        Result result = makeUntestedResult(0x7F000100u + static_cast<std::uint32_t>(i));
        if (i < online + noResponse + errors)
            result.status = i < online                ? ProbeStatus::Online
                            : i < online + noResponse ? ProbeStatus::NoResponse
                                                      : ProbeStatus::Error;
        results.push_back(result);
    }
    return results;
}

std::vector<std::int32_t> view(int count, bool reversed = false) {
    std::vector<std::int32_t> v(static_cast<std::size_t>(count));
    std::iota(v.begin(), v.end(), 0);
    if (reversed) std::reverse(v.begin(), v.end());
    return v;
}

TEST(PaintTexts, SummaryCardsCountAllResultsNotOnlyTheView) {
    const struct {
        const char* name;
        int total, online, noResponse, errors;
        std::uint64_t elapsedMs;
        std::wstring figures[5];
        std::wstring untestedCaption;
    } cases[] = {
        {"empty", 0, 0, 0, 0, 0, {L"0", L"0", L"0", L"0", L"0.0 s"}, L"未检测"},
        {"five untested", 5, 0, 0, 0, 1500, {L"5", L"0", L"0", L"5", L"1.5 s"}, L"未检测"},
        {"errors switch card 3", 9, 1, 1, 2, 999, {L"9", L"1", L"1", L"5 / 2", L"1.0 s"}, L"未测 / 错误"},
        {"all done", 4, 3, 1, 0, 61049, {L"4", L"3", L"1", L"0", L"61.0 s"}, L"未检测"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MainWindow window;
        window.results = makeResults(c.total, c.online, c.noResponse, c.errors);
        window.view = view(c.online);  // a filtered view must not change the counts
        window.elapsedMs = c.elapsedMs;
        const PaintTexts texts = paintTexts(window);
        const std::wstring captions[5] = {L"地址", L"在线", L"无响应", c.untestedCaption, L"用时"};
        for (int j = 0; j < 5; ++j) {
            EXPECT_EQ(texts.cards[j].caption, captions[j]) << "card " << j;
            EXPECT_EQ(texts.cards[j].figure, c.figures[j]) << "card " << j;
            EXPECT_EQ(texts.cards[j].accent, j == 1) << "card " << j;
        }
    }
}

TEST(PaintTexts, RangeTextAndPageIndicatorFollowViewPageAndMode) {
    const std::wstring all = L"127.0.1.0 — 127.0.2.43";
    const struct {
        const char* name;
        int total;
        std::vector<std::int32_t> view;
        int page;
        bool listMode;
        std::wstring range, indicator;
    } cases[] = {
        {"empty matrix", 0, {}, 0, false, L"", L"1/1"},
        {"empty list", 0, {}, 0, true, L"", L"0 条"},
        {"300 page 0", 300, view(300), 0, false, L"127.0.1.0 — 127.0.1.255", L"1/2"},
        {"300 page 1", 300, view(300), 1, false, L"127.0.2.0 — 127.0.2.43", L"2/2"},
        // The page names view positions, not table positions.
        {"300 reversed page 0", 300, view(300, true), 0, false, L"127.0.2.43 — 127.0.1.44", L"1/2"},
        {"300 reversed page 1", 300, view(300, true), 1, false, L"127.0.1.43 — 127.0.1.0", L"2/2"},
        {"list ignores pages and view", 300, view(300, true), 1, true, all, L"300 条"},
        {"filtered list", 300, {4, 7}, 0, true, all, L"2 条"},
        {"empty filtered matrix", 300, {}, 0, false, all, L"1/1"},
        {"exactly one page", 256, view(256), 0, false, L"127.0.1.0 — 127.0.1.255", L"1/1"},
        {"one past a page", 257, view(257), 1, false, L"127.0.2.0 — 127.0.2.0", L"2/2"},
        {"single address", 1, view(1), 0, false, L"127.0.1.0 — 127.0.1.0", L"1/1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MainWindow window;
        window.results = makeResults(c.total);
        window.view = c.view;
        window.page = c.page;
        window.listMode = c.listMode;
        const PaintTexts texts = paintTexts(window);
        EXPECT_EQ(texts.rangeText, c.range);
        EXPECT_EQ(texts.pageIndicator, c.indicator);
    }
}

TEST(PaintTexts, StatusLineFootLineAndProgressLength) {
    const struct {
        std::wstring status, message;
        int clientWidth, total, online, noResponse, errors;
        std::wstring statusLine;
        int progress;
    } cases[] = {
        {L"就绪 · F5 开始扫描", L"", 584, 254, 0, 0, 0, L"就绪 · F5 开始扫描 · 0 / 254", 0},
        {L"就绪 · F5 开始扫描", L"", 584, 0, 0, 0, 0, L"就绪 · F5 开始扫描 · 0 / 0", 0},  // track only
        {L"正在扫描", L"", 584, 10, 2, 3, 1, L"正在扫描 · 6 / 10", 324},
        {L"扫描完成", L"", 584, 4096, 4000, 96, 0, L"扫描完成 · 4096 / 4096", 540},
        {L"扫描完成", L"起始地址格式不正确", 584, 3, 1, 0, 0, L"扫描完成 · 1 / 3", 180},  // 540 / 3
        {L"正在扫描", L"", 584, 7, 2, 0, 0, L"正在扫描 · 2 / 7", 154},                    // 154.28 truncated
        {L"正在扫描", L"", 584, 7, 0, 6, 0, L"正在扫描 · 6 / 7", 462},  // 462.85 truncated, not rounded
        {L"正在扫描", L"", 593, 254, 0, 0, 127, L"正在扫描 · 127 / 254", 274},  // 549 / 2 = 274.5
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.clientWidth << " wide, " << c.total << " entries");
        MainWindow window;
        window.statusText = c.status;
        window.message = c.message;
        window.clientWidth = c.clientWidth;
        window.results = makeResults(c.total, c.online, c.noResponse, c.errors);
        const PaintTexts texts = paintTexts(window);
        EXPECT_EQ(texts.statusLine, c.statusLine);
        EXPECT_EQ(texts.progressUnits, c.progress);
        EXPECT_EQ(texts.footLine, c.message.empty() ? L"无响应不等于离线，设备可能禁用了 Ping。" : c.message);
        EXPECT_EQ(texts.footIsError, !c.message.empty());
    }
}

}  // namespace
}  // namespace calderwynfell
