// What assistive technology sees beyond the standard controls: the matrix's
// accessible object and its events, the main window's painted texts, the names
// of the inputs, and the spoken changes of the status and message lines.

#include <windows.h>
#include <oleacc.h>

#include <algorithm>

#include "core/system_library.h"
#include "results/accessible_text.h"
#include "ui/accessibility_api.h"
#include "ui/com_object.h"
#include "ui/main_window.h"
#include "ui/main_window_paint.h"
#include "ui/matrix_geometry.h"
#include "ui/system_services.h"

namespace calderwynfell {

namespace {

struct ControlName {
    int id;
    const wchar_t* name;
};

// The painted labels beside these inputs are not controls, so the names are given here.
constexpr ControlName kControlNames[] = {
    {kStartEditId, L"起始地址"}, {kEndEditId, L"结束地址"},       {kNetworkComboId, L"本机网段"},
    {kTimeoutComboId, L"超时"},  {kAttemptsComboId, L"最多尝试"}, {kConcurrencyComboId, L"并发"},
};

// Not in every SDK's headers; values of the NotificationKind and NotificationProcessing enumerations.
constexpr int kNotificationActionCompleted = 2;
constexpr int kNotificationImportantMostRecent = 1;
constexpr wchar_t kProgressName[] = L"扫描进度";
// A screen reader is told of progress at most this often; every result would drown it.
constexpr std::uint64_t kProgressEventIntervalMs = 1000;

using HostProviderFromHwnd = HRESULT(WINAPI*)(HWND, IUnknown**);
using RaiseNotificationEvent = HRESULT(WINAPI*)(IUnknown*, int, int, BSTR, BSTR);

}  // namespace

HRESULT annotateAccessibleName(HWND control, const wchar_t* name) {
    ComRef<IAccPropServices> services;
    const HRESULT created = CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                             IID_IAccPropServices, reinterpret_cast<void**>(services.put()));
    if (FAILED(created)) return created;
    return services->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, PROPID_ACC_NAME,
                                    name);
}

void raiseUiaNotification(HWND window, const std::wstring& text) {
    static const auto hostProvider =
        systemFunction<HostProviderFromHwnd>(L"uiautomationcore.dll", "UiaHostProviderFromHwnd");
    static const auto raise =
        systemFunction<RaiseNotificationEvent>(L"uiautomationcore.dll", "UiaRaiseNotificationEvent");
    if (!hostProvider || !raise) return;  // before Windows 10 1709 the end goes unannounced
    ComRef<IUnknown> provider;
    if (FAILED(hostProvider(window, provider.put())) || !provider) return;
    const UniqueBstr display(text.c_str());
    const UniqueBstr activity(L"status");
    raise(provider.get(), kNotificationActionCompleted, kNotificationImportantMostRecent, display.get(),
          activity.get());
}

LRESULT MainWindow::onMatrixGetObject(WPARAM flags, LPARAM objectId) {
    const HWND matrixWindow = control(kMatrixId);
    if (static_cast<DWORD>(objectId) != static_cast<DWORD>(OBJID_CLIENT))
        return DefWindowProcW(matrixWindow, WM_GETOBJECT, flags, objectId);
    if (!matrixAccessible) matrixAccessible = MatrixAccessible::create(*this);
    return lresultFromObject(IID_IAccessible, flags, static_cast<IAccessible*>(matrixAccessible.get()));
}

int MainWindow::matrixCellCount() const {
    const long long first = static_cast<long long>(page) * kPageSize;
    const long long left = static_cast<long long>(view.size()) - first;
    return static_cast<int>(std::clamp<long long>(left, 0, kPageSize));
}

int MainWindow::matrixCellEntry(int cell) const {
    return view[static_cast<std::size_t>(page) * kPageSize + static_cast<std::size_t>(cell)];
}

int MainWindow::selectedMatrixCell() const {
    const int count = matrixCellCount();
    if (count == 0) return -1;
    const auto first = view.begin() + static_cast<std::ptrdiff_t>(page) * kPageSize;
    const auto found = std::find(first, first + count, selectedIndex);
    return found != first + count ? static_cast<int>(found - first) : -1;
}

RECT MainWindow::matrixCellRect(int cell) const {
    RECT client{};
    GetClientRect(control(kMatrixId), &client);
    const matrix::CellBox box = matrix::cellBox(0, 0, client.right, client.bottom, cell, MulDiv(1, dpi, 96));
    return RECT{box.left, box.top, box.right, box.bottom};
}

// The keyboard's path: the detail line, the list's selection and the copy button follow.
void MainWindow::selectMatrixCell(int cell) {
    selectResult(matrixCellEntry(cell));
    rebuildView();
}

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

void MainWindow::disconnectAccessible() noexcept {
    if (matrixAccessible) matrixAccessible->disconnect();
    matrixAccessible.reset();
    if (windowAccessible) windowAccessible->disconnect();
    windowAccessible.reset();
}

void MainWindow::nameControls() const {
    if (!accessibleNamer) return;
    for (const auto& [id, name] : kControlNames)
        if (control(id)) accessibleNamer(control(id), name);  // where unsupported the name stays unset
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

LRESULT MainWindow::onWindowGetObject(WPARAM flags, LPARAM objectId) {
    if (static_cast<DWORD>(objectId) == static_cast<DWORD>(OBJID_CLIENT)) {
        if (!windowAccessible) windowAccessible = WindowAccessible::create(*this);
        if (windowAccessible)
            return lresultFromObject(IID_IAccessible, flags,
                                     static_cast<IAccessible*>(windowAccessible.get()));
    }
    return DefWindowProcW(hwnd, WM_GETOBJECT, flags, objectId);
}

std::vector<PaintedElement> MainWindow::paintedElements() const {
    const PaintTexts texts = paintTexts(*this);
    std::vector<PaintedElement> elements;
    elements.reserve(kPaintedElementCount);
    for (int card = 0; card < 5; ++card) {
        const SummaryCardText& text = texts.cards[static_cast<std::size_t>(card)];
        elements.push_back({ROLE_SYSTEM_STATICTEXT, text.caption, text.figure, summaryCardRect(*this, card)});
    }
    const auto add = [&](long role, const std::wstring& name, const std::wstring& value, PaintedPart part) {
        elements.push_back({role, name, value, paintedPartRect(*this, part)});
    };
    const StatusCounts counts = countStatuses(results);
    const auto done = static_cast<std::uint64_t>(counts.online + counts.noResponse + counts.error);
    add(ROLE_SYSTEM_STATICTEXT, texts.rangeText, {}, PaintedPart::RangeText);
    add(ROLE_SYSTEM_STATICTEXT, texts.pageIndicator, {}, PaintedPart::PageIndicator);
    add(ROLE_SYSTEM_STATICTEXT, detail, {}, PaintedPart::Detail);
    add(ROLE_SYSTEM_PROGRESSBAR, kProgressName, progressPercentText(done, results.size()),
        PaintedPart::ProgressTrack);
    add(ROLE_SYSTEM_STATUSBAR, texts.statusLine, {}, PaintedPart::Status);
    add(ROLE_SYSTEM_STATICTEXT, texts.legend, {}, PaintedPart::Legend);
    add(texts.footIsError ? ROLE_SYSTEM_ALERT : ROLE_SYSTEM_STATICTEXT, texts.footLine, {},
        PaintedPart::FootLine);
    return elements;
}

PaintedElement MainWindow::paintedElement(int element) const {
    return paintedElements()[static_cast<std::size_t>(element)];
}

}  // namespace calderwynfell
