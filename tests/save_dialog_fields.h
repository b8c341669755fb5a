#pragma once
// Finding the file name box of the system save dialog, for the tests that
// drive the real export dialog (in-process and from outside).

#include <windows.h>

#include <cwchar>

namespace calderwynfell::test {

// The first Edit among the descendants of a window.
inline HWND findEdit(HWND parent) {
    HWND found = nullptr;
    EnumChildWindows(
        parent,
        [](HWND child, LPARAM out) -> BOOL {
            wchar_t cls[32] = {};
            GetClassNameW(child, cls, 32);
            if (_wcsicmp(cls, L"Edit") != 0) return TRUE;
            *reinterpret_cast<HWND*>(out) = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// The file name box: the edit inside the file name combo box (cmb13, itself
// possibly an extended combo box), or a plain edit (edt1) in older layouts.
inline HWND fileNameEdit(HWND dialog) {
    if (HWND combo = GetDlgItem(dialog, 0x47C)) {
        wchar_t cls[32] = {};
        GetClassNameW(combo, cls, 32);
        if (_wcsicmp(cls, L"Edit") == 0) return combo;
        if (HWND inner = findEdit(combo)) return inner;
    }
    return GetDlgItem(dialog, 0x480);
}

}  // namespace calderwynfell::test
