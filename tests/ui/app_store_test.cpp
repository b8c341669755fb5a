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
    for (const auto address : addresses(kBase, count)) window.mergeResult(fakeProbe()(address, 600));
    window.rebuildView();
}

void setOnlineOnly(WindowUnderTest& ui, bool on) {
    SendMessageW(ui.control(kOnlineOnlyCheckId), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    ui.command(kOnlineOnlyCheckId);
}

int listCount(const WindowUnderTest& ui) {
    return int(SendMessageW(ui.control(kDetailListId), LVM_GETITEMCOUNT, 0, 0));
}

int listNext(const WindowUnderTest& ui, UINT flag = LVNI_SELECTED) {
    return static_cast<int>(SendMessageW(ui.control(kDetailListId), LVM_GETNEXTITEM, WPARAM(-1), flag));
}

void expectPageButtons(const WindowUnderTest& ui, bool previous, bool next, int entries) {
    EXPECT_EQ(isEnabled(ui.control(kPreviousPageButtonId)), previous) << entries << " entries";
    EXPECT_EQ(isEnabled(ui.control(kNextPageButtonId)), next) << entries << " entries";
}

TEST(AppStore, PageButtonsFollowTheViewSize) {
    const struct {
        int entries, nextClicks, expectedPage;
        bool previousEnabled, nextEnabled;
    } cases[] = {
        {256, 0, 0, false, false}, {256, 1, 0, false, false},   {257, 0, 0, false, true},
        {257, 1, 1, true, false},  {257, 3, 1, true, false},    {600, 1, 1, true, true},
        {600, 2, 2, true, false},  {4096, 20, 15, true, false}, {1, 0, 0, false, false},
    };
    WindowUnderTest ui;
    for (const auto& c : cases) {
        ui.window.loadRange(addresses(kBase, c.entries));
        for (int i = 0; i < c.nextClicks; ++i) ui.command(kNextPageButtonId);
        EXPECT_EQ(ui.window.page, c.expectedPage) << c.entries << " entries";
        expectPageButtons(ui, c.previousEnabled, c.nextEnabled, c.entries);
        EXPECT_EQ(listCount(ui), c.entries);
    }
    ui.window.loadRange(addresses(kBase, 600));
    for (const auto& [button, page] : {std::pair{kNextPageButtonId, 1},
                                       {kNextPageButtonId, 2},
                                       {kPreviousPageButtonId, 1},
                                       {kPreviousPageButtonId, 0},
                                       {kPreviousPageButtonId, 0}}) {
        ui.command(button);
        EXPECT_EQ(ui.window.page, page);
    }
    expectPageButtons(ui, false, true, 600);
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
    expectPageButtons(ui, false, false, 0);
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
    EXPECT_EQ(merged.attempts, 3);
    EXPECT_EQ(merged.note, L"收到 ICMP 回复");

    ui.window.loadRange({});
    ui.window.mergeResult(replacement);  // an empty table takes nothing
    EXPECT_TRUE(ui.window.results.empty());
}

TEST(AppStore, SelectionSurvivesFilterSortAndModeButNotALoad) {
    const std::wstring hint = L"点击地址查看详情，双击复制 IP";
    const std::wstring detail4 = L"127.0.1.4 \u00B7 无响应 \u00B7 \u2014 \u00B7 等待 ICMP 回复超时";
    WindowUnderTest ui;
    loadProbed(ui.window, 20);
    ui.window.selectResult(20);  // out of range: nothing at all
    ui.window.selectResult(-1);
    EXPECT_EQ(ui.window.selectedIndex, -1);
    EXPECT_EQ(ui.window.detail, hint);
    EXPECT_FALSE(isEnabled(ui.control(kCopyButtonId)));

    ui.window.selectResult(4);  // 127.0.1.4: no response
    EXPECT_EQ(ui.window.selectedIndex, 4);
    EXPECT_EQ(ui.window.detail, detail4);
    EXPECT_TRUE(isEnabled(ui.control(kCopyButtonId)));

    ui.command(kListViewButtonId);
    ui.window.sortByColumn(2);        // latency: online first by time, then no response by address
    EXPECT_EQ(listNext(ui), 10 + 2);  // ten online ahead, then 127.0.1.0, .2, .4
    setOnlineOnly(ui, true);
    EXPECT_EQ(ui.window.selectedIndex, 4);  // hidden by the filter, still selected
    EXPECT_EQ(listNext(ui), -1);
    EXPECT_EQ(ui.window.detail, detail4);
    EXPECT_TRUE(isEnabled(ui.control(kCopyButtonId)));

    // A load keeps the sort, the mode and the filter box; it clears selection and page.
    ui.window.page = 1;
    ui.window.loadRange(addresses(kBase, 5));
    EXPECT_EQ(ui.window.selectedIndex, -1);
    EXPECT_EQ(ui.window.page, 0);
    EXPECT_EQ(ui.window.detail, hint);
    EXPECT_FALSE(isEnabled(ui.control(kCopyButtonId)));
    EXPECT_EQ(ui.window.sortColumn, 2);
    EXPECT_TRUE(ui.window.sortAscending);
    EXPECT_TRUE(ui.window.listMode);
    EXPECT_EQ(SendMessageW(ui.control(kOnlineOnlyCheckId), BM_GETCHECK, 0, 0), BST_CHECKED);
}

TEST(AppStore, ListSelectionFollowsTheSelectedEntryThroughSorts) {
    WindowUnderTest ui;
    loadProbed(ui.window, 12);
    ui.command(kListViewButtonId);
    SetFocus(ui.control(kDetailListId));  // the focus row matters to the keys, so it follows there
    ui.window.selectResult(7);            // online, latency 0
    ui.window.rebuildView();
    const struct {
        int column;
        bool ascending;
        int listRow;
    } steps[] = {
        {1, true, 3},            // status: the six online entries first, .1 .3 .5 .7
        {1, false, 12 - 1 - 3},  // the same header again: the exact reverse
        {4, true, -99},          // a new column always starts ascending (row not checked)
    };
    EXPECT_EQ(listNext(ui), 7);  // address order
    for (const auto& s : steps) {
        ui.window.sortByColumn(s.column);
        EXPECT_EQ(ui.window.sortColumn, s.column);
        EXPECT_EQ(ui.window.sortAscending, s.ascending) << s.column;
        if (s.listRow != -99) {
            EXPECT_EQ(listNext(ui), s.listRow) << s.column;
        }
    }
    EXPECT_EQ(listNext(ui, LVNI_FOCUSED), listNext(ui));  // the arrow keys go on from the selection
}

}  // namespace
}  // namespace calderwynfell::test
