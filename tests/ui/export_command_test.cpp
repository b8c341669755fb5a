// The export command driven through the real save dialog: exact bytes, the
// empty view, cancelling, a locked target and a full disk.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "results/export_command.h"
#include "ui_harness.h"
#include "views_support.h"

namespace calderwynfell::test {
namespace {

const std::string kBom = "\xEF\xBB\xBF";
const std::string kHeader = "IP 地址,状态,延迟(ms),尝试次数,检测时间,说明\r\n";
const std::string kLine1 =
    "\"127.0.0.1\",\"在线\",\"1\",\"1\",\"2026-03-05 08:04:09\",\"收到 ICMP 回复\"\r\n";
const std::string kLine2 =
    "\"127.0.0.2\",\"无响应\",\"\",\"2\",\"2026-03-05 08:04:09\",\"等待 ICMP 回复超时\"\r\n";
const std::string kLine3 =
    "\"127.0.0.3\",\"在线\",\"3\",\"1\",\"2026-03-05 08:04:09\",\"收到 ICMP 回复\"\r\n";
const std::string kLine4 =
    "\"127.0.0.4\",\"无响应\",\"\",\"2\",\"2026-03-05 08:04:09\",\"等待 ICMP 回复超时\"\r\n";

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

    void setOnlineOnly(bool on) {
        SendMessageW(w.control(kOnlineOnlyCheckId), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
        w.command(kOnlineOnlyCheckId);
    }

    // Presses 导出 CSV and lets the driver answer the dialog; the command returns when the dialog is gone.
    void exportAnswering(SaveDialogDriver& driver) {
        w.command(kExportButtonId);
        driver.finish();
    }

    static bool exists(const std::wstring& path) {
        return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    }
};

TEST_F(ExportTest, WritesTheFilteredViewThroughTheSaveDialog) {
    scan(L"127.0.0.1", L"127.0.0.4");
    w.command(kListViewButtonId);
    w.window.sortByColumn(1);  // the file is in address order whatever the list shows

    wchar_t before[MAX_PATH] = {}, after[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, before);
    SaveDialogDriver all(SaveDialogDriver::Answer::Save, target(L"all.csv"));
    exportAnswering(all);
    GetCurrentDirectoryW(MAX_PATH, after);
    EXPECT_STREQ(after, before) << "saving elsewhere must not move the process's current directory";
    ASSERT_TRUE(all.sawDialog) << "no dialog titled 导出当前筛选下的全部结果";
    EXPECT_TRUE(all.answered);
    EXPECT_EQ(all.proposedName, L"Calderwynfell.csv");
    EXPECT_EQ(all.firstFilter, L"CSV 表格 (*.csv)");
    EXPECT_EQ(readFileBytes(target(L"all.csv")), kBom + kHeader + kLine1 + kLine2 + kLine3 + kLine4);
    EXPECT_EQ(w.window.statusText, L"已导出 4 条结果");

    setOnlineOnly(true);
    SaveDialogDriver online(SaveDialogDriver::Answer::Save,
                            target(L"online"));  // the default extension is added
    exportAnswering(online);
    EXPECT_EQ(readFileBytes(target(L"online.csv")), kBom + kHeader + kLine1 + kLine3);
    EXPECT_EQ(w.window.statusText, L"已导出 2 条结果");
    EXPECT_EQ(w.window.message, L"");
}

TEST_F(ExportTest, EmptyViewWritesOnlyTheHeader) {
    scan(L"127.0.0.2", L"127.0.0.2");  // one silent address
    setOnlineOnly(true);
    ASSERT_TRUE(w.window.view.empty());
    SaveDialogDriver driver(SaveDialogDriver::Answer::Save, target(L"empty.csv"));
    exportAnswering(driver);
    const auto bytes = readFileBytes(target(L"empty.csv"));
    ASSERT_TRUE(bytes);
    EXPECT_EQ(bytes->size(), 65u);
    EXPECT_EQ(*bytes, kBom + kHeader);
    EXPECT_EQ(w.window.statusText, L"已导出 0 条结果");
}

TEST_F(ExportTest, CancellingChangesNothing) {
    scan(L"127.0.0.1", L"127.0.0.4");
    w.window.message = L"earlier";
    const std::wstring status = w.window.statusText;
    SaveDialogDriver driver(SaveDialogDriver::Answer::Cancel, {});
    exportAnswering(driver);
    EXPECT_TRUE(driver.sawDialog);
    EXPECT_EQ(w.window.statusText, status);
    EXPECT_EQ(w.window.message, L"earlier");
    EXPECT_FALSE(exists(target(L"Calderwynfell.csv")));
}

TEST_F(ExportTest, ExistingFileIsReplacedWholeAfterConfirmation) {
    scan(L"127.0.0.1", L"127.0.0.4");
    const std::wstring path = target(L"old.csv");
    {
        FILE* old = _wfopen(path.c_str(), L"wb");
        ASSERT_TRUE(old);
        const std::string junk(100000, 'z');
        std::fwrite(junk.data(), 1, junk.size(), old);
        std::fclose(old);
    }
    SaveDialogDriver driver(SaveDialogDriver::Answer::Save, path);
    exportAnswering(driver);
    EXPECT_TRUE(driver.sawOverwritePrompt) << "the dialog asks before replacing";
    EXPECT_EQ(readFileBytes(path), kBom + kHeader + kLine1 + kLine2 + kLine3 + kLine4);
}

TEST_F(ExportTest, TargetHeldWithoutSharingCannotBeCreated) {
    scan(L"127.0.0.1", L"127.0.0.4");
    const std::wstring path = target(L"locked.csv");
    HANDLE holder =
        CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    const std::wstring status = w.window.statusText;
    SaveDialogDriver locked(SaveDialogDriver::Answer::Save, path);
    exportAnswering(locked);
    CloseHandle(holder);
    EXPECT_EQ(w.window.message, L"无法创建文件，错误 32");
    EXPECT_EQ(w.window.statusText, status);
    EXPECT_EQ(readFileBytes(path), std::string()) << "the holder's file is untouched";

    // A later success reports itself but leaves the failure text.
    SaveDialogDriver fine(SaveDialogDriver::Answer::Save, target(L"fine.csv"));
    exportAnswering(fine);
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
    EXPECT_FALSE(driver.sawDialog);
    EXPECT_EQ(w.window.statusText, L"正在扫描");
    w.command(kStopButtonId);
    EXPECT_TRUE(w.pumpUntil([&] { return !w.window.scanning; }, 10000));
}

// A tiny tmpfs filled up to a given free space. Needs root; the tests skip otherwise.
class FullDisk {
   public:
    explicit FullDisk(int freeBytes) {
        if (runHostShell("test $(id -u) -eq 0") != 0) {
            reason_ = "not root: cannot mount a small file system";
            return;
        }
        const std::string size = "64k";
        const int status = runHostShell("mkdir -p " + mount_ + " && mount -t tmpfs -o size=" + size +
                                        " tmpfs " + mount_ + " && dd if=/dev/zero of=" + mount_ +
                                        "/fill bs=4096 count=" + std::to_string((65536 - freeBytes) / 4096) +
                                        " 2>/dev/null");
        mounted_ = runHostShell("mountpoint -q " + mount_) == 0;
        if (status != 0 || !mounted_)
            reason_ = "mounting a tmpfs failed (status " + std::to_string(status) + ")";
    }
    ~FullDisk() {
        if (mounted_) runHostShell("umount " + mount_);
        runHostShell("rmdir " + mount_ + " 2>/dev/null || true");
    }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

    bool ready() const { return reason_.empty(); }
    const std::string& reason() const { return reason_; }
    std::wstring path(const std::string& name) const { return hostPath(mount_ + "/" + name); }

   private:
    std::string mount_ = "/tmp/calderwynfell-views-full";
    std::string reason_;
    bool mounted_ = false;
};

TEST_F(ExportTest, FullDiskReportsTheErrorAndLeavesNoPartialFile) {
    scan(L"127.0.0.1", L"127.0.0.254");  // about 19 KB of CSV
    for (const int freeBytes : {0, 4096}) {
        SCOPED_TRACE(testing::Message() << freeBytes << " bytes free");
        FullDisk disk(freeBytes);
        if (!disk.ready()) GTEST_SKIP() << disk.reason();
        w.window.message.clear();
        const std::wstring status = w.window.statusText;
        const std::wstring path = disk.path("out.csv");
        SaveDialogDriver driver(SaveDialogDriver::Answer::Save, path);
        exportAnswering(driver);
        EXPECT_TRUE(driver.answered);
        EXPECT_EQ(w.window.message, L"写入文件失败，错误 112");
        EXPECT_EQ(w.window.statusText, status);
        EXPECT_FALSE(exists(path)) << "a cut-off export must not stay behind";
    }
}

TEST(WriteFileBytes, ReportsCreateFailuresWithTheirNumber) {
    const std::wstring folder = freshFolder(L"write");
    struct Case {
        std::wstring path;
        const wchar_t* message;
    };
    const Case cases[] = {
        {folder + L"\\missing\\x.csv", L"无法创建文件，错误 3"},
        {folder, L"无法创建文件，错误 5"},
    };
    for (const Case& c : cases) {
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
