// Copying the selected address: the exact clipboard text, the detail line, and
// the failure report when another program holds the clipboard.

#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "results/selection_text.h"
#include "views_support.h"

namespace calderwynfell::test {
namespace {

constexpr wchar_t kBusy[] = L"剪贴板正在被占用，请重试。";

// Another thread with its own window keeps the clipboard open until destroyed.
class ClipboardHolder {
   public:
    ClipboardHolder() {
        thread_ = std::thread([this] {
            HWND owner = CreateWindowExW(0, L"STATIC", L"holder", 0, 0, 0, 9, 9, nullptr, nullptr, nullptr, nullptr);
            holding_ = owner && OpenClipboard(owner);
            SetEvent(opened_);
            WaitForSingleObject(release_, INFINITE);
            if (holding_) CloseClipboard();
            if (owner) DestroyWindow(owner);
        });
        WaitForSingleObject(opened_, 10000);
    }
    ~ClipboardHolder() {
        SetEvent(release_);
        thread_.join();
        CloseHandle(opened_);
        CloseHandle(release_);
    }
    bool holding() const { return holding_; }

   private:
    HANDLE opened_ = CreateEventW(nullptr, TRUE, FALSE, nullptr), release_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    bool holding_ = false;
    std::thread thread_;
};

TEST(ClipboardCopy, CopiesTheSelectionOrReportsABusyClipboardThatALaterCopyLeaves) {
    WindowUnderTest w;
    EXPECT_FALSE(isEnabled(w.control(kCopyButtonId)));
    setClipboardText(L"sentinel");
    const std::wstring unselected = w.window.detail;
    w.window.copySelectedAddress();
    EXPECT_EQ(clipboardText(), L"sentinel") << "nothing selected, nothing copied";
    EXPECT_EQ(w.window.detail, unselected);

    w.window.selectResult(9);
    w.command(kCopyButtonId);
    EXPECT_EQ(clipboardText(), L"127.0.0.10");  // terminated within its block, or it reads as "<unterminated>"
    EXPECT_EQ(w.window.detail, L"已复制 127.0.0.10");
    EXPECT_EQ(w.window.message, L"");

    w.window.selectResult(4);
    const std::wstring described = w.window.detail;
    setClipboardText(L"sentinel");
    {
        ClipboardHolder other;
        ASSERT_TRUE(other.holding());
        w.command(kCopyButtonId);
        EXPECT_EQ(w.window.message, kBusy);
        EXPECT_EQ(w.window.detail, described) << "a failed copy leaves the detail line";
    }
    EXPECT_EQ(clipboardText(), L"sentinel");
    w.command(kCopyButtonId);
    EXPECT_EQ(clipboardText(), L"127.0.0.5");
    EXPECT_EQ(w.window.detail, L"已复制 127.0.0.5");
    EXPECT_EQ(w.window.message, kBusy) << "a success does not clear an earlier failure";
}

TEST(ClipboardCopy, CopiedLineGivesWayToTheDetailAtTheNextDeliveredBatch) {
    ProbeGate gate(10);
    WindowUnderTest w(gate.hold(fakeProbe()));
    w.setRange(L"127.0.0.1", L"127.0.0.40");
    w.command(kStartButtonId);
    ASSERT_TRUE(w.pumpUntil([&] { return w.window.results[0].status != ProbeStatus::NotChecked; }));
    w.window.selectResult(0);
    w.command(kCopyButtonId);
    EXPECT_EQ(w.window.detail, L"已复制 127.0.0.1");
    gate.open();  // the next batch arrives only now, after the copy
    ASSERT_TRUE(w.pumpUntil([&] { return !w.window.scanning; }, 10000));
    EXPECT_EQ(w.window.detail, describeSelection(w.window.results[0]));
}

}  // namespace
}  // namespace calderwynfell::test
