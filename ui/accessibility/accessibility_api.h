#pragma once
// oleacc's entry points, with oleacc's own signatures, loaded from System32 on
// first use: oleacc is not a KnownDLL, so an import of it would be looked for
// beside the exe first. Each answers HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND)
// when oleacc cannot be loaded.

#include <windows.h>
#include <oleacc.h>

namespace calderwynfell {

LRESULT lresultFromObject(REFIID iid, WPARAM flags, IUnknown* object);
HRESULT createStdAccessibleObject(HWND window, LONG objectId, REFIID iid, void** object);
HRESULT accessibleObjectFromWindow(HWND window, DWORD objectId, REFIID iid, void** object);

}  // namespace calderwynfell
