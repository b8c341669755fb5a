// Copying the selected address: the exact clipboard text, the detail line, and
// the failure report when another program holds the clipboard.

#include <windows.h>

#include <gtest/gtest.h>

#include "results/selection_text.h"
#include "views_support.h"

namespace calderwynfell::test {
namespace {

constexpr wchar_t kBusy[] = L"剪贴板正在被占用，请重试。";

TEST(ClipboardCopy, CopiesTheDottedAddressOnlyWhenSomethingIsSelected) {
    WindowUnderTest w;
    EXPECT_FALSE(isEnabled(w.control(kCopyButtonId)));
    setClipboardText(L"sentinel");
    const std::wstring detail = w.window.detail;
    w.window.copySelectedAddress();
    EXPECT_EQ(clipboardText(), L"sentinel");
    EXPECT_EQ(w.window.detail, detail);

    w.window.selectResult(9);
    w.command(kCopyButtonId);
    EXPECT_EQ(clipboardText(), L"127.0.0.10");  // terminated within its block, or it reads as "<unterminated>"
    EXPECT_EQ(w.window.detail, L"已复制 127.0.0.10");
    EXPECT_EQ(w.window.message, L"");
}

TEST(ClipboardCopy, BusyClipboardIsReportedAndTheMessageOutlivesALaterCopy) {
    WindowUnderTest w;
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
    WindowUnderTest w(fakeProbe(30));
    w.setRange(L"127.0.0.1", L"127.0.0.40");
    w.command(kStartButtonId);
    ASSERT_TRUE(w.pumpUntil([&] { return w.window.results[0].status != ProbeStatus::NotChecked; }));
    w.window.selectResult(0);
    w.command(kCopyButtonId);
    EXPECT_EQ(w.window.detail, L"已复制 127.0.0.1");
    ASSERT_TRUE(w.pumpUntil([&] { return !w.window.scanning; }, 10000));
    EXPECT_EQ(w.window.detail, describeSelection(w.window.results[0]));
}

}  // namespace
}  // namespace calderwynfell::test
