// The main window through MSAA: what it paints, with exact texts, roles and
// places; its children in reading order, walked and enumerated from another
// process as a screen reader does; the status bar at its foot; the focused
// control; and the events that tell of changes.

#include <windows.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "accessible_client.h"
#include "core/platform.h"
#include "ui/accessibility/com_object.h"
#include "ui/accessibility/element_source.h"
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

TEST(WindowAccessible, PaintedTextsRolesAndPlaces) {
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
          {kText, L"就绪 · F5 开始扫描 · 0 / 254", L""},
          {kText, L"绿 在线 / 灰 无响应", L""},
          {ROLE_SYSTEM_ALERT, L"结束 IP 不能小于起始 IP。", L""}}},
        {L"127.0.0.1",
         L"127.0.0.4",
         {{kText, L"127.0.0.1 — 127.0.0.4", L""},
          {kText, L"1/1", L""},
          {kText, L"点击地址查看详情，双击复制 IP", L""},
          {ROLE_SYSTEM_PROGRESSBAR, L"扫描进度", L"100%"},
          {kText, L"扫描完成 · 4 / 4", L""},
          {kText, L"绿 在线 / 灰 无响应", L""},
          {kText, L"无响应不等于离线，设备可能禁用了 Ping。", L""}}},
    };
    const auto id = [&](PaintedText text) { return w.window.elements->idOf(text); };
    for (const auto& c : cases) {
        SCOPED_TRACE(toUtf8(c.end));
        w.setRange(c.start, c.end);
        w.command(kStartButtonId);
        ASSERT_TRUE(w.pumpUntil([&] { return !w.window.scanning; }));
        const auto object = windowObject(w.hwnd());
        ASSERT_TRUE(object);
        // The status line, legend and foot line are the parts of the status bar, which
        // the window also hands out under an object id of its own.
        ComRef<IAccessible> statusBar;
        ASSERT_EQ(AccessibleObjectFromWindow(w.hwnd(), accessible::kStatusBarObjectId, IID_IAccessible,
                                             reinterpret_cast<void**>(statusBar.put())),
                  S_OK);
        std::vector<Element> painted;
        for (int text = 0; text <= static_cast<int>(PaintedText::Progress); ++text)
            painted.push_back(elementOf(*object, id(static_cast<PaintedText>(text))));
        for (long part = 1; part <= 3; ++part) painted.push_back(elementOf(*statusBar, part));
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
        EXPECT_EQ(locationOf(*object, id(PaintedText::Addresses)), onScreen(w.hwnd(), {17, 102, 131, 142}));
        EXPECT_EQ(locationOf(*statusBar, 1), onScreen(w.hwnd(), {24, 589 - 40, 600 - 171, 589 - 19}));
        VARIANT hit;
        const Box card = onScreen(w.hwnd(), {17, 102, 131, 142});
        ASSERT_EQ(object->accHitTest((card[0] + card[2]) / 2, (card[1] + card[3]) / 2, &hit), S_OK);
        EXPECT_EQ(hit.vt == VT_I4 ? hit.lVal : -1, id(PaintedText::Addresses));
    }
}

// What the client process prints for a child: c<control id>, #<child id> or bar.
std::string control(int id) {
    return "c" + std::to_string(id);
}
std::string painted(long id) {
    return "#" + std::to_string(id);
}

// Does `b` read after `a` on screen: a row below it, or further right in its row?
bool readsAfter(const RECT& a, const RECT& b) {
    const bool sameRow = b.top < a.bottom && b.bottom > a.top;
    return b.top >= (a.top + a.bottom) / 2 || (sameRow && b.left >= a.right - 1);
}

TEST(WindowAccessible, WalkingEitherWayVisitsWhatTheEnumerationListsInTabOrder) {
    WindowUnderTest w;
    const auto p = [&](PaintedText text) { return painted(w.window.elements->idOf(text)); };
    std::vector<std::string> order;
    for (int id = kStartEditId; id <= kConcurrencyComboId; ++id) order.push_back(control(id));
    for (int card = 0; card < 5; ++card) order.push_back(p(static_cast<PaintedText>(card)));
    for (int id = kMatrixViewButtonId; id <= kExportButtonId; ++id) order.push_back(control(id));
    for (const std::string& child :
         {p(PaintedText::Range), control(kPreviousPageButtonId), p(PaintedText::Page),
          control(kNextPageButtonId), p(PaintedText::Detail), control(kCopyButtonId), control(kMatrixId),
          control(kDetailListId), p(PaintedText::Progress), std::string("bar")})
        order.push_back(child);
    std::string forwards, backwards;
    for (auto c = order.begin(); c != order.end(); ++c) forwards += " " + *c;
    for (auto c = order.rbegin(); c != order.rend(); ++c) backwards += " " + *c;
    EXPECT_EQ(askFromOutside(w, "walk", w.hwnd()),
              "enumerated" + forwards + "\nforwards" + forwards + "\nbackwards" + backwards + "\n");

    // Why this order: the controls as Tab reaches them (the order they were made in),
    // each painted text just before the first shown control that reads after it on
    // screen, with the option row hidden and shown.
    const accessible::ElementSource& model = *w.window.elements;
    for (const bool settingsShown : {false, true}) {
        SCOPED_TRACE(settingsShown);
        if (settingsShown) w.command(kSettingsButtonId);
        const long count = model.childCount(accessible::Container::Window);
        HWND created = GetWindow(w.hwnd(), GW_CHILD);
        for (long id = 1; id <= count; ++id) {
            const accessible::Child child = model.child(accessible::Container::Window, id);
            if (child.kind == accessible::ChildKind::Control) {
                EXPECT_EQ(child.control, created) << "child " << id;
                created = GetWindow(created, GW_HWNDNEXT);
            }
            if (child.kind != accessible::ChildKind::Simple) continue;
            const RECT text = model.box(accessible::Container::Window, id).rect;
            bool nextControlSeen = false;
            for (long other = 1; other <= count; ++other) {
                const accessible::Child candidate = model.child(accessible::Container::Window, other);
                const accessible::Box box = model.box(accessible::Container::Window, other);
                if (candidate.kind != accessible::ChildKind::Control || !box.shown) continue;
                if (other < id) {
                    EXPECT_FALSE(readsAfter(text, box.rect)) << "control " << other << " before text " << id;
                } else if (!nextControlSeen) {
                    nextControlSeen = true;
                    EXPECT_TRUE(readsAfter(text, box.rect)) << "control " << other << " after text " << id;
                }
            }
        }
    }
}

TEST(WindowAccessible, ArrowDirectionsReachTheNearestChildThatWay) {
    WindowUnderTest w;
    const auto p = [&](PaintedText text) { return painted(w.window.elements->idOf(text)); };
    const struct {
        std::string from;
        long direction;
        std::string reached;
    } cases[] = {
        {"c101", NAVDIR_DOWN, "c105"},
        {"c105", NAVDIR_UP, "c103"},
        {"c101", NAVDIR_UP, "none"},
        {p(PaintedText::Addresses), NAVDIR_RIGHT, p(PaintedText::Online)},
        {p(PaintedText::Elapsed), NAVDIR_RIGHT, "none"},
        {p(PaintedText::Addresses), NAVDIR_DOWN, "c110"},
        {p(PaintedText::Detail), NAVDIR_RIGHT, "c116"},
        {"bar", NAVDIR_UP, p(PaintedText::Progress)},
        {"c116", NAVDIR_NEXT, "c118"},
        {p(PaintedText::Addresses), NAVDIR_PREVIOUS, "c109"},
    };
    std::string query, expected;
    for (const auto& c : cases) {
        const std::string one = c.from + ":" + std::to_string(c.direction);
        query += " " + one;
        expected += one + " " + c.reached + "\n";
    }
    EXPECT_EQ(askFromOutside(w, "navigate", w.hwnd(), query), expected);
}

// Every object handed out keeps its own place in the enumeration, and so does every
// Clone, under an identity of its own: COM keeps one proxy per identity.
TEST(WindowAccessible, EveryObjectAndEveryCloneKeepsItsOwnPlace) {
    WindowUnderTest w;
    const auto object = windowObject(w.hwnd());
    const auto another = windowObject(w.hwnd());
    ASSERT_TRUE(object && another);
    ComRef<IEnumVARIANT> mine, other;
    ASSERT_EQ(object->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(mine.put())), S_OK);
    ASSERT_EQ(another->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(other.put())), S_OK);
    const auto nextControl = [](IEnumVARIANT& children) {
        VARIANT item;
        VariantInit(&item);
        ULONG fetched = 0;
        children.Next(1, &item, &fetched);
        HWND window = nullptr;
        ComRef<IAccessible> child;
        if (item.vt == VT_DISPATCH)
            item.pdispVal->QueryInterface(IID_IAccessible, reinterpret_cast<void**>(child.put()));
        if (child) WindowFromAccessibleObject(child.get(), &window);
        VariantClear(&item);
        return GetDlgCtrlID(window);
    };
    ASSERT_EQ(mine->Skip(3), S_OK);
    // Another object here, and another client, start from the start.
    EXPECT_EQ(askFromOutside(w, "first", w.hwnd()), "first c101\n");
    EXPECT_EQ(nextControl(*other), kStartEditId);
    ComRef<IEnumVARIANT> copy;
    ASSERT_EQ(mine->Clone(copy.put()), S_OK);
    ComRef<IUnknown> objectIdentity, copyIdentity;
    object->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(objectIdentity.put()));
    copy->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(copyIdentity.put()));
    EXPECT_NE(objectIdentity.get(), copyIdentity.get());
    EXPECT_EQ(nextControl(*copy), kStopButtonId);
    EXPECT_EQ(nextControl(*mine), kStopButtonId);
    EXPECT_EQ(askFromOutside(w, "clone", w.hwnd()), "copy c104 then mine c104\n");

    long count = 0;
    object->get_accChildCount(&count);
    const struct {
        ULONG skip;
        HRESULT result;
    } skips[] = {{0, S_OK}, {static_cast<ULONG>(count), S_OK}, {0, S_OK}, {1, S_FALSE}};
    mine->Reset();
    for (const auto& s : skips) EXPECT_EQ(mine->Skip(s.skip), s.result) << s.skip;
    mine->Reset();
    EXPECT_EQ(mine->Skip(static_cast<ULONG>(count) + 1), S_FALSE);

    // Ids of nothing here are refused, as are a control's (it answers for itself) and
    // directions that do not exist.
    BSTR name = nullptr;
    VARIANT end;
    for (const long id : {1L, count + 1, -5L})
        EXPECT_EQ(object->get_accName(childVariant(id), &name), E_INVALIDARG) << id;
    const long detail = w.window.elements->idOf(PaintedText::Detail);
    EXPECT_EQ(object->accNavigate(NAVDIR_MAX, childVariant(detail), &end), E_INVALIDARG);
    EXPECT_EQ(object->accNavigate(NAVDIR_NEXT, childVariant(count + 1), &end), E_INVALIDARG);
}

// A read-status-bar command hit-tests the client's bottom-left pixel and looks
// for a status bar there or above it; anywhere in the foot will do.
TEST(WindowAccessible, TheFootIsAStatusBarThatHitTestingFinds) {
    WindowUnderTest w;  // 600 x 589 client at 96 DPI
    w.setRange(L"127.0.0.9", L"127.0.0.1");
    w.command(kStartButtonId);  // the reversed range puts the error in the foot line
    const std::string statusLine = toUtf8(w.window.statusText) + " · 0 / 254";
    const struct {
        const char* point;
        std::string found;
    } cases[] = {
        {"0,588", "statusbar "},
        {"599,588", "statusbar "},
        {"30,580", "statusbar " + toUtf8(L"结束 IP 不能小于起始 IP。")},
        {"30,549", "statusbar " + statusLine},
        {"560,560", "statusbar " + toUtf8(L"绿 在线 / 灰 无响应")},
        {"0,547", "none"},
    };
    std::string points, expected;
    for (const auto& c : cases) {
        points += std::string(" ") + c.point;
        expected += std::string(c.point) + " " + c.found + "\n";
    }
    EXPECT_EQ(askFromOutside(w, "status-bar-at", w.hwnd(), points), expected);
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
    LONG object, child;
};
std::vector<Event> gEvents;
HWND gWatched = nullptr;

void CALLBACK recordEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD) {
    if (window == gWatched) gEvents.push_back({event, object, child});
}

// The status line's name changes at the start and the end; the progress value at
// most once a second, however many results arrive.
TEST(WindowAccessible, EventsTellOfChangesButNotOfEveryResult) {
    WindowUnderTest w(fakeProbe(40));
    const long progress = w.window.elements->idOf(PaintedText::Progress);
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
        statusNames += e.event == EVENT_OBJECT_NAMECHANGE && e.object == accessible::kStatusBarObjectId &&
                       e.child == kStatusLinePart;
        progressValues +=
            e.event == EVENT_OBJECT_VALUECHANGE && e.object == OBJID_CLIENT && e.child == progress;
    }
    EXPECT_EQ(statusNames, 2) << "start and end";
    EXPECT_GE(progressValues, 1);
    EXPECT_LE(progressValues, seconds + 1);

    // A client that follows the event finds the status line as a part of the status bar.
    ComRef<IAccessible> found;
    VARIANT child;
    ASSERT_EQ(AccessibleObjectFromEvent(w.hwnd(), static_cast<DWORD>(accessible::kStatusBarObjectId),
                                        kStatusLinePart, found.put(), &child),
              S_OK);
    EXPECT_EQ(elementOf(*found, CHILDID_SELF).role, ROLE_SYSTEM_STATUSBAR);
    EXPECT_EQ(elementOf(*found, child.lVal).name, L"扫描完成 · 968 / 968");
}

}  // namespace
}  // namespace calderwynfell::test
