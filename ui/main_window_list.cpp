// The detail list: a virtual report list whose rows are produced on request
// from the view, so it holds only an item count.

#include <windows.h>
#include <commctrl.h>

#include "results/result_view.h"
#include "results/text_forms.h"
#include "ui/main_window.h"

namespace calderwynfell {

namespace {

std::wstring cellText(const Result& entry, int column) {
    switch (column) {
        case 0: return addressText(entry.address);
        case 1: return statusWord(entry.status);
        case 2: return latencyText(entry);
        case 3: return decimalText(entry.attempts);
        default: return entry.note;  // column 4, and any column beyond it
    }
}

// LVFI_SUBSTRING, the newer name comctl32 uses for the prefix search of
// LVFI_PARTIAL; not in every SDK's headers.
constexpr UINT kFindSubstring = 0x0004;
// Searches that name a text: a whole address, or a beginning of one.
constexpr UINT kTextSearches = LVFI_STRING | LVFI_PARTIAL | kFindSubstring;

}  // namespace

// Typing in the list, or LVM_FINDITEM: the row whose address matches, or -1.
// LVFI_PARAM and LVFI_NEARESTXY override every other flag, and neither applies
// here: the rows carry no item data and a report view no positions to search.
// LVFI_WRAP alone asks for a whole-text search.
LRESULT MainWindow::onListFind(const NMLVFINDITEMW& find) const {
    const UINT flags = find.lvfi.flags;
    if ((flags & (LVFI_PARAM | LVFI_NEARESTXY)) || !find.lvfi.psz) return -1;
    if (!(flags & kTextSearches) && flags != LVFI_WRAP) return -1;
    const bool prefix = (flags & (LVFI_PARTIAL | kFindSubstring)) != 0;
    return findRowByAddress(results, view, find.lvfi.psz, prefix, find.iStart, (flags & LVFI_WRAP) != 0);
}

LRESULT MainWindow::onListNotify(const NMHDR& header) {
    if (header.idFrom != kDetailListId) return 0;
    const auto count = static_cast<int>(view.size());
    switch (header.code) {
        case LVN_GETDISPINFOW: {
            // The list asks only for the rows it paints; it owns the buffer.
            auto& item = const_cast<NMLVDISPINFOW&>(reinterpret_cast<const NMLVDISPINFOW&>(header)).item;
            if (item.iItem < 0 || item.iItem >= count) return 0;
            if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0) return 0;
            const Result& entry =
                results[static_cast<std::size_t>(view[static_cast<std::size_t>(item.iItem)])];
            lstrcpynW(item.pszText, cellText(entry, item.iSubItem).c_str(), item.cchTextMax);
            return 0;
        }
        case LVN_ITEMCHANGED: {
            const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
            // Losing the highlight (a click below the last row) keeps the selection.
            if ((change.uNewState & LVIS_SELECTED) && change.iItem >= 0 && change.iItem < count)
                selectResult(view[static_cast<std::size_t>(change.iItem)]);
            return 0;
        }
        case LVN_ODFINDITEMW: return onListFind(reinterpret_cast<const NMLVFINDITEMW&>(header));
        case NM_DBLCLK: copySelectedAddress(); return 0;
        case NM_SETFOCUS: syncListSelection(); return 0;  // the arrow keys go on from the selection
        case LVN_COLUMNCLICK: sortFromList(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem); return 0;
        case LVN_KEYDOWN: onListKey(reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey); return 0;
        default: return 0;
    }
}

// Ctrl+1 to Ctrl+5 sort as a click on the header of column 1 to 5 does.
void MainWindow::onListKey(WORD key) {
    if (GetKeyState(VK_CONTROL) >= 0 || GetKeyState(VK_MENU) < 0) return;
    int column = -1;
    if (key >= '1' && key <= '5') column = key - '1';
    if (key >= VK_NUMPAD1 && key <= VK_NUMPAD5) column = key - VK_NUMPAD1;
    if (column >= 0) sortFromList(column);
}

// A sort the user asked for: the new order is shown by the header and spoken.
void MainWindow::sortFromList(int column) {
    sortByColumn(column);
    if (!announcer) return;
    const HWND header = ListView_GetHeader(control(kDetailListId));
    wchar_t title[64] = {};
    HDITEMW item{};
    item.mask = HDI_TEXT;
    item.pszText = title;
    item.cchTextMax = static_cast<int>(std::size(title));
    if (!Header_GetItem(header, sortColumn, &item)) return;
    announcer(hwnd, std::wstring(title) + L" " + (sortAscending ? L"升序" : L"降序"));
}

// The sorted column's header carries the header's own arrow for the order; the others none.
void MainWindow::showSortOrder() const {
    const HWND header = ListView_GetHeader(control(kDetailListId));
    const int count = Header_GetItemCount(header);
    for (int column = 0; column < count; ++column) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        if (!Header_GetItem(header, column, &item)) continue;
        int format = item.fmt & ~(HDF_SORTUP | HDF_SORTDOWN);
        if (column == sortColumn) format |= sortAscending ? HDF_SORTUP : HDF_SORTDOWN;
        if (format == item.fmt) continue;
        item.fmt = format;
        Header_SetItem(header, column, &item);
    }
}

}  // namespace calderwynfell
