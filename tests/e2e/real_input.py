#!/usr/bin/env python3
"""Drives the running Calderwynfell window with real input from the X server
(xdotool: XTEST key presses and mouse clicks), never with posted messages, and
checks each outcome through app_observer.exe, a second process that reads the
window's focus, controls and, through MSAA, its painted texts.

Usage: real_input.py OBSERVER_EXE SILENT_CIDR OUT_DIR ANSWERING_CIDR
Only loopback and the test bed's ranges are ever scanned: before any key or
click that could start a scan, the observer confirms both address fields hold
such addresses. Every wait is bounded and names what it waits for.
"""
import re
import subprocess
import sys
import time

START_EDIT, END_EDIT, START, STOP, NETWORKS, SETTINGS = 101, 102, 103, 104, 105, 106
TIMEOUT, ATTEMPTS, CONCURRENCY = 107, 108, 109
MATRIX_VIEW, LIST_VIEW, ONLINE_ONLY, EXPORT, PREVIOUS, NEXT, COPY = 110, 111, 112, 113, 114, 115, 116
LIST, MATRIX = 117, 118
# Painted elements of the window's accessible object, in reading order.
CARD_UNTESTED, PAGE, DETAIL, STATUS, FOOT = 3, 6, 7, 9, 11
ROLE_TEXT, ROLE_ALERT, ROLE_PROGRESSBAR = 41, 8, 48
LOOPBACK = ("127.0.0.1", "127.0.1.44")  # 300 addresses: two matrix pages


class Failure(Exception):
    pass


class Observer:
    def __init__(self, exe, log):
        self.process = subprocess.Popen(["wine", exe], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        stderr=log, encoding="utf-8", bufsize=1)

    def ask(self, command):
        self.process.stdin.write(command + "\n")
        self.process.stdin.flush()
        line = self.process.stdout.readline().rstrip("\r\n")
        if not line.startswith("ok"):
            raise Failure(f"{command}: {line or 'the observer ended'}")
        return line[3:]

    def painted(self):
        return [tuple(e.split("|")) for e in self.ask("painted").split("\t") if e]

    def close(self):
        try:
            self.process.stdin.write("quit\n")
            self.process.stdin.close()
            self.process.wait(timeout=20)
        except (OSError, subprocess.TimeoutExpired):
            self.process.kill()


def xdotool(*args):
    return subprocess.run(["xdotool", *args], check=True, capture_output=True, text=True,
                          timeout=30).stdout.strip()


def key(*names):
    xdotool("key", "--delay", "40", *names)


def type_text(text):
    xdotool("type", "--delay", "30", text)


def click_at(x, y):
    xdotool("mousemove", "--sync", str(x), str(y), "click", "1")


def screen_area(left, top, right, bottom):
    """The screen's pixels in a rectangle, as rows of (r, g, b), read from the X server."""
    ppm = subprocess.run(["import", "-window", "root", "-crop", f"{right - left}x{bottom - top}+{left}+{top}",
                          "-depth", "8", "ppm:-"], check=True, capture_output=True, timeout=30).stdout
    header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", ppm)  # one byte a sample after a single blank
    if not header:
        raise Failure("the screen could not be read")
    width, height, data = int(header.group(1)), int(header.group(2)), ppm[header.end():]
    return [[tuple(data[(y * width + x) * 3:(y * width + x) * 3 + 3]) for x in range(width)]
            for y in range(height)]


def settled_area(rect):
    """The area once two readings a moment apart agree: painting has finished."""
    last = screen_area(*rect)
    for _ in range(20):
        time.sleep(0.1)  # between readings of the screen, not synchronisation: the comparison decides
        now = screen_area(*rect)
        if now == last:
            return now
        last = now
    raise Failure(f"the screen at {rect} kept changing")


def changed_points(before, after):
    return [(x, y) for y, (a, b) in enumerate(zip(before, after)) for x, (p, q) in enumerate(zip(a, b)) if p != q]


def address_value(text):
    a, b, c, d = map(int, text.split("."))
    return (a << 24) | (b << 16) | (c << 8) | d


class Suite:
    def __init__(self, observer, silent_cidr, answering_cidr):
        self.o = observer
        network = silent_cidr.split("/")[0].rsplit(".", 1)[0]
        self.silent = (network + ".1", network + ".254")
        self.prefix = network + "."
        # Two pages: the answering /24, then the first 96 silent addresses, some seconds of probing.
        answering = answering_cidr.split("/")[0]
        self.two_pages = (answering, network + ".95")
        self.two_pages_adjoin = address_value(network + ".0") == address_value(answering) + 256
        self.app_window = None

    def expect(self, what, got, wanted):
        if got != wanted:
            raise Failure(f"{what}: got {got!r}, wanted {wanted!r}")

    def focus_is(self, control, ms=5000):
        self.o.ask(f"wait-focus {control} {ms}")

    def status_becomes(self, prefix, ms=30000):
        return self.o.ask(f"wait-painted {STATUS} {prefix} {ms}")

    def focus_app(self):
        xdotool("windowfocus", "--sync", self.app_window)

    def type_range(self, start, end):
        """From the start field with its text selected: type both ends and read them back."""
        self.focus_is(START_EDIT)
        type_text(start)
        key("Tab")
        self.focus_is(END_EDIT)
        type_text(end)
        self.expect("start field", self.o.ask(f"text {START_EDIT}"), start)
        self.expect("end field", self.o.ask(f"text {END_EDIT}"), end)
        self.o.ask("guard")

    def select_start_field(self):
        """Tab into the start field, which selects its text, from wherever the focus is."""
        if self.o.ask("focus") == str(START_EDIT):
            key("Tab")
        self.tab_until(START_EDIT)

    def back_to_start_field(self):
        """Shift+Tab then Tab lands in the start field with its text selected, as dialog navigation does."""
        key("shift+Tab")
        self.focus_is(START_EDIT)

    def rect(self, control):
        return tuple(map(int, self.o.ask(f"rect {control}").split()))

    def cell_box(self, cell):
        """Matrix cell as painted, inside its one-pixel inset, in matrix coordinates."""
        left, top, right, bottom = self.rect(MATRIX)
        w, h = right - left, bottom - top
        col, row = cell % 16, cell // 16
        return (col * w) // 16 + 1, (row * h) // 16 + 1, ((col + 1) * w) // 16 - 1, ((row + 1) * h) // 16 - 1

    def untested(self):
        return int(self.o.painted()[CARD_UNTESTED][2].split(" ")[0])

    def scan_runs(self):
        self.o.ask(f"wait-state {STOP} 1 1 5000")

    def stop_mid_scan(self, key_name):
        key(key_name)
        self.status_becomes("已停止", 10000)
        if self.untested() == 0:
            raise Failure(f"{key_name} came too late: every address was tested")

    def press(self, control):
        """Tab to a button and press Enter on it."""
        self.tab_until(control)
        key("Return")

    def tab_until(self, control, limit=20):
        for _ in range(limit):
            if self.o.ask("focus") == str(control):
                return
            key("Tab")
        self.focus_is(control, 1000)

    # --- the checks, in order; each leaves the window for the next ---

    def start_up(self):
        self.app_window = xdotool("search", "--sync", "--onlyvisible", "--name", "^Calderwynfell - by")
        self.app_window = self.app_window.split()[0]
        self.focus_app()
        self.focus_is(START_EDIT)

    def type_range_then_f5(self):
        self.type_range(*LOOPBACK)
        key("F5")
        self.status_becomes("扫描完成 · 300 / 300")
        self.focus_is(END_EDIT)  # given back where the scan found it

    def f5_again_without_a_click(self):
        # The end field has the focus back with its caret after the last digit, as F5 found it.
        caret = len(LOOPBACK[1])
        self.expect("end field's caret after the scan", self.o.ask(f"selection {END_EDIT}"), f"{caret} {caret}")
        key("shift+Home")
        type_text("127.0.1.0")
        self.expect("end field", self.o.ask(f"text {END_EDIT}"), "127.0.1.0")
        self.o.ask("guard")
        key("F5")
        self.status_becomes("扫描完成 · 256 / 256")
        self.back_to_start_field()
        key("Tab")
        type_text(LOOPBACK[1])
        self.o.ask("guard")
        key("F5")
        self.status_becomes("扫描完成 · 300 / 300")

    def painted_after_a_scan(self):
        painted = self.o.painted()
        self.expect("painted elements", len(painted), 12)
        self.expect("address card", painted[0], (str(ROLE_TEXT), "地址", "300"))
        self.expect("progress", painted[8], (str(ROLE_PROGRESSBAR), "扫描进度", "100%"))
        self.expect("status", painted[STATUS], (str(ROLE_TEXT), "扫描完成 · 300 / 300", ""))
        self.expect("page", painted[PAGE][1], "1/2")
        self.expect("foot line", painted[FOOT], (str(ROLE_TEXT), "无响应不等于离线，设备可能禁用了 Ping。", ""))

    def tab_into_the_matrix_shows_the_focus(self):
        """With nothing selected, the first cell of the page carries the focus rectangle."""
        self.tab_until(NEXT)
        area = self.rect(MATRIX)
        before = settled_area(area)
        key("Tab")
        self.focus_is(MATRIX)
        changed = changed_points(before, settled_area(area))
        left, top, right, bottom = self.cell_box(0)
        if len(changed) < (right - left) or any(not (left < x < right - 1 and top < y < bottom - 1)
                                                for x, y in changed):
            xs, ys = [x for x, _ in changed] or [0], [y for _, y in changed] or [0]
            raise Failure(f"focus rectangle: {len(changed)} pixels changed in x {min(xs)}..{max(xs)}, "
                          f"y {min(ys)}..{max(ys)}; wanted a ring inside cell 0 at {(left, top, right, bottom)}")

    def settings_row_leaves_the_matrix_whole(self):
        """Shown and hidden again, the row leaves the matrix as a full repaint draws it."""
        for shown in ("1", "0"):
            self.press(SETTINGS)
            self.o.ask(f"wait-state {TIMEOUT} {shown} 1 5000")
            area = self.rect(MATRIX)
            toggled = settled_area(area)
            self.o.ask(f"redraw {MATRIX}")
            if changed_points(toggled, settled_area(area)):
                raise Failure(f"the matrix after the settings row was {'shown' if shown == '1' else 'hidden'} "
                              "differs from a full repaint")
        self.tab_until(END_EDIT)

    def space_presses_buttons_and_ticks_the_filter(self):
        self.tab_until(SETTINGS)
        for shown in ("1", "0"):
            key("space")
            self.o.ask(f"wait-state {TIMEOUT} {shown} 1 5000")
        self.tab_until(ONLINE_ONLY)
        for ticked in ("1", "0"):
            key("space")
            self.expect("只看在线 ticked", self.o.ask(f"checked {ONLINE_ONLY}"), ticked)
        self.tab_until(END_EDIT)

    def reversed_range_is_an_alert(self):
        self.back_to_start_field()
        type_text("127.0.1.99")
        self.o.ask("guard")
        key("F5")
        self.o.ask(f"wait-painted {FOOT} 结束 IP 不能小于起始 IP。 5000")
        self.expect("foot line", self.o.painted()[FOOT], (str(ROLE_ALERT), "结束 IP 不能小于起始 IP。", ""))
        key("Tab")
        self.back_to_start_field()
        type_text(LOOPBACK[0])
        self.o.ask("guard")

    def tab_and_shift_tab(self):
        # Enter on 扫描设置 shows the option row; an arrow in the matrix selects, so copy opens.
        self.press(SETTINGS)
        self.o.ask(f"wait-state {TIMEOUT} 1 1 5000")
        self.tab_until(MATRIX)
        key("Right")
        self.o.ask(f"wait-painted {DETAIL} 127.0.0.2 · 5000")
        order = [START_EDIT, END_EDIT, START, NETWORKS, SETTINGS, TIMEOUT, ATTEMPTS, CONCURRENCY, MATRIX_VIEW,
                 LIST_VIEW, ONLINE_ONLY, EXPORT, NEXT, COPY, MATRIX]
        key("Tab")  # from the matrix round to the start
        for control in order:
            self.focus_is(control, 2000)
            key("Tab")
        self.focus_is(START_EDIT, 2000)
        for control in list(reversed(order[1:])) + [START_EDIT]:
            key("shift+Tab")
            self.focus_is(control, 2000)
        key("Tab")
        self.focus_is(END_EDIT)

    def enter_on_buttons(self):
        self.press(NEXT)
        self.o.ask(f"wait-painted {PAGE} 2/2 5000")
        self.focus_is(COPY)  # the next-page button is disabled on the last page: the focus moved on
        key("shift+Tab")
        self.focus_is(PREVIOUS)
        key("Return")
        self.o.ask(f"wait-painted {PAGE} 1/2 5000")
        self.focus_is(NEXT)
        self.press(COPY)
        self.o.ask(f"wait-painted {DETAIL} 已复制 127.0.0.2 5000")
        self.press(LIST_VIEW)
        self.o.ask(f"wait-state {LIST} 1 1 5000")
        key("shift+Tab")
        self.focus_is(MATRIX_VIEW)
        key("Return")
        self.o.ask(f"wait-state {MATRIX} 1 1 5000")
        self.press(EXPORT)
        self.o.ask("wait-dialog 1 20000")
        key("Escape")
        self.o.ask("wait-dialog 0 10000")
        self.focus_is(EXPORT)
        # 16 probes at a time, chosen with the keyboard: the silent scans below then last long enough.
        self.tab_until(CONCURRENCY)
        key("Up")
        self.expect("concurrency", self.o.ask(f"text {CONCURRENCY}"), "16")
        self.press(SETTINGS)
        self.o.ask(f"wait-state {TIMEOUT} 0 1 5000")

    def arrows_in_the_network_box(self):
        """Down and Up choose the next and the previous network. The fields then hold a
        network of this machine: the next check types a test range before any scan."""
        self.tab_until(NETWORKS)
        selected, count = map(int, self.o.ask(f"combo {NETWORKS}").split())
        after_down = min(max(selected, 0) + 1, count - 1)
        key("Down")
        self.expect("network after Down", self.o.ask(f"combo {NETWORKS}"), f"{after_down} {count}")
        key("Up")
        self.expect("network after Up", self.o.ask(f"combo {NETWORKS}"),
                    f"{max(after_down - 1, 0) if count else -1} {count}")

    def start_and_stop_with_enter(self):
        self.tab_until(START_EDIT)
        self.type_range(*self.silent)
        self.tab_until(START)
        self.o.ask("guard")
        key("Return")
        self.scan_runs()
        self.focus_is(STOP)
        self.stop_mid_scan("Return")
        self.focus_is(START)  # what the program moved goes back where the scan found it

    def esc_after_f5_in_the_start_field(self):
        self.tab_until(START_EDIT)
        self.o.ask("guard")
        key("F5")
        self.scan_runs()
        self.focus_is(STOP)
        self.stop_mid_scan("Escape")
        self.focus_is(START_EDIT)

    def esc_after_a_click_on_start(self):
        left, top, right, bottom = map(int, self.o.ask(f"rect {START}").split())
        self.o.ask("guard")
        click_at((left + right) // 2, (top + bottom) // 2)
        self.scan_runs()
        self.stop_mid_scan("Escape")

    def arrows_and_typing_during_a_scan(self):
        self.tab_until(START_EDIT)
        key("Tab")
        self.o.ask("guard")
        key("F5")
        self.scan_runs()
        # A click on the matrix's first cell, then arrows across ticks that bring results.
        left, top, right, bottom = map(int, self.o.ask(f"rect {MATRIX}").split())
        click_at(left + (right - left) // 32, top + (bottom - top) // 32)
        self.o.ask(f"wait-painted {DETAIL} {self.prefix}1 · 5000")
        key("Right")
        self.o.ask(f"wait-painted {DETAIL} {self.prefix}2 · 5000")
        self.o.ask(f"wait-change {STATUS} 10000")
        key("Down")
        self.o.ask(f"wait-painted {DETAIL} {self.prefix}18 · 5000")
        # The list, reached by Tab: its selection row has the focus and the arrows go on from it.
        self.press(LIST_VIEW)
        self.o.ask(f"wait-state {LIST} 1 1 5000")
        self.tab_until(LIST)
        self.expect("list selected and focused rows", self.o.ask("list").split()[:2], ["17", "17"])
        key("Down")
        self.o.ask(f"wait-painted {DETAIL} {self.prefix}19 · 5000")
        self.o.ask(f"wait-change {STATUS} 10000")
        key("Down")
        self.o.ask(f"wait-painted {DETAIL} {self.prefix}20 · 5000")
        self.expect("list selected and focused rows", self.o.ask("list").split()[:2], ["19", "19"])
        type_text(self.prefix + "25")
        self.o.ask(f"wait-painted {DETAIL} {self.prefix}25 · 5000")
        self.expect("list selected row", self.o.ask("list").split()[0], "24")
        key("Escape")
        self.status_becomes("已停止", 10000)
        self.focus_is(LIST)

    def control_digits_sort_the_list(self):
        self.focus_is(LIST)
        self.expect("sort arrows", self.o.ask("header"), "up - - - -")
        key("ctrl+1")
        self.expect("sort arrows after Ctrl+1", self.o.ask("header"), "down - - - -")
        key("ctrl+1")
        self.expect("sort arrows after Ctrl+1 twice", self.o.ask("header"), "up - - - -")
        key("ctrl+3")
        self.expect("sort arrows after Ctrl+3", self.o.ask("header"), "- - up - -")
        key("ctrl+1")

    def page_keys_in_the_list(self):
        self.focus_is(LIST)
        count = int(self.o.ask("list").split()[3])
        selected = lambda: int(self.o.ask("list").split()[0])
        key("Home")
        self.expect("row after Home", selected(), 0)
        key("End")
        self.expect("row after End", selected(), count - 1)
        key("Prior")
        page_up = selected()
        if not 0 < page_up < count - 2:
            raise Failure(f"Page Up from the last of {count} rows went to row {page_up}")
        key("Next")
        self.expect("row after Page Down", selected(), count - 1)

    def another_window_and_back(self):
        # Without a window manager there is no Alt+Tab: a click activates, as it does on Windows.
        self.o.ask("other show")
        left, top, right, bottom = map(int, self.o.ask("rect 0").split())
        self.focus_is(-1)
        click_at(left + 30, top + 18)  # on the painted label 扫描范围, not on a control
        self.focus_is(LIST)
        self.o.ask("other hide")

    def activation_keeps_the_caret(self):
        """Coming back restores the focus and nothing else: the caret stays at the end."""
        self.tab_until(START_EDIT)
        key("End")
        length = len(self.o.ask(f"text {START_EDIT}"))
        self.expect("caret at the end", self.o.ask(f"selection {START_EDIT}"), f"{length} {length}")
        self.o.ask("other show")
        self.focus_is(-1)
        left, top, right, bottom = self.rect(0)
        # Elsewhere on the painted label than the last click: the pointer must move for --sync.
        click_at(left + 40, top + 20)
        self.focus_is(START_EDIT)
        self.expect("selection after activation", self.o.ask(f"selection {START_EDIT}"), f"{length} {length}")
        self.o.ask("other hide")

    def start_two_page_scan(self):
        """F5 from the end field after typing the two-page range; the scan hands the focus to 停止."""
        if not self.two_pages_adjoin:
            raise Failure(f"the test bed's ranges do not adjoin: {self.two_pages}")
        self.select_start_field()
        self.type_range(*self.two_pages)
        key("F5")
        self.scan_runs()
        self.focus_is(STOP)

    def still_scanning(self, what):
        if self.o.ask(f"state {STOP}") != "1 1":
            raise Failure(f"{what} came too late: the scan had already ended")

    def ends_with_the_focus_on(self, control):
        self.status_becomes("扫描完成 · 352 / 352")
        self.focus_is(control, 1000)

    def paging_to_the_last_page_during_a_scan(self):
        """The page turn greys out 下一页 and moves the focus on: the user's doing, which the end keeps."""
        self.press(MATRIX_VIEW)
        self.o.ask(f"wait-state {MATRIX} 1 1 5000")
        self.start_two_page_scan()
        self.tab_until(NEXT)
        key("space")
        self.o.ask(f"wait-painted {PAGE} 2/2 5000")
        self.still_scanning("the page turn")
        self.focus_is(MATRIX)
        self.ends_with_the_focus_on(MATRIX)

    def focus_request_through_msaa_during_a_scan(self):
        """A screen reader's focus request moves the focus for its user: the end keeps it too."""
        self.start_two_page_scan()
        self.o.ask("msaa-focus 1")
        self.focus_is(MATRIX)
        self.still_scanning("the focus request")
        self.ends_with_the_focus_on(MATRIX)

    def alt_f4_during_a_scan_closes(self):
        """Alt+F4 stops the scan and closes once the probes in flight are back: seconds before the
        rest of the range would have been probed."""
        self.select_start_field()
        self.type_range(*self.silent)
        key("F5")
        self.scan_runs()
        left = self.untested()
        if left < 150:
            raise Failure(f"only {left} addresses were left to probe: the check would show nothing")
        began = time.monotonic()
        key("alt+F4")
        self.o.ask("wait-gone 8000")
        print(f"real-input: closed {time.monotonic() - began:.1f} s after Alt+F4 with {left} addresses left",
              flush=True)


def main(observer_exe, silent_cidr, out_dir, answering_cidr):
    with open(f"{out_dir}/observer.log", "w") as log:
        observer = Observer(observer_exe, log)
        suite = Suite(observer, silent_cidr, answering_cidr)
        checks = [suite.start_up, suite.type_range_then_f5, suite.f5_again_without_a_click,
                  suite.painted_after_a_scan, suite.tab_into_the_matrix_shows_the_focus,
                  suite.settings_row_leaves_the_matrix_whole, suite.space_presses_buttons_and_ticks_the_filter,
                  suite.reversed_range_is_an_alert, suite.tab_and_shift_tab, suite.enter_on_buttons,
                  suite.arrows_in_the_network_box, suite.start_and_stop_with_enter,
                  suite.esc_after_f5_in_the_start_field, suite.esc_after_a_click_on_start,
                  suite.arrows_and_typing_during_a_scan, suite.control_digits_sort_the_list,
                  suite.page_keys_in_the_list, suite.another_window_and_back, suite.activation_keeps_the_caret,
                  suite.paging_to_the_last_page_during_a_scan, suite.focus_request_through_msaa_during_a_scan,
                  suite.alt_f4_during_a_scan_closes]
        try:
            observer.ask("ready")
            began = time.monotonic()
            for check in checks:
                check()
                print(f"real-input: {check.__name__}: ok ({time.monotonic() - began:.1f} s)", flush=True)
                began = time.monotonic()
        except (Failure, subprocess.CalledProcessError, subprocess.TimeoutExpired) as fault:
            print(f"real-input: FAILED in {check.__name__}: {fault}", flush=True)
            return 1
        finally:
            observer.close()
    return 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:5]))
