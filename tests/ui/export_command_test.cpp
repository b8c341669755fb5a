// The export command driven through the real save dialog: exact bytes, the
// empty view, cancelling, a locked target and a full disk.

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "results/export_command.h"
#include "save_dialog_fields.h"
#include "views_support.h"

namespace calderwynfell::test {
namespace {

LRESULT sendWithin(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 3000, &result);
    return static_cast<LRESULT>(result);
}

void press(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// A message box that the save dialog owns (the overwrite question).
HWND ownedPrompt(HWND dialog) {
    HWND candidate = nullptr;
    while ((candidate = FindWindowExW(nullptr, candidate, L"#32770", nullptr)) != nullptr)
        if (candidate != dialog && GetWindow(candidate, GW_OWNER) == dialog && IsWindowVisible(candidate))
            return candidate;
    return nullptr;
}

// The save dialog itself: the overwrite question carries the same title.
HWND findSaveDialog() {
    HWND candidate = nullptr;
    while ((candidate = FindWindowExW(nullptr, candidate, L"#32770", kExportDialogTitle)) != nullptr)
        if (fileNameEdit(candidate)) return candidate;
    return nullptr;
}

// Answers the save dialog from another thread as a user would: waits until the
// dialog is initialised (its file name box holds the proposal), reads what it
// proposes, then types a path, reads it back and presses OK once (answering an
// overwrite question once), or presses Cancel once.
class SaveDialogDriver {
   public:
    enum class Answer { Save, Cancel };
    // waitMs bounds the whole exchange; the command blocks the test until the dialog is gone,
    // so a generous bound costs nothing when things go well.
    SaveDialogDriver(Answer answer, std::wstring path, int waitMs = 60000) {
        // Started here, not in the member list: the thread reads members that must exist first.
        thread_ = std::thread([this, answer, path = std::move(path), waitMs] { run(answer, path, waitMs); });
    }
    ~SaveDialogDriver() { finish(); }
    // Joins the thread; `seen` is complete afterwards.
    void finish() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    struct Seen {
        bool sawDialog = false, answered = false, sawOverwritePrompt = false;
        std::wstring proposedName, firstFilter, failure;
    } seen;

   private:
    // Acts once on each state the dialog shows, until the command returns (stop_).
    void run(Answer answer, const std::wstring& path, int waitMs) {
        const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(waitMs);
        HWND pressed = nullptr, confirmed = nullptr;
        for (; !stop_; Sleep(20)) {
            if (GetTickCount64() >= deadline) {
                seen.failure = pressed ? L"the dialog stayed open after the press" : L"no initialised save dialog";
                break;
            }
            const HWND dialog = findSaveDialog();
            const HWND edit = dialog && IsWindowVisible(dialog) ? fileNameEdit(dialog) : nullptr;
            if (!edit) continue;
            if (HWND prompt = ownedPrompt(dialog)) {
                seen.sawOverwritePrompt = true;
                if (prompt != confirmed) PostMessageW(prompt, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), 0);
                confirmed = prompt;
                continue;
            }
            if (dialog == pressed || (!seen.sawDialog && !readProposal(dialog, edit))) continue;
            if (answer == Answer::Save) {
                sendWithin(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
                if (textOf(edit) != path) continue;  // not taken yet: look again
            }
            press(dialog, answer == Answer::Save ? IDOK : IDCANCEL);
            pressed = dialog;
        }
        // Never leave the test hanging in a modal dialog; the failure is reported.
        if (!stop_)
            if (HWND dialog = findSaveDialog()) press(dialog, IDCANCEL);
        seen.answered = seen.sawDialog && pressed && stop_;
    }

    static std::wstring textOf(HWND edit) {
        wchar_t text[512] = {};
        sendWithin(edit, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
        return text;
    }

    bool readProposal(HWND dialog, HWND edit) {
        const std::wstring proposal = textOf(edit);
        if (proposal.empty()) return false;
        seen.sawDialog = true;
        seen.proposedName = proposal;
        if (HWND types = GetDlgItem(dialog, 0x470 /* cmb1 */); types && sendWithin(types, CB_GETLBTEXTLEN, 0, 0) < 512) {
            wchar_t text[512] = {};
            sendWithin(types, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(text));
            seen.firstFilter = text;
        }
        return true;
    }
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

std::optional<std::string> readFileBytes(const std::wstring& path) {
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    if (!file) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::wstring freshFolder(const std::wstring& name) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::filesystem::path folder = std::filesystem::path(temp) / (L"calderwynfell-" + name);
    std::error_code error;
    std::filesystem::remove_all(folder, error);
    std::filesystem::create_directories(folder, error);
    return folder.wstring();
}

std::wstring hostPath(const std::string& unixPath) {
    std::wstring path = L"Z:";
    for (const char c : unixPath) path += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    return path;
}

// Runs a host shell line (no double quotes in it); its exit status, or -1.
int runHostShell(const std::string& commandLine) {
    // A Unix child gives no exit code through its handle; it leaves one in a file.
    const std::string statusFile = "/tmp/calderwynfell-views-shell-status";
    const std::wstring statusPath = hostPath(statusFile);
    DeleteFileW(statusPath.c_str());
    const std::string script = commandLine + "; echo $? > " + statusFile;
    std::wstring line = L"/bin/sh -c \"" + std::wstring(script.begin(), script.end()) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(L"/bin/sh", line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return -1;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (int waited = 0; waited < 20000; waited += 20, Sleep(20))
        if (auto status = readFileBytes(statusPath); status && !status->empty() && status->back() == '\n') {
            DeleteFileW(statusPath.c_str());
            return std::atoi(status->c_str());
        }
    return -1;
}

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
        EXPECT_EQ(driver.seen.failure, L"");
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

TEST_F(ExportTest, CancellingChangesNothingAndALockedTargetCannotBeCreated) {
    scan(L"127.0.0.1", L"127.0.0.4");
    w.window.message = L"earlier";
    const std::wstring status = w.window.statusText;
    EXPECT_TRUE(exportAnswering(SaveDialogDriver::Answer::Cancel).sawDialog);
    EXPECT_EQ(w.window.statusText, status);
    EXPECT_EQ(w.window.message, L"earlier");
    EXPECT_FALSE(exists(target(L"Calderwynfell.csv")));

    const std::wstring path = target(L"locked.csv");
    HANDLE holder = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
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
