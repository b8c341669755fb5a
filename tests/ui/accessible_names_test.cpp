// The inputs' accessible names and the spoken end of a scan, through the
// window's seams (Wine implements neither Dynamic Annotation nor UIA
// notifications), plus what standard MSAA reads for the buttons and the tab order.

#include <windows.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <map>
#include <new>
#include <string>
#include <vector>

#include "ui/accessibility/com_object.h"
#include "ui_harness.h"

namespace calderwynfell::test {
namespace {

std::wstring msaaName(HWND control) {
    ComRef<IAccessible> object;
    if (FAILED(AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                          reinterpret_cast<void**>(object.put()))))
        return L"<no object>";
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    object->get_accName(self, &name);
    std::wstring text = name ? name : L"<null>";
    SysFreeString(name);
    return text;
}

TEST(AccessibleNames, EveryInputIsNamedLikeItsLabelAndFailuresAreIgnored) {
    std::map<int, std::wstring> named;
    WindowUnderTest w(fakeProbe(), fakeNetworks(), 600, 589, [&](MainWindow& window) {
        window.accessibleNamer = [&](HWND control, const wchar_t* name) {
            named[GetDlgCtrlID(control)] = name;
            return E_NOTIMPL;  // as Wine answers: the window must carry on
        };
    });
    ASSERT_TRUE(w.hwnd());
    const std::map<int, std::wstring> expected = {
        {kStartEditId, L"起始地址"}, {kEndEditId, L"结束地址"},       {kNetworkComboId, L"本机网段"},
        {kTimeoutComboId, L"超时"},  {kAttemptsComboId, L"最多尝试"}, {kConcurrencyComboId, L"并发"},
    };
    EXPECT_EQ(named, expected);
}

TEST(AccessibleNames, ButtonsAndTheCheckBoxReadAsTheirCaptions) {
    WindowUnderTest w;
    const std::pair<int, const wchar_t*> cases[] = {
        {kStartButtonId, L"开始扫描"},    {kStopButtonId, L"停止"},
        {kSettingsButtonId, L"扫描设置"}, {kMatrixViewButtonId, L"地址矩阵"},
        {kListViewButtonId, L"详细列表"}, {kOnlineOnlyCheckId, L"只看在线"},
        {kExportButtonId, L"导出 CSV"},   {kPreviousPageButtonId, L"上一页"},
        {kNextPageButtonId, L"下一页"},   {kCopyButtonId, L"复制 IP"},
    };
    for (const auto& [id, caption] : cases) EXPECT_EQ(msaaName(w.control(id)), caption) << id;
}

// Tab follows the order the controls are created in, which the design fixes.
TEST(AccessibleNames, TabReachesEveryControlInCreationOrder) {
    WindowUnderTest w;
    w.command(kSettingsButtonId);
    for (int id = kStartEditId; id <= kMatrixId; ++id) EnableWindow(w.control(id), TRUE);
    const std::vector<int> expected = {
        kStartEditId,      kEndEditId,         kStartButtonId,   kStopButtonId,         kNetworkComboId,
        kSettingsButtonId, kTimeoutComboId,    kAttemptsComboId, kConcurrencyComboId,   kMatrixViewButtonId,
        kListViewButtonId, kOnlineOnlyCheckId, kExportButtonId,  kPreviousPageButtonId, kNextPageButtonId,
        kCopyButtonId,     kMatrixId};
    std::vector<int> visited;
    HWND at = w.control(kStartEditId);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        visited.push_back(GetDlgCtrlID(at));
        at = GetNextDlgTabItem(w.hwnd(), at, FALSE);
    }
    EXPECT_EQ(visited, expected);
    EXPECT_EQ(at, w.control(kStartEditId)) << "and round again";
}

// Each change of the status or message line is spoken once, as it happens; the
// end of a scan in one sentence with its counts; nothing per tick.
TEST(Announcements, EachStatusOrMessageChangeIsSpokenOnceNeverPerTick) {
    std::vector<std::wstring> spoken;
    WindowUnderTest w(fakeProbe(20), fakeNetworks(), 600, 589, [&](MainWindow& window) {
        window.announcer = [&](HWND, const std::wstring& text) { spoken.push_back(text); };
    });
    constexpr wchar_t kStopping[] = L"正在停止，等待已发出的 Ping 返回…";
    const struct {
        const wchar_t *start, *end;
        bool stop, fail;
        std::vector<std::wstring> announced;  // L"已停止*": only the prefix is fixed, counts depend on timing
    } cases[] = {
        {L"127.0.0.1",
         L"127.0.0.20",
         false,
         false,
         {L"正在扫描", L"扫描完成 · 在线 10 · 无响应 10 · 错误 0"}},
        {L"127.0.0.1", L"127.0.3.200", true, false, {L"正在扫描", kStopping, L"已停止*"}},
        {L"127.0.0.1",
         L"127.0.0.20",
         false,
         true,
         {L"正在扫描",
          L"扫描未完成 · 在线 0 · 无响应 0 · 错误 0 · 扫描未完成：无法分配扫描资源或发生系统异常。"}},
        {L"127.0.0.9", L"127.0.0.1", false, false, {L"结束 IP 不能小于起始 IP。"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.end);
        spoken.clear();
        if (c.fail) w.window.probe = [](std::uint32_t, std::uint32_t) -> Result { throw std::bad_alloc(); };
        w.setRange(c.start, c.end);
        w.command(kStartButtonId);
        if (c.stop) {
            w.pumpFor(100);
            w.command(kStopButtonId);
        }
        ASSERT_TRUE(w.pumpUntil([&] { return !w.window.scanning; }, 20000));
        w.pumpFor(300);  // later ticks must stay silent
        ASSERT_EQ(spoken.size(), c.announced.size());
        for (std::size_t i = 0; i < spoken.size(); ++i) {
            const std::wstring& expected = c.announced[i];
            if (expected.back() == L'*')
                EXPECT_EQ(spoken[i].rfind(expected.substr(0, expected.size() - 1) + L" · 在线 ", 0), 0u) << i;
            else
                EXPECT_EQ(spoken[i], expected) << i;
        }
    }
}

// An export says where it went: its status when written, its error when not.
TEST(Announcements, AnExportIsSpoken) {
    std::vector<std::wstring> spoken;
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    std::wstring target;
    WindowUnderTest w(fakeProbe(), fakeNetworks(), 600, 589, [&](MainWindow& window) {
        window.announcer = [&](HWND, const std::wstring& text) { spoken.push_back(text); };
        window.savePathPrompt = [&](HWND, std::wstring& path) { return path = target, true; };
    });
    w.setRange(L"127.0.0.1", L"127.0.0.4");
    ASSERT_TRUE(w.scanToEnd());
    const struct {
        std::wstring path, announced;
    } cases[] = {
        {std::wstring(temp) + L"calderwynfell-announced.csv", L"已导出 4 条结果"},
        {std::wstring(temp) + L"no-such-folder\\x.csv", L"无法创建文件，错误 3"},
    };
    for (const auto& c : cases) {
        spoken.clear();
        target = c.path;
        w.command(kExportButtonId);
        EXPECT_EQ(spoken, std::vector<std::wstring>{c.announced});
    }
    DeleteFileW(cases[0].path.c_str());
}

}  // namespace
}  // namespace calderwynfell::test
