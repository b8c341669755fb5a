// Copying the selected address to the clipboard; the outcome goes to the
// detail line or the message line, never to a dialog box.

#include <cstring>

#include "results/selection_text.h"
#include "results/text_forms.h"
#include "ui/main_window.h"

namespace calderwynfell {

namespace {

constexpr wchar_t kClipboardBusy[] = L"剪贴板正在被占用，请重试。";
constexpr wchar_t kClipboardFailed[] = L"无法写入剪贴板。";

// Puts the text on the already opened clipboard; on failure the block is freed
// here, since the clipboard takes ownership only after SetClipboardData.
bool placeOnClipboard(const std::wstring& text) {
    const SIZE_T bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!block) return false;
    bool placed = false;
    if (void* memory = GlobalLock(block)) {
        std::memcpy(memory, text.c_str(), bytes);
        GlobalUnlock(block);
        placed = EmptyClipboard() && SetClipboardData(CF_UNICODETEXT, block);
    }
    if (!placed) GlobalFree(block);
    return placed;
}

}  // namespace

void MainWindow::copySelectedAddress() {
    if (selectedIndex < 0 || static_cast<std::size_t>(selectedIndex) >= results.size()) return;
    // The selection may be hidden by the filter; it is copied all the same.
    const std::uint32_t address = results[static_cast<std::size_t>(selectedIndex)].address;
    const std::wstring text = addressText(address);
    if (!OpenClipboard(hwnd)) {
        message = kClipboardBusy;
    } else {
        const bool placed = placeOnClipboard(text);
        CloseClipboard();
        if (placed)
            detail = copiedText(address);
        else
            message = kClipboardFailed;
    }
    InvalidateRect(hwnd, nullptr, TRUE);
}

}  // namespace calderwynfell
