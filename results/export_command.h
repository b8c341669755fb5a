#pragma once
// Asking where to export and writing the document to disk (Windows only).

#include <string>

#include <windows.h>

namespace calderwynfell {

inline constexpr wchar_t kExportDefaultName[] = L"Calderwynfell.csv";
inline constexpr wchar_t kExportDialogTitle[] = L"导出当前筛选下的全部结果";

// The save dialog, opened on the proposed name in `path`; true with the
// chosen path in `path`, false when the user cancelled.
bool askExportPath(HWND owner, std::wstring& path);

// Creates (or truncates) the file and writes every byte. On failure the text
// receives the reason with the system error number, no partial file is left
// behind, and false is returned; on success the text is left untouched.
bool writeFileBytes(const std::wstring& path, const std::string& bytes, std::wstring& failureText);

}  // namespace calderwynfell
