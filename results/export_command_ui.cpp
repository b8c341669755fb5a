// The "导出 CSV" command: the rows of the current view, saved where the user
// chooses, reported in the status or message line.

#include <windows.h>
#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "core/system_library.h"
#include "results/csv_document.h"
#include "results/export_command.h"
#include "results/text_forms.h"
#include "ui/main_window.h"

namespace calderwynfell {

namespace {

constexpr DWORD kFileNameCapacity = 260;
// One pair: display text and pattern; the literal's own zero ends the list.
constexpr wchar_t kCsvFilter[] = L"CSV 表格 (*.csv)\0*.csv\0";

using SaveFileDialog = BOOL(WINAPI*)(OPENFILENAMEW*);

}  // namespace

bool askExportPath(HWND owner, std::wstring& path) {
    std::vector<wchar_t> fileName(kFileNameCapacity, L'\0');
    path.copy(fileName.data(), std::min<std::size_t>(path.size(), kFileNameCapacity - 1));
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = kCsvFilter;
    dialog.lpstrFile = fileName.data();
    dialog.nMaxFile = kFileNameCapacity;
    dialog.lpstrDefExt = L"csv";
    dialog.lpstrTitle = kExportDialogTitle;
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST;
    // comdlg32 brings shell32 with it: worth loading only when the user exports.
    static const auto showSaveDialog = systemFunction<SaveFileDialog>(L"comdlg32.dll", "GetSaveFileNameW");
    if (!showSaveDialog || !showSaveDialog(&dialog)) return false;
    path = fileName.data();
    return true;
}

namespace {

// A write can be cut short (a nearly full disk); writing on from where it
// stopped either finishes or yields the real error.
bool writeAll(HANDLE file, const std::string& bytes, DWORD& error) {
    const char* cursor = bytes.data();
    DWORD remaining = static_cast<DWORD>(bytes.size());
    while (remaining != 0) {
        DWORD written = 0;
        SetLastError(ERROR_SUCCESS);
        const BOOL ok = WriteFile(file, cursor, remaining, &written, nullptr);
        error = GetLastError();
        if (!ok || written == 0) return false;
        cursor += written;
        remaining -= written;
    }
    return true;
}

}  // namespace

bool writeFileBytes(const std::wstring& path, const std::string& bytes, std::wstring& failureText) {
    UniqueFile file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        failureText = L"无法创建文件，错误 " + decimalText(static_cast<std::uint32_t>(GetLastError()));
        return false;
    }
    DWORD error = ERROR_SUCCESS;
    if (writeAll(file.get(), bytes, error)) return true;
    // A cut-off CSV would look like a complete export: remove it.
    file.reset();
    DeleteFileW(path.c_str());
    failureText = L"写入文件失败，错误 " + decimalText(static_cast<std::uint32_t>(error));
    return false;
}

void MainWindow::exportCsv() {
    if (scanning) return;
    std::wstring path = kExportDefaultName;
    if (!savePathPrompt(hwnd, path)) return;

    std::vector<Result> rows;
    rows.reserve(view.size());
    for (const std::int32_t index : view) rows.push_back(results[static_cast<std::size_t>(index)]);
    const std::string document = buildCsvDocument(rows);

    if (writeFileBytes(path, document, message))
        statusText = L"已导出 " + decimalText(static_cast<std::uint32_t>(rows.size())) + L" 条结果";
    InvalidateRect(hwnd, nullptr, TRUE);
}

}  // namespace calderwynfell
