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

std::wstring textOf(HWND window) {
    wchar_t buffer[512] = {};
    sendWithin(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buffer));
    return buffer;
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

std::optional<std::wstring> clipboardText() {
    if (!OpenClipboard(nullptr)) return std::nullopt;
    std::optional<std::wstring> text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* units = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = std::wstring(units);
            GlobalUnlock(data);
        }
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

ClipboardHolder::ClipboardHolder() {
    opened_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    release_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    thread_ = std::thread([this] {
        HWND owner = CreateWindowExW(0, L"STATIC", L"clipboard holder", 0, 0, 0, 10, 10, nullptr, nullptr,
                                     GetModuleHandleW(nullptr), nullptr);
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

SaveDialogDriver::SaveDialogDriver(Answer answer, std::wstring path, int waitMs) {
    thread_ = std::thread([this, answer, path = std::move(path), waitMs] { run(answer, path, waitMs); });
}

SaveDialogDriver::~SaveDialogDriver() {
    finish();
}

void SaveDialogDriver::finish() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
}

void SaveDialogDriver::run(Answer answer, const std::wstring& path, int waitMs) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(waitMs);
    auto waitFor = [&](auto done) {
        while (!done()) {
            if (GetTickCount64() >= deadline) return false;
            Sleep(20);
        }
        return true;
    };
    HWND dialog = nullptr;
    HWND edit = nullptr;
    if (!waitFor([&] { return (dialog = FindWindowW(L"#32770", kExportDialogTitle)) != nullptr || stop_; }) ||
        !dialog)
        return;
    sawDialog = true;
    if (!waitFor([&] { return (edit = fileNameEdit(dialog)) != nullptr && IsWindowVisible(dialog); })) {
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                     0);  // never leave the test hanging
        return;
    }
    proposedName = textOf(edit);
    if (HWND types = GetDlgItem(dialog, 0x470 /* cmb1 */)) {
        wchar_t buffer[256] = {};
        if (sendWithin(types, CB_GETLBTEXTLEN, 0, 0) < 256)
            sendWithin(types, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(buffer));
        firstFilter = buffer;
    }
    if (answer == Answer::Cancel) {
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    } else {
        sendWithin(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    }
    // The dialog closes, or asks first whether to replace an existing file.
    waitFor([&] {
        if (!IsWindow(dialog)) return true;
        if (HWND prompt = ownedPrompt(dialog)) {
            sawOverwritePrompt = true;
            PostMessageW(prompt, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), 0);
            Sleep(100);
        }
        return false;
    });
    answered = !IsWindow(dialog);
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
    const std::string statusFile = "/tmp/calderwynfell-views-shell-status";
    const std::wstring statusPath = hostPath(statusFile);
    DeleteFileW(statusPath.c_str());
    const std::string script = commandLine + "; echo $? > " + statusFile;
    std::wstring line = L"/bin/sh -c \"" + std::wstring(script.begin(), script.end()) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(L"/bin/sh", line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return -1;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    // A Unix child gives no exit code through its handle; it leaves one in the file.
    for (int waited = 0; waited < 20000; waited += 20) {
        if (auto status = readFileBytes(statusPath); status && !status->empty() && status->back() == '\n') {
            DeleteFileW(statusPath.c_str());
            return std::atoi(status->c_str());
        }
        Sleep(20);
    }
    return -1;
}

std::wstring hostPath(const std::string& unixPath) {
    std::wstring path = L"Z:";
    for (const char c : unixPath) path += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    return path;
}

}  // namespace calderwynfell::test
