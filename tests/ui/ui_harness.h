#pragma once
// In-process driving of the real main window: fake seams, message pumping
// through the real loop function, and renderings into 32-bit DIBs.

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/main_window.h"
#include "ui/win_handles.h"

namespace calderwynfell::test {

// Odd last octet -> Online, latency octet % 7; even -> NoResponse "等待 ICMP 回复超时";
// checkedAt 2026-03-05 08:04:09; optional delay per call. Sends nothing.
ProbeFunction fakeProbe(int delayMs = 0);
// Holds each probe of an address whose last octet is above `answered` until
// open(): a test sees a scan mid-way however loaded the machine is. A held
// probe gives up after 20 s, so a failing test cannot hang the teardown.
class ProbeGate {
   public:
    explicit ProbeGate(std::uint32_t answered) : answered_(answered) {}
    ~ProbeGate() { open(); }
    ProbeFunction hold(ProbeFunction inner) const;
    void open() { opened_->store(true); }
    void shut() { opened_->store(false); }
    // Probes that have reached the gate: once every worker waits there, a stop is deterministic.
    int held() const { return held_->load(); }

   private:
    std::uint32_t answered_;
    std::shared_ptr<std::atomic<bool>> opened_ = std::make_shared<std::atomic<bool>>(false);
    std::shared_ptr<std::atomic<int>> held_ = std::make_shared<std::atomic<int>>(0);
};

// One network "测试网卡" 127.0.0.5 proposing 127.0.0.1 - 127.0.0.254.
NetworkDiscovery fakeNetworks();
NetworkDiscovery noNetworks();

class WindowUnderTest {
   public:
    // The real main window at the given client size in pixels, seams set before creation, shown.
    // `configure` sets further seams before creation.
    explicit WindowUnderTest(ProbeFunction probe = fakeProbe(), NetworkDiscovery discovery = fakeNetworks(),
                             int width = 600, int height = 589,
                             const std::function<void(MainWindow&)>& configure = {});
    ~WindowUnderTest() { close(); }
    WindowUnderTest(const WindowUnderTest&) = delete;
    WindowUnderTest& operator=(const WindowUnderTest&) = delete;

    MainWindow window;

    HWND hwnd() const { return window.hwnd; }
    HWND control(int id) const { return window.controls[static_cast<std::size_t>(id)]; }
    void command(int id, int notification = BN_CLICKED);
    void setRange(const std::wstring& start, const std::wstring& end);
    void pump();
    void pumpFor(int ms);
    bool pumpUntil(const std::function<bool()>& done, int timeoutMs = 5000);
    bool scanToEnd(int timeoutMs = 10000);
    void postKey(UINT vk, HWND target = nullptr);
    void setDpi(int dpi);
    void resizeClient(int width, int height);
    // WM_CLOSE and pump until the window is gone; true when it went.
    bool close(int timeoutMs = 10000);
};

struct Rendering {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, top row first
    COLORREF at(int x, int y) const;
    bool save(const std::string& name) const;
};

// A top-down 32-bit DIB section selected into a memory DC, filled with `paper` first.
class DibSurface {
   public:
    DibSurface(int width, int height, COLORREF paper = RGB(255, 0, 255));
    ~DibSurface() { SelectObject(dc_.get(), selected_); }
    DibSurface(const DibSurface&) = delete;
    DibSurface& operator=(const DibSurface&) = delete;
    HDC dc() const { return dc_.get(); }
    Rendering take() const;

   private:
    int width_, height_;
    UniqueMemoryDc dc_;
    UniqueBitmap bitmap_;
    void* bits_ = nullptr;
    HGDIOBJ selected_ = nullptr;
};

Rendering renderClient(HWND window);
Rendering renderWithChildren(HWND window);
// A control as it paints itself (an owner-drawn button sends WM_DRAWITEM with its real state).
Rendering renderControl(HWND control);
int countColour(const Rendering& rendering, RECT rect, COLORREF colour);
// Anti-aliased text pixels of `ink` on `background`: at least half-way towards ink, near that line.
int countInk(const Rendering& rendering, RECT rect, COLORREF ink, COLORREF background);
std::string hex(COLORREF colour);  // "#RRGGBB"

std::wstring windowText(HWND window);
bool isEnabled(HWND window);

}  // namespace calderwynfell::test
