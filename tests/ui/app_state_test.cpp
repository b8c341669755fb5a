// The main window driven through real messages: start-up, scans and their end
// states, ranges, keys through the loop function, close during a scan.

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "ui/app.h"
#include "ui_harness.h"

namespace calderwynfell::test {
namespace {

constexpr std::uint32_t kLoopbackBase = 127u << 24;
const wchar_t* const kReady = L"就绪 · F5 开始扫描";

int countStatus(const MainWindow& window, ProbeStatus status) {
    return static_cast<int>(std::count_if(window.results.begin(), window.results.end(),
                                          [&](const Result& entry) { return entry.status == status; }));
}

int countTested(const MainWindow& w) {
    return int(w.results.size()) - countStatus(w, ProbeStatus::NotChecked);
}

std::vector<std::wstring> comboItems(HWND combo) {
    std::vector<std::wstring> items;
    for (int i = 0; i < SendMessageW(combo, CB_GETCOUNT, 0, 0); ++i) {
        std::wstring text(static_cast<std::size_t>(SendMessageW(combo, CB_GETLBTEXTLEN, i, 0)) + 1, L'\0');
        SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
        items.push_back(text.c_str());
    }
    return items;
}

// Enabled states decided by the scan state: inputs = edits, start, network and option boxes.
void expectEnabled(const WindowUnderTest& ui, bool inputs, bool stop, bool exportButton, const char* when) {
    SCOPED_TRACE(when);
    for (int id : {kStartEditId, kEndEditId, kStartButtonId, kNetworkComboId, kTimeoutComboId,
                   kAttemptsComboId, kConcurrencyComboId})
        EXPECT_EQ(isEnabled(ui.control(id)), inputs) << "control " << id;
    EXPECT_EQ(isEnabled(ui.control(kStopButtonId)), stop) << "stop";
    EXPECT_EQ(isEnabled(ui.control(kExportButtonId)), exportButton) << "export";
    for (int id : {kSettingsButtonId, kMatrixViewButtonId, kListViewButtonId, kOnlineOnlyCheckId})
        EXPECT_TRUE(isEnabled(ui.control(id))) << "control " << id;  // these keep working during a scan
    EXPECT_EQ(windowText(ui.control(kStartButtonId)), inputs ? L"开始扫描" : L"扫描中…");
}

TEST(AppStartUp, ProposesTheFirstNetworkAsAnUntestedTable) {
    WindowUnderTest ui;
    ASSERT_TRUE(ui.hwnd());
    for (int id = kStartEditId; id <= kMatrixId; ++id) EXPECT_TRUE(ui.control(id)) << "control " << id;
    EXPECT_EQ(comboItems(ui.control(kNetworkComboId)),
              std::vector<std::wstring>{L"测试网卡 \u00B7 127.0.0.5"});
    EXPECT_EQ(SendMessageW(ui.control(kNetworkComboId), CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(windowText(ui.control(kStartEditId)), L"127.0.0.1");
    EXPECT_EQ(windowText(ui.control(kEndEditId)), L"127.0.0.254");
    ASSERT_EQ(ui.window.results.size(), 254u);
    EXPECT_EQ(ui.window.results.front().address, kLoopbackBase + 1);
    EXPECT_EQ(ui.window.results.back().address, kLoopbackBase + 254);
    EXPECT_EQ(countStatus(ui.window, ProbeStatus::NotChecked), 254);
    EXPECT_EQ(ui.window.view.size(), 254u);
    EXPECT_EQ(ui.window.statusText, kReady);
    EXPECT_TRUE(ui.window.message.empty());
    EXPECT_EQ(ui.window.contentTop, 143);
    EXPECT_FALSE(isEnabled(ui.control(kCopyButtonId)));
    expectEnabled(ui, true, false, false, "start-up");

    const std::pair<int, std::vector<std::wstring>> combos[] = {
        {kTimeoutComboId, {L"300 ms", L"600 ms", L"1000 ms", L"2000 ms"}},
        {kAttemptsComboId, {L"1 次", L"2 次", L"3 次"}},
        {kConcurrencyComboId, {L"16", L"32", L"64"}},
    };
    for (const auto& [id, items] : combos) {
        EXPECT_EQ(comboItems(ui.control(id)), items) << id;
        EXPECT_EQ(SendMessageW(ui.control(id), CB_GETCURSEL, 0, 0), 1) << id;
        EXPECT_FALSE(IsWindowVisible(ui.control(id))) << id;
    }
    for (int id : {kStartEditId, kEndEditId})
        EXPECT_EQ(SendMessageW(ui.control(id), EM_GETLIMITTEXT, 0, 0), 32);
}

TEST(AppStartUp, WithoutNetworksFallsBackWithoutScanning) {
    // The fallback range is a real private network: this test must never start a scan.
    WindowUnderTest ui(fakeProbe(), noNetworks());
    EXPECT_EQ(SendMessageW(ui.control(kNetworkComboId), CB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(windowText(ui.control(kStartEditId)), L"192.168.1.1");
    EXPECT_EQ(windowText(ui.control(kEndEditId)), L"192.168.1.254");
    EXPECT_EQ(ui.window.statusText, L"未发现可用网卡，请手动输入范围");
    EXPECT_EQ(countStatus(ui.window, ProbeStatus::NotChecked), 254);
    EXPECT_FALSE(ui.window.scanning);
}

TEST(AppScan, RunsToTheEndWithTheChosenAttempts) {
    WindowUnderTest ui;
    ui.setRange(L"127.0.0.1", L"127.0.0.20");
    ui.command(kStartButtonId);
    EXPECT_TRUE(ui.window.scanning);
    EXPECT_EQ(ui.window.statusText, L"正在扫描");
    expectEnabled(ui, false, true, false, "scanning");
    ASSERT_TRUE(ui.pumpUntil([&] { return !ui.window.scanning; }));
    EXPECT_EQ(ui.window.statusText, L"扫描完成");
    EXPECT_TRUE(ui.window.message.empty());
    EXPECT_FALSE(ui.window.scanThread.joinable());
    EXPECT_TRUE(ui.window.pendingResults.empty());
    ASSERT_EQ(ui.window.results.size(), 20u);
    EXPECT_EQ(ui.window.view.size(), 20u);
    for (std::uint32_t octet = 1; octet <= 20; ++octet) {
        const Result& entry = ui.window.results[octet - 1];
        EXPECT_EQ(entry.address, kLoopbackBase + octet);
        EXPECT_EQ(entry.status, octet % 2 ? ProbeStatus::Online : ProbeStatus::NoResponse) << octet;
        EXPECT_EQ(entry.attempts, octet % 2 ? 1 : 2) << octet;  // default two attempts, a reply ends early
        EXPECT_EQ(entry.latencyMs, octet % 2 ? octet % 7 : 0u) << octet;
    }
    expectEnabled(ui, true, false, true, "finished");

    ui.setRange(L"127.0.0.2", L"127.0.0.2");
    for (const auto& [selection, attempts] : {std::pair{2, 3}, std::pair{0, 1}}) {
        SendMessageW(ui.control(kAttemptsComboId), CB_SETCURSEL, selection, 0);
        ASSERT_TRUE(ui.scanToEnd());
        ASSERT_EQ(ui.window.results.size(), 1u);
        EXPECT_EQ(ui.window.results[0].attempts, attempts);
    }
}

TEST(AppScan, StopsMidScanByButtonOrEsc) {
    for (const bool useEsc : {false, true}) {
        SCOPED_TRACE(useEsc ? "Esc" : "stop button");
        ProbeGate gate(20);
        WindowUnderTest ui(gate.hold(fakeProbe()));
        ui.setRange(L"127.0.0.1", L"127.0.0.100");  // 100 addresses, 32 at a time
        ui.command(kStartButtonId);
        ASSERT_TRUE(ui.window.scanning);
        ASSERT_TRUE(ui.pumpUntil([&] { return countTested(ui.window) == 20; }, 20000));
        if (useEsc) {
            ui.postKey(VK_ESCAPE, ui.control(kDetailListId));
            ui.postKey(VK_ESCAPE, ui.control(kDetailListId));  // a second Esc changes nothing more
        } else {
            ui.command(kStopButtonId);
        }
        EXPECT_TRUE(ui.window.stopRequested.load());
        EXPECT_EQ(ui.window.statusText, L"正在停止，等待已发出的 Ping 返回…");
        EXPECT_FALSE(isEnabled(ui.control(kStopButtonId)));
        EXPECT_FALSE(isEnabled(ui.control(kStartButtonId)));
        gate.open();  // the probes in flight return
        ASSERT_TRUE(ui.pumpUntil([&] { return !ui.window.scanning; }));
        EXPECT_EQ(ui.window.statusText, L"已停止");
        EXPECT_TRUE(ui.window.message.empty());
        EXPECT_GT(countTested(ui.window), 0);  // the probes in flight finished and are shown
        EXPECT_LT(countTested(ui.window), 100);
        for (const auto& entry : ui.window.results) {
            EXPECT_TRUE(entry.status != ProbeStatus::NotChecked || entry.note == L"尚未检测");
            const bool heldAtTheStop = (entry.address & 0xFF) > 20;
            EXPECT_TRUE(!heldAtTheStop || entry.status != ProbeStatus::NoResponse ||
                        entry.attempts == 1);  // no retry after a stop
        }
        expectEnabled(ui, true, false, true, "stopped");
    }
}

TEST(AppScan, ThrowingProbeEndsAsFailed) {
    std::atomic<int> calls{0};
    const ProbeFunction throwing = [&calls](std::uint32_t address, std::uint32_t) -> Result {
        if (++calls > 3) throw std::runtime_error("probe broke");
        Result result;
        result.address = address;
        result.status = ProbeStatus::Online;
        return result;
    };
    WindowUnderTest ui(throwing);
    ui.setRange(L"127.0.0.1", L"127.0.0.64");
    ASSERT_TRUE(ui.scanToEnd());
    EXPECT_EQ(ui.window.statusText, L"扫描未完成");
    EXPECT_EQ(ui.window.message, L"扫描未完成：无法分配扫描资源或发生系统异常。");
    EXPECT_LE(countTested(ui.window), 3);  // what was delivered before the failure stays
    EXPECT_GT(countStatus(ui.window, ProbeStatus::NotChecked), 60);
    expectEnabled(ui, true, false, countTested(ui.window) > 0, "failed");

    calls = -1000;  // the next accepted start empties the message
    ASSERT_TRUE(ui.scanToEnd());
    EXPECT_EQ(ui.window.statusText, L"扫描完成");
    EXPECT_TRUE(ui.window.message.empty());
}

TEST(AppScan, InvalidRangesOnlySetTheMessage) {
    const struct {
        const wchar_t *start, *end, *message;
    } cases[] = {
        {L"127.0.0", L"127.0.0.9", L"请输入完整的 IPv4 地址，每一段为 0 到 255。"},
        {L"127.0.0.1", L"127.0.0.256", L"请输入完整的 IPv4 地址，每一段为 0 到 255。"},
        {L"127.0.0.9", L"127.0.0.1", L"结束 IP 不能小于起始 IP。"},
        {L"127.0.0.0", L"127.0.16.0", L"一次最多扫描 4096 个地址，请缩小范围。"},  // 4097 addresses
    };
    WindowUnderTest ui;
    ui.setRange(L"127.0.0.1", L"127.0.0.4");
    ASSERT_TRUE(ui.scanToEnd());
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.start << " - " << c.end);
        ui.setRange(c.start, c.end);
        ui.command(kStartButtonId);
        EXPECT_FALSE(ui.window.scanning);
        EXPECT_EQ(ui.window.message, c.message);
        EXPECT_EQ(ui.window.statusText, L"扫描完成");
        EXPECT_EQ(ui.window.results.size(), 4u);
        EXPECT_EQ(countTested(ui.window), 4);
        expectEnabled(ui, true, false, true, "after an invalid range");
    }
    // The largest allowed range is accepted and empties the message.
    ui.setRange(L"127.0.0.0", L"127.0.15.255");
    ui.command(kStartButtonId);
    EXPECT_TRUE(ui.window.message.empty());
    EXPECT_EQ(ui.window.results.size(), 4096u);
    ASSERT_TRUE(ui.pumpUntil([&] { return !ui.window.scanning; }, 20000));
    EXPECT_EQ(countTested(ui.window), 4096);
}

TEST(AppPreview, LeavingAnEditReloadsOnlyBeforeAnyResult) {
    WindowUnderTest ui;
    ui.setRange(L"127.0.0.10", L"127.0.0.19");
    ui.command(kStartEditId, EN_CHANGE);  // typing alone changes nothing
    EXPECT_EQ(ui.window.results.size(), 254u);
    ui.command(kEndEditId, EN_KILLFOCUS);
    ASSERT_EQ(ui.window.results.size(), 10u);
    EXPECT_EQ(ui.window.results.front().address, kLoopbackBase + 10);

    ui.setRange(L"127.0.0.19", L"127.0.0.10");  // invalid: nothing changes, no message
    ui.command(kStartEditId, EN_KILLFOCUS);
    EXPECT_EQ(ui.window.results.size(), 10u);
    EXPECT_TRUE(ui.window.message.empty());

    ui.setRange(L"127.0.0.1", L"127.0.0.5");  // Tab out of an edit through the loop
    SetFocus(ui.control(kStartEditId));
    ui.pump();
    ui.postKey(VK_TAB);
    EXPECT_NE(GetFocus(), ui.control(kStartEditId));
    EXPECT_EQ(ui.window.results.size(), 5u);

    ASSERT_TRUE(ui.scanToEnd());
    ui.setRange(L"127.0.0.1", L"127.0.0.100");
    ui.command(kStartEditId, EN_KILLFOCUS);
    EXPECT_EQ(ui.window.results.size(), 5u);
    EXPECT_EQ(countTested(ui.window), 5);
}

TEST(AppKeys, F5StartsFromAnEditAndEscAndF5AreIgnoredWhenTheyDoNotApply) {
    ProbeGate gate(10);
    WindowUnderTest ui(gate.hold(fakeProbe()));
    ui.postKey(VK_ESCAPE, ui.control(kDetailListId));  // no scan: Esc changes nothing
    ui.postKey(VK_ESCAPE);
    EXPECT_EQ(ui.window.statusText, kReady);
    EXPECT_FALSE(ui.window.stopRequested.load());
    ASSERT_TRUE(IsWindow(ui.hwnd()));

    ui.setRange(L"127.0.0.1", L"127.0.0.40");
    SetFocus(ui.control(kEndEditId));
    ui.pump();
    ui.postKey(VK_F5);
    ASSERT_TRUE(ui.window.scanning);
    EXPECT_EQ(windowText(ui.control(kEndEditId)), L"127.0.0.40");
    ASSERT_TRUE(ui.pumpUntil([&] { return countTested(ui.window) == 10; }, 20000));
    ui.postKey(VK_F5, ui.control(kDetailListId));  // no restart: the table is not reloaded
    EXPECT_EQ(countTested(ui.window), 10);
    gate.open();
    ASSERT_TRUE(ui.pumpUntil([&] { return !ui.window.scanning; }));
    EXPECT_EQ(ui.window.statusText, L"扫描完成");
    EXPECT_EQ(countTested(ui.window), 40);
}

TEST(AppClose, DuringAScanReturnsWithinAboutOneProbe) {
    WindowUnderTest ui(fakeProbe(1000));
    ui.setRange(L"127.0.0.1", L"127.0.0.200");
    ui.command(kStartButtonId);
    ui.pumpFor(50);
    ASSERT_TRUE(ui.window.scanning);
    const ULONGLONG before = GetTickCount64();
    SendMessageW(ui.hwnd(), WM_CLOSE, 0, 0);
    const ULONGLONG closeMs = GetTickCount64() - before;
    RecordProperty("close_ms", static_cast<int>(closeMs));
    // The probes in flight end about 950 ms from here; a second round would end near 1950.
    EXPECT_LT(closeMs, 1500u);
    EXPECT_EQ(ui.window.hwnd, nullptr);
    EXPECT_FALSE(ui.window.scanThread.joinable());
    EXPECT_TRUE(ui.window.stopRequested.load());
    EXPECT_LT(countTested(ui.window) + static_cast<int>(ui.window.pendingResults.size()), 200);
}

}  // namespace
}  // namespace calderwynfell::test
