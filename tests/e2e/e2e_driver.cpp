// Drives the running Calderwynfell window from another process, as a user
// would, one step per invocation so the script can look at the screen between
// steps. Every wait is for a state the window shows and is bounded; a timeout
// names what was awaited. Exit code 0 on success; a diagnostic on stderr otherwise.
//
//   e2e_driver ready                 wait until the window is up with its proposed range
//   e2e_driver scan <start> <end>    type the range, read it back, F5, wait for the end (127/8 only)
//   e2e_driver start <start> <end> <timeout index> <attempts index>
//                                    choose the options, type the range, F5, wait until it runs
//                                    (127/8 or the test bed's 198.18/15 only)
//   e2e_driver settle                wait until every window of the app has painted
//   e2e_driver geometry              print client and matrix rectangles in screen pixels, and the DPI
//   e2e_driver list                  switch to the detail list and print its row count
//   e2e_driver export <path>         press 导出 CSV, fill the save dialog, press OK, wait for the file
//   e2e_driver accessible            read the matrix through MSAA as a screen reader would
//   e2e_driver close                 post WM_CLOSE
//   e2e_driver close-timed <ms>      post WM_CLOSE, wait up to <ms> for the process to end,
//                                    print "closed_ms N exit_code C"

#include <windows.h>

#include <commctrl.h>
// The accessibility GUIDs are defined here: with -static, liboleacc.a would
// resolve IID_IAccessible to an import thunk.
#include <initguid.h>
#include <oleacc.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>

#include "app_window.h"
#include "save_dialog_fields.h"

namespace {

using calderwynfell::test::fileNameEdit;

using namespace calderwynfell::e2e;
constexpr wchar_t kExportTitle[] = L"导出当前筛选下的全部结果";
constexpr int kStartButton = 103, kStopButton = 104;
constexpr int kTimeoutCombo = 107, kAttemptsCombo = 108;
constexpr int kListButton = 111, kExportButton = 113, kDetailList = 117, kMatrix = 118;

int fail(const char* what) {
    std::fprintf(stderr, "e2e_driver: %s\n", what);
    return 1;
}

void clickButton(HWND main, int id) {
    PostMessageW(main, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(main, id)));
}

bool typeRange(HWND main, const wchar_t* start, const wchar_t* end) {
    HWND startEdit = GetDlgItem(main, kStartEdit);
    HWND endEdit = GetDlgItem(main, kEndEdit);
    SendMessageW(startEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(start));
    SendMessageW(endEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(end));
    return waitFor(
        "the address edits to hold the typed range",
        [&] { return windowText(startEdit) == start && windowText(endEdit) == end; }, 5000);
}

void pressF5(HWND main) {
    // The message loop takes F5 from any posted key message, whatever the target.
    PostMessageW(main, WM_KEYDOWN, VK_F5, 0x003F0001);
}

int scan(HWND main, const wchar_t* start, const wchar_t* end) {
    if (!allowedTarget(start, end, false)) return fail("refusing a range outside 127.0.0.0/8");
    HWND stop = GetDlgItem(main, kStopButton), startButton = GetDlgItem(main, kStartButton);
    HWND exportButton = GetDlgItem(main, kExportButton);
    // Export opens only once something was tested: its enabling marks this scan's end,
    // however quickly the scan runs.
    if (IsWindowEnabled(exportButton)) return fail("export is enabled before the scan; not a fresh window");
    if (!typeRange(main, start, end))
        return fail("the address edits do not hold the loopback range; not starting");
    pressF5(main);
    if (!waitFor(
            "the scan to end (stop disabled, start and export enabled)",
            [&] {
                return !IsWindowEnabled(stop) && IsWindowEnabled(startButton) &&
                       IsWindowEnabled(exportButton);
            },
            120000))
        return 1;
    std::printf("scan ended\n");
    return 0;
}

bool selectOption(HWND main, int comboId, const wchar_t* indexText) {
    const int index = _wtoi(indexText);
    HWND combo = GetDlgItem(main, comboId);
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    return waitFor(
        "an option combo box to hold its choice",
        [&] { return SendMessageW(combo, CB_GETCURSEL, 0, 0) == index; }, 5000);
}

int startRunning(HWND main, const wchar_t* start, const wchar_t* end, const wchar_t* timeoutIndex,
                 const wchar_t* attemptsIndex) {
    if (!allowedTarget(start, end, true))
        return fail("refusing a range outside 127.0.0.0/8 and 198.18.0.0/15");
    if (!selectOption(main, kTimeoutCombo, timeoutIndex) ||
        !selectOption(main, kAttemptsCombo, attemptsIndex))
        return 1;
    if (!typeRange(main, start, end)) return fail("the address edits do not hold the range; not starting");
    pressF5(main);
    HWND stop = GetDlgItem(main, kStopButton);
    if (!waitFor(
            "the scan to run (stop enabled)", [&] { return IsWindowEnabled(stop) != FALSE; }, 10000))
        return 1;
    std::printf("scan running\n");
    return 0;
}

struct AppWindows {
    DWORD process = 0;
    bool dirty = false;
};

BOOL CALLBACK noteDirty(HWND window, LPARAM state) {
    auto& app = *reinterpret_cast<AppWindows*>(state);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == app.process && IsWindowVisible(window)) {
        if (GetUpdateRect(window, nullptr, FALSE)) app.dirty = true;
        EnumChildWindows(window, noteDirty, state);
    }
    return TRUE;
}

// Painted: no window of the app has an update region, on two looks either side
// of a round trip through its message queue (which also flushes its drawing to X).
int settle(HWND main) {
    AppWindows app;
    GetWindowThreadProcessId(main, &app.process);
    const auto clean = [&] {
        app.dirty = false;
        EnumWindows(noteDirty, reinterpret_cast<LPARAM>(&app));
        return !app.dirty;
    };
    const bool settled = waitFor(
        "every window of the app to finish painting",
        [&] {
            if (!clean()) return false;
            DWORD_PTR ignored = 0;
            return SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored) && clean();
        },
        10000);
    return settled ? 0 : 1;
}

void printRect(const char* name, HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    std::printf("%s %ld %ld %ld %ld\n", name, origin.x, origin.y, origin.x + client.right,
                origin.y + client.bottom);
}

int geometry(HWND main) {
    printRect("client", main);
    printRect("matrix", GetDlgItem(main, kMatrix));
    std::printf("dpi %u\n", GetDpiForWindow(main));
    return 0;
}

int showList(HWND main) {
    clickButton(main, kListButton);
    HWND list = GetDlgItem(main, kDetailList);
    if (!waitFor(
            "the detail list to replace the matrix",
            [&] { return IsWindowVisible(list) && !IsWindowVisible(GetDlgItem(main, kMatrix)); }, 5000))
        return 1;
    std::printf("rows %ld\n", static_cast<long>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)));
    return 0;
}

// The save dialog once it is initialised: its file name box holds the proposed name.
// The dialog's owner is the main window; the overwrite question carries the same title.
HWND initialisedSaveDialog(HWND main, HWND& edit) {
    HWND candidate = nullptr;
    while ((candidate = FindWindowExW(nullptr, candidate, L"#32770", kExportTitle)) != nullptr) {
        if (GetWindow(candidate, GW_OWNER) != main || !IsWindowVisible(candidate)) continue;
        edit = fileNameEdit(candidate);
        if (edit && !windowText(edit).empty()) return candidate;
    }
    return nullptr;
}

int exportTo(HWND main, const wchar_t* path) {
    DeleteFileW(path);
    clickButton(main, kExportButton);
    HWND dialog = nullptr, edit = nullptr;
    if (!waitFor(
            "the save dialog, initialised with a proposed name",
            [&] { return (dialog = initialisedSaveDialog(main, edit)) != nullptr; }, 30000))
        return 1;
    const std::wstring proposed = windowText(edit);
    std::printf("proposed name %s\n", proposed == L"Calderwynfell.csv" ? "Calderwynfell.csv" : "(other)");
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path));
    if (!waitFor(
            "the file name box to hold the typed path", [&] { return windowText(edit) == path; }, 5000))
        return 1;
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    if (!waitFor(
            "the save dialog to close", [&] { return !IsWindow(dialog); }, 20000))
        return 1;
    if (!waitFor(
            "the exported file", [&] { return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES; }, 10000))
        return 1;
    std::printf("exported\n");
    return 0;
}

// The app answers WM_GETOBJECT with its own objects (oleacc is loaded there on
// first use) and builds the matrix's parent and the window's controls with
// CreateStdAccessibleObject.
int readMatrixAccessibly(HWND main) {
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return fail("COM did not start");
    IAccessible* matrix = nullptr;
    IDispatch* parent = nullptr;
    BSTR name = nullptr;
    long cells = 0;
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    const bool read = SUCCEEDED(AccessibleObjectFromWindow(GetDlgItem(main, kMatrix), static_cast<DWORD>(OBJID_CLIENT),
                                                           IID_IAccessible, reinterpret_cast<void**>(&matrix))) &&
                      matrix && SUCCEEDED(matrix->get_accName(self, &name)) &&
                      SUCCEEDED(matrix->get_accChildCount(&cells)) && SUCCEEDED(matrix->get_accParent(&parent)) &&
                      parent;
    const bool named = read && name && std::wcscmp(name, L"地址矩阵") == 0;
    SysFreeString(name);
    if (parent) parent->Release();
    if (matrix) matrix->Release();
    // The window's own object: its controls among its painted texts and the status bar.
    IAccessible* window = nullptr;
    long children = 0;
    const bool windowRead = SUCCEEDED(AccessibleObjectFromWindow(main, static_cast<DWORD>(OBJID_CLIENT),
                                                                 IID_IAccessible, reinterpret_cast<void**>(&window))) &&
                            window && SUCCEEDED(window->get_accChildCount(&children));
    if (window) window->Release();
    CoUninitialize();
    if (!named) return fail("the matrix did not answer as 地址矩阵 with a parent");
    if (!windowRead || children <= 12) return fail("the window did not offer its controls and painted texts");
    std::printf("matrix cells %ld, window children %ld\n", cells, children);
    return 0;
}

int closeTimed(HWND main, int boundMs) {
    DWORD processId = 0;
    GetWindowThreadProcessId(main, &processId);
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process) return fail("cannot open the app's process");
    const ULONGLONG posted = GetTickCount64();
    if (!PostMessageW(main, WM_CLOSE, 0, 0)) return fail("WM_CLOSE not posted");
    const DWORD waited = WaitForSingleObject(process, static_cast<DWORD>(boundMs));
    // The server may drop a dead process's windows a moment after the process ends.
    const int leftMs = boundMs - static_cast<int>(GetTickCount64() - posted);
    const bool gone = waited == WAIT_OBJECT_0 &&
                      waitFor(
                          "the window to be destroyed", [&] { return !IsWindow(main); }, std::max(leftMs, 0));
    const ULONGLONG closedMs = GetTickCount64() - posted;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process, &code);
    CloseHandle(process);
    std::printf("closed_ms %llu exit_code %lu window_gone %d\n", closedMs, code, gone ? 1 : 0);
    if (waited != WAIT_OBJECT_0) return fail("the process did not end within the bound");
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2)
        return fail("usage: e2e_driver ready|scan|start|settle|geometry|list|export|accessible|close|close-timed ...");
    const std::wstring step = argv[1];
    HWND main = readyMainWindow();
    if (!main) return fail("no Calderwynfell window ready");
    if (step == L"ready") return 0;
    if (step == L"scan" && argc == 4) return scan(main, argv[2], argv[3]);
    if (step == L"start" && argc == 6) return startRunning(main, argv[2], argv[3], argv[4], argv[5]);
    if (step == L"settle") return settle(main);
    if (step == L"geometry") return geometry(main);
    if (step == L"list") return showList(main);
    if (step == L"export" && argc == 3) return exportTo(main, argv[2]);
    if (step == L"accessible") return readMatrixAccessibly(main);
    if (step == L"close") return PostMessageW(main, WM_CLOSE, 0, 0) ? 0 : fail("WM_CLOSE not posted");
    if (step == L"close-timed" && argc == 3) return closeTimed(main, _wtoi(argv[2]));
    return fail("unknown step or wrong arguments");
}
