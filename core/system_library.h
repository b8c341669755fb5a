#pragma once

// Functions of system DLLs that the exe does not import, loaded from System32
// the first time they are called: DLLs that only some commands need (the window
// opens without them), and every DLL that is not a KnownDLL, which Windows would
// look for beside the exe first. A DLL of the same name planted beside a
// downloaded exe is never the one loaded.

#include <windows.h>

namespace calderwynfell {

// IP Helper: the ICMP probe and the adapter walk.
inline constexpr wchar_t kIpHelperLibrary[] = L"iphlpapi.dll";

// The DLL stays loaded for the life of the process, like any system library in use.
inline FARPROC systemProcedure(const wchar_t* library, const char* name) {
    const HMODULE module = LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return module ? GetProcAddress(module, name) : nullptr;
}

// Null when the DLL or the function is missing. Callers keep the result in a
// static, so that each DLL is loaded once.
template <typename Function>
Function systemFunction(const wchar_t* library, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(systemProcedure(library, name)));
}

}  // namespace calderwynfell
