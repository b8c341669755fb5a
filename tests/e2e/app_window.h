#pragma once
// Finding and reading the running Calderwynfell window from another process,
// shared by the end-to-end drivers: bounded waits that name what they await,
// texts through marshalled messages, and the guard on what may be scanned.

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <string>

namespace calderwynfell::e2e {

inline constexpr wchar_t kMainClass[] = L"CalderwynfellCpp";
inline constexpr int kStartEdit = 101, kEndEdit = 102;
// A cold Wine prefix takes a long time over its first window.
inline constexpr int kStartUpMs = 60000;

template <typename Done>
bool waitFor(const char* what, Done done, int timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    for (;;) {
        if (done()) return true;
        if (GetTickCount64() >= deadline) {
            std::fprintf(stderr, "timed out after %d ms waiting for %s\n", timeoutMs, what);
            return false;
        }
        Sleep(20);  // polling interval, not synchronisation: the condition decides
    }
}

inline std::wstring windowText(HWND window) {
    wchar_t buffer[512] = {};
    // WM_GETTEXT is marshalled between processes; GetWindowTextW would not ask the other process.
    DWORD_PTR ignored = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG,
                             5000, &ignored))
        return {};
    return buffer;
}

inline bool looksLikeAddress(const std::wstring& text) {
    unsigned a, b, c, d;
    wchar_t extra;
    return std::swscanf(text.c_str(), L"%u.%u.%u.%u%lc", &a, &b, &c, &d, &extra) == 4 && a < 256 && b < 256 &&
           c < 256 && d < 256;
}

inline std::uint32_t addressValue(const wchar_t* text) {
    unsigned a = 0, b = 0, c = 0, d = 0;
    std::swscanf(text, L"%u.%u.%u.%u", &a, &b, &c, &d);
    return (a << 24) | (b << 16) | (c << 8) | d;
}

// Only loopback and the namespace test bed may ever be scanned from here.
inline bool inside(const wchar_t* text, std::uint32_t network, int prefix) {
    return looksLikeAddress(text) && (addressValue(text) >> (32 - prefix)) == (network >> (32 - prefix));
}

inline bool allowedTarget(const wchar_t* start, const wchar_t* end, bool testBedToo) {
    const auto ok = [&](const wchar_t* text) {
        return inside(text, 0x7F000000u, 8) || (testBedToo && inside(text, 0xC6120000u, 15));
    };
    return ok(start) && ok(end);
}

// Created, shown, and holding the range proposed at start-up in both edits.
inline bool windowReady(HWND main) {
    return IsWindowVisible(main) && looksLikeAddress(windowText(GetDlgItem(main, kStartEdit))) &&
           looksLikeAddress(windowText(GetDlgItem(main, kEndEdit)));
}

inline HWND readyMainWindow() {
    HWND main = nullptr;
    waitFor(
        "the main window to be shown with a proposed range in both address edits",
        [&] {
            main = FindWindowW(kMainClass, nullptr);
            return main && windowReady(main);
        },
        kStartUpMs);
    return main && windowReady(main) ? main : nullptr;
}

}  // namespace calderwynfell::e2e
