// The result table of the main window and the controls that show its view.

#include "ui/main_window.h"

#include <commctrl.h>

#include <algorithm>

#include "results/result_view.h"
#include "results/selection_text.h"

namespace calderwynfell {

namespace {

constexpr wchar_t kDetailHint[] = L"点击地址查看详情，双击复制 IP";

// Clears the selected and focused state of every row. Only the rows that carry
// such a state are touched: clearing item -1 walks all 4096 rows of a virtual list.
void clearListSelection(HWND list) {
    for (const UINT flag : {LVNI_SELECTED, LVNI_FOCUSED}) {
        const int count = ListView_GetItemCount(list);
        for (int guard = 0, item = ListView_GetNextItem(list, -1, flag); item != -1 && guard < count; ++guard) {
            ListView_SetItemState(list, item, 0, LVIS_SELECTED | LVIS_FOCUSED);
            item = ListView_GetNextItem(list, -1, flag);
        }
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
    EnableWindow(control(kCopyButtonId), FALSE);
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

    EnableWindow(control(kPreviousPageButtonId), hasPreviousPage(page, listMode));
    EnableWindow(control(kNextPageButtonId), hasNextPage(page, view.size(), listMode));

    const HWND list = control(kDetailListId);
    // Re-sending an unchanged count still costs the list view a full recalculation.
    if (static_cast<std::size_t>(ListView_GetItemCount(list)) != view.size())
        SendMessageW(list, LVM_SETITEMCOUNT, view.size(), LVSICF_NOSCROLL);
    clearListSelection(list);
    const auto found = std::find(view.begin(), view.end(), selectedIndex);
    if (found != view.end())
        ListView_SetItemState(list, static_cast<int>(found - view.begin()), LVIS_SELECTED, LVIS_SELECTED);

    if (selectedIndex >= 0) selectResult(selectedIndex);
    raiseMatrixSelectionEvents();

    InvalidateRect(list, nullptr, FALSE);
    InvalidateRect(control(kMatrixId), nullptr, FALSE);
    InvalidateRect(hwnd, nullptr, FALSE);
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
