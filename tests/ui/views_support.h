#pragma once
// Helpers for the tests of the result views, the clipboard and the export:
// what another program or the user would do (hold the clipboard, answer the
// save dialog) runs on its own thread while the test pumps the window.

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <thread>

#include "ui_harness.h"

namespace calderwynfell::test {

constexpr std::uint32_t loopback(std::uint32_t third, std::uint32_t fourth) {
    return 127u << 24 | third << 8 | fourth;
}

// Ticks the 只看在线 box as a user would.
void setOnlineOnly(WindowUnderTest& w, bool on);

std::optional<std::wstring> clipboardText();
// A known text, so a test sees whether a copy happened.
void setClipboardText(const std::wstring& text);

// Another thread with its own window keeps the clipboard open until destroyed.
class ClipboardHolder {
   public:
    ClipboardHolder();
    ~ClipboardHolder();
    bool holding() const { return holding_; }

   private:
    std::thread thread_;
    HANDLE opened_, release_;
    bool holding_ = false;
};

// Answers the export's save dialog from another thread: finds it by its title,
// reads what it proposes, then types a path and presses OK (confirming an
// overwrite question), or presses Cancel.
class SaveDialogDriver {
   public:
    enum class Answer { Save, Cancel };
    SaveDialogDriver(Answer answer, std::wstring path, int waitMs = 15000);
    ~SaveDialogDriver() { finish(); }

    // Joins the thread; the fields below are complete afterwards.
    void finish();
    struct Seen {
        bool sawDialog = false, answered = false, sawOverwritePrompt = false;
        std::wstring proposedName, firstFilter;
    } seen;

   private:
    void run(Answer answer, const std::wstring& path, int waitMs);
    std::thread thread_;
    std::atomic<bool> stop_{false};
};

std::optional<std::string> readFileBytes(const std::wstring& path);
// A fresh, empty folder; its Windows path ends without a separator.
std::wstring freshFolder(const std::wstring& name);

// Runs a host shell line (no double quotes in it) and returns its exit status, -1 when it could not run.
int runHostShell(const std::string& commandLine);
// The Wine path (Z:...) of a host path.
std::wstring hostPath(const std::string& unixPath);

}  // namespace calderwynfell::test
