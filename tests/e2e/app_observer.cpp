// Watches the running Calderwynfell window from another process while the
// real-input suite (real_input.py) presses keys and clicks through the X
// server. It never sends the app input: it only reads, one command per line on
// stdin, one answer line on stdout ("ok ..." or "fail <what was awaited>").
// Every wait is bounded and names what it awaited.
//
//   ready                         the window is up with its proposed range
//   focus                         id of the control with the keyboard focus (0 the window, -1 none)
//   wait-focus <id> <ms>          until that control has the focus
//   state <id>                    "visible enabled" of a control, as 0 or 1
//   wait-state <id> <visible> <enabled> <ms>
//   text <id>                     a control's text
//   rect <id>                     a control's screen rectangle (0: the client area): left top right bottom
//   list                          detail list: "selected focused top count"
//   painted                       the window's painted elements through MSAA, the status bar's
//                                 parts among them, one "role|name|value" each
//   wait-painted <i> <prefix> <ms>  until painted element i's name begins with prefix (spaces allowed)
//   wait-change <i> <ms>          until painted element i's name differs from what it is now
//   guard                         ok only when both address fields hold loopback or test bed addresses
//   wait-dialog <0|1> <ms>        until the export save dialog is gone or shown
//   other <show|hide>             this process's own top-level window, titled "app_observer other"
//   selection <id>                an edit's selection: "start end"
//   checked <id>                  a check box's state, 0 or 1
//   combo <id>                    a combo box's "selected count"
//   header                        the detail list's sort arrows, column by column: up, down or -
//   redraw <id>                   a control repainted whole, now (RedrawWindow)
//   msaa-focus <cell>             a screen reader's focus request: accSelect(SELFLAG_TAKEFOCUS) on a matrix
//   cell wait-gone <ms>                until the main window no longer exists

#include <windows.h>
// Defines IID_IAccessible here: taken from a static liboleacc.a it would be an import thunk.
#include <initguid.h>
#include <oleacc.h>

#include <commctrl.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "app_window.h"

namespace {

using namespace calderwynfell::e2e;

constexpr int kDetailList = 117;
constexpr int kMatrix = 118;
constexpr wchar_t kExportTitle[] = L"导出当前筛选下的全部结果";
constexpr wchar_t kOtherTitle[] = L"app_observer other";

std::string utf8(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), size, nullptr,
                        nullptr);
    return out;
}

std::wstring wide(const std::string& text) {
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), size);
    return out;
}

std::vector<std::string> words(const std::string& line) {
    std::vector<std::string> out;
    std::size_t at = 0;
    while (at < line.size()) {
        const std::size_t end = line.find(' ', at);
        out.push_back(line.substr(at, end == std::string::npos ? std::string::npos : end - at));
        if (end == std::string::npos) break;
        at = end + 1;
    }
    return out;
}

VARIANT self() {
    VARIANT id;
    VariantInit(&id);
    id.vt = VT_I4;
    id.lVal = CHILDID_SELF;
    return id;
}

long role(IAccessible* object, const VARIANT& child) {
    VARIANT role;
    VariantInit(&role);
    object->get_accRole(child, &role);
    return role.vt == VT_I4 ? role.lVal : -1;
}

std::vector<VARIANT> children(IAccessible* object) {
    long count = 0;
    object->get_accChildCount(&count);
    std::vector<VARIANT> items(static_cast<std::size_t>(count));
    long got = 0;
    AccessibleChildren(object, 0, count, items.data(), &got);
    items.resize(static_cast<std::size_t>(got));
    return items;
}

// "role|name|value" of one simple element.
std::wstring describe(IAccessible* object, const VARIANT& child) {
    BSTR name = nullptr, value = nullptr;
    object->get_accName(child, &name);
    object->get_accValue(child, &value);
    std::wstring line =
        std::to_wstring(role(object, child)) + L"|" + (name ? name : L"") + L"|" + (value ? value : L"");
    SysFreeString(name);
    SysFreeString(value);
    return line;
}

class Observer {
   public:
    explicit Observer(HWND main) : main_(main), thread_(GetWindowThreadProcessId(main, nullptr)) {}

    int focusId() const {
        GUITHREADINFO info{};
        info.cbSize = sizeof(info);
        if (!GetGUIThreadInfo(thread_, &info) || !info.hwndFocus) return -1;
        if (info.hwndFocus == main_) return 0;
        return IsChild(main_, info.hwndFocus) ? GetDlgCtrlID(info.hwndFocus) : -1;
    }

    std::string state(int id) const {
        const HWND control = GetDlgItem(main_, id);
        return std::to_string(IsWindowVisible(control) ? 1 : 0) + " " +
               std::to_string(IsWindowEnabled(control) ? 1 : 0);
    }

    // Of a control, or for 0 of the window's client area, on the screen.
    std::string rect(int id) const {
        RECT rect{};
        if (id == 0) {
            GetClientRect(main_, &rect);
            MapWindowPoints(main_, nullptr, reinterpret_cast<POINT*>(&rect), 2);
        } else {
            GetWindowRect(GetDlgItem(main_, id), &rect);
        }
        return std::to_string(rect.left) + " " + std::to_string(rect.top) + " " + std::to_string(rect.right) +
               " " + std::to_string(rect.bottom);
    }

    std::string list() const {
        const HWND list = GetDlgItem(main_, kDetailList);
        const auto next = [&](UINT flags) {
            return std::to_string(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), flags));
        };
        return next(LVNI_SELECTED) + " " + next(LVNI_FOCUSED) + " " +
               std::to_string(SendMessageW(list, LVM_GETTOPINDEX, 0, 0)) + " " +
               std::to_string(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    }

    // What the window paints itself, through its accessible object: the simple
    // children, and the parts of the status bar at the foot.
    std::vector<std::wstring> painted() const {
        std::vector<std::wstring> lines;
        IAccessible* object = nullptr;
        if (FAILED(AccessibleObjectFromWindow(main_, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                              reinterpret_cast<void**>(&object))))
            return lines;
        for (VARIANT& child : children(object)) {
            if (child.vt == VT_I4) lines.push_back(describe(object, child));
            IAccessible* part = nullptr;
            if (child.vt == VT_DISPATCH && child.pdispVal &&
                SUCCEEDED(child.pdispVal->QueryInterface(IID_IAccessible, reinterpret_cast<void**>(&part)))) {
                if (role(part, self()) == ROLE_SYSTEM_STATUSBAR)
                    for (VARIANT& item : children(part)) lines.push_back(describe(part, item));
                part->Release();
            }
            VariantClear(&child);
        }
        object->Release();
        return lines;
    }

    std::wstring paintedName(std::size_t index) const {
        const auto lines = painted();
        if (index >= lines.size()) return {};
        const std::wstring& line = lines[index];
        const std::size_t first = line.find(L'|'), second = line.find(L'|', first + 1);
        return line.substr(first + 1, second - first - 1);
    }

    bool guard() const {
        const std::wstring start = windowText(GetDlgItem(main_, kStartEdit));
        const std::wstring end = windowText(GetDlgItem(main_, kEndEdit));
        return allowedTarget(start.c_str(), end.c_str(), true);
    }

    bool dialogShown() const {
        for (HWND dialog = nullptr;
             (dialog = FindWindowExW(nullptr, dialog, L"#32770", kExportTitle)) != nullptr;)
            if (GetWindow(dialog, GW_OWNER) == main_ && IsWindowVisible(dialog)) return true;
        return false;
    }

    std::string selection(int id) const {
        const auto packed = static_cast<DWORD>(SendMessageW(GetDlgItem(main_, id), EM_GETSEL, 0, 0));
        return std::to_string(LOWORD(packed)) + " " + std::to_string(HIWORD(packed));
    }

    // HDM_GETITEMW is not marshalled between processes: the item lives in the app's memory.
    std::string header() const {
        const HWND header =
            reinterpret_cast<HWND>(SendMessageW(GetDlgItem(main_, kDetailList), LVM_GETHEADER, 0, 0));
        DWORD processId = 0;
        GetWindowThreadProcessId(main_, &processId);
        const HANDLE process =
            OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
        if (!process) return "no process";
        void* remote = VirtualAllocEx(process, nullptr, sizeof(HDITEMW), MEM_COMMIT, PAGE_READWRITE);
        std::string arrows;
        for (int column = 0; remote && column < 5; ++column) {
            HDITEMW item{};
            item.mask = HDI_FORMAT;
            SIZE_T moved = 0;
            WriteProcessMemory(process, remote, &item, sizeof(item), &moved);
            SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(remote));
            ReadProcessMemory(process, remote, &item, sizeof(item), &moved);
            arrows += std::string(arrows.empty() ? "" : " ") + (item.fmt & HDF_SORTUP     ? "up"
                                                                : item.fmt & HDF_SORTDOWN ? "down"
                                                                                          : "-");
        }
        if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
        CloseHandle(process);
        return arrows;
    }

    HWND main() const { return main_; }

   private:
    HWND main_;
    DWORD thread_;
};

// A top-level window of this process with its own message loop, so that it can
// take the activation away from the app when the X server focuses it.
class OtherWindow {
   public:
    ~OtherWindow() { hide(); }
    void show() {
        if (thread_.joinable()) return;
        thread_ = std::thread([this] {
            threadId_ = GetCurrentThreadId();
            window_ = CreateWindowExW(0, L"STATIC", kOtherTitle, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 700, 100,
                                      300, 200, nullptr, nullptr, nullptr, nullptr);
            MSG message;
            while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
        });
        waitFor(
            "the other window", [this] { return window_.load() != nullptr; }, 10000);
    }
    void hide() {
        if (!thread_.joinable()) return;
        PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
        thread_.join();
        window_ = nullptr;
    }

   private:
    std::thread thread_;
    std::atomic<HWND> window_{nullptr};
    std::atomic<DWORD> threadId_{0};
};

std::string answer(const Observer& app, OtherWindow& other, const std::vector<std::string>& w) {
    const auto arg = [&](std::size_t i) { return i < w.size() ? std::atoi(w[i].c_str()) : 0; };
    const std::string& command = w[0];
    if (command == "ready") return "ok";
    if (command == "focus") return "ok " + std::to_string(app.focusId());
    if (command == "wait-focus") {
        const int id = arg(1);
        const std::string what = "the keyboard focus on control " + w[1];
        if (!waitFor(
                what.c_str(), [&] { return app.focusId() == id; }, arg(2)))
            return "fail " + what + ", it is on " + std::to_string(app.focusId());
        return "ok";
    }
    if (command == "state") return "ok " + app.state(arg(1));
    if (command == "wait-state") {
        const std::string wanted = w[2] + " " + w[3];
        const std::string what = "control " + w[1] + " to be (visible enabled) " + wanted;
        if (!waitFor(
                what.c_str(), [&] { return app.state(arg(1)) == wanted; }, arg(4)))
            return "fail " + what + ", it is " + app.state(arg(1));
        return "ok";
    }
    if (command == "text") return "ok " + utf8(windowText(GetDlgItem(app.main(), arg(1))));
    if (command == "rect") return "ok " + app.rect(arg(1));
    if (command == "list") return "ok " + app.list();
    if (command == "painted") {
        std::string out = "ok";
        for (const auto& line : app.painted()) out += "\t" + utf8(line);
        return out;
    }
    if (command == "wait-painted" && w.size() >= 4) {
        // The prefix is every word between the index and the time, spaces included.
        std::string text = w[2];
        for (std::size_t i = 3; i + 1 < w.size(); ++i) text += " " + w[i];
        const auto index = static_cast<std::size_t>(arg(1));
        const std::wstring prefix = wide(text);
        const std::string what = "painted element " + w[1] + " to begin with " + text;
        if (!waitFor(
                what.c_str(), [&] { return app.paintedName(index).rfind(prefix, 0) == 0; },
                arg(w.size() - 1)))
            return "fail " + what + ", it reads " + utf8(app.paintedName(index));
        return "ok " + utf8(app.paintedName(index));
    }
    if (command == "wait-change") {
        const auto index = static_cast<std::size_t>(arg(1));
        const std::wstring before = app.paintedName(index);
        const std::string what = "painted element " + w[1] + " to change from " + utf8(before);
        if (!waitFor(
                what.c_str(), [&] { return app.paintedName(index) != before; }, arg(2)))
            return "fail " + what;
        return "ok " + utf8(app.paintedName(index));
    }
    if (command == "selection") return "ok " + app.selection(arg(1));
    if (command == "checked")
        return "ok " + std::to_string(SendMessageW(GetDlgItem(app.main(), arg(1)), BM_GETCHECK, 0, 0));
    if (command == "combo") {
        const HWND combo = GetDlgItem(app.main(), arg(1));
        return "ok " + std::to_string(SendMessageW(combo, CB_GETCURSEL, 0, 0)) + " " +
               std::to_string(SendMessageW(combo, CB_GETCOUNT, 0, 0));
    }
    if (command == "header") return "ok " + app.header();
    if (command == "redraw") {
        RedrawWindow(GetDlgItem(app.main(), arg(1)), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        return "ok";
    }
    if (command == "msaa-focus") {
        IAccessible* matrix = nullptr;
        if (FAILED(AccessibleObjectFromWindow(GetDlgItem(app.main(), kMatrix),
                                              static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                              reinterpret_cast<void**>(&matrix))))
            return "fail no accessible object for the matrix";
        VARIANT cell = self();
        cell.lVal = arg(1);
        const HRESULT result = matrix->accSelect(SELFLAG_TAKEFOCUS, cell);
        matrix->Release();
        return SUCCEEDED(result) ? "ok" : "fail accSelect answered " + std::to_string(result);
    }
    if (command == "wait-gone") {
        if (!waitFor(
                "the main window to be gone", [&] { return !IsWindow(app.main()); }, arg(1)))
            return "fail the main window is still there";
        return "ok";
    }
    if (command == "guard")
        return app.guard() ? "ok" : "fail the address fields hold a range outside 127/8 and 198.18/15";
    if (command == "wait-dialog") {
        const bool shown = arg(1) != 0;
        const std::string what = std::string("the export dialog to be ") + (shown ? "shown" : "gone");
        if (!waitFor(
                what.c_str(), [&] { return app.dialogShown() == shown; }, arg(2)))
            return "fail " + what;
        return "ok";
    }
    if (command == "other") {
        if (w.size() > 1 && w[1] == "show")
            other.show();
        else
            other.hide();
        return "ok";
    }
    return "fail unknown command " + command;
}

}  // namespace

int main() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const HWND main = readyMainWindow();
    if (!main) {
        std::printf("fail no Calderwynfell window\n");
        return 1;
    }
    const Observer app(main);
    OtherWindow other;
    char buffer[1024];
    while (std::fgets(buffer, sizeof(buffer), stdin)) {
        std::string line = buffer;
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
        if (line.empty()) continue;
        if (line == "quit") break;
        std::printf("%s\n", answer(app, other, words(line)).c_str());
        std::fflush(stdout);
    }
    other.hide();
    CoUninitialize();
    return 0;
}
