// The accessible objects over a model of elements, without a window: what every
// simple element answers, and the contracts of enumeration and lifetime.

#include <windows.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <memory>
#include <new>
#include <string>

#include "accessible_client.h"
#include "ui/accessibility/container_accessible.h"

namespace calderwynfell::test {
namespace {

using namespace accessible;

// Four simple children named after their ids; child(failAt) runs out of memory.
class FakeSource final : public ElementSource {
   public:
    bool live = true;
    long failAt = 0;
    bool connected() const override { return live; }
    HWND windowOf(Container) const override { return GetDesktopWindow(); }
    long childCount(Container) const override { return 4; }
    Child child(Container, long id) const override {
        if (id == failAt) throw std::bad_alloc();
        return {};
    }
    Element element(Container, long id) const override {
        Element element;
        element.role = ROLE_SYSTEM_STATICTEXT;
        element.name = L"element " + std::to_wstring(id);
        return element;
    }
    Box box(Container, long id) const override { return {{id * 10, 0, id * 10 + 10, 10}}; }
    long focus(Container) const override { return -1; }
    long selection(Container) const override { return 2; }
    long hit(Container, POINT) const override { return 3; }
    HRESULT select(Container, long, long) override { return S_OK; }
    HRESULT doDefaultAction(Container, long) override { return DISP_E_MEMBERNOTFOUND; }
};

TEST(ContainerAccessible, SimpleElementsAnswerFromTheModelInOnePlace) {
    const auto source = std::make_shared<FakeSource>();
    const auto object = ContainerAccessible::create(source, Container::StatusBar);
    BSTR text = nullptr;
    long topic = 0;
    VARIANT v;
    const struct {
        const char* what;
        HRESULT got, expected;
    } cases[] = {
        {"name", object->get_accName(childVariant(2), &text), S_OK},
        {"value (none)", object->get_accValue(childVariant(2), &text), S_FALSE},
        {"help", object->get_accHelp(childVariant(2), &text), S_FALSE},
        {"shortcut", object->get_accKeyboardShortcut(childVariant(0), &text), S_FALSE},
        {"help topic", object->get_accHelpTopic(&text, childVariant(1), &topic), DISP_E_MEMBERNOTFOUND},
        {"default action (none)", object->get_accDefaultAction(childVariant(4), &text),
         DISP_E_MEMBERNOTFOUND},
        {"a child that is not there", object->get_accName(childVariant(5), &text), E_INVALIDARG},
        {"the selection", object->get_accSelection(&v), S_OK},
        {"nothing focused", object->get_accFocus(&v), S_FALSE},
    };
    for (const auto& c : cases) EXPECT_EQ(c.got, c.expected) << c.what;
    ASSERT_EQ(object->get_accName(childVariant(3), &text), S_OK);
    EXPECT_EQ(std::wstring(text), L"element 3");
    SysFreeString(text);
}

TEST(ContainerAccessible, NextHandsOutNothingWhenItFailsAndTheInterfacesOutliveTheWindow) {
    const auto source = std::make_shared<FakeSource>();
    const auto object = ContainerAccessible::create(source, Container::Matrix);
    ComRef<IEnumVARIANT> children;
    ASSERT_EQ(object->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(children.put())), S_OK);
    VARIANT items[4];
    ULONG fetched = 9;
    source->failAt = 3;
    EXPECT_EQ(children->Next(4, items, &fetched), E_OUTOFMEMORY);
    EXPECT_EQ(fetched, 0u);
    for (const VARIANT& item : items) EXPECT_EQ(item.vt, VT_EMPTY);
    source->failAt = 0;
    ASSERT_EQ(children->Next(2, items, &fetched), S_OK);
    EXPECT_EQ(items[0].lVal, 1) << "the failure moved nothing";

    source->live = false;
    ComRef<IEnumVARIANT> again;
    ComRef<IOleWindow> window;
    EXPECT_EQ(object->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(again.put())), S_OK);
    EXPECT_EQ(object->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(window.put())), S_OK);
    long count = 0;
    EXPECT_EQ(again->Next(1, items, &fetched), RPC_E_DISCONNECTED);
    EXPECT_EQ(again->Reset(), RPC_E_DISCONNECTED);
    EXPECT_EQ(object->get_accChildCount(&count), RPC_E_DISCONNECTED);
}

}  // namespace
}  // namespace calderwynfell::test
