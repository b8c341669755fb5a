// The result table of the main window and the controls that show its view.

#include "ui/main_window.h"

#include <commctrl.h>

#include <algorithm>

#include "results/result_view.h"
#include "results/selection_text.h"

namespace calderwynfell {

namespace {

constexpr wchar_t kDetailHint[] = L"点击地址查看详情，双击复制 IP";

// Makes `row` (or none, -1) the selected row, touching the list only when that
// changes: every state change is an event a screen reader may speak. While the
// list has the keyboard focus the row also carries the focus state, so that the
// arrow keys go on from it. Some list views bring a newly focused row into view;
// the user's scroll position wins, so that is undone. Both scrolls cost a
// repaint there, which is why the focus state is moved only where keys use it.
void showListSelection(HWND list, int row, bool withFocus) {
    const int selected = ListView_GetNextItem(list, -1, LVNI_SELECTED);
    const int focused = withFocus ? ListView_GetNextItem(list, -1, LVNI_FOCUSED) : row;
    UINT add = 0;
    if (row >= 0 && selected != row) add |= LVIS_SELECTED;
    if (row >= 0 && focused != row) add |= LVIS_FOCUSED;
    const bool dropSelection = selected >= 0 && selected != row;
    const bool dropFocus = row < 0 && focused >= 0;
    if (!add && !dropSelection && !dropFocus) return;

    const int top = ListView_GetTopIndex(list);
    if (dropSelection) ListView_SetItemState(list, selected, 0, LVIS_SELECTED);
    if (dropFocus) ListView_SetItemState(list, focused, 0, LVIS_FOCUSED);
    if (add) ListView_SetItemState(list, row, add, add);
    const int scrolledTo = ListView_GetTopIndex(list);
    if (scrolledTo != top) {
        RECT bounds{LVIR_BOUNDS, 0, 0, 0};
        ListView_GetItemRect(list, scrolledTo, &bounds, LVIR_BOUNDS);
        ListView_Scroll(list, 0, (top - scrolledTo) * (bounds.bottom - bounds.top));
    }
}

}  // namespace

void MainWindow::loadRange(const std::vector<std::uint32_t>& addresses) {
    results.clear();
    if (results.capacity() < addresses.size()) results.reserve(addresses.size());
    for (const std::uint32_t address : addresses) results.push_back(makeUntestedResult(address));
    selectedIndex = -1;
    page = 0;
    elapsedMs = 0;
    detail = kDetailHint;
    setControlEnabled(kCopyButtonId, false);
    rebuildView();
}

void MainWindow::mergeResult(const Result& result) {
    if (results.empty()) return;
    const std::uint32_t offset = result.address - results.front().address;
    if (result.address < results.front().address || offset >= results.size()) return;
    results[offset] = result;
}

void MainWindow::rebuildView() {
    ViewSettings settings;
    settings.onlineOnly = SendMessageW(control(kOnlineOnlyCheckId), BM_GETCHECK, 0, 0) == BST_CHECKED;
    settings.listMode = listMode;
    settings.sortColumn = sortColumn;
    settings.sortAscending = sortAscending;
    computeView(results, settings, view);
    page = clampPage(page, view.size());

    // Enabled before disabled: a focused page button that goes grey hands the focus to the other.
    const std::pair<int, bool> pageButtons[] = {
        {kPreviousPageButtonId, hasPreviousPage(page, listMode)},
        {kNextPageButtonId, hasNextPage(page, view.size(), listMode)}};
    for (const auto& [id, enabled] : pageButtons)
        if (enabled) setControlEnabled(id, true);
    for (const auto& [id, enabled] : pageButtons)
        if (!enabled) setControlEnabled(id, false);

    const HWND list = control(kDetailListId);
    // Re-sending an unchanged count still costs the list view a full recalculation.
    if (static_cast<std::size_t>(ListView_GetItemCount(list)) != view.size())
        SendMessageW(list, LVM_SETITEMCOUNT, view.size(), LVSICF_NOSCROLL);
    syncListSelection();

    if (selectedIndex >= 0) selectResult(selectedIndex);
    raiseMatrixSelectionEvents();

    InvalidateRect(list, nullptr, FALSE);
    InvalidateRect(control(kMatrixId), nullptr, FALSE);
    InvalidateRect(hwnd, nullptr, FALSE);
}

void MainWindow::syncListSelection() {
    const HWND list = control(kDetailListId);
    const auto found = std::find(view.begin(), view.end(), selectedIndex);
    showListSelection(list, found != view.end() ? static_cast<int>(found - view.begin()) : -1,
                      GetFocus() == list);
}

void MainWindow::selectResult(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= results.size()) return;
    selectedIndex = index;
    detail = describeSelection(results[static_cast<std::size_t>(index)]);
    EnableWindow(control(kCopyButtonId), TRUE);
    InvalidateRect(hwnd, nullptr, FALSE);
    InvalidateRect(control(kMatrixId), nullptr, FALSE);
    raiseMatrixSelectionEvents();
}

void MainWindow::sortByColumn(int column) {
    if (column == sortColumn) {
        sortAscending = !sortAscending;
    } else {
        sortColumn = column;
        sortAscending = true;
    }
    showSortOrder();
    rebuildView();
}

void MainWindow::setListMode(bool on) {
    listMode = on;
    rebuildView();
    // The accent of the two view buttons follows listMode; moving a control to
    // the rectangle it already has does not repaint it.
    InvalidateRect(control(kMatrixViewButtonId), nullptr, FALSE);
    InvalidateRect(control(kListViewButtonId), nullptr, FALSE);
}

void MainWindow::onlineFilterChanged() {
    page = 0;
    rebuildView();
}

void MainWindow::previousPage() {
    page = std::max(page - 1, 0);
    rebuildView();
}

void MainWindow::nextPage() {
    ++page;
    rebuildView();
}

}  // namespace calderwynfell
