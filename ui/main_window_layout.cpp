// Controls, fonts and the DPI-scaled layout of the main window.

#include "ui/main_window.h"

#include <commctrl.h>
#include <imm.h>

#include <algorithm>
#include <array>

#include "ui/app.h"
#include "ui/dpi.h"

namespace calderwynfell {

namespace {

constexpr DWORD kEditStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kOwnerDrawnStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW;
constexpr DWORD kDropDownStyle = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST;
constexpr DWORD kCheckBoxStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX;
constexpr DWORD kMatrixStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
constexpr DWORD kListStyle =
    WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_OWNERDATA;
static_assert(kEditStyle == 0x50810080 && kOwnerDrawnStyle == 0x5001000B && kDropDownStyle == 0x50210003);
static_assert(kCheckBoxStyle == 0x50010003 && kMatrixStyle == 0x50010000 && kListStyle == 0x5001100D);
constexpr DWORD kListExtendedStyles = LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER;

struct ControlDefinition {
    int id;
    const wchar_t* className;
    DWORD style;
    const wchar_t* text;
    DWORD exStyle = 0;
};

// In creation order; the option combo boxes get their items from kOptionCombos.
constexpr ControlDefinition kControls[] = {
    {kStartEditId, L"EDIT", kEditStyle, L""},
    {kEndEditId, L"EDIT", kEditStyle, L""},
    {kStartButtonId, L"BUTTON", kOwnerDrawnStyle, L"开始扫描"},
    {kStopButtonId, L"BUTTON", kOwnerDrawnStyle, L"停止"},
    {kNetworkComboId, L"ComboBox", kDropDownStyle, L""},
    {kSettingsButtonId, L"BUTTON", kOwnerDrawnStyle, L"扫描设置"},
    {kTimeoutComboId, L"ComboBox", kDropDownStyle, L""},
    {kAttemptsComboId, L"ComboBox", kDropDownStyle, L""},
    {kConcurrencyComboId, L"ComboBox", kDropDownStyle, L""},
    {kMatrixViewButtonId, L"BUTTON", kOwnerDrawnStyle, L"地址矩阵"},
    {kListViewButtonId, L"BUTTON", kOwnerDrawnStyle, L"详细列表"},
    {kOnlineOnlyCheckId, L"BUTTON", kCheckBoxStyle, L"只看在线"},
    {kExportButtonId, L"BUTTON", kOwnerDrawnStyle, L"导出 CSV"},
    {kPreviousPageButtonId, L"BUTTON", kOwnerDrawnStyle, L"上一页"},
    {kNextPageButtonId, L"BUTTON", kOwnerDrawnStyle, L"下一页"},
    {kCopyButtonId, L"BUTTON", kOwnerDrawnStyle, L"复制 IP"},
    {kMatrixId, kMatrixWindowClass, kMatrixStyle, L"地址矩阵"},
    {kDetailListId, WC_LISTVIEWW, kListStyle, L"详细列表", WS_EX_CLIENTEDGE},
};

struct OptionCombo {
    int id;
    std::array<const wchar_t*, 4> items;
    int selected;
};

constexpr OptionCombo kOptionCombos[] = {
    {kTimeoutComboId, {L"300 ms", L"600 ms", L"1000 ms", L"2000 ms"}, 1},
    {kAttemptsComboId, {L"1 次", L"2 次", L"3 次"}, 1},
    {kConcurrencyComboId, {L"16", L"32", L"64"}, 1},
};

struct ListColumnDefinition {
    const wchar_t* title;
    int insertedWidth;
    int layoutWidth;  // the note column's is computed from the client width
};

constexpr ListColumnDefinition kListColumns[] = {
    {L"IP 地址", 155, 112}, {L"状态", 90, 64}, {L"延迟", 80, 58}, {L"次数", 60, 43}, {L"说明", 370, 0},
};
constexpr int kNoteColumn = 4;

struct FontDefinition {
    UniqueFont MainWindow::*field;
    const wchar_t* face;
    int size;
    int weight = FW_NORMAL;
};

constexpr FontDefinition kFonts[] = {
    {&MainWindow::uiFont, L"Microsoft YaHei UI", 12},
    {&MainWindow::monoFont, L"Consolas", 14},
    {&MainWindow::numberFont, L"Consolas", 20},
    {&MainWindow::smallFont, L"Microsoft YaHei UI", 11},
    {&MainWindow::smallBoldFont, L"Microsoft YaHei UI", 11, FW_BOLD},  // high-contrast cells
};
constexpr std::size_t kUiFont = 0;
constexpr std::size_t kMonoFont = 1;
static_assert(kFonts[kUiFont].field == &MainWindow::uiFont &&
              kFonts[kMonoFont].field == &MainWindow::monoFont);

struct Placement {
    int id, x, y, width, height;
};

// 96-DPI rectangles for client width W, height H and results toolbar top T, in
// the order they are placed. Combo box heights are those of the dropped-down list.
constexpr std::array<Placement, 17> controlPlacements(int W, int H, int T) {
    const int half = (W - 211) / 2;
    const int editWidth = half > 1 ? half : 1;
    return {{
        {kStartEditId, 22, 34, editWidth, 27},
        {kEndEditId, half + 40, 34, editWidth, 27},
        {kStartButtonId, W - 161, 33, 89, 29},
        {kStopButtonId, W - 66, 33, 44, 29},
        {kNetworkComboId, 72, 74, W - 174, 230},
        {kSettingsButtonId, W - 94, 74, 78, 25},
        {kTimeoutComboId, 52, 109, 86, 180},
        {kAttemptsComboId, 217, 109, 66, 160},
        {kConcurrencyComboId, 337, 109, 64, 160},
        {kMatrixViewButtonId, 23, T + 8, 76, 27},
        {kListViewButtonId, 104, T + 8, 76, 27},
        {kOnlineOnlyCheckId, W - 207, T + 9, 94, 25},
        {kExportButtonId, W - 104, T + 8, 81, 27},
        {kPreviousPageButtonId, W - 171, T + 40, 51, 22},
        {kNextPageButtonId, W - 74, T + 40, 51, 22},
        {kMatrixId, 22, T + 66, W - 44, H - T - 142},
        {kDetailListId, 22, T + 66, W - 44, H - T - 142},
    }};
}
constexpr std::size_t kInputRowCount = 9;  // 101 to 109, placed before the toolbar top is known

constexpr int kCollapsedContentTop = 143;
constexpr int kExpandedContentTop = 179;

}  // namespace

HWND MainWindow::createControl(int id, const wchar_t* className, DWORD style, const wchar_t* text,
                               DWORD exStyle) {
    const HWND created =
        CreateWindowExW(exStyle, className, text, style, 0, 0, 10, 10, hwnd,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    controls[static_cast<std::size_t>(id)] = created;
    return created;
}

void MainWindow::createOptionCombo(int id, const std::vector<std::wstring>& items, int selected) {
    const HWND combo = createControl(id, L"ComboBox", kDropDownStyle, L"");
    for (const auto& item : items)
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

void MainWindow::createControls() {
    dpi = windowDpi(hwnd);
    applyPalette();

    for (const auto& definition : kControls) {
        const auto option = std::find_if(std::begin(kOptionCombos), std::end(kOptionCombos),
                                         [&](const OptionCombo& combo) { return combo.id == definition.id; });
        if (option != std::end(kOptionCombos)) {
            std::vector<std::wstring> items;
            for (const wchar_t* item : option->items)
                if (item) items.emplace_back(item);
            createOptionCombo(option->id, items, option->selected);
            continue;
        }
        const HWND created = createControl(definition.id, definition.className, definition.style,
                                           definition.text, definition.exStyle);
        if (definition.id == kStartEditId || definition.id == kEndEditId) {
            SendMessageW(created, EM_LIMITTEXT, 32, 0);
            // Addresses are typed in ASCII; a Chinese input method would turn "." into "。".
            ImmAssociateContextEx(created, nullptr, 0);
        }
        if (definition.id == kMatrixId)
            SetWindowLongPtrW(created, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }

    const HWND list = control(kDetailListId);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, kListExtendedStyles);
    for (int column = 0; column < static_cast<int>(std::size(kListColumns)); ++column) {
        LVCOLUMNW item{};
        item.mask = LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        item.fmt = LVCFMT_LEFT;
        item.cx = scale(kListColumns[column].insertedWidth);
        item.pszText = const_cast<wchar_t*>(kListColumns[column].title);
        item.iSubItem = column;
        SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
    }
    showSortOrder();

    createFonts();

    networks = networkDiscovery ? networkDiscovery() : std::vector<LocalNetwork>{};
    for (const auto& network : networks) {
        const std::wstring item = network.label + L" \u00B7 " + network.localAddressText;
        SendMessageW(control(kNetworkComboId), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    }
    if (networks.empty()) {
        SetWindowTextW(control(kStartEditId), L"192.168.1.1");
        SetWindowTextW(control(kEndEditId), L"192.168.1.254");
        previewRange();
        statusText = L"未发现可用网卡，请手动输入范围";
    } else {
        SendMessageW(control(kNetworkComboId), CB_SETCURSEL, 0, 0);
        applyNetworkSelection();
    }

    for (int id : {kStopButtonId, kCopyButtonId, kExportButtonId}) EnableWindow(control(id), FALSE);
    SetTimer(hwnd, kProgressTimerId, kProgressTimerMs, nullptr);
    layoutControls();
    nameControls();
    // What the window says at start-up is read with it, not announced.
    told.status = statusText;
    told.message = message;
    initialiseKeyboardCues();
}

// The new fonts are made and handed to the controls before the old ones are
// deleted: a control must never hold a deleted font, not even for a moment.
void MainWindow::createFonts() {
    std::array<UniqueFont, std::size(kFonts)> fresh;
    for (std::size_t i = 0; i < fresh.size(); ++i) {
        const FontDefinition& font = kFonts[i];
        fresh[i].reset(CreateFontW(-scale(font.size), 0, 0, 0, font.weight, FALSE, FALSE, FALSE,
                                   DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                   CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_DONTCARE, font.face));
    }
    for (int id = kStartEditId; id < static_cast<int>(controls.size()); ++id) {
        if (!control(id)) continue;
        const bool mono = id == kStartEditId || id == kEndEditId;
        SendMessageW(control(id), WM_SETFONT,
                     reinterpret_cast<WPARAM>(fresh[mono ? kMonoFont : kUiFont].get()), TRUE);
    }
    for (std::size_t i = 0; i < fresh.size(); ++i) this->*kFonts[i].field = std::move(fresh[i]);
}

void MainWindow::deleteFonts() {
    for (const auto& font : kFonts) (this->*font.field).reset();
}

// A moved or resized control is repainted whole: one whose class keeps its old
// bits (the matrix, the list) would otherwise show them at their old place.
void MainWindow::placeControl(int id, int x, int y, int width, int height) {
    const HWND target = control(id);
    if (!target) return;
    RECT before{};
    GetWindowRect(target, &before);
    MoveWindow(target, scale(x), scale(y), scale(std::max(width, 1)), scale(std::max(height, 1)), TRUE);
    RECT after{};
    GetWindowRect(target, &after);
    if (!EqualRect(&before, &after)) InvalidateRect(target, nullptr, TRUE);
}

void MainWindow::layoutControls() {
    RECT client{};
    GetClientRect(hwnd, &client);
    clientWidth = MulDiv(client.right - client.left, 96, dpi);
    clientHeight = MulDiv(client.bottom - client.top, 96, dpi);

    const int top = settingsExpanded ? kExpandedContentTop : kCollapsedContentTop;
    const auto placements = controlPlacements(clientWidth, clientHeight, top);
    for (std::size_t i = 0; i < kInputRowCount; ++i) {
        const auto& p = placements[i];
        placeControl(p.id, p.x, p.y, p.width, p.height);
    }
    for (int id : {kTimeoutComboId, kAttemptsComboId, kConcurrencyComboId})
        showControl(id, settingsExpanded, control(kSettingsButtonId));

    contentTop = top;
    for (std::size_t i = kInputRowCount; i < placements.size(); ++i) {
        const auto& p = placements[i];
        placeControl(p.id, p.x, p.y, p.width, p.height);
    }
    // The view that goes hands the keyboard focus to the one that comes.
    showControl(listMode ? kDetailListId : kMatrixId, true, nullptr);
    showControl(listMode ? kMatrixId : kDetailListId, false, shownView());

    for (int column = 0; column < static_cast<int>(std::size(kListColumns)); ++column) {
        const int width =
            column == kNoteColumn ? std::max(clientWidth - 342, 100) : kListColumns[column].layoutWidth;
        SendMessageW(control(kDetailListId), LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column),
                     MAKELPARAM(scale(width), 0));
    }

    placeControl(kCopyButtonId, clientWidth - 93, clientHeight - 72, 70, 23);
    InvalidateRect(hwnd, nullptr, TRUE);
}

void MainWindow::applyNetworkSelection() {
    if (scanning) return;
    const LRESULT selection = SendMessageW(control(kNetworkComboId), CB_GETCURSEL, 0, 0);
    if (selection < 0 || static_cast<std::size_t>(selection) >= networks.size()) return;
    const auto& network = networks[static_cast<std::size_t>(selection)];
    SetWindowTextW(control(kStartEditId), network.startText.c_str());
    SetWindowTextW(control(kEndEditId), network.endText.c_str());
    previewRange();
}

void MainWindow::onDpiChanged(int newDpi, const RECT& suggested) {
    dpi = newDpi;
    createFonts();
    SetWindowPos(hwnd, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    layoutControls();
}

void MainWindow::onGetMinMaxInfo(MINMAXINFO& info) const {
    RECT workArea{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
    const SIZE minimum = minimumTrackSize(workArea, dpi);
    info.ptMinTrackSize = POINT{minimum.cx, minimum.cy};
}

}  // namespace calderwynfell
