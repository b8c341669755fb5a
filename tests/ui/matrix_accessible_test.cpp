// The address matrix through MSAA, in-process as a screen reader would see it:
// the table and its cells, navigation, selection, the default action, the
// WinEvents and what a leftover reference gets after the window is gone.

#include <windows.h>
#include <oleacc.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "accessible_client.h"
#include "core/platform.h"
#include "design_colours.h"
#include "results/selection_text.h"
#include "ui/accessibility/com_object.h"
#include "ui/matrix_geometry.h"
#include "views_support.h"

namespace calderwynfell::test {
namespace {

// -1 for VT_EMPTY, the child id for VT_I4, -2 for anything else.
long idOf(const VARIANT& v) {
    return v.vt == VT_EMPTY ? -1 : v.vt == VT_I4 ? v.lVal : -2;
}

std::wstring take(BSTR text) {
    std::wstring copy = text ? std::wstring(text, SysStringLen(text)) : L"<null>";
    SysFreeString(text);
    return copy;
}

struct WinEvent {
    DWORD event;
    LONG child;
    friend bool operator==(const WinEvent&, const WinEvent&) = default;
};
std::vector<WinEvent> gEvents;
HWND gWatched = nullptr;

void CALLBACK recordEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD) {
    if (window == gWatched && object == OBJID_CLIENT) gEvents.push_back({event, child});
}

class MatrixAccessibleTest : public ::testing::Test {
   protected:
    WindowUnderTest w;

    HWND matrixWindow() const { return w.control(kMatrixId); }
    MainWindow& window() { return w.window; }

    // count entries from 127.0.0.1 on; every fourth is online, the next one silent.
    void load(int count) {
        const std::vector<std::uint32_t> addresses = loadLoopbackRange(w, count);
        for (int i = 0; i + 1 < count; i += 4) {
            window().results[i] = fakeProbe()(addresses[i], 600);
            window().results[i + 1] = fakeProbe()(addresses[i + 1], 600);
        }
        window().rebuildView();
        w.pump();
    }

    ComRef<IAccessible> accessible() {
        ComRef<IAccessible> object;
        EXPECT_EQ(AccessibleObjectFromWindow(matrixWindow(), static_cast<DWORD>(OBJID_CLIENT),
                                             IID_IAccessible, reinterpret_cast<void**>(object.put())),
                  S_OK);
        return object;
    }

    long role(IAccessible& object, long child) {
        VARIANT v;
        EXPECT_EQ(object.get_accRole(childVariant(child), &v), S_OK);
        return idOf(v);
    }
    long state(IAccessible& object, long child) {
        VARIANT v;
        EXPECT_EQ(object.get_accState(childVariant(child), &v), S_OK);
        return idOf(v);
    }
    std::wstring name(IAccessible& object, long child) {
        BSTR text = nullptr;
        object.get_accName(childVariant(child), &text);
        return take(text);
    }
    std::wstring description(IAccessible& object, long child) {
        BSTR text = nullptr;
        object.get_accDescription(childVariant(child), &text);
        return take(text);
    }
    RECT screenCell(int cell) {
        const matrix::CellBox b =
            matrix::cellBox(0, 0, clientOf().right, clientOf().bottom, cell, MulDiv(1, window().dpi, 96));
        RECT r{b.left, b.top, b.right, b.bottom};
        MapWindowPoints(matrixWindow(), nullptr, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    RECT clientOf() {
        RECT client{};
        GetClientRect(matrixWindow(), &client);
        return client;
    }
    int listSelection() const {
        return int(SendMessageW(w.control(kDetailListId), LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED));
    }
};

TEST_F(MatrixAccessibleTest, TableHasOneCellPerEntryOfTheShownPage) {
    const struct {
        int count, page;
        bool onlineOnly;
        long children;
        const wchar_t* description;
    } cases[] = {
        {300, 0, false, 256, L"<null>"},
        {300, 1, false, 44, L"<null>"},
        {300, 0, true, 75, L"<null>"},
        {0, 0, false, 0, L"当前筛选没有结果"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.count << " entries, page " << c.page);
        setOnlineOnly(w, c.onlineOnly);
        load(c.count);
        window().page = c.page;
        window().rebuildView();
        auto object = accessible();
        ASSERT_TRUE(object);
        long children = -1;
        EXPECT_EQ(object->get_accChildCount(&children), S_OK);
        EXPECT_EQ(children, c.children);
        EXPECT_EQ(role(*object, CHILDID_SELF), ROLE_SYSTEM_TABLE);
        EXPECT_EQ(name(*object, CHILDID_SELF), L"地址矩阵");
        EXPECT_EQ(description(*object, CHILDID_SELF), c.description);
        if (children > 0) {
            EXPECT_EQ(role(*object, children), ROLE_SYSTEM_CELL);
        }
        VARIANT none;
        EXPECT_EQ(object->get_accRole(childVariant(children + 1), &none), E_INVALIDARG)
            << "one past the page";
    }
    setOnlineOnly(w, false);
}

TEST_F(MatrixAccessibleTest, CellsAreNamedDescribedAndPlacedAsPainted) {
    load(300);
    window().results[4].latencyMs = 0;
    window().rebuildView();
    auto object = accessible();
    ASSERT_TRUE(object);
    const struct {
        long child;
        const wchar_t *name, *description;
    } cases[] = {
        {1, L"127.0.0.1 在线 1 ms", L"收到 ICMP 回复"},
        {2, L"127.0.0.2 无响应", L"等待 ICMP 回复超时"},
        {3, L"127.0.0.3 未检测", L"尚未检测"},
        {5, L"127.0.0.5 在线 <1 ms", L"收到 ICMP 回复"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.child);
        EXPECT_EQ(name(*object, c.child), c.name);
        EXPECT_EQ(description(*object, c.child), c.description);
    }
    for (const int cell : {0, 17, 255}) {
        SCOPED_TRACE(cell);
        long left, top, width, height;
        ASSERT_EQ(object->accLocation(&left, &top, &width, &height, childVariant(cell + 1)), S_OK);
        const RECT expected = screenCell(cell);
        const RECT got{left, top, left + width, top + height};
        EXPECT_TRUE(EqualRect(&expected, &got)) << left << "," << top << " " << width << "x" << height;
        VARIANT hit;
        EXPECT_EQ(object->accHitTest((expected.left + expected.right) / 2,
                                     (expected.top + expected.bottom) / 2, &hit),
                  S_OK);
        EXPECT_EQ(idOf(hit), cell + 1);
    }
    RECT frame{};
    GetWindowRect(matrixWindow(), &frame);
    VARIANT outside;
    EXPECT_EQ(object->accHitTest(frame.right + 5, frame.top, &outside), S_FALSE);
    EXPECT_EQ(idOf(outside), -1);
}

TEST_F(MatrixAccessibleTest, StatesFollowSelectionAndFocus) {
    load(300);
    window().selectResult(2);
    auto object = accessible();
    ASSERT_TRUE(object);
    constexpr long kCell = STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_SELECTABLE;
    SetFocus(w.hwnd());
    EXPECT_EQ(state(*object, 2), kCell);
    EXPECT_EQ(state(*object, 3), kCell | STATE_SYSTEM_SELECTED);
    VARIANT focus, selection;
    EXPECT_EQ(object->get_accFocus(&focus), S_FALSE);
    EXPECT_EQ(object->get_accSelection(&selection), S_OK);
    EXPECT_EQ(idOf(selection), 3);
    SetFocus(matrixWindow());
    EXPECT_EQ(state(*object, 3), kCell | STATE_SYSTEM_SELECTED | STATE_SYSTEM_FOCUSED);
    EXPECT_EQ(state(*object, CHILDID_SELF), STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_FOCUSED);
    EXPECT_EQ(object->get_accFocus(&focus), S_OK);
    EXPECT_EQ(idOf(focus), 3);
    w.command(kNextPageButtonId);  // the selection is not on page 1
    EXPECT_EQ(object->get_accSelection(&selection), S_FALSE);
    EXPECT_EQ(object->get_accFocus(&focus), S_OK);
    EXPECT_EQ(idOf(focus), CHILDID_SELF);
}

TEST_F(MatrixAccessibleTest, NavigationStaysOnThePageAndInTheRow) {
    const struct {
        int count, page;
        long from, direction, expected;  // -1: nowhere
    } cases[] = {
        {300, 0, CHILDID_SELF, NAVDIR_FIRSTCHILD, 1},
        {300, 0, CHILDID_SELF, NAVDIR_LASTCHILD, 256},
        {300, 1, CHILDID_SELF, NAVDIR_LASTCHILD, 44},
        {300, 0, 1, NAVDIR_LEFT, -1},
        {300, 0, 1, NAVDIR_UP, -1},
        {300, 0, 16, NAVDIR_RIGHT, -1},
        {300, 0, 17, NAVDIR_LEFT, -1},
        {300, 0, 2, NAVDIR_LEFT, 1},
        {300, 0, 1, NAVDIR_DOWN, 17},
        {300, 0, 256, NAVDIR_DOWN, -1},
        {300, 0, 256, NAVDIR_NEXT, -1},
        {300, 1, 30, NAVDIR_DOWN, -1},
        {300, 1, 44, NAVDIR_RIGHT, -1},
        {300, 1, 20, NAVDIR_UP, 4},
        {0, 0, CHILDID_SELF, NAVDIR_FIRSTCHILD, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.count << "/" << c.page << " from " << c.from << " dir " << c.direction);
        load(c.count);
        window().page = c.page;
        window().rebuildView();
        auto object = accessible();
        ASSERT_TRUE(object);
        VARIANT end;
        const HRESULT result = object->accNavigate(c.direction, childVariant(c.from), &end);
        EXPECT_EQ(result, c.expected < 0 ? S_FALSE : S_OK);
        EXPECT_EQ(idOf(end), c.expected);
    }
}

TEST_F(MatrixAccessibleTest, SelectAndDefaultActionTakeTheClickAndCopyPaths) {
    load(300);
    auto object = accessible();
    ASSERT_TRUE(object);
    gWatched = matrixWindow();
    gEvents.clear();
    const HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_REORDER, EVENT_OBJECT_SELECTION, nullptr,
                                               recordEvent, GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    ASSERT_TRUE(hook);
    SetFocus(w.hwnd());
    w.pump();

    ASSERT_EQ(object->accSelect(SELFLAG_TAKEFOCUS | SELFLAG_TAKESELECTION, childVariant(6)), S_OK);
    w.pump();
    EXPECT_EQ(GetFocus(), matrixWindow());
    EXPECT_EQ(window().selectedIndex, 5);
    EXPECT_EQ(window().detail, describeSelection(window().results[5]));
    EXPECT_EQ(listSelection(), 5);
    EXPECT_TRUE(isEnabled(w.control(kCopyButtonId)));

    const RECT cell = screenCell(9);
    POINT centre{(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
    ScreenToClient(matrixWindow(), &centre);
    SendMessageW(matrixWindow(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(centre.x, centre.y));
    w.postKey(VK_RIGHT, matrixWindow());
    SetFocus(w.hwnd());
    SetFocus(matrixWindow());  // coming back, a reader hears the selected cell
    w.command(kNextPageButtonId);
    w.pump();
    UnhookWinEvent(hook);
    const std::vector<WinEvent> selectionsAndFocus = [] {
        std::vector<WinEvent> kept;
        for (const WinEvent& e : gEvents)
            if (e.child != CHILDID_SELF) kept.push_back(e);  // the system's own focus event for the window
        return kept;
    }();
    const std::vector<WinEvent> expected = {
        {EVENT_OBJECT_SELECTION, 6}, {EVENT_OBJECT_FOCUS, 6},      {EVENT_OBJECT_SELECTION, 10},
        {EVENT_OBJECT_FOCUS, 10},    {EVENT_OBJECT_SELECTION, 11}, {EVENT_OBJECT_FOCUS, 11},
        {EVENT_OBJECT_FOCUS, 11},
    };
    EXPECT_EQ(selectionsAndFocus, expected);
    EXPECT_EQ(gEvents.back(), (WinEvent{EVENT_OBJECT_REORDER, CHILDID_SELF})) << "the page turned";

    w.command(kPreviousPageButtonId);
    setClipboardText(L"sentinel");
    BSTR action = nullptr;
    EXPECT_EQ(object->get_accDefaultAction(childVariant(8), &action), S_OK);
    EXPECT_EQ(take(action), L"复制");
    EXPECT_EQ(object->accDoDefaultAction(childVariant(8)), S_OK);
    EXPECT_EQ(clipboardText(), L"127.0.0.8");
    EXPECT_EQ(window().detail, L"已复制 127.0.0.8");
}

// With the list shown the matrix is hidden: a selection there selects the address,
// and the keyboard focus stays in the list.
TEST_F(MatrixAccessibleTest, SelectingInTheHiddenMatrixLeavesTheFocusWhereItIs) {
    load(300);
    auto object = accessible();
    ASSERT_TRUE(object);
    w.command(kListViewButtonId);
    SetFocus(w.control(kDetailListId));
    EXPECT_EQ(object->accSelect(SELFLAG_TAKEFOCUS | SELFLAG_TAKESELECTION, childVariant(4)), S_OK);
    EXPECT_EQ(window().selectedIndex, 3);
    EXPECT_EQ(GetFocus(), w.control(kDetailListId));
    EXPECT_EQ(object->accSelect(SELFLAG_TAKEFOCUS, childVariant(4)), S_FALSE);
    EXPECT_EQ(GetFocus(), w.control(kDetailListId));
}

TEST_F(MatrixAccessibleTest, ProgressTickRaisesOneReorderOnlyForResultsOnTheShownPage) {
    load(600);
    KillTimer(w.hwnd(), kProgressTimerId);
    window().scanning = true;
    gWatched = matrixWindow();
    const HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_REORDER, EVENT_OBJECT_REORDER, nullptr,
                                               recordEvent, GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    ASSERT_TRUE(hook);
    const struct {
        int first, count;
        std::size_t reorders;
    } cases[] = {{0, 64, 1}, {250, 10, 1}, {256, 64, 0}, {500, 3, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first);
        {
            std::lock_guard lock(window().queueMutex);
            for (int i = c.first; i < c.first + c.count; ++i)
                window().pendingResults.push_back(
                    fakeProbe()(0x7F000001u + static_cast<std::uint32_t>(i), 600));
        }
        w.pump();
        gEvents.clear();
        window().progressTick();
        w.pump();
        EXPECT_EQ(gEvents.size(), c.reorders);
    }
    UnhookWinEvent(hook);
    window().scanning = false;
}

TEST(MatrixAccessibleLifetime, LeftoverReferenceGetsDisconnectedErrors) {
    ComRef<IAccessible> object;
    {
        WindowUnderTest w;
        ASSERT_EQ(AccessibleObjectFromWindow(w.control(kMatrixId), static_cast<DWORD>(OBJID_CLIENT),
                                             IID_IAccessible, reinterpret_cast<void**>(object.put())),
                  S_OK);
        long count = 0;
        ASSERT_EQ(object->get_accChildCount(&count), S_OK);
        ASSERT_GT(count, 0);
        ASSERT_TRUE(w.close());
    }
    VARIANT v;
    BSTR text = nullptr;
    long a, b, c, d;
    IDispatch* parent = nullptr;
    const HRESULT results[] = {
        object->get_accChildCount(&a),
        object->get_accName(childVariant(1), &text),
        object->get_accRole(childVariant(CHILDID_SELF), &v),
        object->get_accState(childVariant(1), &v),
        object->get_accFocus(&v),
        object->get_accSelection(&v),
        object->get_accParent(&parent),
        object->accLocation(&a, &b, &c, &d, childVariant(1)),
        object->accHitTest(10, 10, &v),
        object->accNavigate(NAVDIR_FIRSTCHILD, childVariant(CHILDID_SELF), &v),
        object->accSelect(SELFLAG_TAKESELECTION, childVariant(1)),
        object->accDoDefaultAction(childVariant(1)),
    };
    for (std::size_t i = 0; i < std::size(results); ++i)
        EXPECT_TRUE(results[i] == RPC_E_DISCONNECTED || results[i] == CO_E_OBJNOTCONNECTED)
            << i << ": 0x" << std::hex << results[i];
}

TEST_F(MatrixAccessibleTest, AnotherProcessReadsTheCellsAndSelectsOne) {
    load(300);
    window().selectResult(1);
    const RECT cell = screenCell(1);
    const std::string output = askFromOutside(w, "read-matrix", matrixWindow());
    const std::string expected =
        "children 256\nrole " + std::to_string(ROLE_SYSTEM_TABLE) + "\nstate " +
        // load() put the focus in the matrix, so its selected cell is the focused one.
        std::to_string(STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_SELECTED |
                       STATE_SYSTEM_FOCUSED) +
        "\nname " + toUtf8(L"127.0.0.2 无响应") + "\nlocation " + std::to_string(cell.left) + " " +
        std::to_string(cell.top) + " " + std::to_string(cell.right - cell.left) + " " +
        std::to_string(cell.bottom - cell.top) + "\nselect 0x00000000\n";
    EXPECT_EQ(output, expected);
    EXPECT_EQ(window().selectedIndex, 2) << "accSelect from outside took effect";
    EXPECT_EQ(listSelection(), 2);
}

}  // namespace
}  // namespace calderwynfell::test
