// The main window through MSAA, in-process: the child controls as the standard
// object gives them, then what the window paints, with exact texts, roles and
// places; the focused control; and the events that tell of changes.

#include <windows.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "accessible_client.h"
#include "core/platform.h"
#include "ui/accessibility/com_object.h"
#include "ui_harness.h"

namespace calderwynfell::test {
namespace {

struct Element {
    long role;
    std::wstring name, value;
    friend bool operator==(const Element&, const Element&) = default;
};

void PrintTo(const Element& e, std::ostream* out) {
    *out << e.role << " " << toUtf8(e.name) << " / " << toUtf8(e.value);
}

std::wstring take(BSTR text) {
    std::wstring copy = text ? std::wstring(text, SysStringLen(text)) : L"";
    SysFreeString(text);
    return copy;
}

ComRef<IAccessible> windowObject(HWND window) {
    ComRef<IAccessible> object;
    AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                               reinterpret_cast<void**>(object.put()));
    return object;
}

struct Children {
    std::vector<HWND> controls;  // behind the VT_DISPATCH children
    std::vector<long> painted;   // the VT_I4 ones
};

Children childrenOf(IAccessible& object) {
    long count = 0;
    object.get_accChildCount(&count);
    std::vector<VARIANT> items(static_cast<std::size_t>(count));
    long got = 0;
    AccessibleChildren(&object, 0, count, items.data(), &got);
    Children children;
    for (long i = 0; i < got; ++i) {
        VARIANT& item = items[static_cast<std::size_t>(i)];
        if (item.vt == VT_I4) children.painted.push_back(item.lVal);
        if (item.vt == VT_DISPATCH) {
            ComRef<IAccessible> child;
            HWND window = nullptr;
            if (item.pdispVal && SUCCEEDED(item.pdispVal->QueryInterface(
                                     IID_IAccessible, reinterpret_cast<void**>(child.put()))))
                WindowFromAccessibleObject(child.get(), &window);
            children.controls.push_back(window);
        }
        VariantClear(&item);
    }
    return children;
}

Element elementOf(IAccessible& object, long id) {
    VARIANT role;
    BSTR name = nullptr, value = nullptr;
    object.get_accRole(childVariant(id), &role);
    object.get_accName(childVariant(id), &name);
    object.get_accValue(childVariant(id), &value);
    return {role.vt == VT_I4 ? role.lVal : -1, take(name), take(value)};
}

using Box = std::array<long, 4>;  // left, top, right, bottom

Box locationOf(IAccessible& object, long id) {
    long left = 0, top = 0, width = 0, height = 0;
    object.accLocation(&left, &top, &width, &height, childVariant(id));
    return {left, top, left + width, top + height};
}

Box onScreen(HWND window, RECT units) {
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&units), 2);
    return {units.left, units.top, units.right, units.bottom};  // at 96 DPI units are pixels
}

constexpr long kText = ROLE_SYSTEM_STATICTEXT;

TEST(WindowAccessible, ControlsThenThePaintedTextsInReadingOrder) {
    WindowUnderTest w;  // 600 x 589 client at 96 DPI: W = 600, H = 589
    ASSERT_EQ(w.window.dpi, 96);
    const std::vector<Element> cards = {{kText, L"地址", L"254"},
                                        {kText, L"在线", L"0"},
                                        {kText, L"无响应", L"0"},
                                        {kText, L"未检测", L"254"},
                                        {kText, L"用时", L"0.0 s"}};
    const struct {
        const wchar_t *start, *end;
        std::vector<Element> after;  // the painted elements after the five cards
    } cases[] = {
        {L"127.0.0.9",
         L"127.0.0.1",
         {{kText, L"127.0.0.1 — 127.0.0.254", L""},
          {kText, L"1/1", L""},
          {kText, L"点击地址查看详情，双击复制 IP", L""},
          {ROLE_SYSTEM_PROGRESSBAR, L"扫描进度", L"0%"},
          {ROLE_SYSTEM_STATUSBAR, L"就绪 · F5 开始扫描 · 0 / 254", L""},
          {kText, L"绿 在线 / 灰 无响应", L""},
          {ROLE_SYSTEM_ALERT, L"结束 IP 不能小于起始 IP。", L""}}},
        {L"127.0.0.1",
         L"127.0.0.4",
         {{kText, L"127.0.0.1 — 127.0.0.4", L""},
          {kText, L"1/1", L""},
          {kText, L"点击地址查看详情，双击复制 IP", L""},
          {ROLE_SYSTEM_PROGRESSBAR, L"扫描进度", L"100%"},
          {ROLE_SYSTEM_STATUSBAR, L"扫描完成 · 4 / 4", L""},
          {kText, L"绿 在线 / 灰 无响应", L""},
          {kText, L"无响应不等于离线，设备可能禁用了 Ping。", L""}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(toUtf8(c.end));
        w.setRange(c.start, c.end);
        w.command(kStartButtonId);
        ASSERT_TRUE(w.pumpUntil([&] { return !w.window.scanning; }));
        const auto object = windowObject(w.hwnd());
        ASSERT_TRUE(object);
        const Children children = childrenOf(*object);
        std::vector<HWND> expectedControls;
        for (HWND child = GetWindow(w.hwnd(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            expectedControls.push_back(child);
        EXPECT_EQ(children.controls, expectedControls);
        ASSERT_EQ(children.painted.size(), 12u);
        std::vector<Element> painted;
        for (const long id : children.painted) painted.push_back(elementOf(*object, id));
        std::vector<Element> expected = cards;
        if (c.after[4].name.starts_with(L"扫描完成"))
            expected = {{kText, L"地址", L"4"},
                        {kText, L"在线", L"2"},
                        {kText, L"无响应", L"2"},
                        {kText, L"未检测", L"0"},
                        painted[4]};  // the time taken varies
        expected.insert(expected.end(), c.after.begin(), c.after.end());
        EXPECT_EQ(painted, expected);

        // Painted rectangles, on screen: card 0 (caption and figure) and the status line.
        EXPECT_EQ(locationOf(*object, children.painted[0]), onScreen(w.hwnd(), {17, 102, 131, 142}));
        const Box status = onScreen(w.hwnd(), {24, 589 - 40, 600 - 171, 589 - 19});
        EXPECT_EQ(locationOf(*object, children.painted[9]), status);
        VARIANT hit;
        ASSERT_EQ(object->accHitTest((status[0] + status[2]) / 2, (status[1] + status[3]) / 2, &hit), S_OK);
        EXPECT_EQ(hit.vt == VT_I4 ? hit.lVal : -1, children.painted[9]);
    }
}

TEST(WindowAccessible, FocusNamesTheFocusedControl) {
    WindowUnderTest w;
    const auto object = windowObject(w.hwnd());
    ASSERT_TRUE(object);
    for (const int id : {kStartEditId, kNetworkComboId, kMatrixId}) {
        SetFocus(w.control(id));
        VARIANT focus;
        ASSERT_EQ(object->get_accFocus(&focus), S_OK);
        ASSERT_EQ(focus.vt, VT_DISPATCH);
        ComRef<IAccessible> child;
        focus.pdispVal->QueryInterface(IID_IAccessible, reinterpret_cast<void**>(child.put()));
        VariantClear(&focus);
        HWND window = nullptr;
        WindowFromAccessibleObject(child.get(), &window);
        EXPECT_EQ(window, w.control(id));
    }
}

struct Event {
    DWORD event;
    LONG child;
};
std::vector<Event> gEvents;
HWND gWatched = nullptr;

void CALLBACK recordEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD) {
    if (window == gWatched && object == OBJID_CLIENT) gEvents.push_back({event, child});
}

// The status line's name changes at the start and the end; the progress value at
// most once a second, however many results arrive.
TEST(WindowAccessible, EventsTellOfChangesButNotOfEveryResult) {
    WindowUnderTest w(fakeProbe(40));
    const long base = w.window.paintedChildId(0);
    gWatched = w.hwnd();
    gEvents.clear();
    const HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_VALUECHANGE, nullptr,
                                               recordEvent, GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    ASSERT_TRUE(hook);
    w.setRange(L"127.0.0.1", L"127.0.3.200");  // 968 addresses, 40 ms each, 32 at a time: over a second
    const ULONGLONG began = GetTickCount64();
    ASSERT_TRUE(w.scanToEnd(30000));
    const auto seconds = static_cast<long>((GetTickCount64() - began) / 1000);
    w.pumpFor(200);
    UnhookWinEvent(hook);
    long statusNames = 0, progressValues = 0;
    for (const Event& e : gEvents) {
        statusNames += e.event == EVENT_OBJECT_NAMECHANGE && e.child == base + 9;
        progressValues += e.event == EVENT_OBJECT_VALUECHANGE && e.child == base + 8;
    }
    EXPECT_EQ(statusNames, 2) << "start and end";
    EXPECT_GE(progressValues, 1);
    EXPECT_LE(progressValues, seconds + 1);
}

}  // namespace
}  // namespace calderwynfell::test
