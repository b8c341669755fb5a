#include "ui_harness.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "core/icmp_status.h"
#include "ui/app.h"

namespace calderwynfell::test {

namespace {

constexpr DWORD kMainStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;

SIZE clientSize(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    return SIZE{std::max<LONG>(client.right, 1), std::max<LONG>(client.bottom, 1)};
}

template <typename Visit>
void forEachPixel(const Rendering& r, RECT rect, Visit visit) {
    for (LONG y = std::max<LONG>(rect.top, 0); y < std::min<LONG>(rect.bottom, r.height); ++y)
        for (LONG x = std::max<LONG>(rect.left, 0); x < std::min<LONG>(rect.right, r.width); ++x)
            visit(r.at(x, y));
}

}  // namespace

ProbeFunction fakeProbe(int delayMs) {
    return [delayMs](std::uint32_t address, std::uint32_t) {
        if (delayMs > 0) Sleep(static_cast<DWORD>(delayMs));
        Result result;
        result.address = address;
        const std::uint32_t octet = address & 0xFF;
        result.status = octet % 2 ? ProbeStatus::Online : ProbeStatus::NoResponse;
        result.latencyMs = octet % 2 ? octet % 7 : 0;
        result.note = octet % 2 ? kNoteOnline : kNoteTimedOut;
        result.checkedAt = SYSTEMTIME{2026, 3, 4, 5, 8, 4, 9, 0};
        return result;
    };
}

ProbeFunction ProbeGate::hold(ProbeFunction inner) const {
    return [opened = opened_, held = held_, answered = answered_, inner = std::move(inner)](
               std::uint32_t address, std::uint32_t timeoutMs) {
        if ((address & 0xFF) > answered) {
            held->fetch_add(1);
            for (int waited = 0; !opened->load() && waited < 20000; waited += 5) Sleep(5);
        }
        return inner(address, timeoutMs);
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

WindowUnderTest::WindowUnderTest(ProbeFunction probe, NetworkDiscovery discovery, int width, int height,
                                 const std::function<void(MainWindow&)>& configure) {
    window.probe = std::move(probe);
    window.keyboardCuesQuery = [] { return false; };  // Windows' default; Wine's prefix has them on
    if (configure) configure(window);
    window.networkDiscovery = std::move(discovery);
    window.instance = GetModuleHandleW(nullptr);
    window.dpi = static_cast<int>(GetDpiForSystem());
    CreateWindowExW(0, kMainWindowClass, kWindowTitle, kMainStyle, 20, 20, width, height, nullptr, nullptr,
                    window.instance, &window);
    if (!window.hwnd) return;
    ShowWindow(window.hwnd, SW_SHOWNORMAL);
    UpdateWindow(window.hwnd);
    resizeClient(width, height);
    pump();
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
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        if (message.message != WM_QUIT) routeLoopMessage(window, message);  // every closed window posts one
}

void WindowUnderTest::pumpFor(int ms) {
    pumpUntil([] { return false; }, ms);
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
    PostMessageW(target ? target : window.hwnd, WM_KEYDOWN, vk, 1);
    pump();
}

void WindowUnderTest::setDpi(int dpi) {
    RECT frame{};
    GetWindowRect(window.hwnd, &frame);
    RECT suggested{frame.left, frame.top, frame.left + MulDiv(frame.right - frame.left, dpi, window.dpi),
                   frame.top + MulDiv(frame.bottom - frame.top, dpi, window.dpi)};
    SendMessageW(window.hwnd, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    pump();
}

void WindowUnderTest::resizeClient(int width, int height) {
    // Wine's frames differ from what AdjustWindowRectEx says: measure and correct.
    SIZE frame{width, height};
    for (int pass = 0; pass < 3; ++pass) {
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
    if (!directory.empty() && directory.front() == '/') directory = "Z:" + directory;  // Unix path under Wine
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    FILE* file = std::fopen((directory + "/" + name + ".bmp").c_str(), "wb");
    if (!file) return false;
    BITMAPINFOHEADER info{sizeof(info), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    const auto imageBytes = static_cast<DWORD>(pixels.size() * sizeof(std::uint32_t));
    BITMAPFILEHEADER header{0x4D42, 0, 0, 0, sizeof(header) + sizeof(info)};
    header.bfSize = header.bfOffBits + imageBytes;
    bool written =
        std::fwrite(&header, sizeof(header), 1, file) == 1 && std::fwrite(&info, sizeof(info), 1, file) == 1;
    if (written && !pixels.empty()) written = std::fwrite(pixels.data(), imageBytes, 1, file) == 1;
    return std::fclose(file) == 0 && written;
}

DibSurface::DibSurface(int width, int height, COLORREF paper) : width_(width), height_(height) {
    BITMAPINFO info{};
    info.bmiHeader = BITMAPINFOHEADER{sizeof(info.bmiHeader), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    dc_.reset(CreateCompatibleDC(nullptr));
    bitmap_.reset(CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, &bits_, nullptr, 0));
    selected_ = SelectObject(dc_.get(), bitmap_.get());
    fillSolid(dc_.get(), RECT{0, 0, width, height}, paper);
}

Rendering DibSurface::take() const {
    Rendering rendering{width_, height_, {}};
    GdiFlush();
    const auto* source = static_cast<const std::uint32_t*>(bits_);
    if (source) rendering.pixels.assign(source, source + static_cast<std::size_t>(width_) * height_);
    for (auto& pixel : rendering.pixels) pixel &= 0x00FFFFFF;
    return rendering;
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

Rendering renderControl(HWND control) {
    const SIZE size = clientSize(control);
    DibSurface surface(size.cx, size.cy);
    SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(surface.dc()), PRF_CLIENT);
    return surface.take();
}

int countColour(const Rendering& rendering, RECT rect, COLORREF colour) {
    int count = 0;
    forEachPixel(rendering, rect, [&](COLORREF p) { count += p == colour; });
    return count;
}

int countInk(const Rendering& rendering, RECT rect, COLORREF ink, COLORREF background) {
    const auto delta = [&](COLORREF c, int i) {
        const COLORREF b = background;
        return i == 0   ? double(GetRValue(c)) - GetRValue(b)
               : i == 1 ? double(GetGValue(c)) - GetGValue(b)
                        : double(GetBValue(c)) - GetBValue(b);
    };
    const double d[3] = {delta(ink, 0), delta(ink, 1), delta(ink, 2)};
    const double length2 = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
    int count = 0;
    forEachPixel(rendering, rect, [&](COLORREF p) {
        const double v[3] = {delta(p, 0), delta(p, 1), delta(p, 2)};
        const double share = (v[0] * d[0] + v[1] * d[1] + v[2] * d[2]) / length2;
        double off2 = 0;
        for (int c = 0; c < 3; ++c) off2 += (v[c] - share * d[c]) * (v[c] - share * d[c]);
        count += share >= 0.5 && share <= 1.1 && std::sqrt(off2) <= 24.0;
    });
    return count;
}

std::string hex(COLORREF colour) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", GetRValue(colour), GetGValue(colour),
                  GetBValue(colour));
    return text;
}

std::wstring windowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(std::max(GetWindowTextW(window, text.data(), int(text.size())), 0)));
    return text;
}

bool isEnabled(HWND window) {
    return window && IsWindowEnabled(window);
}

}  // namespace calderwynfell::test
