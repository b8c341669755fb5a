// Drives the running Calderwynfell window from another process, as a user
// would, one step per invocation so the script can look at the screen between
// steps. Exit code 0 on success; a diagnostic on stderr otherwise.
//
//   e2e_driver scan <start> <end>  set the two address edits, check them, press F5, wait for the end
//   e2e_driver geometry            print client and matrix rectangles in screen pixels, and the DPI
//   e2e_driver list                switch to the detail list and print its row count
//   e2e_driver export <path>       press 导出 CSV, fill the save dialog, press OK, wait for the file
//   e2e_driver close               post WM_CLOSE

#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "save_dialog_fields.h"

namespace {

using calderwynfell::test::fileNameEdit;

constexpr wchar_t kMainClass[] = L"CalderwynfellCpp";
constexpr wchar_t kExportTitle[] = L"导出当前筛选下的全部结果";
constexpr int kStartEdit = 101, kEndEdit = 102, kStartButton = 103, kStopButton = 104;
constexpr int kListButton = 111, kExportButton = 113, kDetailList = 117, kMatrix = 118;

int fail(const char* what) {
    std::fprintf(stderr, "e2e_driver: %s\n", what);
    return 1;
}

template <typename Done>
bool waitFor(Done done, int timeoutMs) {
    for (int waited = 0; waited <= timeoutMs; waited += 50) {
        if (done()) return true;
        Sleep(50);
    }
    return false;
}

HWND findMainWindow() {
    HWND window = nullptr;
    waitFor([&] { return (window = FindWindowW(kMainClass, nullptr)) != nullptr; }, 30000);
    return window;
}

std::wstring windowText(HWND window) {
    wchar_t buffer[512] = {};
    // WM_GETTEXT is marshalled between processes; GetWindowTextW would not ask the other process.
    SendMessageW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buffer));
    return buffer;
}

void clickButton(HWND main, int id) {
    PostMessageW(main, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(main, id)));
}

int scan(HWND main, const wchar_t* start, const wchar_t* end) {
    // Only loopback may ever be scanned from here.
    if (std::wcsncmp(start, L"127.", 4) != 0 || std::wcsncmp(end, L"127.", 4) != 0)
        return fail("refusing a range outside 127.0.0.0/8");
    HWND startEdit = GetDlgItem(main, kStartEdit);
    HWND endEdit = GetDlgItem(main, kEndEdit);
    SendMessageW(startEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(start));
    SendMessageW(endEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(end));
    if (windowText(startEdit) != start || windowText(endEdit) != end)
        return fail("the address edits do not hold the loopback range; not starting");
    // The message loop takes F5 from any posted key message, whatever the target.
    PostMessageW(main, WM_KEYDOWN, VK_F5, 0x003F0001);
    HWND stop = GetDlgItem(main, kStopButton);
    HWND startButton = GetDlgItem(main, kStartButton);
    if (!waitFor([&] { return IsWindowEnabled(stop) != FALSE; }, 10000))
        return fail("the scan did not start");
    std::printf("scan started\n");
    if (!waitFor([&] { return !IsWindowEnabled(stop) && IsWindowEnabled(startButton); }, 120000))
        return fail("the scan did not end within 120 s");
    if (!IsWindowEnabled(GetDlgItem(main, kExportButton)))
        return fail("export stays disabled after the scan");
    std::printf("scan ended\n");
    return 0;
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
    if (!waitFor([&] { return IsWindowVisible(list) && !IsWindowVisible(GetDlgItem(main, kMatrix)); }, 5000))
        return fail("the detail list did not replace the matrix");
    std::printf("rows %ld\n", static_cast<long>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)));
    return 0;
}

int exportTo(HWND main, const wchar_t* path) {
    DeleteFileW(path);
    clickButton(main, kExportButton);
    HWND dialog = nullptr;
    if (!waitFor([&] { return (dialog = FindWindowW(L"#32770", kExportTitle)) != nullptr; }, 20000))
        return fail("the save dialog did not appear");
    HWND edit = nullptr;
    if (!waitFor([&] { return (edit = fileNameEdit(dialog)) != nullptr; }, 5000))
        return fail("no file name box in the save dialog");
    std::wstring proposed = windowText(edit);
    std::printf("proposed name %s\n", proposed == L"Calderwynfell.csv" ? "Calderwynfell.csv" : "(other)");
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path));
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    if (!waitFor([&] { return !IsWindow(dialog); }, 10000)) return fail("the save dialog stayed open");
    if (!waitFor([&] { return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES; }, 10000))
        return fail("no file was written");
    std::printf("exported\n");
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return fail("usage: e2e_driver scan|geometry|list|export|close [arguments]");
    const std::wstring step = argv[1];
    HWND main = findMainWindow();
    if (!main) return fail("no Calderwynfell window");
    if (step == L"scan" && argc == 4) return scan(main, argv[2], argv[3]);
    if (step == L"geometry") return geometry(main);
    if (step == L"list") return showList(main);
    if (step == L"export" && argc == 3) return exportTo(main, argv[2]);
    if (step == L"close") return PostMessageW(main, WM_CLOSE, 0, 0) ? 0 : fail("WM_CLOSE not posted");
    return fail("unknown step or wrong arguments");
}
