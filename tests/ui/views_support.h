#pragma once
// Helpers for the tests of the result views, the clipboard and the export:
// things another program would do to the window (hold the clipboard, answer
// the save dialog) run on their own threads while the test pumps the window.

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "core/result.h"

namespace calderwynfell::test {

constexpr std::uint32_t loopback(std::uint32_t third, std::uint32_t fourth) {
    return 127u << 24 | third << 8 | fourth;
}

// The Unicode text on the clipboard, if there is any.
std::optional<std::wstring> clipboardText();
// Replaces the clipboard with a known text, so a test sees whether a copy happened.
void setClipboardText(const std::wstring& text);

// Another thread with its own window keeps the clipboard open until destroyed.
class ClipboardHolder {
   public:
    ClipboardHolder();
    ~ClipboardHolder();
    ClipboardHolder(const ClipboardHolder&) = delete;
    ClipboardHolder& operator=(const ClipboardHolder&) = delete;
    bool holding() const { return holding_; }

   private:
    std::thread thread_;
    HANDLE opened_ = nullptr;
    HANDLE release_ = nullptr;
    bool holding_ = false;
};

// Answers the export's save dialog from another thread, as a user would:
// finds it by its title, reads what it proposes, then types a path and presses
// OK (confirming an overwrite question), or presses Cancel.
class SaveDialogDriver {
   public:
    enum class Answer { Save, Cancel };
    SaveDialogDriver(Answer answer, std::wstring path, int waitMs = 15000);
    ~SaveDialogDriver();
    SaveDialogDriver(const SaveDialogDriver&) = delete;
    SaveDialogDriver& operator=(const SaveDialogDriver&) = delete;

    // Joins the thread; the fields below are complete afterwards.
    void finish();
    bool sawDialog = false;
    bool answered = false;
    bool sawOverwritePrompt = false;
    std::wstring proposedName;
    std::wstring firstFilter;

   private:
    void run(Answer answer, const std::wstring& path, int waitMs);
    std::thread thread_;
    std::atomic<bool> stop_{false};
};

// Every byte of a file, or nothing when it cannot be opened.
std::optional<std::string> readFileBytes(const std::wstring& path);
// A fresh, empty folder for export targets; its Windows path ends without a separator.
std::wstring freshFolder(const std::wstring& name);

// Runs a shell command line of the host system (Wine starts Unix programs) and
// returns its exit status, or -1 when it could not be run. The line must not
// hold double quotes: it travels inside a pair of them.
int runHostShell(const std::string& commandLine);
// The Wine path (Z:...) of a host path.
std::wstring hostPath(const std::string& unixPath);

}  // namespace calderwynfell::test
