// Start-up time: from CreateProcess to the first visible top-level window of
// the new process, for the app, an empty-window program and any further
// programs to compare (a previous release), started in turn so that all see
// the same machine. Each window is closed with WM_CLOSE as soon as it is
// visible; nothing else is sent, so the app never scans. Prints the median of
// the warm starts of each and the app's ratio to each of the others.
//   startup_bench.exe APP.exe EMPTY.exe [starts] [OTHER.exe ...]

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kWarmUpStarts = 2;  // fill the caches and the Wine server's tables first
constexpr DWORD kGiveUpMs = 20000;

double nowMs() {
    static const LONGLONG frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f.QuadPart;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency);
}

struct WindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK findVisibleWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
    search->found = window;
    return FALSE;
}

// Milliseconds until the program's window is visible, or a negative value.
double timeOneStart(const std::wstring& exe) {
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const double began = nowMs();
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return -1;
    }
    WindowSearch search{process.dwProcessId, nullptr};
    double shown = -1;
    while (nowMs() - began < kGiveUpMs) {
        EnumWindows(findVisibleWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found) {
            shown = nowMs() - began;
            break;
        }
        if (WaitForSingleObject(process.hProcess, 1) == WAIT_OBJECT_0) break;  // ended without a window
    }
    DWORD exitCode = 1;
    if (search.found) PostMessageW(search.found, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, kGiveUpMs) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 3);
        WaitForSingleObject(process.hProcess, INFINITE);
    }
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return exitCode == 0 ? shown : -1;
}

double median(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    const size_t n = samples.size();
    return n % 2 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: startup_bench APP.exe EMPTY.exe [starts] [OTHER.exe ...]\n");
        return 2;
    }
    std::vector<std::wstring> programs = {argv[1], argv[2]};
    for (int i = 4; i < argc; ++i) programs.emplace_back(argv[i]);
    const int starts = argc > 3 ? std::max(1, _wtoi(argv[3])) : 10;
    std::vector<std::vector<double>> samples(programs.size());
    for (int round = 0; round < kWarmUpStarts + starts; ++round) {
        for (std::size_t p = 0; p < programs.size(); ++p) {
            const double ms = timeOneStart(programs[p]);
            if (ms < 0) {
                std::fprintf(stderr, "startup_bench: %ls did not open a window and exit cleanly\n",
                             programs[p].c_str());
                return 1;
            }
            if (round >= kWarmUpStarts) samples[p].push_back(ms);
        }
    }
    std::vector<double> medians;
    for (const auto& s : samples) medians.push_back(median(s));
    std::printf("start to visible window, median of %d warm starts:\n", starts);
    for (std::size_t p = 0; p < programs.size(); ++p)
        std::printf("  %-40ls %8.1f ms\n", programs[p].c_str(), medians[p]);
    std::printf("  ratio app / empty window              %8.2f (target < 1.5)\n", medians[0] / medians[1]);
    for (std::size_t p = 2; p < programs.size(); ++p)
        std::printf("  ratio app / %-26ls %8.2f\n", programs[p].c_str(), medians[0] / medians[p]);
    return 0;
}
