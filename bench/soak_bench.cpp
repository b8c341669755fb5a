// Soak of the real window: many consecutive scans of 256 addresses with an
// instant fake probe (online, no response and error mixed), and between scans
// the things a user does: view switches, the online filter on and off, a sort
// by every column both ways, page turns, a copy and an export to a temporary
// file. Every 50 scans it prints the process's private bytes, handles, GDI and
// USER objects. No network traffic.
//
//   soak_bench [scans [every]] [--check]
// Figures are printed every `every` scans (50). --check (the short run in
// scripts/test) fails when handles or GDI objects grow in every interval
// between checkpoints: a per-scan leak does, a one-off allocation does not.

#include <windows.h>

#include <commctrl.h>
#include <psapi.h>
#include <winternl.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/icmp_status.h"
#include "ui/app.h"
#include "ui/main_window.h"

using namespace calderwynfell;

namespace {

constexpr int kAddresses = 256;
constexpr int kDefaultCheckpointEvery = 50;
constexpr int kListColumns = 5;

// --- process figures, with honest replacements where Wine answers 0 ---

// Committed private pages, walked when the process counters say 0 (Wine).
std::uint64_t privateBytes() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof(counters);
    if (GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                             sizeof(counters)) &&
        counters.PrivateUsage != 0)
        return counters.PrivateUsage;
    std::uint64_t total = 0;
    MEMORY_BASIC_INFORMATION region{};
    for (const char* at = nullptr; VirtualQuery(at, &region, sizeof(region)) == sizeof(region);
         at = static_cast<const char*>(region.BaseAddress) + region.RegionSize)
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += region.RegionSize;
    return total;
}

// Bytes in live blocks of every heap of the process: what the program holds,
// apart from pages a heap keeps committed once it has grown.
std::uint64_t heapBytesInUse() {
    std::vector<HANDLE> heaps(GetProcessHeaps(0, nullptr) + 16);
    heaps.resize(GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data()));
    std::uint64_t inUse = 0;
    for (HANDLE heap : heaps) {
        if (!HeapLock(heap)) continue;
        PROCESS_HEAP_ENTRY entry{};
        while (HeapWalk(heap, &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) inUse += entry.cbData;
        HeapUnlock(heap);
    }
    return inUse;
}

// Kernel handles; where the count is 0 (Wine), the open entries of the handle
// table, found by asking about every handle value until a long empty stretch.
std::uint64_t handleCount() {
    DWORD count = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &count) && count != 0) return count;
    std::uint64_t open = 0;
    for (std::uintptr_t value = 4, empty = 0; empty < 4096; value += 4) {
        DWORD flags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) {
            ++open;
            empty = 0;
        } else {
            ++empty;
        }
    }
    return open;
}

// The GDI handle table the PEB points to; an entry with a type is a live object.
// Under Wine the table is the process's own, so every live entry is ours.
std::uint64_t gdiTableEntries() {
    struct Entry {
        std::uint64_t object;
        std::uint16_t processId, count, unique;
        std::uint8_t type, flags;
        std::uint64_t user;
    };
    static_assert(sizeof(Entry) == 24);
    constexpr std::size_t kPebGdiTable = 0xF8, kTableEntries = 0x10000;
    PROCESS_BASIC_INFORMATION basics{};
    if (NtQueryInformationProcess(GetCurrentProcess(), ProcessBasicInformation, &basics, sizeof(basics), nullptr) != 0)
        return 0;
    const auto* peb = reinterpret_cast<const std::uint8_t*>(basics.PebBaseAddress);
    const Entry* table = nullptr;
    std::memcpy(&table, peb + kPebGdiTable, sizeof(table));
    if (!table) return 0;
    std::uint64_t live = 0;
    for (std::size_t i = 0; i < kTableEntries; ++i) live += table[i].type != 0;
    return live;
}

BOOL CALLBACK countWindow(HWND, LPARAM counter) {
    ++*reinterpret_cast<std::uint64_t*>(counter);
    return TRUE;
}

// Top-level windows of this process and all their descendants.
BOOL CALLBACK countOwnWindowTree(HWND window, LPARAM counter) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != GetCurrentProcessId()) return TRUE;
    ++*reinterpret_cast<std::uint64_t*>(counter);
    EnumChildWindows(window, countWindow, counter);
    return TRUE;
}

struct Figures {
    std::uint64_t privateBytes, heapInUse, handles, gdi, user;
    bool gdiFromTable, userIsWindows;
};

Figures measure() {
    Figures f{privateBytes(), heapBytesInUse(), handleCount(), GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS),
              GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS), false, false};
    if (f.gdi == 0) {
        f.gdi = gdiTableEntries();
        f.gdiFromTable = true;
    }
    if (f.user == 0) {
        // Wine keeps no USER object count; windows are the USER objects this window makes.
        EnumWindows(countOwnWindowTree, reinterpret_cast<LPARAM>(&f.user));
        f.userIsWindows = true;
    }
    return f;
}

void print(int scans, const Figures& f) {
    std::printf("after %3d scans: private %8.1f KB  heap in use %8.1f KB  handles %4llu  GDI %4llu%s  USER %4llu%s\n",
                scans, static_cast<double>(f.privateBytes) / 1024.0, static_cast<double>(f.heapInUse) / 1024.0,
                static_cast<unsigned long long>(f.handles),
                static_cast<unsigned long long>(f.gdi), f.gdiFromTable ? " (table)" : "",
                static_cast<unsigned long long>(f.user), f.userIsWindows ? " (windows)" : "");
}

// --- driving the window ---

// Online, no response and error in turn, at once.
Result instantProbe(std::uint32_t address, std::uint32_t) {
    Result result = makeUntestedResult(address);
    const int kind = static_cast<int>(address % 3);
    result.status = kind == 0 ? ProbeStatus::Online : kind == 1 ? ProbeStatus::NoResponse : ProbeStatus::Error;
    result.latencyMs = kind == 0 ? address % 5 : 0;
    result.attempts = kind == 0 ? 1 : 2;
    result.note = kind == 0 ? kNoteOnline : kind == 1 ? kNoteTimedOut : L"目标主机不可达";
    GetLocalTime(&result.checkedAt);
    return result;
}

class Soak {
   public:
    explicit Soak(std::wstring exportPath) : exportPath_(std::move(exportPath)) {}

    bool open() {
        window_.instance = GetModuleHandleW(nullptr);
        window_.dpi = static_cast<int>(GetDpiForSystem());
        window_.probe = instantProbe;
        window_.networkDiscovery = [] {
            return std::vector<LocalNetwork>{{L"基准", L"127.0.0.5", L"127.0.0.1", L"127.0.0.254", true}};
        };
        window_.savePathPrompt = [this](HWND, std::wstring& path) {
            path = exportPath_;
            return true;
        };
        CreateWindowExW(0, kMainWindowClass, kWindowTitle, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 20, 20, 616,
                        628, nullptr, nullptr, window_.instance, &window_);
        if (!window_.hwnd) return false;
        ShowWindow(window_.hwnd, SW_SHOWNORMAL);
        UpdateWindow(window_.hwnd);
        SetWindowTextW(window_.control(kStartEditId), L"127.0.1.0");
        SetWindowTextW(window_.control(kEndEditId), L"127.0.1.255");
        pump();
        return true;
    }

    // One scan to its end, through the start button and the real 75 ms timer.
    bool scan() {
        command(kStartButtonId);
        const ULONGLONG deadline = GetTickCount64() + 10000;
        while (window_.scanning && GetTickCount64() < deadline) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
            pump();
        }
        return !window_.scanning && window_.results.size() == kAddresses && window_.statusText == L"扫描完成";
    }

    // What a user does between scans; false when something did not take.
    bool browse() {
        command(kListViewButtonId);
        for (int column = 0; column < kListColumns; ++column) {
            clickHeader(column);
            clickHeader(column);  // the second click reverses
        }
        command(kMatrixViewButtonId);
        setOnlineOnly(true);
        const auto online = std::count_if(window_.results.begin(), window_.results.end(),
                                          [](const Result& r) { return r.status == ProbeStatus::Online; });
        const bool filtered = online > 0 && window_.view.size() == static_cast<std::size_t>(online);
        setOnlineOnly(false);
        command(kNextPageButtonId);
        command(kPreviousPageButtonId);
        window_.selectResult(static_cast<int>(window_.results.size() / 2));
        command(kCopyButtonId);
        DeleteFileW(exportPath_.c_str());
        command(kExportButtonId);
        pump();
        WIN32_FILE_ATTRIBUTE_DATA exported{};
        const bool wrote = GetFileAttributesExW(exportPath_.c_str(), GetFileExInfoStandard, &exported) &&
                           exported.nFileSizeLow > 10000 && window_.statusText == L"已导出 256 条结果";
        return filtered && wrote && window_.view.size() == kAddresses;
    }

    int failed(int scan, const char* what) const {
        std::fprintf(stderr, "soak_bench: scan %d %s: %zu results, %zu in view, status \"%ls\", message \"%ls\"\n",
                     scan, what, window_.results.size(), window_.view.size(), window_.statusText.c_str(),
                     window_.message.c_str());
        return 1;
    }

    void close() {
        SendMessageW(window_.hwnd, WM_CLOSE, 0, 0);
        pump();
    }

   private:
    void pump() {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            if (message.message != WM_QUIT) routeLoopMessage(window_, message);
    }
    void command(int id) {
        SendMessageW(window_.hwnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(window_.control(id)));
        pump();
    }
    void clickHeader(int column) {
        NMLISTVIEW click{};
        click.hdr = NMHDR{window_.control(kDetailListId), static_cast<UINT_PTR>(kDetailListId), LVN_COLUMNCLICK};
        click.iItem = -1;
        click.iSubItem = column;
        SendMessageW(window_.hwnd, WM_NOTIFY, kDetailListId, reinterpret_cast<LPARAM>(&click));
        pump();
    }
    void setOnlineOnly(bool on) {
        SendMessageW(window_.control(kOnlineOnlyCheckId), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
        command(kOnlineOnlyCheckId);
    }

    MainWindow window_;
    std::wstring exportPath_;
};

std::wstring temporaryExportPath() {
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + L"calderwynfell-soak-" + std::to_wstring(GetCurrentProcessId()) + L".csv";
}

}  // namespace

// True when the figure rose in every interval between checkpoints.
bool growsEveryInterval(const std::vector<Figures>& checkpoints, std::uint64_t Figures::*figure) {
    for (std::size_t i = 1; i < checkpoints.size(); ++i)
        if (checkpoints[i].*figure <= checkpoints[i - 1].*figure) return false;
    return true;
}

int main(int argc, char** argv) {
    const bool check = argc > 1 && std::strcmp(argv[argc - 1], "--check") == 0;
    const int numbers = argc - 1 - (check ? 1 : 0);
    const int scans = numbers >= 1 ? std::atoi(argv[1]) : 300;
    const int every = numbers >= 2 ? std::atoi(argv[2]) : kDefaultCheckpointEvery;
    if (every < 1 || scans < 3 * every) {
        std::fprintf(stderr, "soak_bench: needs at least three checkpoints (scans >= 3 x every)\n");
        return 2;
    }
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    if (!registerWindowClasses(GetModuleHandleW(nullptr))) return 2;

    const std::wstring exportPath = temporaryExportPath();
    Soak soak(exportPath);
    if (!soak.open()) return 2;
    const ULONGLONG began = GetTickCount64();
    std::vector<Figures> checkpoints;
    for (int done = 1; done <= scans; ++done) {
        if (!soak.scan()) return soak.failed(done, "did not end as expected");
        if (!soak.browse()) return soak.failed(done, "left the window in an unexpected state");
        if (done % every == 0) {
            checkpoints.push_back(measure());
            print(done, checkpoints.back());
        }
    }
    soak.close();
    DeleteFileW(exportPath.c_str());

    const Figures& first = checkpoints.front();
    const Figures& last = checkpoints.back();
    const auto growth = [](std::uint64_t from, std::uint64_t to) {
        return from ? 100.0 * (static_cast<double>(to) - static_cast<double>(from)) / static_cast<double>(from) : 0.0;
    };
    const auto kilobytes = [](std::uint64_t from, std::uint64_t to) {
        return (static_cast<long long>(to) - static_cast<long long>(from)) / 1024;
    };
    std::printf("%d scans in %.1f s; growth from scan %d to %d: private %+.2f%% (%+lld KB), heap in use %+.2f%% "
                "(%+lld KB), handles %+.2f%%, GDI %+.2f%%, USER %+.2f%%\n",
                scans, static_cast<double>(GetTickCount64() - began) / 1000.0, every, scans,
                growth(first.privateBytes, last.privateBytes), kilobytes(first.privateBytes, last.privateBytes),
                growth(first.heapInUse, last.heapInUse), kilobytes(first.heapInUse, last.heapInUse),
                growth(first.handles, last.handles), growth(first.gdi, last.gdi), growth(first.user, last.user));
    if (check && (growsEveryInterval(checkpoints, &Figures::handles) || growsEveryInterval(checkpoints, &Figures::gdi))) {
        std::printf("soak_bench: FAILED: handles or GDI objects grow from scan to scan\n");
        return 1;
    }
    return 0;
}
