#include "doc_screenshots.h"

#include <cstdio>
#include <cwchar>

#include "core/icmp_status.h"
#include "ui/accessibility/com_object.h"
#include "ui/matrix_geometry.h"
#include "ui_harness.h"

namespace calderwynfell::test {

namespace {

// The colours of Windows' "High Contrast Black" scheme.
SystemColours highContrastBlack() {
    return SystemColours{RGB(0, 0, 0),      RGB(255, 255, 255), RGB(0, 0, 0),    RGB(255, 255, 255),
                         RGB(26, 235, 255), RGB(0, 0, 0),       RGB(63, 242, 63)};
}

// IP_STATUS codes as the ICMP call reports them.
constexpr std::uint32_t kHostUnreachable = 11003;
constexpr std::uint32_t kTimedOut = 11010;
constexpr std::uint32_t kGeneralFailure = 11050;
constexpr std::uint32_t kFailedOctet = 41;
constexpr std::uint32_t kUnreachableOctet = 64;

// What the ICMP call would give for each loopback address of the pictures.
EchoOutcome outcomeFor(std::uint32_t address) {
    const std::uint32_t octet = address & 0xFF;
    if (octet == kFailedOctet) return EchoOutcome{0, 0, 0, 0, kGeneralFailure};
    if (octet == kUnreachableOctet) return EchoOutcome{1, address - octet + 1, kHostUnreachable, 0, 0};
    if (octet % 3 == 1) return EchoOutcome{1, address, 0, octet % 7, 0};
    return EchoOutcome{0, 0, 0, 0, kTimedOut};
}

// Classified by the program's own code, so each note is the one its status comes with. Sends nothing.
ProbeFunction docProbe() {
    return [](std::uint32_t address, std::uint32_t) {
        Result result;
        result.address = address;
        result.checkedAt = SYSTEMTIME{2026, 3, 4, 5, 8, 4, 9, 0};
        applyEchoOutcome(outcomeFor(address), result);
        return result;
    };
}

// A set time in place of the fake run's few milliseconds: the same window gives the same picture.
void showElapsed(WindowUnderTest& w, std::uint64_t ms) {
    w.window.elapsedMs = ms;
    InvalidateRect(w.hwnd(), nullptr, FALSE);
}

bool shoot(bool highContrast, const char* name) {
    WindowUnderTest w(docProbe(), fakeNetworks(), 600, 589, [&](MainWindow& window) {
        window.highContrastQuery = [highContrast] { return highContrast; };
        window.systemColours = highContrastBlack;
    });
    w.setRange(L"127.0.0.1", L"127.0.0.254");
    if (!w.scanToEnd()) return false;
    showElapsed(w, 6400);
    w.window.selectResult(3);
    w.window.rebuildView();
    SetFocus(w.control(kMatrixId));
    w.pumpFor(200);
    return renderWithChildren(w.hwnd()).save(name);
}

// A scan stopped with some addresses left: every status of the legend at once,
// and the detail of the address whose send failed.
bool shootStopped() {
    ProbeGate gate(184);
    WindowUnderTest w(gate.hold(docProbe()), fakeNetworks(), 600, 589);
    w.setRange(L"127.0.0.1", L"127.0.0.254");
    const int workers = std::wcstol(windowText(w.control(kConcurrencyComboId)).c_str(), nullptr, 10);
    w.command(kStartButtonId);
    // Stopped once each worker holds one address: the same addresses are left untested every time.
    const bool allHeld = w.pumpUntil([&] { return gate.held() == workers; }, 20000);
    w.command(kStopButtonId);
    gate.open();  // the probes in flight end, as a stop waits for them
    if (!allHeld || !w.pumpUntil([&] { return !w.window.scanning; }, 20000)) return false;
    showElapsed(w, 5200);
    w.window.selectResult(static_cast<int>(kFailedOctet) - 1);
    w.window.rebuildView();
    SetFocus(w.control(kMatrixId));
    w.pumpFor(200);
    return renderWithChildren(w.hwnd()).save("doc_stopped");
}

}  // namespace

int saveDocScreenshots() {
    const bool saved = shootStopped() && shoot(false, "doc_normal") && shoot(true, "doc_high_contrast");
    std::printf("%s\n", saved ? "saved" : "failed");
    return saved ? 0 : 1;
}

}  // namespace calderwynfell::test
