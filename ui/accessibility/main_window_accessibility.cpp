// What assistive technology sees beyond the standard controls: the accessible
// objects of the matrix and the main window, the window's painted texts and the
// names of the inputs.

#include <windows.h>
#include <oleacc.h>

#include <algorithm>

#include "results/accessible_text.h"
#include "ui/accessibility/accessibility_api.h"
#include "ui/accessibility/com_object.h"
#include "ui/main_window.h"
#include "ui/main_window_paint.h"
#include "ui/matrix_geometry.h"

namespace calderwynfell {

namespace {

struct ControlName {
    int id;
    const wchar_t* name;
};

// The painted labels beside these inputs are not controls, so the names are given here.
constexpr ControlName kControlNames[] = {
    {kStartEditId, L"起始地址"}, {kEndEditId, L"结束地址"},       {kNetworkComboId, L"本机网段"},
    {kTimeoutComboId, L"超时"},  {kAttemptsComboId, L"最多尝试"}, {kConcurrencyComboId, L"并发"},
};

constexpr wchar_t kProgressName[] = L"扫描进度";

}  // namespace

LRESULT MainWindow::onMatrixGetObject(WPARAM flags, LPARAM objectId) {
    const HWND matrixWindow = control(kMatrixId);
    if (static_cast<DWORD>(objectId) != static_cast<DWORD>(OBJID_CLIENT))
        return DefWindowProcW(matrixWindow, WM_GETOBJECT, flags, objectId);
    if (!matrixAccessible) matrixAccessible = MatrixAccessible::create(*this);
    return lresultFromObject(IID_IAccessible, flags, static_cast<IAccessible*>(matrixAccessible.get()));
}

int MainWindow::matrixCellCount() const {
    const long long first = static_cast<long long>(page) * kPageSize;
    const long long left = static_cast<long long>(view.size()) - first;
    return static_cast<int>(std::clamp<long long>(left, 0, kPageSize));
}

int MainWindow::matrixCellEntry(int cell) const {
    return view[static_cast<std::size_t>(page) * kPageSize + static_cast<std::size_t>(cell)];
}

int MainWindow::selectedMatrixCell() const {
    const int count = matrixCellCount();
    if (count == 0) return -1;
    const auto first = view.begin() + static_cast<std::ptrdiff_t>(page) * kPageSize;
    const auto found = std::find(first, first + count, selectedIndex);
    return found != first + count ? static_cast<int>(found - first) : -1;
}

RECT MainWindow::matrixCellRect(int cell) const {
    RECT client{};
    GetClientRect(control(kMatrixId), &client);
    const matrix::CellBox box = matrix::cellBox(0, 0, client.right, client.bottom, cell, MulDiv(1, dpi, 96));
    return RECT{box.left, box.top, box.right, box.bottom};
}

// The keyboard's path: the detail line, the list's selection and the copy button follow.
void MainWindow::selectMatrixCell(int cell) {
    selectResult(matrixCellEntry(cell));
    rebuildView();
}

void MainWindow::disconnectAccessible() noexcept {
    if (matrixAccessible) matrixAccessible->disconnect();
    matrixAccessible.reset();
    if (windowAccessible) windowAccessible->disconnect();
    windowAccessible.reset();
}

void MainWindow::nameControls() const {
    if (!accessibleNamer) return;
    for (const auto& [id, name] : kControlNames)
        if (control(id)) accessibleNamer(control(id), name);  // where unsupported the name stays unset
}

LRESULT MainWindow::onWindowGetObject(WPARAM flags, LPARAM objectId) {
    if (static_cast<DWORD>(objectId) == static_cast<DWORD>(OBJID_CLIENT)) {
        if (!windowAccessible) windowAccessible = WindowAccessible::create(*this);
        if (windowAccessible)
            return lresultFromObject(IID_IAccessible, flags,
                                     static_cast<IAccessible*>(windowAccessible.get()));
    }
    return DefWindowProcW(hwnd, WM_GETOBJECT, flags, objectId);
}

std::vector<PaintedElement> MainWindow::paintedElements() const {
    const PaintTexts texts = paintTexts(*this);
    std::vector<PaintedElement> elements;
    elements.reserve(kPaintedElementCount);
    for (int card = 0; card < 5; ++card) {
        const SummaryCardText& text = texts.cards[static_cast<std::size_t>(card)];
        elements.push_back({ROLE_SYSTEM_STATICTEXT, text.caption, text.figure, summaryCardRect(*this, card)});
    }
    const auto add = [&](long role, const std::wstring& name, const std::wstring& value, PaintedPart part) {
        elements.push_back({role, name, value, paintedPartRect(*this, part)});
    };
    const StatusCounts counts = countStatuses(results);
    const auto done = static_cast<std::uint64_t>(counts.online + counts.noResponse + counts.error);
    add(ROLE_SYSTEM_STATICTEXT, texts.rangeText, {}, PaintedPart::RangeText);
    add(ROLE_SYSTEM_STATICTEXT, texts.pageIndicator, {}, PaintedPart::PageIndicator);
    add(ROLE_SYSTEM_STATICTEXT, detail, {}, PaintedPart::Detail);
    add(ROLE_SYSTEM_PROGRESSBAR, kProgressName, progressPercentText(done, results.size()),
        PaintedPart::ProgressTrack);
    add(ROLE_SYSTEM_STATUSBAR, texts.statusLine, {}, PaintedPart::Status);
    add(ROLE_SYSTEM_STATICTEXT, texts.legend, {}, PaintedPart::Legend);
    add(texts.footIsError ? ROLE_SYSTEM_ALERT : ROLE_SYSTEM_STATICTEXT, texts.footLine, {},
        PaintedPart::FootLine);
    return elements;
}

PaintedElement MainWindow::paintedElement(int element) const {
    return paintedElements()[static_cast<std::size_t>(element)];
}

}  // namespace calderwynfell
