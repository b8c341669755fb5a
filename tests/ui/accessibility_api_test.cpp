// The oleacc wrappers reach oleacc: the matrix read through
// accessibleObjectFromWindow (the window answers with lresultFromObject), and
// the main window's standard client object made by createStdAccessibleObject.

#include "ui/accessibility/accessibility_api.h"

#include <gtest/gtest.h>

#include <string>

#include "ui/accessibility/com_object.h"
#include "ui_harness.h"

namespace calderwynfell::test {
namespace {

VARIANT self() {
    VARIANT child;
    VariantInit(&child);
    child.vt = VT_I4;
    child.lVal = CHILDID_SELF;
    return child;
}

TEST(AccessibilityApi, WrappersReachOleacc) {
    WindowUnderTest w;
    ComRef<IAccessible> matrix;
    ASSERT_EQ(accessibleObjectFromWindow(w.control(kMatrixId), static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                         reinterpret_cast<void**>(matrix.put())),
              S_OK);
    BSTR name = nullptr;
    ASSERT_EQ(matrix->get_accName(self(), &name), S_OK);
    EXPECT_EQ(std::wstring(name ? name : L""), L"地址矩阵");
    SysFreeString(name);

    ComRef<IAccessible> client;
    ASSERT_EQ(createStdAccessibleObject(w.hwnd(), OBJID_CLIENT, IID_IAccessible,
                                        reinterpret_cast<void**>(client.put())),
              S_OK);
    RECT area{};
    GetClientRect(w.hwnd(), &area);
    MapWindowPoints(w.hwnd(), nullptr, reinterpret_cast<POINT*>(&area), 2);
    long left = 0, top = 0, width = 0, height = 0;
    ASSERT_EQ(client->accLocation(&left, &top, &width, &height, self()), S_OK);
    EXPECT_TRUE(left == area.left && top == area.top && left + width == area.right && top + height == area.bottom)
        << left << "," << top << " " << width << "x" << height;
}

}  // namespace
}  // namespace calderwynfell::test
