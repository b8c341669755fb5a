#include "accessible_client.h"

#include <windows.h>
#include <oleacc.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/platform.h"
#include "ui/accessibility/com_object.h"

namespace calderwynfell::test {

VARIANT childVariant(long id) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

namespace {

long integer(const VARIANT& v) {
    return v.vt == VT_I4 ? v.lVal : -1;
}

}  // namespace

int readMatrixFromOutside(const char* windowHandle) {
    const ComApartment apartment;
    const HWND matrix = reinterpret_cast<HWND>(static_cast<INT_PTR>(std::strtoll(windowHandle, nullptr, 10)));
    ComRef<IAccessible> object;
    const HRESULT found = AccessibleObjectFromWindow(matrix, static_cast<DWORD>(OBJID_CLIENT),
                                                     IID_IAccessible, reinterpret_cast<void**>(object.put()));
    std::printf("found 0x%08lx\n", static_cast<unsigned long>(found));
    if (FAILED(found) || !object) return 1;
    long count = -1;
    VARIANT role, state;
    BSTR name = nullptr;
    object->get_accChildCount(&count);
    object->get_accRole(childVariant(CHILDID_SELF), &role);
    object->get_accState(childVariant(2), &state);
    object->get_accName(childVariant(2), &name);
    long left = 0, top = 0, width = 0, height = 0;
    object->accLocation(&left, &top, &width, &height, childVariant(2));
    const HRESULT selected = object->accSelect(SELFLAG_TAKESELECTION, childVariant(3));
    std::printf("children %ld\nrole %ld\nstate %ld\nname %s\nlocation %ld %ld %ld %ld\nselect 0x%08lx\n",
                count, integer(role), integer(state), toUtf8(name ? name : L"").c_str(), left, top, width,
                height, static_cast<unsigned long>(selected));
    SysFreeString(name);
    std::fflush(stdout);
    return 0;
}

}  // namespace calderwynfell::test
