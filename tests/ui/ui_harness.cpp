#include "ui_harness.h"

#include <commctrl.h>

#include <cstdio>
#include <filesystem>

#include "core/icmp_status.h"
#include "ui/app.h"
#include "ui/win_handles.h"

namespace calderwynfell::test {

namespace {

constexpr DWORD kMainStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;

SIZE frameSizeForClient(HWND window, int width, int height) {
    RECT rect{0, 0, width, height};
    if (window) {
        AdjustWindowRectEx(&rect, static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)), FALSE,
                           static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE)));
    } else {
        AdjustWindowRectEx(&rect, kMainStyle, FALSE, 0);
    }
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

SIZE clientSize(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    return SIZE{std::max<LONG>(client.right, 1), std::max<LONG>(client.bottom, 1)};
}

}  // namespace

ProbeFunction fakeProbe(int delayMs) {
    return [delayMs](std::uint32_t address, std::uint32_t) {
        if (delayMs > 0) Sleep(static_cast<DWORD>(delayMs));
        Result result;
        result.address = address;
        const std::uint32_t octet = address & 0xFF;
        if (octet % 2 == 1) {
            result.status = ProbeStatus::Online;
            result.latencyMs = octet % 7;
            result.note = kNoteOnline;
        } else {
            result.status = ProbeStatus::NoResponse;
            result.note = kNoteTimedOut;
        }
        result.checkedAt = SYSTEMTIME{2026, 3, 4, 5, 8, 4, 9, 0};
        return result;
    };
}

NetworkDiscovery fakeNetworks() {
    return [] {
        return std::vector<LocalNetwork>{{L"测试网卡", L"127.0.0.5", L"127.0.0.1", L"127.0.0.254", true}};
    };
}

NetworkDiscovery noNetworks() {
    return [] { return std::vector<LocalNetwork>{}; };
}

WindowUnderTest::WindowUnderTest(ProbeFunction probe, NetworkDiscovery discovery, int width, int height) {
    window.probe = std::move(probe);
    window.networkDiscovery = std::move(discovery);
    window.instance = GetModuleHandleW(nullptr);
    window.dpi = static_cast<int>(GetDpiForSystem());
    const SIZE frame = frameSizeForClient(nullptr, width, height);
    CreateWindowExW(0, kMainWindowClass, kWindowTitle, kMainStyle, 20, 20, frame.cx, frame.cy, nullptr,
                    nullptr, window.instance, &window);
    if (!window.hwnd) return;
    ShowWindow(window.hwnd, SW_SHOWNORMAL);
    UpdateWindow(window.hwnd);
    resizeClient(width, height);
    pump();
}

WindowUnderTest::~WindowUnderTest() {
    close();
}

bool WindowUnderTest::close(int timeoutMs) {
    if (window.hwnd && IsWindow(window.hwnd)) PostMessageW(window.hwnd, WM_CLOSE, 0, 0);
    return pumpUntil([this] { return !window.hwnd; }, timeoutMs);
}

void WindowUnderTest::command(int id, int notification) {
    SendMessageW(window.hwnd, WM_COMMAND, MAKEWPARAM(id, notification),
                 reinterpret_cast<LPARAM>(control(id)));
}

void WindowUnderTest::setRange(const std::wstring& start, const std::wstring& end) {
    SetWindowTextW(control(kStartEditId), start.c_str());
    SetWindowTextW(control(kEndEditId), end.c_str());
}

void WindowUnderTest::pump() {
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        // Every destroyed main window posts WM_QUIT; a test run has no loop to end.
        if (message.message == WM_QUIT) continue;
        routeLoopMessage(window, message);
    }
}

void WindowUnderTest::pumpFor(int ms) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(ms);
    for (;;) {
        pump();
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE,
                                  static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 10)), QS_ALLINPUT);
    }
}

bool WindowUnderTest::pumpUntil(const std::function<bool()>& done, int timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    for (;;) {
        pump();
        if (done()) return true;
        if (GetTickCount64() >= deadline) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

bool WindowUnderTest::scanToEnd(int timeoutMs) {
    command(kStartButtonId);
    return pumpUntil([this] { return !window.scanning; }, timeoutMs);
}

void WindowUnderTest::postKey(UINT vk, HWND target) {
    if (!target) target = GetFocus();
    if (!target) target = window.hwnd;
    PostMessageW(target, WM_KEYDOWN, vk, 1);
    pump();
}

void WindowUnderTest::setDpi(int dpi) {
    RECT frame{};
    GetWindowRect(window.hwnd, &frame);
    const int oldDpi = window.dpi;
    RECT suggested{frame.left, frame.top, frame.left + MulDiv(frame.right - frame.left, dpi, oldDpi),
                   frame.top + MulDiv(frame.bottom - frame.top, dpi, oldDpi)};
    SendMessageW(window.hwnd, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    pump();
}

void WindowUnderTest::resizeClient(int width, int height) {
    SIZE frame = frameSizeForClient(window.hwnd, width, height);
    // Wine's frame of an unmanaged window can differ from what AdjustWindowRectEx says: correct once.
    for (int pass = 0; pass < 2; ++pass) {
        SetWindowPos(window.hwnd, nullptr, 0, 0, frame.cx, frame.cy,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        pump();
        const SIZE client = clientSize(window.hwnd);
        if (client.cx == width && client.cy == height) break;
        frame.cx += width - client.cx;
        frame.cy += height - client.cy;
    }
}

COLORREF Rendering::at(int x, int y) const {
    const std::uint32_t pixel = pixels[static_cast<std::size_t>(y) * width + x];
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

bool Rendering::save(const std::string& name) const {
    std::string directory = CALDERWYNFELL_TEST_OUTPUT_DIR;
    if (!directory.empty() && directory.front() == '/')
        directory = "Z:" + directory;  // a Unix path under Wine
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    const std::string path = directory + "/" + name + ".bmp";
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    BITMAPINFOHEADER info{};
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = -height;
    info.biPlanes = 1;
    info.biBitCount = 32;
    info.biCompression = BI_RGB;
    const auto imageBytes = static_cast<DWORD>(pixels.size() * sizeof(std::uint32_t));
    BITMAPFILEHEADER header{};
    header.bfType = 0x4D42;  // "BM"
    header.bfOffBits = sizeof(header) + sizeof(info);
    header.bfSize = header.bfOffBits + imageBytes;
    bool written =
        std::fwrite(&header, sizeof(header), 1, file) == 1 && std::fwrite(&info, sizeof(info), 1, file) == 1;
    if (written && !pixels.empty()) written = std::fwrite(pixels.data(), imageBytes, 1, file) == 1;
    return std::fclose(file) == 0 && written;
}

Rendering renderClient(HWND window) {
    const SIZE size = clientSize(window);
    DibSurface canvas(size.cx, size.cy);
    SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc()),
                 PRF_CLIENT | PRF_CHILDREN | PRF_ERASEBKGND);
    return canvas.take();
}

Rendering renderWithChildren(HWND window) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    const SIZE size = clientSize(window);
    DibSurface canvas(size.cx, size.cy);
    // The window's own surface holds what the children painted as well.
    const HDC screen = GetDCEx(window, nullptr, DCX_CACHE | DCX_WINDOW);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    RECT frame{};
    GetWindowRect(window, &frame);
    BitBlt(canvas.dc(), 0, 0, size.cx, size.cy, screen, origin.x - frame.left, origin.y - frame.top, SRCCOPY);
    ReleaseDC(window, screen);
    return canvas.take();
}

int countColour(const Rendering& rendering, RECT rect, COLORREF colour) {
    int count = 0;
    const LONG right = std::min<LONG>(rect.right, rendering.width);
    const LONG bottom = std::min<LONG>(rect.bottom, rendering.height);
    for (LONG y = std::max<LONG>(rect.top, 0); y < bottom; ++y)
        for (LONG x = std::max<LONG>(rect.left, 0); x < right; ++x)
            if (rendering.at(x, y) == colour) ++count;
    return count;
}

std::wstring windowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        std::max(GetWindowTextW(window, text.data(), static_cast<int>(text.size())), 0)));
    return text;
}

bool isEnabled(HWND window) {
    return window && IsWindowEnabled(window);
}

}  // namespace calderwynfell::test
