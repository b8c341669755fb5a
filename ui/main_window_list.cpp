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
LRESULT MainWindow::onListFind(const NMLVFINDITEMW& find) const {
    const UINT flags = find.lvfi.flags;
    if (!(flags & kTextSearches) || !find.lvfi.psz) return -1;
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
        case LVN_COLUMNCLICK: sortByColumn(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem); return 0;
        default: return 0;
    }
}

}  // namespace calderwynfell
