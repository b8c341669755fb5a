#include "views_support.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "results/export_command.h"
#include "save_dialog_fields.h"

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

}  // namespace

void setOnlineOnly(WindowUnderTest& w, bool on) {
    SendMessageW(w.control(kOnlineOnlyCheckId), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    w.command(kOnlineOnlyCheckId);
}

std::optional<std::wstring> clipboardText() {
    if (!OpenClipboard(nullptr)) return std::nullopt;
    std::optional<std::wstring> text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT))
        if (const auto* units = static_cast<const wchar_t*>(GlobalLock(data))) {
            // Read no further than the block: a missing terminator must not pass.
            text = std::wstring(units, wcsnlen(units, GlobalSize(data) / sizeof(wchar_t)));
            if (text->size() * sizeof(wchar_t) >= GlobalSize(data)) text = L"<unterminated>";
            GlobalUnlock(data);
        }
    CloseClipboard();
    return text;
}

void setClipboardText(const std::wstring& text) {
    if (!OpenClipboard(nullptr)) return;
    EmptyClipboard();
    const SIZE_T bytes = (text.size() + 1) * sizeof(wchar_t);
    if (HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
        std::memcpy(GlobalLock(block), text.c_str(), bytes);
        GlobalUnlock(block);
        if (!SetClipboardData(CF_UNICODETEXT, block)) GlobalFree(block);
    }
    CloseClipboard();
}

ClipboardHolder::ClipboardHolder()
    : opened_(CreateEventW(nullptr, TRUE, FALSE, nullptr)), release_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    thread_ = std::thread([this] {
        HWND owner = CreateWindowExW(0, L"STATIC", L"holder", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        holding_ = owner && OpenClipboard(owner);
        SetEvent(opened_);
        WaitForSingleObject(release_, INFINITE);
        if (holding_) CloseClipboard();
        if (owner) DestroyWindow(owner);
    });
    WaitForSingleObject(opened_, 10000);
}

ClipboardHolder::~ClipboardHolder() {
    SetEvent(release_);
    thread_.join();
    CloseHandle(opened_);
    CloseHandle(release_);
}

SaveDialogDriver::SaveDialogDriver(Answer answer, std::wstring path, int waitMs)
    : thread_([this, answer, path = std::move(path), waitMs] { run(answer, path, waitMs); }) {}

void SaveDialogDriver::finish() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
}

void SaveDialogDriver::run(Answer answer, const std::wstring& path, int waitMs) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(waitMs);
    auto waitFor = [&](auto done) {
        for (; !done(); Sleep(20))
            if (GetTickCount64() >= deadline) return false;
        return true;
    };
    HWND dialog = nullptr, edit = nullptr;
    waitFor([&] { return (dialog = FindWindowW(L"#32770", kExportDialogTitle)) != nullptr || stop_; });
    if (!dialog) return;
    seen.sawDialog = true;
    if (!waitFor([&] { return (edit = fileNameEdit(dialog)) != nullptr && IsWindowVisible(dialog); }))
        return press(dialog, IDCANCEL);  // never leave the test hanging
    wchar_t text[512] = {};
    sendWithin(edit, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
    seen.proposedName = text;
    if (HWND types = GetDlgItem(dialog, 0x470 /* cmb1 */); types && sendWithin(types, CB_GETLBTEXTLEN, 0, 0) < 512) {
        text[0] = 0;
        sendWithin(types, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(text));
        seen.firstFilter = text;
    }
    if (answer == Answer::Save) sendWithin(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    press(dialog, answer == Answer::Save ? IDOK : IDCANCEL);
    // The dialog closes, or asks first whether to replace an existing file.
    waitFor([&] {
        if (!IsWindow(dialog)) return true;
        if (HWND prompt = ownedPrompt(dialog)) {
            seen.sawOverwritePrompt = true;
            PostMessageW(prompt, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), 0);
            Sleep(100);
        }
        return false;
    });
    seen.answered = !IsWindow(dialog);
}

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

int runHostShell(const std::string& commandLine) {
    // A Unix child gives no exit code through its handle; it leaves one in a file.
    const std::string statusFile = "/tmp/calderwynfell-views-shell-status";
    const std::wstring statusPath = hostPath(statusFile);
    DeleteFileW(statusPath.c_str());
    const std::string script = commandLine + "; echo $? > " + statusFile;
    std::wstring line = L"/bin/sh -c \"" + std::wstring(script.begin(), script.end()) + L"\"";
    STARTUPINFOW startup{sizeof(startup)};
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

std::wstring hostPath(const std::string& unixPath) {
    std::wstring path = L"Z:";
    for (const char c : unixPath) path += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    return path;
}

}  // namespace calderwynfell::test
