// A stand-in for a DLL planted beside the exe: loading it writes an empty file
// named after it plus ".loaded" next to it. It exports nothing, so whatever
// imports it through a stub fails too.

#include <windows.h>

extern "C" BOOL WINAPI plantedMarkerMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    wchar_t path[MAX_PATH + 8];  // no initialiser: without a CRT there is no memset
    const DWORD length = GetModuleFileNameW(self, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return TRUE;
    lstrcatW(path, L".loaded");
    const HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return TRUE;
}
