#pragma once
// The one description of what a screen reader meets in the window, and the
// only way the accessible objects reach the window. The window is three
// containers: its client area (the controls, the texts it paints and the status
// bar), the status bar (its three parts) and the address matrix (the cells of
// the shown page). Enumeration, navigation, hit testing, focus, selection and
// the events all read this, so they cannot disagree.

#include <windows.h>

#include <string>

namespace calderwynfell::accessible {

enum class Container { Window, StatusBar, Matrix };

// The object id under which the main window hands out its status bar, and
// which the events about the status bar's parts name.
inline constexpr LONG kStatusBarObjectId = 1;

// How a child is handed out: by its child id (a simple element), as the
// control's own object, or as the status bar's object.
enum class ChildKind { Simple, Control, StatusBar };

struct Child {
    ChildKind kind = ChildKind::Simple;
    HWND control = nullptr;
};

// What a screen reader reads of one element; an empty text is no text.
struct Element {
    long role = 0;
    long state = 0;
    std::wstring name, value, description, defaultAction;
};

// Where an element is, in client pixels of its container's window.
struct Box {
    RECT rect{};
    bool shown = true;
};

// Children are numbered from 1 in the order that enumeration and next and
// previous follow; CHILDID_SELF is the container itself. A child of -1 is none.
class ElementSource {
   public:
    virtual ~ElementSource() = default;
    // False once the window is gone: every object then answers RPC_E_DISCONNECTED.
    virtual bool connected() const = 0;
    virtual HWND windowOf(Container container) const = 0;
    virtual long childCount(Container container) const = 0;
    virtual Child child(Container container, long id) const = 0;
    // Of the container itself or of a simple child.
    virtual Element element(Container container, long id) const = 0;
    virtual Box box(Container container, long id) const = 0;
    virtual long focus(Container container) const = 0;
    virtual long selection(Container container) const = 0;
    virtual long hit(Container container, POINT client) const = 0;
    virtual HRESULT select(Container container, long id, long flags) = 0;
    virtual HRESULT doDefaultAction(Container container, long id) = 0;
};

}  // namespace calderwynfell::accessible
