// The result store as the window holds it: loads, merges, selection, sorting,
// the filter box and the page buttons.

#include "ui_harness.h"

#include <commctrl.h>
#include <gtest/gtest.h>

namespace calderwynfell::test {
namespace {

constexpr std::uint32_t kBase = (127u << 24) | (1u << 8);  // 127.0.1.0

std::vector<std::uint32_t> addresses(std::uint32_t first, int count) {
    std::vector<std::uint32_t> list;
    for (int i = 0; i < count; ++i) list.push_back(first + static_cast<std::uint32_t>(i));
    return list;
}

// Loads count entries from 127.0.1.0 and merges the fake probe's outcome for each.
void loadProbed(MainWindow& window, int count) {
    window.loadRange(addresses(kBase, count));
    const auto probe = fakeProbe();
    for (const auto address : addresses(kBase, count)) window.mergeResult(probe(address, 600));
    window.rebuildView();
}

bool checked(const WindowUnderTest& ui) {
    return SendMessageW(ui.control(kOnlineOnlyCheckId), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void setOnlineOnly(WindowUnderTest& ui, bool on) {
    if (checked(ui) != on)
        SendMessageW(ui.control(kOnlineOnlyCheckId), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    ui.command(kOnlineOnlyCheckId);
}

int listCount(const WindowUnderTest& ui) {
    return static_cast<int>(SendMessageW(ui.control(kDetailListId), LVM_GETITEMCOUNT, 0, 0));
}

int listSelection(const WindowUnderTest& ui) {
    return static_cast<int>(
        SendMessageW(ui.control(kDetailListId), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

struct PagingCase {
    int entries;
    int nextClicks;
    int expectedPage;
    bool previousEnabled;
    bool nextEnabled;
};

TEST(AppStore, PageButtonsFollowTheViewSize) {
    const PagingCase cases[] = {
        {256, 0, 0, false, false}, {256, 1, 0, false, false},   {257, 0, 0, false, true},
        {257, 1, 1, true, false},  {257, 3, 1, true, false},    {600, 1, 1, true, true},
        {600, 2, 2, true, false},  {4096, 20, 15, true, false}, {1, 0, 0, false, false},
    };
    WindowUnderTest ui;
    for (const auto& c : cases) {
        ui.window.loadRange(addresses(kBase, c.entries));
        for (int i = 0; i < c.nextClicks; ++i) ui.command(kNextPageButtonId);
        EXPECT_EQ(ui.window.page, c.expectedPage) << c.entries << " entries";
        EXPECT_EQ(isEnabled(ui.control(kPreviousPageButtonId)), c.previousEnabled) << c.entries << " entries";
        EXPECT_EQ(isEnabled(ui.control(kNextPageButtonId)), c.nextEnabled) << c.entries << " entries";
        EXPECT_EQ(listCount(ui), c.entries);
    }
    ui.window.loadRange(addresses(kBase, 600));
    ui.command(kNextPageButtonId);
    ui.command(kNextPageButtonId);
    ui.command(kPreviousPageButtonId);
    EXPECT_EQ(ui.window.page, 1);
    for (int i = 0; i < 3; ++i) ui.command(kPreviousPageButtonId);
    EXPECT_EQ(ui.window.page, 0);
    EXPECT_FALSE(isEnabled(ui.control(kPreviousPageButtonId)));
}

TEST(AppStore, FilterReturnsToPageZeroAndCanEmptyTheView) {
    WindowUnderTest ui;
    loadProbed(ui.window, 600);  // 300 online: two pages under the filter
    ui.command(kNextPageButtonId);
    ui.command(kNextPageButtonId);
    ASSERT_EQ(ui.window.page, 2);
    setOnlineOnly(ui, true);
    EXPECT_EQ(ui.window.page, 0);
    ASSERT_EQ(ui.window.view.size(), 300u);
    for (const auto index : ui.window.view) EXPECT_EQ(ui.window.results[index].status, ProbeStatus::Online);
    EXPECT_TRUE(isEnabled(ui.control(kNextPageButtonId)));
    ui.command(kNextPageButtonId);
    setOnlineOnly(ui, false);
    EXPECT_EQ(ui.window.page, 0);
    EXPECT_EQ(ui.window.view.size(), 600u);

    // Nothing online: an empty view, page 0, both page buttons off, an empty list.
    ui.window.loadRange(addresses(kBase, 300));
    setOnlineOnly(ui, true);
    EXPECT_TRUE(ui.window.view.empty());
    EXPECT_EQ(ui.window.page, 0);
    EXPECT_FALSE(isEnabled(ui.control(kPreviousPageButtonId)));
    EXPECT_FALSE(isEnabled(ui.control(kNextPageButtonId)));
    EXPECT_EQ(listCount(ui), 0);
}

TEST(AppStore, MergeDropsResultsOutsideTheTable) {
    WindowUnderTest ui;
    ui.window.loadRange(addresses(kBase + 10, 10));  // 127.0.1.10 - 127.0.1.19
    const auto probe = fakeProbe();
    for (const std::uint32_t address : {kBase + 9, kBase + 20, 0u, 0xFFFFFFFFu, kBase + 10 - 0x1000000u})
        ui.window.mergeResult(probe(address, 600));
    for (const auto& entry : ui.window.results) EXPECT_EQ(entry.status, ProbeStatus::NotChecked);

    Result replacement = probe(kBase + 15, 600);
    replacement.attempts = 3;
    ui.window.mergeResult(replacement);
    const Result& merged = ui.window.results[5];
    EXPECT_EQ(merged.address, kBase + 15);
    EXPECT_EQ(merged.status, ProbeStatus::Online);
    EXPECT_EQ(merged.latencyMs, 15u % 7);
    EXPECT_EQ(merged.attempts, 3);
    EXPECT_EQ(merged.note, L"收到 ICMP 回复");
    EXPECT_EQ(merged.checkedAt.wYear, 2026);
    EXPECT_EQ(merged.checkedAt.wSecond, 9);

    ui.window.loadRange({});
    ui.window.mergeResult(replacement);  // an empty table takes nothing
    EXPECT_TRUE(ui.window.results.empty());
}

TEST(AppStore, SelectionSurvivesFilterSortAndModeButNotALoad) {
    WindowUnderTest ui;
    loadProbed(ui.window, 20);
    ui.window.selectResult(20);  // out of range: nothing at all
    ui.window.selectResult(-1);
    EXPECT_EQ(ui.window.selectedIndex, -1);
    EXPECT_EQ(ui.window.detail, L"点击地址查看详情，双击复制 IP");
    EXPECT_FALSE(isEnabled(ui.control(kCopyButtonId)));

    ui.window.selectResult(4);  // 127.0.1.4: no response
    EXPECT_EQ(ui.window.selectedIndex, 4);
    EXPECT_EQ(ui.window.detail, L"127.0.1.4 \u00B7 无响应 \u00B7 \u2014 \u00B7 等待 ICMP 回复超时");
    EXPECT_TRUE(isEnabled(ui.control(kCopyButtonId)));

    ui.command(kListViewButtonId);
    ui.window.sortByColumn(2);             // latency: online first by time, then no response by address
    EXPECT_EQ(listSelection(ui), 10 + 2);  // ten online ahead, then 127.0.1.0, .2, .4
    setOnlineOnly(ui, true);
    EXPECT_EQ(ui.window.selectedIndex, 4);  // hidden by the filter, still selected
    EXPECT_EQ(listSelection(ui), -1);
    EXPECT_EQ(ui.window.detail, L"127.0.1.4 \u00B7 无响应 \u00B7 \u2014 \u00B7 等待 ICMP 回复超时");
    EXPECT_TRUE(isEnabled(ui.control(kCopyButtonId)));

    // A load keeps the sort, the mode and the filter box; it clears selection and page.
    ui.window.page = 1;
    ui.window.loadRange(addresses(kBase, 5));
    EXPECT_EQ(ui.window.selectedIndex, -1);
    EXPECT_EQ(ui.window.page, 0);
    EXPECT_EQ(ui.window.detail, L"点击地址查看详情，双击复制 IP");
    EXPECT_FALSE(isEnabled(ui.control(kCopyButtonId)));
    EXPECT_EQ(ui.window.sortColumn, 2);
    EXPECT_TRUE(ui.window.sortAscending);
    EXPECT_TRUE(ui.window.listMode);
    EXPECT_TRUE(checked(ui));
}

TEST(AppStore, ListSelectionFollowsTheSelectedEntryThroughRebuilds) {
    WindowUnderTest ui;
    loadProbed(ui.window, 12);
    ui.command(kListViewButtonId);
    ui.window.selectResult(7);  // online, latency 0
    ui.window.rebuildView();
    EXPECT_EQ(listSelection(ui), 7);  // address order
    ui.window.sortByColumn(1);        // status: the six online entries first
    EXPECT_TRUE(ui.window.sortAscending);
    EXPECT_EQ(listSelection(ui), 3);  // .1 .3 .5 .7
    ui.window.sortByColumn(1);        // the same header again: the exact reverse
    EXPECT_FALSE(ui.window.sortAscending);
    EXPECT_EQ(listSelection(ui), 12 - 1 - 3);
    ui.window.sortByColumn(4);  // a new column always starts ascending
    EXPECT_EQ(ui.window.sortColumn, 4);
    EXPECT_TRUE(ui.window.sortAscending);
    EXPECT_EQ(SendMessageW(ui.control(kDetailListId), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED),
              -1);
}

}  // namespace
}  // namespace calderwynfell::test
