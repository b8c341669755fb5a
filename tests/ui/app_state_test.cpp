// The main window driven through real messages: start-up, scans and their end
// states, ranges, keys through the loop function, close during a scan.

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "core/ipv4.h"
#include "ui/app.h"
#include "ui_harness.h"

namespace calderwynfell::test {
namespace {

constexpr std::uint32_t kLoopbackBase = 127u << 24;

int countStatus(const MainWindow& window, ProbeStatus status) {
    return static_cast<int>(std::count_if(window.results.begin(), window.results.end(),
                                          [&](const Result& entry) { return entry.status == status; }));
}

int countTested(const MainWindow& window) {
    return static_cast<int>(window.results.size()) - countStatus(window, ProbeStatus::NotChecked);
}

std::wstring comboItem(HWND combo, int index) {
    const auto length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length < 0) return L"<none>";
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    return text;
}

// Enabled state of the controls that the scan state decides.
struct EnabledStates {
    bool inputs;  // both edits, start button, network and option combo boxes
    bool stop;
    bool exportButton;
};

void expectEnabled(const WindowUnderTest& ui, EnabledStates expected, const char* when) {
    for (int id : {kStartEditId, kEndEditId, kStartButtonId, kNetworkComboId, kTimeoutComboId,
                   kAttemptsComboId, kConcurrencyComboId})
        EXPECT_EQ(isEnabled(ui.control(id)), expected.inputs) << when << ": control " << id;
    EXPECT_EQ(isEnabled(ui.control(kStopButtonId)), expected.stop) << when << ": stop";
    EXPECT_EQ(isEnabled(ui.control(kExportButtonId)), expected.exportButton) << when << ": export";
    // These keep working during a scan.
    for (int id : {kSettingsButtonId, kMatrixViewButtonId, kListViewButtonId, kOnlineOnlyCheckId})
        EXPECT_TRUE(isEnabled(ui.control(id))) << when << ": control " << id;
    EXPECT_EQ(windowText(ui.control(kStartButtonId)), expected.inputs ? L"开始扫描" : L"扫描中…") << when;
}

TEST(AppStartUp, ProposesTheFirstNetworkAsAnUntestedTable) {
    WindowUnderTest ui;
    ASSERT_TRUE(ui.hwnd());
    for (int id = kStartEditId; id <= kMatrixId; ++id) EXPECT_TRUE(ui.control(id)) << "control " << id;
    EXPECT_EQ(windowText(ui.hwnd()), L"Calderwynfell - by calderwynfell.example");

    EXPECT_EQ(SendMessageW(ui.control(kNetworkComboId), CB_GETCOUNT, 0, 0), 1);
    EXPECT_EQ(comboItem(ui.control(kNetworkComboId), 0), L"测试网卡 \u00B7 127.0.0.5");
    EXPECT_EQ(SendMessageW(ui.control(kNetworkComboId), CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(windowText(ui.control(kStartEditId)), L"127.0.0.1");
    EXPECT_EQ(windowText(ui.control(kEndEditId)), L"127.0.0.254");

    ASSERT_EQ(ui.window.results.size(), 254u);
    EXPECT_EQ(ui.window.results.front().address, kLoopbackBase + 1);
    EXPECT_EQ(ui.window.results.back().address, kLoopbackBase + 254);
    EXPECT_EQ(countStatus(ui.window, ProbeStatus::NotChecked), 254);
    EXPECT_EQ(ui.window.view.size(), 254u);
    EXPECT_EQ(ui.window.statusText, L"就绪 · F5 开始扫描");
    EXPECT_TRUE(ui.window.message.empty());
    EXPECT_EQ(ui.window.contentTop, 143);
    EXPECT_FALSE(isEnabled(ui.control(kCopyButtonId)));
    expectEnabled(ui, {true, false, false}, "start-up");

    struct Combo {
        int id;
        std::vector<std::wstring> items;
    };
    const Combo combos[] = {
        {kTimeoutComboId, {L"300 ms", L"600 ms", L"1000 ms", L"2000 ms"}},
        {kAttemptsComboId, {L"1 次", L"2 次", L"3 次"}},
        {kConcurrencyComboId, {L"16", L"32", L"64"}},
    };
    for (const auto& combo : combos) {
        const HWND handle = ui.control(combo.id);
        ASSERT_EQ(SendMessageW(handle, CB_GETCOUNT, 0, 0), static_cast<LRESULT>(combo.items.size()))
            << combo.id;
        for (std::size_t i = 0; i < combo.items.size(); ++i)
            EXPECT_EQ(comboItem(handle, static_cast<int>(i)), combo.items[i]) << combo.id;
        EXPECT_EQ(SendMessageW(handle, CB_GETCURSEL, 0, 0), 1) << combo.id;
        EXPECT_FALSE(IsWindowVisible(handle)) << combo.id;
    }
    EXPECT_EQ(SendMessageW(ui.control(kStartEditId), EM_GETLIMITTEXT, 0, 0), 32);
    EXPECT_EQ(SendMessageW(ui.control(kEndEditId), EM_GETLIMITTEXT, 0, 0), 32);
}

TEST(AppStartUp, WithoutNetworksFallsBackWithoutScanning) {
    // The fallback range is a real private network: this test must never start a scan.
    WindowUnderTest ui(fakeProbe(), noNetworks());
    EXPECT_EQ(SendMessageW(ui.control(kNetworkComboId), CB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(windowText(ui.control(kStartEditId)), L"192.168.1.1");
    EXPECT_EQ(windowText(ui.control(kEndEditId)), L"192.168.1.254");
    EXPECT_EQ(ui.window.statusText, L"未发现可用网卡，请手动输入范围");
    EXPECT_EQ(ui.window.results.size(), 254u);
    EXPECT_EQ(countStatus(ui.window, ProbeStatus::NotChecked), 254);
    EXPECT_FALSE(ui.window.scanning);
}

TEST(AppScan, RunsToTheEnd) {
    WindowUnderTest ui;
    ui.setRange(L"127.0.0.1", L"127.0.0.20");
    ui.command(kStartButtonId);
    EXPECT_TRUE(ui.window.scanning);
    EXPECT_EQ(ui.window.statusText, L"正在扫描");
    expectEnabled(ui, {false, true, false}, "scanning");
    ASSERT_TRUE(ui.pumpUntil([&] { return !ui.window.scanning; }));

    EXPECT_EQ(ui.window.statusText, L"扫描完成");
    EXPECT_TRUE(ui.window.message.empty());
    EXPECT_FALSE(ui.window.scanThread.joinable());
    ASSERT_EQ(ui.window.results.size(), 20u);
    for (std::size_t i = 0; i < 20; ++i) {
        const Result& entry = ui.window.results[i];
        const std::uint32_t octet = static_cast<std::uint32_t>(i) + 1;
        EXPECT_EQ(entry.address, kLoopbackBase + octet);
        EXPECT_EQ(entry.status, octet % 2 ? ProbeStatus::Online : ProbeStatus::NoResponse) << octet;
        EXPECT_EQ(entry.attempts, octet % 2 ? 1 : 2) << octet;  // default two attempts, a reply ends early
        EXPECT_EQ(entry.latencyMs, octet % 2 ? octet % 7 : 0u) << octet;
    }
    EXPECT_EQ(ui.window.view.size(), 20u);
    EXPECT_TRUE(ui.window.pendingResults.empty());
    expectEnabled(ui, {true, false, true}, "finished");
}

TEST(AppScan, OptionsComeFromTheComboBoxes) {
    WindowUnderTest ui;
    SendMessageW(ui.control(kAttemptsComboId), CB_SETCURSEL, 2, 0);  // 3 次
    ui.setRange(L"127.0.0.2", L"127.0.0.2");
    ASSERT_TRUE(ui.scanToEnd());
    ASSERT_EQ(ui.window.results.size(), 1u);
    EXPECT_EQ(ui.window.results[0].attempts, 3);
    SendMessageW(ui.control(kAttemptsComboId), CB_SETCURSEL, 0, 0);  // 1 次
    ASSERT_TRUE(ui.scanToEnd());
    EXPECT_EQ(ui.window.results[0].attempts, 1);
    EXPECT_EQ(ui.window.statusText, L"扫描完成");
}

struct StopCase {
    const char* how;
    bool useEsc;
};

TEST(AppScan, StopsMidScanByButtonOrEsc) {
    const StopCase cases[] = {{"stop button", false}, {"Esc", true}};
    for (const auto& c : cases) {
        WindowUnderTest ui(fakeProbe(150));
        ui.setRange(L"127.0.0.1", L"127.0.0.100");  // 100 addresses, 32 at a time
        ui.command(kStartButtonId);
        ASSERT_TRUE(ui.window.scanning) << c.how;
        ui.pumpFor(40);
        if (c.useEsc) {
            ui.postKey(VK_ESCAPE, ui.control(kDetailListId));
            ui.postKey(VK_ESCAPE, ui.control(kDetailListId));  // a second Esc changes nothing more
        } else {
            ui.command(kStopButtonId);
        }
        EXPECT_TRUE(ui.window.stopRequested.load()) << c.how;
        EXPECT_EQ(ui.window.statusText, L"正在停止，等待已发出的 Ping 返回…") << c.how;
        EXPECT_FALSE(isEnabled(ui.control(kStopButtonId))) << c.how;
        EXPECT_FALSE(isEnabled(ui.control(kStartButtonId))) << c.how;
        ASSERT_TRUE(ui.pumpUntil([&] { return !ui.window.scanning; })) << c.how;

        EXPECT_EQ(ui.window.statusText, L"已停止") << c.how;
        EXPECT_TRUE(ui.window.message.empty()) << c.how;
        const int tested = countTested(ui.window);
        EXPECT_GT(tested, 0) << c.how;  // the probes in flight finished and are shown
        EXPECT_LT(tested, 100) << c.how;
        for (const auto& entry : ui.window.results) {
            if (entry.status == ProbeStatus::NotChecked) {
                EXPECT_EQ(entry.note, L"尚未检测") << c.how;
            }
            if (entry.status == ProbeStatus::NoResponse) {
                EXPECT_EQ(entry.attempts, 1) << c.how;  // no retry after the stop
            }
        }
        expectEnabled(ui, {true, false, true}, c.how);
    }
}

TEST(AppScan, ThrowingProbeEndsAsFailed) {
    std::atomic<int> calls{0};
    const ProbeFunction throwing = [&calls](std::uint32_t address, std::uint32_t) -> Result {
        if (++calls > 3) throw std::runtime_error("probe broke");
        Result result;
        result.address = address;
        result.status = ProbeStatus::Online;
        result.note = L"收到 ICMP 回复";
        return result;
    };
    WindowUnderTest ui(throwing);
    ui.setRange(L"127.0.0.1", L"127.0.0.64");
    ASSERT_TRUE(ui.scanToEnd());
    EXPECT_EQ(ui.window.statusText, L"扫描未完成");
    EXPECT_EQ(ui.window.message, L"扫描未完成：无法分配扫描资源或发生系统异常。");
    EXPECT_LE(countTested(ui.window), 3);  // what was delivered before the failure stays
    EXPECT_GT(countStatus(ui.window, ProbeStatus::NotChecked), 60);
    expectEnabled(ui, {true, false, countTested(ui.window) > 0}, "failed");

    // The next accepted start empties the message.
    calls = -1000;
    ASSERT_TRUE(ui.scanToEnd());
    EXPECT_EQ(ui.window.statusText, L"扫描完成");
    EXPECT_TRUE(ui.window.message.empty());
}

struct RangeCase {
    const wchar_t* start;
    const wchar_t* end;
    const wchar_t* message;
};

TEST(AppScan, InvalidRangesOnlySetTheMessage) {
    const RangeCase cases[] = {
        {L"127.0.0", L"127.0.0.9", kRangeMalformedMessage},
        {L"127.0.0.1", L"127.0.0.256", kRangeMalformedMessage},
        {L"127.0.0.9", L"127.0.0.1", kRangeReversedMessage},
        {L"127.0.0.0", L"127.0.16.0", kRangeTooLargeMessage},  // 4097 addresses
    };
    WindowUnderTest ui;
    ui.setRange(L"127.0.0.1", L"127.0.0.4");
    ASSERT_TRUE(ui.scanToEnd());
    const auto before = ui.window.results.size();
    for (const auto& c : cases) {
        ui.setRange(c.start, c.end);
        ui.command(kStartButtonId);
        EXPECT_FALSE(ui.window.scanning) << c.message;
        EXPECT_EQ(ui.window.message, c.message);
        EXPECT_EQ(ui.window.statusText, L"扫描完成") << c.message;
        EXPECT_EQ(ui.window.results.size(), before) << c.message;
        EXPECT_EQ(countTested(ui.window), 4) << c.message;
        expectEnabled(ui, {true, false, true}, "after an invalid range");
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

    ui.setRange(L"127.0.0.1", L"127.0.0.3");
    ASSERT_TRUE(ui.scanToEnd());
    ui.setRange(L"127.0.0.1", L"127.0.0.100");
    ui.command(kStartEditId, EN_KILLFOCUS);
    EXPECT_EQ(ui.window.results.size(), 3u);
    EXPECT_EQ(countTested(ui.window), 3);
}

TEST(AppPreview, TabOutOfAnEditThroughTheLoopPreviews) {
    WindowUnderTest ui;
    ui.setRange(L"127.0.0.1", L"127.0.0.5");
    SetFocus(ui.control(kStartEditId));
    ui.pump();
    ASSERT_EQ(GetFocus(), ui.control(kStartEditId));
    ui.postKey(VK_TAB);
    EXPECT_NE(GetFocus(), ui.control(kStartEditId));
    EXPECT_EQ(ui.window.results.size(), 5u);
}

TEST(AppKeys, F5StartsFromAnEditAndIsIgnoredDuringAScan) {
    WindowUnderTest ui(fakeProbe(30));
    ui.setRange(L"127.0.0.1", L"127.0.0.40");
    SetFocus(ui.control(kEndEditId));
    ui.pump();
    ui.postKey(VK_F5);
    ASSERT_TRUE(ui.window.scanning);
    EXPECT_EQ(windowText(ui.control(kEndEditId)), L"127.0.0.40");
    ui.pumpFor(100);
    const int tested = countTested(ui.window);
    EXPECT_GT(tested, 0);
    ui.postKey(VK_F5, ui.control(kDetailListId));  // no restart: the table is not reloaded
    EXPECT_GE(countTested(ui.window), tested);
    ASSERT_TRUE(ui.pumpUntil([&] { return !ui.window.scanning; }));
    EXPECT_EQ(ui.window.statusText, L"扫描完成");
    EXPECT_EQ(countTested(ui.window), 40);
}

TEST(AppKeys, EscWithoutAScanChangesNothing) {
    WindowUnderTest ui;
    ui.postKey(VK_ESCAPE, ui.control(kDetailListId));
    ui.postKey(VK_ESCAPE);
    EXPECT_EQ(ui.window.statusText, L"就绪 · F5 开始扫描");
    EXPECT_FALSE(ui.window.stopRequested.load());
    EXPECT_TRUE(IsWindow(ui.hwnd()));
}

TEST(AppClose, DuringAScanReturnsWithinAboutOneProbe) {
    WindowUnderTest ui(fakeProbe(300));
    ui.setRange(L"127.0.0.1", L"127.0.0.200");
    ui.command(kStartButtonId);
    ui.pumpFor(50);
    ASSERT_TRUE(ui.window.scanning);
    const ULONGLONG before = GetTickCount64();
    SendMessageW(ui.hwnd(), WM_CLOSE, 0, 0);
    const ULONGLONG took = GetTickCount64() - before;
    EXPECT_LT(took, 1000u);
    EXPECT_EQ(ui.window.hwnd, nullptr);
    EXPECT_FALSE(ui.window.scanThread.joinable());
    EXPECT_TRUE(ui.window.stopRequested.load());
    EXPECT_LT(countTested(ui.window) + static_cast<int>(ui.window.pendingResults.size()), 200);
}

}  // namespace
}  // namespace calderwynfell::test
