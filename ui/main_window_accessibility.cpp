// The window's side of accessibility: its accessible objects handed out on
// WM_GETOBJECT, the names of its inputs, and what assistive technology is told
// as the window changes (events naming elements as enumeration gives them, and
// the sentences a screen reader speaks).

#include <windows.h>
#include <oleacc.h>

#include <algorithm>

#include "results/accessible_text.h"
#include "ui/accessibility/accessibility_api.h"
#include "ui/accessibility/container_accessible.h"
#include "ui/main_window.h"

namespace calderwynfell {

namespace {

using accessible::Container;

struct ControlName {
    int id;
    const wchar_t* name;
};

// The painted labels beside these inputs are not controls, so the names are given here.
constexpr ControlName kControlNames[] = {
    {kStartEditId, L"起始地址"}, {kEndEditId, L"结束地址"},       {kNetworkComboId, L"本机网段"},
    {kTimeoutComboId, L"超时"},  {kAttemptsComboId, L"最多尝试"}, {kConcurrencyComboId, L"并发"},
};

// A screen reader is told of progress at most this often; every result would drown it.
constexpr std::uint64_t kProgressEventIntervalMs = 1000;

}  // namespace

// Every request gets an object of its own, as the standard client object does:
// what one client walks or enumerates never moves another's place.
LRESULT MainWindow::onGetObject(HWND window, WPARAM flags, LPARAM objectId) {
    const auto id = static_cast<LONG>(static_cast<DWORD>(objectId));
    const bool main = window == hwnd;
    if ((id == OBJID_CLIENT && (main || window == control(kMatrixId))) ||
        (main && id == accessible::kStatusBarObjectId)) {
        const Container container = !main                ? Container::Matrix
                                    : id == OBJID_CLIENT ? Container::Window
                                                         : Container::StatusBar;
        const auto object = accessible::ContainerAccessible::create(elements, container);
        return lresultFromObject(IID_IAccessible, flags, static_cast<IAccessible*>(object.get()));
    }
    return DefWindowProcW(window, WM_GETOBJECT, flags, objectId);
}

void MainWindow::nameControls() const {
    if (!accessibleNamer) return;
    for (const auto& [id, name] : kControlNames)
        if (control(id)) accessibleNamer(control(id), name);  // where unsupported the name stays unset
}

void MainWindow::raiseMatrixSelectionEvents() {
    if (selectedIndex == told.selection && page == told.page) return;
    const bool pageTurned = page != told.page;
    told.selection = selectedIndex;
    told.page = page;
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
    if (!hwnd || (statusText == told.status && message == told.message)) return;
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

// Tells MSAA clients which of the status bar's two lines changed since they were
// last told, and records both as told.
MainWindow::TextChanges MainWindow::noteTextChanges() {
    const TextChanges changed{statusText != told.status, message != told.message};
    if (changed.status)
        NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, hwnd, accessible::kStatusBarObjectId, kStatusLinePart);
    if (changed.message)
        NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, hwnd, accessible::kStatusBarObjectId, kFootLinePart);
    told.status = statusText;
    told.message = message;
    return changed;
}

void MainWindow::raiseProgressValueChange(bool arrived) {
    if (!arrived) return;
    const std::uint64_t now = GetTickCount64();
    if (now - told.progressTick < kProgressEventIntervalMs) return;
    told.progressTick = now;
    NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, hwnd, OBJID_CLIENT, elements->idOf(PaintedText::Progress));
}

}  // namespace calderwynfell
