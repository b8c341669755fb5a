// The detail list driven in-process: texts produced on request, header clicks
// sorting during and after a scan, selection to and from the model.

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <string>
#include <vector>

#include "core/icmp_status.h"
#include "results/selection_text.h"
#include "results/text_forms.h"
#include "views_support.h"

namespace calderwynfell::test {
namespace {

// Statuses, latencies, attempt counts and notes that differ enough for every sort
// key to matter, including notes starting with Latin and with Chinese characters.
ProbeFunction variedProbe() {
    return [](std::uint32_t address, std::uint32_t) {
        Result r;
        r.address = address;
        r.checkedAt = SYSTEMTIME{2026, 3, 4, 5, 8, 4, 9, 0};
        const std::uint32_t octet = address & 0xFF;
        switch (octet % 6) {
            case 1: r.status = ProbeStatus::Online, r.latencyMs = octet % 5, r.note = kNoteOnline; break;
            case 3: r.status = ProbeStatus::Online, r.latencyMs = octet * 7 % 13, r.note = kNoteOnline; break;
            case 2: r.status = ProbeStatus::NoResponse, r.note = kNoteTimedOut; break;
            case 4: r.status = ProbeStatus::NoResponse, r.note = L"TTL 已耗尽"; break;
            case 5: r.status = ProbeStatus::Error, r.note = L"ICMP 状态 " + std::to_wstring(octet); break;
            default: r.status = ProbeStatus::Error, r.note = L"本机网络发送失败"; break;
        }
        return r;
    };
}

int threeWay(auto a, auto b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

// The list order written out independently: key of the column, then address.
int expectedOrder(const Result& a, const Result& b, int column) {
    const int byStatus = threeWay(int(a.status), int(b.status));
    const int d = column == 1   ? byStatus
                  : column == 2 ? (byStatus != 0 ? byStatus : threeWay(a.latencyMs, b.latencyMs))
                  : column == 3 ? threeWay(a.attempts, b.attempts)
                  : column == 4 ? threeWay(a.note, b.note)
                                : 0;
    return d != 0 ? d : threeWay(a.address, b.address);
}

class ListTest : public ::testing::Test {
   protected:
    explicit ListTest(ProbeFunction probe = fakeProbe()) : w(std::move(probe)) {}
    WindowUnderTest w;

    MainWindow& window() { return w.window; }
    HWND list() const { return w.control(kDetailListId); }
    int rowCount() const { return int(SendMessageW(list(), LVM_GETITEMCOUNT, 0, 0)); }
    int nextRow(UINT flags) const { return int(SendMessageW(list(), LVM_GETNEXTITEM, WPARAM(-1), flags)); }

    std::wstring cell(int row, int column, int capacity = 256) const {
        std::vector<wchar_t> buffer(static_cast<std::size_t>(capacity), L'\0');
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = buffer.data();
        item.cchTextMax = capacity;
        SendMessageW(list(), LVM_GETITEMTEXTW, WPARAM(row), reinterpret_cast<LPARAM>(&item));
        return buffer.data();
    }

    std::vector<std::wstring> addressColumn() const {
        std::vector<std::wstring> column;
        for (int row = 0; row < rowCount(); ++row) column.push_back(cell(row, 0));
        return column;
    }

    std::vector<std::wstring> expectedAddresses(int column, bool ascending) {
        const auto& table = window().results;
        std::vector<int> order(table.size());
        std::iota(order.begin(), order.end(), 0);
        std::sort(order.begin(), order.end(),
                  [&](int a, int b) { return expectedOrder(table[a], table[b], column) < 0; });
        if (!ascending) std::reverse(order.begin(), order.end());
        std::vector<std::wstring> texts;
        for (const int index : order) texts.push_back(addressText(table[index].address));
        return texts;
    }

    void clickHeader(int column) {
        HWND header = reinterpret_cast<HWND>(SendMessageW(list(), LVM_GETHEADER, 0, 0));
        RECT r{};
        SendMessageW(header, HDM_GETITEMRECT, WPARAM(column), reinterpret_cast<LPARAM>(&r));
        const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageW(header, WM_LBUTTONUP, 0, at);
        w.pump();
    }

    // A click on a row, or below the rows for -1. The button-up is queued first
    // so that any drag detection inside the list sees the button released.
    void click(int row, bool twice = false) {
        RECT r{LVIR_LABEL, 0, 0, 0};
        if (row >= 0)
            SendMessageW(list(), LVM_GETITEMRECT, WPARAM(row), reinterpret_cast<LPARAM>(&r));
        else
            GetClientRect(list(), &r), r = {20, r.bottom - 8, 20, r.bottom - 8};
        const LPARAM at = MAKELPARAM(r.left + 10, (r.top + r.bottom) / 2);
        for (const UINT down : {UINT(WM_LBUTTONDOWN), UINT(twice ? WM_LBUTTONDBLCLK : 0)}) {
            if (!down) break;
            PostMessageW(list(), WM_LBUTTONUP, 0, at);
            SendMessageW(list(), down, MK_LBUTTON, at);
            w.pump();
        }
    }

    int rowOf(int index) const {
        const auto& v = w.window.view;
        const auto found = std::find(v.begin(), v.end(), index);
        return found == v.end() ? -1 : int(found - v.begin());
    }
};

TEST_F(ListTest, RowTextsComeFromTheTableOnRequest) {
    w.setRange(L"127.0.0.1", L"127.0.0.8");
    w.command(kListViewButtonId);
    ASSERT_TRUE(IsWindowVisible(list()));
    const struct {
        bool scanned;
        int row;
        const wchar_t* texts[5];
    } cases[] = {
        {false, 0, {L"127.0.0.1", L"未检测", L"\u2014", L"0", L"尚未检测"}},
        {true, 0, {L"127.0.0.1", L"在线", L"1 ms", L"1", L"收到 ICMP 回复"}},
        {true, 1, {L"127.0.0.2", L"无响应", L"\u2014", L"2", L"等待 ICMP 回复超时"}},
        {true, 6, {L"127.0.0.7", L"在线", L"<1 ms", L"1", L"收到 ICMP 回复"}},
    };
    for (const auto& c : cases) {
        if (c.scanned && rowCount() != 8) {
            ASSERT_TRUE(w.scanToEnd());
        }
        for (int column = 0; column < 5; ++column)
            EXPECT_EQ(cell(c.row, column), c.texts[column]) << "row " << c.row << " column " << column;
    }
}

TEST_F(ListTest, TextRequestsAreAnsweredOnlyWhenValidAndNeverOverrun) {
    w.setRange(L"127.0.0.1", L"127.0.0.8");
    w.command(kStartEditId, EN_KILLFOCUS);  // leaving the edit previews the range
    ASSERT_EQ(window().results.size(), 8u);
    window().results[0].note = std::wstring(300, L'长') + L"END";
    window().rebuildView();
    const std::wstring untouched = L"#";
    const struct {
        const char* what;
        UINT_PTR from;
        int item, subItem;
        UINT mask;
        int capacity;
        std::wstring expected;  // the buffer after the request
    } cases[] = {
        {"column past the last", kDetailListId, 1, 5, LVIF_TEXT, 64, L"尚未检测"},
        {"cut to the buffer", kDetailListId, 2, 0, LVIF_TEXT, 4, L"127"},
        {"one unit holds only the zero", kDetailListId, 2, 0, LVIF_TEXT, 1, L""},
        {"long note cut", kDetailListId, 0, 4, LVIF_TEXT, 20, std::wstring(19, L'长')},
        {"row past the end", kDetailListId, 8, 0, LVIF_TEXT, 64, untouched},
        {"negative row", kDetailListId, -1, 0, LVIF_TEXT, 64, untouched},
        {"no text asked", kDetailListId, 0, 0, LVIF_IMAGE, 64, untouched},
        {"another sender", 999, 0, 0, LVIF_TEXT, 64, untouched},
    };
    for (const auto& c : cases) {
        std::vector<wchar_t> buffer(80, L'#');
        buffer[1] = L'\0';
        NMLVDISPINFOW info{{list(), c.from, UINT(LVN_GETDISPINFOW)}, {}};
        info.item.mask = c.mask;
        info.item.iItem = c.item;
        info.item.iSubItem = c.subItem;
        info.item.pszText = buffer.data();
        info.item.cchTextMax = c.capacity;
        EXPECT_EQ(SendMessageW(w.hwnd(), WM_NOTIFY, c.from, reinterpret_cast<LPARAM>(&info)), 0) << c.what;
        EXPECT_EQ(std::wstring(buffer.data()), c.expected) << c.what;
        for (std::size_t i = std::max(c.capacity, 2); i < buffer.size(); ++i)
            ASSERT_EQ(buffer[i], L'#') << c.what << ": written past the buffer at " << i;
    }
    // Through the list itself, and painted with the list's own buffer.
    w.command(kListViewButtonId);
    EXPECT_EQ(cell(0, 4, 20), std::wstring(19, L'长'));
    EXPECT_EQ(cell(0, 4, 400), std::wstring(300, L'长') + L"END");
}

// A base before ListTest: the gate outlives the window it holds probes for.
struct FirstTwentyAnswered {
    ProbeGate gate{20};
};

class ScanListTest : protected FirstTwentyAnswered, public ListTest {
   protected:
    ScanListTest() : ListTest(gate.hold(variedProbe())) {}
};

TEST_F(ScanListTest, HeaderClicksSortEveryColumnBothWaysDuringAndAfterAScan) {
    w.setRange(L"127.0.0.1", L"127.0.0.60");
    SendMessageW(w.control(kConcurrencyComboId), CB_SETCURSEL, 0, 0);  // 16 at a time: several batches
    w.command(kListViewButtonId);
    w.command(kStartButtonId);
    ASSERT_TRUE(window().scanning);
    clickHeader(4);
    clickHeader(4);  // notes, descending
    const auto tested = [&] {
        return std::count_if(window().results.begin(), window().results.end(),
                             [](const Result& e) { return e.status != ProbeStatus::NotChecked; });
    };
    // Mid-way: the first 20 answered, the rest held at the gate.
    ASSERT_TRUE(w.pumpUntil([&] { return tested() == 20; }, 20000)) << tested() << " tested";
    ASSERT_TRUE(window().scanning);
    ASSERT_EQ(addressColumn(), expectedAddresses(4, false)) << "mid-way";
    gate.open();
    while (window().scanning) {
        w.pumpFor(40);
        ASSERT_EQ(addressColumn(), expectedAddresses(4, false)) << tested() << " tested";
    }
    ASSERT_EQ(rowCount(), 60);
    for (const int column : {1, 2, 3, 4, 0})
        for (const bool ascending : {true, false}) {
            clickHeader(column);
            EXPECT_EQ(window().sortColumn, column);
            EXPECT_EQ(window().sortAscending, ascending);
            EXPECT_EQ(addressColumn(), expectedAddresses(column, ascending)) << column << " " << ascending;
        }
    // Notes beginning with a Latin letter come before the Chinese ones.
    clickHeader(4);
    EXPECT_EQ(cell(0, 4).substr(0, 4), L"ICMP");
    EXPECT_EQ(cell(59, 4), L"等待 ICMP 回复超时");

    // With no row to show, header clicks still set the order.
    setOnlineOnly(w, true);
    w.setRange(L"127.0.0.2", L"127.0.0.2");  // one silent address
    ASSERT_TRUE(w.scanToEnd());
    ASSERT_EQ(rowCount(), 0);
    clickHeader(3);
    EXPECT_EQ(window().sortColumn, 3);
    EXPECT_TRUE(window().sortAscending);
    clickHeader(3);
    EXPECT_FALSE(window().sortAscending);
}

// Rows reorder under a status sort while results arrive; the selected row keeps the
// list's focus, so the arrow keys go on from it, and the list does not scroll.
TEST_F(ScanListTest, TheSelectedRowKeepsTheFocusWhileResultsArrive) {
    w.setRange(L"127.0.0.1", L"127.0.0.60");
    w.command(kListViewButtonId);
    clickHeader(1);
    w.command(kStartButtonId);
    ASSERT_TRUE(w.pumpUntil([&] { return window().results[19].status != ProbeStatus::NotChecked; }, 20000));
    const int chosen = 25;  // 127.0.0.26, held at the gate: its row moves as the others arrive
    click(rowOf(chosen));
    ASSERT_EQ(window().selectedIndex, chosen);
    const int topBefore = int(SendMessageW(list(), LVM_GETTOPINDEX, 0, 0));
    gate.open();
    ASSERT_TRUE(w.pumpUntil([&] { return !window().scanning; }, 20000));
    EXPECT_EQ(nextRow(LVNI_SELECTED), rowOf(chosen));
    EXPECT_EQ(nextRow(LVNI_FOCUSED), rowOf(chosen));
    EXPECT_EQ(int(SendMessageW(list(), LVM_GETTOPINDEX, 0, 0)), topBefore);
    const int below = rowOf(chosen) + 1;
    SetFocus(list());
    w.postKey(VK_DOWN, list());
    EXPECT_EQ(window().selectedIndex, window().view[below]);
}

// Typing an address in the list selects its row, searching on from the focused
// row and wrapping round; text that matches nothing keeps the place.
TEST_F(ListTest, TypingAnAddressSelectsItsRow) {
    w.setRange(L"127.0.0.1", L"127.0.0.40");
    w.command(kListViewButtonId);
    click(5);
    const struct {
        const wchar_t* typed;
        int row;
    } cases[] = {
        {L"127.0.0.5", 4},    // after row 5 nothing begins so; found by wrapping round
        {L"127.0.0.33", 32},  // forwards
        {L"9", 32},           // nothing matches
        {L"1", 33},           // one letter: the next row that begins with it
    };
    for (const auto& c : cases) {
        for (const wchar_t* ch = c.typed; *ch; ++ch) SendMessageW(list(), WM_CHAR, *ch, 1);
        w.pump();
        EXPECT_EQ(nextRow(LVNI_SELECTED), c.row) << c.typed;
        EXPECT_EQ(window().selectedIndex, window().view[c.row]) << c.typed;
        w.pumpFor(600);  // past the list's pause that starts a new search
    }
}

// LVM_FINDITEM asks the owner with its flags: prefix or whole, wrapping or not.
TEST_F(ListTest, FindItemAnswersWhatWasAsked) {
    loadLoopbackRange(w, 20);
    w.command(kListViewButtonId);
    constexpr UINT kSubstring = 0x0004;  // LVFI_SUBSTRING
    const struct {
        UINT flags;
        int from;
        const wchar_t* text;
        int row;
    } cases[] = {
        {kSubstring | LVFI_WRAP, 1, L"127.0.0.1", 9},
        {LVFI_PARTIAL, 6, L"127.0.0.5", -1},
        {LVFI_PARTIAL | LVFI_WRAP, 6, L"127.0.0.5", 4},
        {kSubstring, -1, L"127.0.0.2", 1},
        {LVFI_STRING, -1, L"127.0.0.1", 0},
        {LVFI_STRING, -1, L"127.0.0", -1},
        {LVFI_STRING | LVFI_WRAP, 12, L"127.0.0.2", 1},
        {LVFI_STRING, 12, L"127.0.0.2", -1},
        {LVFI_WRAP, 12, L"127.0.0.2", 1},
        {LVFI_PARAM | LVFI_STRING, -1, L"127.0.0.1", -1},
    };
    for (const auto& c : cases) {
        LVFINDINFOW find{};
        find.flags = c.flags;
        find.psz = c.text;
        EXPECT_EQ(
            SendMessageW(list(), LVM_FINDITEMW, static_cast<WPARAM>(c.from), reinterpret_cast<LPARAM>(&find)),
            c.row)
            << toUtf8(c.text) << " flags " << c.flags << " from " << c.from;
    }
}

// The header shows the order with its own arrow; Ctrl+1 to Ctrl+5 sort as header
// clicks do, and the new order is spoken.
TEST(ListSortOrder, HeaderArrowsAndControlDigitsSpeakTheOrder) {
    std::vector<std::wstring> spoken;
    WindowUnderTest w(fakeProbe(), fakeNetworks(), 600, 589, [&](MainWindow& window) {
        window.announcer = [&](HWND, const std::wstring& text) { spoken.push_back(text); };
    });
    const HWND list = w.control(kDetailListId);
    const HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    const auto arrows = [&] {
        std::vector<int> formats;
        for (int column = 0; column < 5; ++column) {
            HDITEMW item{};
            item.mask = HDI_FORMAT;
            SendMessageW(header, HDM_GETITEMW, WPARAM(column), reinterpret_cast<LPARAM>(&item));
            formats.push_back(item.fmt & (HDF_SORTUP | HDF_SORTDOWN));
        }
        return formats;
    };
    EXPECT_EQ(arrows(), (std::vector<int>{HDF_SORTUP, 0, 0, 0, 0})) << "the initial order";
    w.command(kListViewButtonId);
    SetFocus(list);
    const struct {
        UINT key;
        std::vector<int> formats;
        const wchar_t* spoken;
    } cases[] = {
        {'2', {0, HDF_SORTUP, 0, 0, 0}, L"状态 升序"},
        {'2', {0, HDF_SORTDOWN, 0, 0, 0}, L"状态 降序"},
        {VK_NUMPAD5, {0, 0, 0, 0, HDF_SORTUP}, L"说明 升序"},
        {'1', {HDF_SORTUP, 0, 0, 0, 0}, L"IP 地址 升序"},
    };
    BYTE keys[256] = {};
    for (const auto& c : cases) {
        GetKeyboardState(keys);
        keys[VK_CONTROL] = 0x80;
        SetKeyboardState(keys);
        w.postKey(c.key, list);
        keys[VK_CONTROL] = 0;
        SetKeyboardState(keys);
        EXPECT_EQ(arrows(), c.formats) << toUtf8(c.spoken);
        ASSERT_FALSE(spoken.empty());
        EXPECT_EQ(spoken.back(), c.spoken);
    }
    w.postKey('3', list);  // without Ctrl: no sort
    EXPECT_EQ(w.window.sortColumn, 0);
}

TEST_F(ListTest, SelectionGoesBothWaysAndDoubleClicksCopy) {
    w.setRange(L"127.0.0.1", L"127.0.0.8");
    ASSERT_TRUE(w.scanToEnd());
    w.command(kListViewButtonId);
    clickHeader(1);  // by status: online rows first
    setClipboardText(L"sentinel");
    click(-1, true);
    EXPECT_EQ(clipboardText(), L"sentinel") << "nothing selected, nothing copied";
    EXPECT_EQ(window().message, L"");

    click(5);
    const int chosen = window().view[5];
    EXPECT_EQ(window().selectedIndex, chosen);
    EXPECT_EQ(window().detail, describeSelection(window().results[static_cast<std::size_t>(chosen)]));
    EXPECT_TRUE(isEnabled(w.control(kCopyButtonId)));
    click(2, true);
    EXPECT_EQ(window().selectedIndex, window().view[2]);
    EXPECT_EQ(clipboardText(), addressText(window().results[window().view[2]].address));
    EXPECT_EQ(window().detail, L"已复制 " + *clipboardText());

    // A matrix click shows up in the list on the way back, without the focus.
    w.command(kMatrixViewButtonId);
    RECT matrixClient{};
    GetClientRect(w.control(kMatrixId), &matrixClient);
    const int secondCellX = matrixClient.right * 3 / 32;  // cell 1: 127.0.0.2, no response
    SendMessageW(w.control(kMatrixId), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(secondCellX, 3));
    w.pump();
    EXPECT_EQ(window().selectedIndex, 1);
    w.command(kListViewButtonId);
    EXPECT_EQ(nextRow(LVNI_SELECTED), rowOf(1));
    EXPECT_EQ(rowOf(1), 4) << "sorted by status: the four online rows come first";
    EXPECT_EQ(nextRow(LVNI_FOCUSED), rowOf(1)) << "the arrow keys go on from the selection";

    // An empty area clears the highlight, not the selection; copy still works.
    click(-1);
    EXPECT_EQ(nextRow(LVNI_SELECTED), -1);
    EXPECT_EQ(window().selectedIndex, 1);
    click(-1, true);
    EXPECT_EQ(clipboardText(), L"127.0.0.2") << "double click on an empty area copies the selection";

    // Hidden by the filter: no row, but the detail line keeps it.
    setOnlineOnly(w, true);
    EXPECT_EQ(nextRow(LVNI_SELECTED), -1);
    EXPECT_EQ(window().selectedIndex, 1);
    EXPECT_EQ(window().detail, describeSelection(window().results[1]));
    setOnlineOnly(w, false);
    EXPECT_EQ(nextRow(LVNI_SELECTED), rowOf(1));
}

}  // namespace
}  // namespace calderwynfell::test
