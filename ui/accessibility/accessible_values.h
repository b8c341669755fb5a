#pragma once
// Handing values to MSAA clients: texts as BSTRs, integers and child ids as
// VARIANTs, and a guard that keeps exceptions out of COM callers.

#include <windows.h>
#include <oleauto.h>

#include <string>

// Every entry point of an accessible object answers this once its window is gone.
#define CALDERWYNFELL_REQUIRE_CONNECTED() \
    if (!source_->connected()) return RPC_E_DISCONNECTED

namespace calderwynfell::accessible {

inline HRESULT giveText(const std::wstring& text, BSTR* out) {
    if (!out) return E_POINTER;
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

inline HRESULT giveInteger(long value, VARIANT* out) {
    if (!out) return E_POINTER;
    VariantInit(out);
    out->vt = VT_I4;
    out->lVal = value;
    return S_OK;
}

// Nothing to say: S_FALSE with VT_EMPTY.
inline HRESULT giveNothing(VARIANT* out) {
    if (!out) return E_POINTER;
    VariantInit(out);
    return S_FALSE;
}

inline HRESULT noText(BSTR* out) {
    if (out) *out = nullptr;
    return S_FALSE;
}

// Texts and selection allocate; an exception must never cross into the COM caller.
template <typename Action>
HRESULT guarded(Action action) noexcept {
    try {
        return action();
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

}  // namespace calderwynfell::accessible
