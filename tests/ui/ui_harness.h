#pragma once
// In-process driving of the real main window: fake seams, message pumping
// through the real loop function, and renderings into 32-bit DIBs.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ui/main_window.h"

namespace calderwynfell::test {

// Deterministic fake probe: odd last octet -> Online with latency octet % 7,
// even -> NoResponse "等待 ICMP 回复超时"; an optional delay per call; checkedAt
// is 2026-03-05 08:04:09. Sends nothing.
ProbeFunction fakeProbe(int delayMs = 0);
// One network "测试网卡" 127.0.0.5 proposing 127.0.0.1 - 127.0.0.254.
NetworkDiscovery fakeNetworks();
NetworkDiscovery noNetworks();

class WindowUnderTest {
   public:
    // The real main window at the given client size in pixels, seams set before creation, shown.
    explicit WindowUnderTest(ProbeFunction probe = fakeProbe(), NetworkDiscovery discovery = fakeNetworks(),
                             int width = 600, int height = 589);
    ~WindowUnderTest();
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

Rendering renderClient(HWND window);
Rendering renderWithChildren(HWND window);
int countColour(const Rendering& rendering, RECT rect, COLORREF colour);

// Text of any window (edit, button caption).
std::wstring windowText(HWND window);
bool isEnabled(HWND window);

}  // namespace calderwynfell::test
