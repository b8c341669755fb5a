// Texts and progress length the main window paints, from MainWindow state alone.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/main_window_paint.h"

namespace calderwynfell {
namespace {

constexpr std::uint32_t kBase = 0x7F000100;  // 127.0.1.0

std::vector<Result> makeResults(int count, int online = 0, int noResponse = 0, int errors = 0) {
    std::vector<Result> results;
    for (int i = 0; i < count; ++i) {
        Result result = makeUntestedResult(kBase + static_cast<std::uint32_t>(i));
        if (i < online) {
            result.status = ProbeStatus::Online;
        } else if (i < online + noResponse) {
            result.status = ProbeStatus::NoResponse;
        } else if (i < online + noResponse + errors) {
            result.status = ProbeStatus::Error;
        }
        results.push_back(result);
    }
    return results;
}

std::vector<std::int32_t> identityView(int count) {
    std::vector<std::int32_t> view;
    for (int i = 0; i < count; ++i) view.push_back(i);
    return view;
}

std::vector<std::int32_t> reversedView(int count) {
    std::vector<std::int32_t> view;
    for (int i = count - 1; i >= 0; --i) view.push_back(i);
    return view;
}

TEST(PaintTexts, SummaryCardsCountAllResultsNotOnlyTheView) {
    struct Case {
        const char* name;
        int total, online, noResponse, errors;
        std::uint64_t elapsedMs;
        std::wstring figures[5];
        std::wstring untestedCaption;
    };
    const Case cases[] = {
        {"empty", 0, 0, 0, 0, 0, {L"0", L"0", L"0", L"0", L"0.0 s"}, L"未检测"},
        {"five untested", 5, 0, 0, 0, 1500, {L"5", L"0", L"0", L"5", L"1.5 s"}, L"未检测"},
        {"errors switch card 3", 9, 1, 1, 2, 999, {L"9", L"1", L"1", L"5 / 2", L"1.0 s"}, L"未测 / 错误"},
        {"all done", 4, 3, 1, 0, 61049, {L"4", L"3", L"1", L"0", L"61.0 s"}, L"未检测"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MainWindow window;
        window.results = makeResults(c.total, c.online, c.noResponse, c.errors);
        window.view = identityView(c.online);  // a filtered view must not change the counts
        window.elapsedMs = c.elapsedMs;
        const PaintTexts texts = paintTexts(window);
        const wchar_t* captions[5] = {L"地址", L"在线", L"无响应", c.untestedCaption.c_str(), L"用时"};
        for (int j = 0; j < 5; ++j) {
            EXPECT_EQ(texts.cards[j].caption, captions[j]) << "card " << j;
            EXPECT_EQ(texts.cards[j].figure, c.figures[j]) << "card " << j;
            EXPECT_EQ(texts.cards[j].accent, j == 1) << "card " << j;
        }
    }
}

TEST(PaintTexts, RangeTextAndPageIndicatorFollowViewPageAndMode) {
    struct Case {
        const char* name;
        int total;
        std::vector<std::int32_t> view;
        int page;
        bool listMode;
        std::wstring range;
        std::wstring indicator;
    };
    const Case cases[] = {
        {"empty matrix", 0, {}, 0, false, L"", L"1/1"},
        {"empty list", 0, {}, 0, true, L"", L"0 条"},
        {"300 page 0", 300, identityView(300), 0, false, L"127.0.1.0 — 127.0.1.255", L"1/2"},
        {"300 page 1", 300, identityView(300), 1, false, L"127.0.2.0 — 127.0.2.43", L"2/2"},
        // The page names view positions, not table positions.
        {"300 reversed page 0", 300, reversedView(300), 0, false, L"127.0.2.43 — 127.0.1.44", L"1/2"},
        {"300 reversed page 1", 300, reversedView(300), 1, false, L"127.0.1.43 — 127.0.1.0", L"2/2"},
        {"list ignores pages and view", 300, reversedView(300), 1, true, L"127.0.1.0 — 127.0.2.43",
         L"300 条"},
        {"filtered list", 300, {4, 7}, 0, true, L"127.0.1.0 — 127.0.2.43", L"2 条"},
        {"empty filtered matrix", 300, {}, 0, false, L"127.0.1.0 — 127.0.2.43", L"1/1"},
        {"exactly one page", 256, identityView(256), 0, false, L"127.0.1.0 — 127.0.1.255", L"1/1"},
        {"one past a page", 257, identityView(257), 1, false, L"127.0.2.0 — 127.0.2.0", L"2/2"},
        {"single address", 1, identityView(1), 0, false, L"127.0.1.0 — 127.0.1.0", L"1/1"},
    };
    for (const Case& c : cases) {
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

TEST(PaintTexts, StatusLineAppendsDoneOfTotal) {
    struct Case {
        std::wstring status;
        int total, online, noResponse, errors;
        std::wstring expected;
    };
    const Case cases[] = {
        {L"就绪 · F5 开始扫描", 254, 0, 0, 0, L"就绪 · F5 开始扫描 · 0 / 254"},
        {L"就绪 · F5 开始扫描", 0, 0, 0, 0, L"就绪 · F5 开始扫描 · 0 / 0"},
        {L"正在扫描", 10, 2, 3, 1, L"正在扫描 · 6 / 10"},
        {L"扫描完成", 4096, 4000, 96, 0, L"扫描完成 · 4096 / 4096"},
    };
    for (const Case& c : cases) {
        MainWindow window;
        window.statusText = c.status;
        window.results = makeResults(c.total, c.online, c.noResponse, c.errors);
        EXPECT_EQ(paintTexts(window).statusLine, c.expected);
    }
}

TEST(PaintTexts, FootLineShowsMessageInsteadOfHint) {
    MainWindow window;
    PaintTexts texts = paintTexts(window);
    EXPECT_EQ(texts.footLine, L"无响应不等于离线，设备可能禁用了 Ping。");
    EXPECT_FALSE(texts.footIsError);

    window.message = L"起始地址格式不正确";
    texts = paintTexts(window);
    EXPECT_EQ(texts.footLine, L"起始地址格式不正确");
    EXPECT_TRUE(texts.footIsError);

    window.message.clear();
    EXPECT_FALSE(paintTexts(window).footIsError);
}

TEST(PaintTexts, ProgressLengthIsTruncatedShareOfTrack) {
    struct Case {
        int clientWidth, total, done, expected;
    };
    const Case cases[] = {
        {584, 0, 0, 0},                                // no results: track only
        {584, 254, 0, 0},                              // previewed, nothing done
        {584, 3, 1, 180},                              // 540 / 3
        {584, 7, 2, 154},                              // 154.28 truncated
        {584, 7, 6, 462},                              // 462.85 truncated, not rounded
        {584, 4096, 4096, 540}, {593, 254, 127, 274},  // 549 / 2 = 274.5 truncated
    };
    for (const Case& c : cases) {
        MainWindow window;
        window.clientWidth = c.clientWidth;
        window.results = makeResults(c.total, c.done);
        EXPECT_EQ(paintTexts(window).progressUnits, c.expected)
            << "width " << c.clientWidth << ", " << c.done << " of " << c.total;
    }
}

}  // namespace
}  // namespace calderwynfell
