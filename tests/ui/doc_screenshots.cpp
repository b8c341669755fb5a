#include "doc_screenshots.h"

#include <cstdio>

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

bool shoot(bool highContrast, const char* name) {
    WindowUnderTest w(fakeProbe(), fakeNetworks(), 600, 589, [&](MainWindow& window) {
        window.highContrastQuery = [highContrast] { return highContrast; };
        window.systemColours = highContrastBlack;
    });
    w.setRange(L"127.0.0.1", L"127.0.0.254");  // the fake probe sends nothing
    if (!w.scanToEnd()) return false;
    w.window.results[40].status = ProbeStatus::Error;
    w.window.results[40].note = L"目标主机不可达";
    w.window.selectResult(4);
    w.window.rebuildView();
    SetFocus(w.control(kMatrixId));
    w.pumpFor(200);
    return renderWithChildren(w.hwnd()).save(name);
}

// As the window opens: the proposed range as an untested table, the focus in the start address.
bool shootStart() {
    WindowUnderTest w(fakeProbe(), fakeNetworks(), 600, 589);
    w.pumpFor(200);
    return renderWithChildren(w.hwnd()).save("doc_start");
}

}  // namespace

int saveDocScreenshots() {
    const bool saved = shootStart() && shoot(false, "doc_normal") && shoot(true, "doc_high_contrast");
    std::printf("%s\n", saved ? "saved" : "failed");
    return saved ? 0 : 1;
}

}  // namespace calderwynfell::test
