// The export command driven through the real save dialog: exact bytes, the
// empty view, cancelling, a locked target and a full disk.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "results/export_command.h"
#include "views_support.h"

namespace calderwynfell::test {
namespace {

const std::string kHead = "\xEF\xBB\xBFIP 地址,状态,延迟(ms),尝试次数,检测时间,说明\r\n";
const std::string kLine1 = "\"127.0.0.1\",\"在线\",\"1\",\"1\",\"2026-03-05 08:04:09\",\"收到 ICMP 回复\"\r\n";
const std::string kLine2 = "\"127.0.0.2\",\"无响应\",\"\",\"2\",\"2026-03-05 08:04:09\",\"等待 ICMP 回复超时\"\r\n";
const std::string kLine3 = "\"127.0.0.3\",\"在线\",\"3\",\"1\",\"2026-03-05 08:04:09\",\"收到 ICMP 回复\"\r\n";
const std::string kLine4 = "\"127.0.0.4\",\"无响应\",\"\",\"2\",\"2026-03-05 08:04:09\",\"等待 ICMP 回复超时\"\r\n";
const std::string kAllFour = kHead + kLine1 + kLine2 + kLine3 + kLine4;

bool exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class ExportTest : public ::testing::Test {
   protected:
    WindowUnderTest w;
    std::wstring folder = freshFolder(L"export");

    std::wstring target(const wchar_t* name) const { return folder + L"\\" + name; }

    void scan(const wchar_t* start, const wchar_t* end) {
        w.setRange(start, end);
        ASSERT_TRUE(w.scanToEnd());
        ASSERT_TRUE(isEnabled(w.control(kExportButtonId)));
    }

    // Presses 导出 CSV and lets a driver answer the dialog; the command returns when the dialog is gone.
    SaveDialogDriver::Seen exportAnswering(SaveDialogDriver::Answer answer, const std::wstring& path = {}) {
        SaveDialogDriver driver(answer, path);
        w.command(kExportButtonId);
        driver.finish();
        return driver.seen;
    }
};

TEST_F(ExportTest, WritesTheFilteredViewThroughTheSaveDialog) {
    scan(L"127.0.0.1", L"127.0.0.4");
    w.command(kListViewButtonId);
    w.window.sortByColumn(1);  // the file is in address order whatever the list shows
    const std::wstring all = target(L"all.csv");
    {
        FILE* old = _wfopen(all.c_str(), L"wb");  // longer than the export: it must be replaced whole
        ASSERT_TRUE(old);
        std::fputs(std::string(100000, 'z').c_str(), old);
        std::fclose(old);
    }
    wchar_t before[MAX_PATH] = {}, after[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, before);
    const SaveDialogDriver::Seen first = exportAnswering(SaveDialogDriver::Answer::Save, all);
    GetCurrentDirectoryW(MAX_PATH, after);
    EXPECT_STREQ(after, before) << "saving elsewhere must not move the process's current directory";
    ASSERT_TRUE(first.sawDialog) << "no dialog titled 导出当前筛选下的全部结果";
    EXPECT_TRUE(first.answered);
    EXPECT_TRUE(first.sawOverwritePrompt) << "the dialog asks before replacing";
    EXPECT_EQ(first.proposedName, L"Calderwynfell.csv");
    EXPECT_EQ(first.firstFilter, L"CSV 表格 (*.csv)");
    EXPECT_EQ(readFileBytes(all), kAllFour);
    EXPECT_EQ(w.window.statusText, L"已导出 4 条结果");

    setOnlineOnly(w, true);
    exportAnswering(SaveDialogDriver::Answer::Save, target(L"online"));  // the default extension is added
    EXPECT_EQ(readFileBytes(target(L"online.csv")), kHead + kLine1 + kLine3);
    EXPECT_EQ(w.window.statusText, L"已导出 2 条结果");
    EXPECT_EQ(w.window.message, L"");
}

TEST_F(ExportTest, EmptyViewWritesOnlyTheHeader) {
    scan(L"127.0.0.2", L"127.0.0.2");  // one silent address
    setOnlineOnly(w, true);
    ASSERT_TRUE(w.window.view.empty());
    exportAnswering(SaveDialogDriver::Answer::Save, target(L"empty.csv"));
    const auto bytes = readFileBytes(target(L"empty.csv"));
    ASSERT_TRUE(bytes);
    EXPECT_EQ(bytes->size(), 65u);
    EXPECT_EQ(*bytes, kHead);
    EXPECT_EQ(w.window.statusText, L"已导出 0 条结果");
}

TEST_F(ExportTest, CancellingChangesNothing) {
    scan(L"127.0.0.1", L"127.0.0.4");
    w.window.message = L"earlier";
    const std::wstring status = w.window.statusText;
    EXPECT_TRUE(exportAnswering(SaveDialogDriver::Answer::Cancel).sawDialog);
    EXPECT_EQ(w.window.statusText, status);
    EXPECT_EQ(w.window.message, L"earlier");
    EXPECT_FALSE(exists(target(L"Calderwynfell.csv")));
}

TEST_F(ExportTest, TargetHeldWithoutSharingCannotBeCreated) {
    scan(L"127.0.0.1", L"127.0.0.4");
    const std::wstring path = target(L"locked.csv");
    HANDLE holder = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    const std::wstring status = w.window.statusText;
    exportAnswering(SaveDialogDriver::Answer::Save, path);
    CloseHandle(holder);
    EXPECT_EQ(w.window.message, L"无法创建文件，错误 32");
    EXPECT_EQ(w.window.statusText, status);
    EXPECT_EQ(readFileBytes(path), std::string()) << "the holder's file is untouched";

    // A later success reports itself but leaves the failure text.
    exportAnswering(SaveDialogDriver::Answer::Save, target(L"fine.csv"));
    EXPECT_EQ(w.window.statusText, L"已导出 4 条结果");
    EXPECT_EQ(w.window.message, L"无法创建文件，错误 32");
}

TEST(ExportDuringScan, DoesNothing) {
    WindowUnderTest w(fakeProbe(50));
    w.setRange(L"127.0.0.1", L"127.0.0.64");
    w.command(kStartButtonId);
    ASSERT_TRUE(w.window.scanning);
    SaveDialogDriver driver(SaveDialogDriver::Answer::Cancel, {}, 1000);
    w.window.exportCsv();  // the button is disabled; the command itself must refuse too
    driver.finish();
    EXPECT_FALSE(driver.seen.sawDialog);
    EXPECT_EQ(w.window.statusText, L"正在扫描");
    w.command(kStopButtonId);
    EXPECT_TRUE(w.pumpUntil([&] { return !w.window.scanning; }, 10000));
}

TEST_F(ExportTest, FullDiskReportsTheErrorAndLeavesNoPartialFile) {
    scan(L"127.0.0.1", L"127.0.0.254");  // about 19 KB of CSV
    const std::string mount = "/tmp/calderwynfell-views-full";
    for (const int freeBytes : {0, 4096}) {
        SCOPED_TRACE(testing::Message() << freeBytes << " bytes free");
        // A 64 KB tmpfs filled up to the free space; needs root.
        const int status = runHostShell("test $(id -u) -eq 0 && mkdir -p " + mount +
                                        " && mount -t tmpfs -o size=64k tmpfs " + mount + " && dd if=/dev/zero of=" +
                                        mount + "/fill bs=4096 count=" + std::to_string((65536 - freeBytes) / 4096) +
                                        " 2>/dev/null");
        struct Unmount {
            std::string mount;
            ~Unmount() { runHostShell("umount -l " + mount + " 2>/dev/null; rmdir " + mount + " 2>/dev/null; true"); }
        } unmount{mount};
        if (status != 0) GTEST_SKIP() << "cannot mount a small tmpfs (needs root), status " << status;
        w.window.message.clear();
        const std::wstring before = w.window.statusText, path = hostPath(mount + "/out.csv");
        EXPECT_TRUE(exportAnswering(SaveDialogDriver::Answer::Save, path).answered);
        EXPECT_EQ(w.window.message, L"写入文件失败，错误 112");
        EXPECT_EQ(w.window.statusText, before);
        EXPECT_FALSE(exists(path)) << "a cut-off export must not stay behind";
    }
}

TEST(WriteFileBytes, ReportsCreateFailuresWithTheirNumber) {
    const std::wstring folder = freshFolder(L"write");
    const struct {
        std::wstring path;
        const wchar_t* message;
    } cases[] = {{folder + L"\\missing\\x.csv", L"无法创建文件，错误 3"}, {folder, L"无法创建文件，错误 5"}};
    for (const auto& c : cases) {
        std::wstring text = L"unchanged";
        EXPECT_FALSE(writeFileBytes(c.path, "abc", text));
        EXPECT_EQ(text, c.message);
    }
    std::wstring text = L"unchanged";
    EXPECT_TRUE(writeFileBytes(folder + L"\\ok.bin", std::string("a\0b", 3), text));
    EXPECT_EQ(text, L"unchanged");
    EXPECT_EQ(readFileBytes(folder + L"\\ok.bin"), std::string("a\0b", 3));
}

}  // namespace
}  // namespace calderwynfell::test
