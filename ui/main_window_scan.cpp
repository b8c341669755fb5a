// Scan control: start, stop, the 75 ms progress tick and the scan thread.

#include <algorithm>
#include <array>

#include "core/ipv4.h"
#include "ui/main_window.h"

namespace calderwynfell {

namespace {

constexpr wchar_t kScanningStatus[] = L"正在扫描";
constexpr wchar_t kStoppingStatus[] = L"正在停止，等待已发出的 Ping 返回…";
constexpr wchar_t kFinishedStatus[] = L"扫描完成";
constexpr wchar_t kStoppedStatus[] = L"已停止";
constexpr wchar_t kFailedStatus[] = L"扫描未完成";
constexpr wchar_t kThreadStartFailedMessage[] = L"无法启动扫描线程，请稍后重试。";
constexpr wchar_t kScanFailedMessage[] = L"扫描未完成：无法分配扫描资源或发生系统异常。";

constexpr std::array<std::uint32_t, 4> kTimeoutChoices = {300, 600, 1000, 2000};
constexpr std::array<std::int32_t, 3> kConcurrencyChoices = {16, 32, 64};

// Controls that edit what the next scan will do; locked while one runs.
constexpr int kScanInputs[] = {kStartEditId,    kEndEditId,       kStartButtonId,     kNetworkComboId,
                               kTimeoutComboId, kAttemptsComboId, kConcurrencyComboId};

template <std::size_t N, typename T>
T choice(const std::array<T, N>& choices, LRESULT index) {
    // The drop-down lists always hold a selection; the clamp only guards a failed query.
    const auto clamped = std::clamp<LRESULT>(index, 0, static_cast<LRESULT>(N) - 1);
    return choices[static_cast<std::size_t>(clamped)];
}

bool anyTested(const std::vector<Result>& results) {
    return std::any_of(results.begin(), results.end(),
                       [](const Result& entry) { return entry.status != ProbeStatus::NotChecked; });
}

}  // namespace

std::wstring MainWindow::readEditText(HWND edit) const {
    const int length = GetWindowTextLengthW(edit);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(edit, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(std::max(copied, 0)));
    return text;
}

void MainWindow::startScan() {
    if (scanning) return;
    const std::wstring endText = readEditText(control(kEndEditId));
    const std::wstring startText = readEditText(control(kStartEditId));
    std::vector<std::uint32_t> addresses;
    if (!expandRange(startText, endText, addresses, message)) {
        InvalidateRect(hwnd, nullptr, TRUE);
        return;
    }
    if (scanThread.joinable()) scanThread.join();
    rememberFocusBeforeScan();
    loadRange(addresses);
    stopRequested.exchange(false);
    scanFinished.exchange(false);
    failureText.clear();
    scanning = true;
    scanStartTick = GetTickCount64();
    statusText = kScanningStatus;

    ScanOptions options;
    options.timeoutMs = choice(kTimeoutChoices, SendMessageW(control(kTimeoutComboId), CB_GETCURSEL, 0, 0));
    options.maxAttempts = static_cast<std::int32_t>(
        std::clamp<LRESULT>(SendMessageW(control(kAttemptsComboId), CB_GETCURSEL, 0, 0), 0, 2) + 1);
    options.concurrency =
        choice(kConcurrencyChoices, SendMessageW(control(kConcurrencyComboId), CB_GETCURSEL, 0, 0));
    updateControls();
    noteScanMovedFocus(scanFocus.before);

    try {
        scanThread = std::thread(&MainWindow::scanThreadMain, ScanJob{*this, std::move(addresses), options});
    } catch (...) {
        scanning = false;
        message = kThreadStartFailedMessage;
        updateControls();
    }
}

void MainWindow::scanThreadMain(ScanJob job) noexcept {
    MainWindow& window = job.window;
    try {
        const ResultSink sink = [&window](Result result) {
            const std::lock_guard lock(window.queueMutex);
            window.pendingResults.push_back(std::move(result));
        };
        runScan(job.addresses, job.options, window.stopRequested, sink, window.probe);
    } catch (...) {
        try {
            const std::lock_guard lock(window.queueMutex);
            window.failureText = kScanFailedMessage;
        } catch (...) {
            // Locking a std::mutex can only fail on a broken system; the end must still be signalled.
        }
    }
    window.scanFinished.exchange(true);
}

void MainWindow::stopScan() {
    if (!scanning) return;
    stopRequested.exchange(true);
    statusText = kStoppingStatus;
    // The results are what the user looks at next: the focus waits there for the scan to end.
    const HWND focus = focusedControl();
    if (!isUsable(focus)) giveFocus(shownView());
    setControlEnabled(kStopButtonId, false, shownView());
    noteScanMovedFocus(focus);
    InvalidateRect(hwnd, nullptr, TRUE);
}

void MainWindow::progressTick() {
    if (!scanning) return;
    elapsedMs = GetTickCount64() - scanStartTick;

    std::vector<Result> taken;
    {
        const std::lock_guard lock(queueMutex);
        taken.swap(pendingResults);
    }
    const int shownPage = page;
    for (const auto& result : taken) mergeResult(result);
    if (!taken.empty()) rebuildView();

    if (scanFinished.load()) {
        std::vector<Result> rest;
        {
            const std::lock_guard lock(queueMutex);
            rest.swap(pendingResults);
            message = failureText;
        }
        for (const auto& result : rest) mergeResult(result);
        taken.insert(taken.end(), rest.begin(), rest.end());
        scanThread.join();
        scanning = false;
        statusText = !message.empty()       ? kFailedStatus
                     : stopRequested.load() ? kStoppedStatus
                                            : kFinishedStatus;
        rebuildView();
        updateControls();
        announceScanEnd();
    }
    // A turned page has already told the matrix's clients that its cells changed.
    if (page == shownPage) raiseMatrixReorder(taken);
    raiseProgressValueChange(!taken.empty());
    InvalidateRect(hwnd, nullptr, FALSE);
}

void MainWindow::updateControls() {
    struct EnabledState {
        int id;
        bool enabled;
    };
    std::vector<EnabledState> states;
    for (int id : kScanInputs) states.push_back({id, !scanning});
    states.push_back({kStopButtonId, scanning});
    states.push_back({kExportButtonId, !scanning && anyTested(results)});

    // Enable first, so that the focus can go to a control that stays usable before any is disabled.
    for (const auto& state : states)
        if (state.enabled) EnableWindow(control(state.id), TRUE);
    const HWND focus = focusedControl();
    const bool focusLeaving =
        !isUsable(focus) || std::any_of(states.begin(), states.end(), [&](const auto& state) {
            return !state.enabled && control(state.id) == focus;
        });
    // A scan's start hands the focus to the stop button; its end gives it back, and
    // undoes the scan's own moves that the user has not overtaken.
    if (scanning && focusLeaving)
        giveFocus(control(kStopButtonId));
    else if (!scanning && (focusLeaving || (focus && focus == scanFocus.placed)))
        giveFocusBackAfterScan();
    for (const auto& state : states)
        if (!state.enabled) setControlEnabled(state.id, false);

    SetWindowTextW(control(kStartButtonId), scanning ? L"扫描中…" : L"开始扫描");
    InvalidateRect(hwnd, nullptr, TRUE);
}

void MainWindow::previewRange() {
    if (scanning || anyTested(results)) return;
    const std::wstring endText = readEditText(control(kEndEditId));
    const std::wstring startText = readEditText(control(kStartEditId));
    std::vector<std::uint32_t> addresses;
    std::wstring ignored;
    if (expandRange(startText, endText, addresses, ignored)) loadRange(addresses);
}

}  // namespace calderwynfell
