// What assistive technology is told as the window changes: the matrix's
// selection and page events, the status and message lines' name changes, the
// progress value, and the sentences a screen reader speaks.

#include <windows.h>
#include <oleacc.h>

#include <algorithm>

#include "results/accessible_text.h"
#include "ui/main_window.h"

namespace calderwynfell {

namespace {

// A screen reader is told of progress at most this often; every result would drown it.
constexpr std::uint64_t kProgressEventIntervalMs = 1000;

}  // namespace

void MainWindow::raiseMatrixSelectionEvents() {
    if (selectedIndex == eventSelection && page == eventPage) return;
    const bool pageTurned = page != eventPage;
    eventSelection = selectedIndex;
    eventPage = page;
    const HWND matrixWindow = control(kMatrixId);
    if (!matrixWindow || listMode) return;
    if (pageTurned) NotifyWinEvent(EVENT_OBJECT_REORDER, matrixWindow, OBJID_CLIENT, CHILDID_SELF);
    const int cell = selectedMatrixCell();
    if (cell < 0) return;
    NotifyWinEvent(EVENT_OBJECT_SELECTION, matrixWindow, OBJID_CLIENT, cell + 1);
    if (GetFocus() == matrixWindow) NotifyWinEvent(EVENT_OBJECT_FOCUS, matrixWindow, OBJID_CLIENT, cell + 1);
}

void MainWindow::raiseMatrixReorder(const std::vector<Result>& arrived) const {
    const int count = matrixCellCount();
    if (listMode || arrived.empty() || results.empty()) return;
    // Under the filter an arrival anywhere can shift the page; otherwise only the page's own span counts.
    const bool filtered = view.size() != results.size();
    const bool onPage =
        filtered || (count > 0 && std::any_of(arrived.begin(), arrived.end(), [&](const Result& entry) {
                         const long long offset =
                             static_cast<long long>(entry.address) - results.front().address;
                         return offset >= matrixCellEntry(0) && offset <= matrixCellEntry(count - 1);
                     }));
    if (onPage) NotifyWinEvent(EVENT_OBJECT_REORDER, control(kMatrixId), OBJID_CLIENT, CHILDID_SELF);
}

void MainWindow::onMatrixFocus() const {
    const int cell = selectedMatrixCell();
    if (cell >= 0) NotifyWinEvent(EVENT_OBJECT_FOCUS, control(kMatrixId), OBJID_CLIENT, cell + 1);
}

void MainWindow::announceScanEnd() {
    // The end says the status, the counts and any failure in one sentence; the changes
    // it covers are not announced again.
    if (announcer) announcer(hwnd, scanEndAnnouncement(statusText, countStatuses(results), message));
    noteTextChanges();
}

// Called once the window has handled a message, not inside the messages that
// handling sends: a new status or a new error is spoken once, the error first
// when both change together.
void MainWindow::announceChanges() {
    if (!hwnd || (statusText == announcedStatus && message == announcedMessage)) return;
    try {
        const TextChanges changed = noteTextChanges();
        if (!announcer) return;
        if (changed.message && !message.empty())
            announcer(hwnd, message);
        else if (changed.status)
            announcer(hwnd, statusText);
    } catch (...) {
        // Out of memory: this change goes unspoken; the window carries on.
    }
}

// Tells MSAA clients which of the two lines changed since they were last told,
// and records both as told.
MainWindow::TextChanges MainWindow::noteTextChanges() {
    const TextChanges changed{statusText != announcedStatus, message != announcedMessage};
    if (changed.status)
        NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, hwnd, OBJID_CLIENT, paintedChildId(kStatusElement));
    if (changed.message)
        NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, hwnd, OBJID_CLIENT, paintedChildId(kFootLineElement));
    announcedStatus = statusText;
    announcedMessage = message;
    return changed;
}

void MainWindow::raiseProgressValueChange(bool arrived) {
    if (!arrived) return;
    const std::uint64_t now = GetTickCount64();
    if (now - progressEventTick < kProgressEventIntervalMs) return;
    progressEventTick = now;
    NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, hwnd, OBJID_CLIENT, paintedChildId(kProgressElement));
}

}  // namespace calderwynfell
