#include "accessible_client.h"

#include <windows.h>
#include <oleacc.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/platform.h"
#include "ui/accessibility/com_object.h"
#include "ui/win_handles.h"
#include "ui_harness.h"

namespace calderwynfell::test {

VARIANT childVariant(long id) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

namespace {

long integer(const VARIANT& v) {
    return v.vt == VT_I4 ? v.lVal : -1;
}

// One child as an object and a child id of it: a full object with CHILDID_SELF,
// or a simple element of its container.
struct Child {
    ComRef<IAccessible> object;
    long id = CHILDID_SELF;
};

// Takes what an enumeration or navigation gave, relative to `container`; empty when nothing.
Child childFrom(IAccessible& container, VARIANT& item) {
    Child child;
    if (item.vt == VT_I4) {
        child.object = ComRef<IAccessible>::retain(&container);
        child.id = item.lVal;
    } else if (item.vt == VT_DISPATCH && item.pdispVal) {
        item.pdispVal->QueryInterface(IID_IAccessible, reinterpret_cast<void**>(child.object.put()));
    }
    VariantClear(&item);
    return child;
}

// "c<control id>" for a control, "bar" for the status bar, "#<id>" for a simple element.
std::string describe(const Child& child) {
    if (!child.object) return "none";
    if (child.id != CHILDID_SELF) return "#" + std::to_string(child.id);
    VARIANT role;
    VariantInit(&role);
    child.object->get_accRole(childVariant(CHILDID_SELF), &role);
    if (integer(role) == ROLE_SYSTEM_STATUSBAR) return "bar";
    HWND window = nullptr;
    WindowFromAccessibleObject(child.object.get(), &window);
    return "c" + std::to_string(GetDlgCtrlID(window));
}

std::vector<Child> enumerate(IAccessible& container) {
    long count = 0;
    container.get_accChildCount(&count);
    std::vector<VARIANT> items(static_cast<std::size_t>(count) + 1);
    long got = 0;
    AccessibleChildren(&container, 0, count, items.data(), &got);
    std::vector<Child> children;
    for (long i = 0; i < got; ++i)
        children.push_back(childFrom(container, items[static_cast<std::size_t>(i)]));
    return children;
}

// As a screen reader walks: a simple element through its container, a full object
// from itself. A child id that sibling navigation gives from a full object is one of
// its parent's.
Child navigate(IAccessible& container, const Child& from, long direction) {
    VARIANT end;
    VariantInit(&end);
    if (FAILED(from.object->accNavigate(direction, childVariant(from.id), &end))) return {};
    if (end.vt == VT_I4 && from.id == CHILDID_SELF && direction != NAVDIR_FIRSTCHILD &&
        direction != NAVDIR_LASTCHILD)
        return childFrom(container, end);
    return childFrom(*from.object, end);
}

std::string walk(IAccessible& container, Child child, long onward) {
    std::string out;
    for (int guard = 0; child.object && guard < 100; ++guard) {
        out += " " + describe(child);
        child = navigate(container, child, onward);
    }
    return out;
}

ComRef<IAccessible> clientObject(HWND window) {
    ComRef<IAccessible> object;
    AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                               reinterpret_cast<void**>(object.put()));
    return object;
}

std::wstring ascii(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

std::wstring text(BSTR value) {
    std::wstring copy = value ? value : L"";
    SysFreeString(value);
    return copy;
}

int readMatrix(IAccessible& object) {
    long count = -1;
    VARIANT role, state;
    BSTR name = nullptr;
    object.get_accChildCount(&count);
    object.get_accRole(childVariant(CHILDID_SELF), &role);
    object.get_accState(childVariant(2), &state);
    object.get_accName(childVariant(2), &name);
    long left = 0, top = 0, width = 0, height = 0;
    object.accLocation(&left, &top, &width, &height, childVariant(2));
    const HRESULT selected = object.accSelect(SELFLAG_TAKESELECTION, childVariant(3));
    std::printf("children %ld\nrole %ld\nstate %ld\nname %s\nlocation %ld %ld %ld %ld\nselect 0x%08lx\n",
                count, integer(role), integer(state), toUtf8(text(name)).c_str(), left, top, width, height,
                static_cast<unsigned long>(selected));
    return 0;
}

// The children as listed, then walked forwards and backwards.
int walkWindow(IAccessible& object) {
    std::string listed;
    for (const Child& child : enumerate(object)) listed += " " + describe(child);
    Child self{ComRef<IAccessible>::retain(&object), CHILDID_SELF};
    std::printf("enumerated%s\nforwards%s\nbackwards%s\n", listed.c_str(),
                walk(object, navigate(object, self, NAVDIR_FIRSTCHILD), NAVDIR_NEXT).c_str(),
                walk(object, navigate(object, self, NAVDIR_LASTCHILD), NAVDIR_PREVIOUS).c_str());
    return 0;
}

// For each "<child>:<direction>" argument, where that direction leads.
int navigateWindow(IAccessible& object, int argc, char** argv) {
    const std::vector<Child> children = enumerate(object);
    for (int i = 0; i < argc; ++i) {
        const std::string query = argv[i];
        const std::string from = query.substr(0, query.find(':'));
        const long direction = std::atol(query.c_str() + query.find(':') + 1);
        std::string reached = "unknown";
        for (const Child& child : children)
            if (describe(child) == from) reached = describe(navigate(object, child, direction));
        std::printf("%s %s\n", query.c_str(), reached.c_str());
    }
    return 0;
}

// The first child after a Reset of a new enumeration.
int firstChild(IAccessible& object) {
    ComRef<IEnumVARIANT> children;
    object.QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(children.put()));
    VARIANT item;
    VariantInit(&item);
    ULONG fetched = 0;
    if (children) {
        children->Reset();
        children->Next(1, &item, &fetched);
    }
    std::printf("first %s\n", describe(childFrom(object, item)).c_str());
    return 0;
}

// A Clone made after skipping three children, then the next child of the copy and of the original.
int cloneEnumeration(IAccessible& object) {
    ComRef<IEnumVARIANT> mine, copy;
    object.QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(mine.put()));
    if (!mine || FAILED(mine->Skip(3)) || FAILED(mine->Clone(copy.put())) || !copy) return 1;
    const auto next = [&](IEnumVARIANT& children) {
        VARIANT item;
        VariantInit(&item);
        ULONG fetched = 0;
        children.Next(1, &item, &fetched);
        return describe(childFrom(object, item));
    };
    const std::string copied = next(*copy);
    std::printf("copy %s then mine %s\n", copied.c_str(), next(*mine).c_str());
    return 0;
}

// What a read-status-bar command finds at each client point "x,y": the object
// there or the nearest status bar above it, and the text of what was hit.
int statusBarAt(HWND window, int argc, char** argv) {
    for (int i = 0; i < argc; ++i) {
        POINT point{std::atol(argv[i]), std::atol(std::strchr(argv[i], ',') + 1)};
        ClientToScreen(window, &point);
        ComRef<IAccessible> hit;
        VARIANT id;
        VariantInit(&id);
        std::string found = "none";
        if (SUCCEEDED(AccessibleObjectFromPoint(point, hit.put(), &id)) && hit) {
            BSTR name = nullptr;
            hit->get_accName(id, &name);
            const std::string hitName = toUtf8(text(name));
            // What was hit, then the object holding it when it is a simple element, then the parents.
            ComRef<IAccessible> at = std::move(hit);
            VARIANT asked = id;
            for (int depth = 0; at && depth < 10; ++depth) {
                VARIANT role;
                VariantInit(&role);
                at->get_accRole(asked, &role);
                if (integer(role) == ROLE_SYSTEM_STATUSBAR) {
                    found = "statusbar " + hitName;
                    break;
                }
                if (integer(asked) != CHILDID_SELF) {
                    asked = childVariant(CHILDID_SELF);
                    continue;
                }
                ComRef<IDispatch> parent;
                at->get_accParent(parent.put());
                ComRef<IAccessible> next;
                if (parent) parent->QueryInterface(IID_IAccessible, reinterpret_cast<void**>(next.put()));
                at = std::move(next);
            }
        }
        VariantClear(&id);
        std::printf("%s %s\n", argv[i], found.c_str());
    }
    return 0;
}

}  // namespace

int runAccessibleClient(int argc, char** argv) {
    if (argc < 4) return 2;
    const ComApartment apartment;
    const std::string command = argv[2];
    const HWND window = reinterpret_cast<HWND>(static_cast<INT_PTR>(std::strtoll(argv[3], nullptr, 10)));
    const ComRef<IAccessible> object = clientObject(window);
    if (!object) {
        std::printf("no object\n");
        return 1;
    }
    const int rest = argc - 4;
    char** arguments = argv + 4;
    const int code = command == "read-matrix"     ? readMatrix(*object)
                     : command == "walk"          ? walkWindow(*object)
                     : command == "navigate"      ? navigateWindow(*object, rest, arguments)
                     : command == "first"         ? firstChild(*object)
                     : command == "clone"         ? cloneEnumeration(*object)
                     : command == "status-bar-at" ? statusBarAt(window, rest, arguments)
                                                  : 2;
    std::fflush(stdout);
    return code;
}

std::string askFromOutside(WindowUnderTest& w, const char* command, HWND window,
                           const std::string& arguments) {
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 1 << 16)) return "no pipe";
    const UniqueFile reader(readEnd), writer(writeEnd);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring commandLine = L"\"" + std::wstring(exe) + L"\" " + ascii(kClientSwitch) + L" " +
                               ascii(command) + L" " + std::to_wstring(reinterpret_cast<INT_PTR>(window)) +
                               L" " + ascii(arguments);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(exe, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &process))
        return "no process";
    const UniqueFile processHandle(process.hProcess), threadHandle(process.hThread);
    const bool ended =
        w.pumpUntil([&] { return WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0; }, 30000);
    if (!ended) TerminateProcess(process.hProcess, 9);
    std::string output;
    DWORD available = 0;
    while (PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
        char buffer[4096];
        DWORD got = 0;
        if (!ReadFile(readEnd, buffer, sizeof(buffer), &got, nullptr) || got == 0) break;
        for (DWORD i = 0; i < got; ++i)
            if (buffer[i] != '\r') output.push_back(buffer[i]);  // the client's stdout is in text mode
    }
    return output;
}

}  // namespace calderwynfell::test
