#pragma once
// The one object of the user interface: every piece of window state, the
// result store and the fields shared with the scan thread.

#include <windows.h>

#include <commctrl.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/local_networks.h"
#include "core/result.h"
#include "core/scan_engine.h"
#include "results/result_view.h"
#include "ui/palette.h"
#include "ui/win_handles.h"
#include "ui/window_elements.h"

namespace calderwynfell {

// Control ids; the handles live in MainWindow::controls at these indices.
enum ControlId : int {
    kStartEditId = 101,
    kEndEditId = 102,
    kStartButtonId = 103,
    kStopButtonId = 104,
    kNetworkComboId = 105,
    kSettingsButtonId = 106,
    kTimeoutComboId = 107,
    kAttemptsComboId = 108,
    kConcurrencyComboId = 109,
    kMatrixViewButtonId = 110,
    kListViewButtonId = 111,
    kOnlineOnlyCheckId = 112,
    kExportButtonId = 113,
    kPreviousPageButtonId = 114,
    kNextPageButtonId = 115,
    kCopyButtonId = 116,
    kDetailListId = 117,
    kMatrixId = 118,
};

inline constexpr wchar_t kMainWindowClass[] = L"CalderwynfellCpp";
inline constexpr wchar_t kMatrixWindowClass[] = L"CalderwynfellMatrix";
inline constexpr UINT_PTR kProgressTimerId = 1;
inline constexpr UINT kProgressTimerMs = 75;

using NetworkDiscovery = std::function<std::vector<LocalNetwork>()>;
// Asks where to export, starting from the proposed name in the path; false when cancelled.
using SavePathPrompt = std::function<bool(HWND owner, std::wstring& path)>;
// Gives a control its accessible name; an error (E_NOTIMPL under Wine) is ignored.
using AccessibleNamer = std::function<HRESULT(HWND control, const wchar_t* name)>;
// Tells a screen reader one sentence, spoken without moving the focus.
using Announcer = std::function<void(HWND window, const std::wstring& text)>;
using HighContrastQuery = std::function<bool()>;
// SPI_GETKEYBOARDCUES: focus cues always shown, not only once the keyboard is used.
using KeyboardCuesQuery = std::function<bool()>;
using SystemColourQuery = std::function<SystemColours()>;

// What the scan thread owns for one scan.
class MainWindow;

// Where a scan found the keyboard focus and where it moved it. Its end undoes
// only its own moves: `placed` is cleared as soon as the user acts.
struct ScanFocus {
    HWND before = nullptr;
    DWORD selectionStart = 0, selectionEnd = 0;  // of `before`, an address field's caret
    HWND placed = nullptr;
};

struct ScanJob {
    MainWindow& window;
    std::vector<std::uint32_t> addresses;
    ScanOptions options;
};

class MainWindow {
   public:
    MainWindow();
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    static LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK matrixWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // Seams, set before the window is created; production keeps the defaults.
    ProbeFunction probe;
    NetworkDiscovery networkDiscovery;
    SavePathPrompt savePathPrompt;
    AccessibleNamer accessibleNamer;
    Announcer announcer;
    HighContrastQuery highContrastQuery;
    SystemColourQuery systemColours;
    KeyboardCuesQuery keyboardCuesQuery;

    // --- fields, in the order of the design ---
    HWND hwnd = nullptr;
    std::array<HWND, 160> controls{};
    HINSTANCE instance = nullptr;
    UniqueFont uiFont;
    UniqueFont monoFont;
    UniqueFont numberFont;
    UniqueFont smallFont;
    UniqueBrush backgroundBrush;
    UniqueBrush whiteBrush;
    int dpi = 96;
    int clientWidth = 584;
    int clientHeight = 550;
    int contentTop = 143;
    int page = 0;
    int selectedIndex = -1;
    int sortColumn = 0;
    bool sortAscending = true;
    bool settingsExpanded = false;
    bool listMode = false;
    bool scanning = false;
    std::wstring message;
    std::wstring statusText = L"就绪 · F5 开始扫描";
    std::wstring detail = L"点击地址查看详情，双击复制 IP";
    std::vector<LocalNetwork> networks;
    std::vector<Result> results;
    std::vector<std::int32_t> view;
    std::thread scanThread;
    std::atomic<bool> stopRequested{false};
    std::atomic<bool> scanFinished{false};
    std::mutex queueMutex;
    std::vector<Result> pendingResults;
    std::wstring failureText;
    std::uint64_t scanStartTick = 0;
    std::uint64_t elapsedMs = 0;
    // Beyond the design's fields: colours in use, and the window as its accessible
    // objects see it, which they may outlive.
    bool highContrast = false;
    Palette palette = makePalette(false, {});
    UniqueFont smallBoldFont;
    std::shared_ptr<WindowElements> elements = std::make_shared<WindowElements>(*this);
    // The keyboard focus: the control that gets it back when the window is
    // activated again, and what a scan did with it.
    HWND savedFocus = nullptr;
    ScanFocus scanFocus;
    // Whether focus rectangles show: always when the user set keyboard cues on, otherwise the
    // system's UI state, or the window's own where it keeps none.
    bool keyboardCuesAlwaysOn = false;
    bool systemKeepsUiState = true;
    bool ownKeyboardCues = false;
    // What screen readers were last told: the matrix's selection and page, the two
    // lines of the status bar, and when the progress value last changed.
    struct Told {
        int selection = -1, page = -1;
        std::wstring status, message;
        std::uint64_t progressTick = 0;
    } told;
    int messageDepth = 0;  // of window procedure calls, so that only the outermost one announces

    // --- window and layout (main_window.cpp, main_window_layout.cpp) ---
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    void onCommand(int id, int notification);
    void onClose();
    void onFinalDestroy();
    void onDpiChanged(int newDpi, const RECT& suggested);
    void onGetMinMaxInfo(MINMAXINFO& info) const;
    void createControls();
    HWND createControl(int id, const wchar_t* className, DWORD style, const wchar_t* text, DWORD exStyle = 0);
    void createOptionCombo(int id, const std::vector<std::wstring>& items, int selected);
    void createFonts();
    void deleteFonts();
    void layoutControls();
    void placeControl(int id, int x, int y, int width, int height);
    void applyNetworkSelection();
    int scale(int value) const { return MulDiv(value, dpi, 96); }
    HWND control(int id) const { return controls[static_cast<std::size_t>(id)]; }

    // --- result store (results/result_store_ui.cpp) ---
    void loadRange(const std::vector<std::uint32_t>& addresses);
    void mergeResult(const Result& result);
    void rebuildView();
    void selectResult(int index);
    void syncListSelection();
    void sortByColumn(int column);
    void setListMode(bool on);
    void onlineFilterChanged();
    void previousPage();
    void nextPage();

    // --- scan control (main_window_scan.cpp) ---
    void startScan();
    void stopScan();
    void progressTick();
    void updateControls();
    void previewRange();
    std::wstring readEditText(HWND edit) const;
    static void scanThreadMain(ScanJob job) noexcept;

    // --- painting (main_window_paint.cpp) and buttons (main_window_buttons.cpp) ---
    void paintWindow(HDC dc) const;
    void onPaint();
    void drawButton(const DRAWITEMSTRUCT& item) const;

    // --- address matrix (main_window_matrix.cpp) ---
    LRESULT handleMatrixMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void paintMatrix(HDC dc, const RECT& clientRect) const;
    void onMatrixClick(HWND window, LPARAM lParam, bool doubleClick);
    void onMatrixKey(WPARAM key);
    bool matrixShowsFocus() const;
    int keyboardMatrixCell() const;
    void drawMatrixFocus(HDC dc, const RECT& clientRect, int cell) const;
    int matrixCellCount() const;
    int matrixCellEntry(int cell) const;
    int selectedMatrixCell() const;

    // --- keyboard focus (main_window_focus.cpp) ---
    void onActivate(WPARAM wParam);
    void onSize(WPARAM kind);
    void restoreFocus();
    void rememberFocus();
    HWND focusedControl() const;
    bool isUsable(HWND control) const;
    void giveFocus(HWND control);
    void rememberFocusBeforeScan();
    void noteScanMovedFocus(HWND from);
    void giveFocusBackAfterScan();
    void userActed() { scanFocus.placed = nullptr; }
    HWND shownView() const;
    void setControlEnabled(int id, bool enabled, HWND fallback = nullptr);
    void showControl(int id, bool shown, HWND fallback);
    void pressFocusedButton();
    void initialiseKeyboardCues();
    void onChangeUiState(WPARAM change);
    void readKeyboardCuesSetting();
    bool keyboardCuesShown() const;

    // --- accessibility (main_window_accessibility.cpp; the elements in window_elements.cpp) ---
    LRESULT onGetObject(HWND window, WPARAM flags, LPARAM objectId);
    void nameControls() const;
    void raiseMatrixSelectionEvents();
    void raiseMatrixReorder(const std::vector<Result>& arrived) const;
    void onMatrixFocus() const;
    void announceScanEnd();
    void announceChanges();
    struct TextChanges {
        bool status, message;
    };
    TextChanges noteTextChanges();
    void raiseProgressValueChange(bool arrived);

    // --- colours (main_window_colours.cpp) ---
    void applyPalette();
    void onColoursChanged();
    void onSystemChange(UINT message, WPARAM wParam, LPARAM lParam);

    // --- detail list (main_window_list.cpp), detail line and clipboard (main_window_detail.cpp) ---
    LRESULT onListNotify(const NMHDR& header);
    LRESULT onListFind(const NMLVFINDITEMW& find) const;
    void onListKey(WORD key);
    void sortFromList(int column);
    void showSortOrder() const;
    void copySelectedAddress();

    // --- export (results/export_command_ui.cpp) ---
    void exportCsv();
};

}  // namespace calderwynfell
