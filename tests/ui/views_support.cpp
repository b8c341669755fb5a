#include "views_support.h"

#include <cstring>

namespace calderwynfell::test {

std::vector<std::uint32_t> loadLoopbackRange(WindowUnderTest& w, int count) {
    std::vector<std::uint32_t> addresses;
    for (int i = 0; i < count; ++i) addresses.push_back(0x7F000001u + static_cast<std::uint32_t>(i));
    // The start address has the focus at start-up; leaving it later would preview the
    // edits' range over this one, so the focus goes where the results are first.
    SetFocus(w.control(kMatrixId));
    w.window.loadRange(addresses);
    return addresses;
}

void setOnlineOnly(WindowUnderTest& w, bool on) {
    SendMessageW(w.control(kOnlineOnlyCheckId), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    w.command(kOnlineOnlyCheckId);
}

std::optional<std::wstring> clipboardText() {
    if (!OpenClipboard(nullptr)) return std::nullopt;
    std::optional<std::wstring> text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT))
        if (const auto* units = static_cast<const wchar_t*>(GlobalLock(data))) {
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

}  // namespace calderwynfell::test
