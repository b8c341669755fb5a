#pragma once
// The window as its accessible objects see it (ui/accessibility/element_source.h),
// read from MainWindow's state on every call: the elements, their order and
// places, the focus, the selection and what a client may do. Each call builds
// only what it answers.

#include "ui/accessibility/element_source.h"

namespace calderwynfell {

class MainWindow;

// The texts the client area paints that a screen reader reads as simple elements.
enum class PaintedText { Addresses, Online, NoResponse, Untested, Elapsed, Range, Page, Detail, Progress };
// The status bar's parts, by their child ids.
enum StatusPart : long { kStatusLinePart = 1, kLegendPart, kFootLinePart, kStatusPartCount = kFootLinePart };

class WindowElements final : public accessible::ElementSource {
   public:
    explicit WindowElements(MainWindow& window) : window_(&window) {}
    void disconnect() { window_ = nullptr; }
    // The child id of a painted text in the client area, as enumeration gives it.
    long idOf(PaintedText text) const;

    bool connected() const override { return window_ != nullptr; }
    HWND windowOf(accessible::Container container) const override;
    long childCount(accessible::Container container) const override;
    accessible::Child child(accessible::Container container, long id) const override;
    accessible::Element element(accessible::Container container, long id) const override;
    accessible::Box box(accessible::Container container, long id) const override;
    long focus(accessible::Container container) const override;
    long selection(accessible::Container container) const override;
    long hit(accessible::Container container, POINT client) const override;
    HRESULT select(accessible::Container container, long id, long flags) override;
    HRESULT doDefaultAction(accessible::Container container, long id) override;

   private:
    accessible::Element clientElement() const;
    accessible::Element paintedElement(PaintedText text) const;
    accessible::Element statusPart(long part) const;
    accessible::Element matrixElement(long id) const;
    RECT paintedRect(PaintedText text) const;
    RECT footRect() const;
    long windowChildHolding(HWND window) const;
    long windowHit(POINT client) const;

    MainWindow* window_;
};

}  // namespace calderwynfell
