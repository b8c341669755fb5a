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

}  // namespace

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
        case LVN_ODFINDITEMW: {
            // Typing in the list: the row whose address begins with what was typed, or -1.
            const auto& find = reinterpret_cast<const NMLVFINDITEMW&>(header);
            if (!(find.lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) || !find.lvfi.psz) return -1;
            return findRowByAddress(results, view, find.lvfi.psz, (find.lvfi.flags & LVFI_PARTIAL) != 0,
                                    find.iStart);
        }
        case NM_DBLCLK: copySelectedAddress(); return 0;
        case NM_SETFOCUS: syncListSelection(); return 0;  // the arrow keys go on from the selection
        case LVN_COLUMNCLICK: sortByColumn(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem); return 0;
        default: return 0;
    }
}

}  // namespace calderwynfell
