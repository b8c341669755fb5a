#!/usr/bin/env python3
"""Checks of the end-to-end run: the screenshot after the scan and the exported CSV."""
import csv
import io
import sys


def read_ppm(path):
    data = open(path, "rb").read()
    fields, pos = [], 0
    while len(fields) < 4:  # magic, width, height, maximum
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos)
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    assert fields[0] == b"P6" and fields[3] == b"255", "expected an 8-bit binary PPM"
    width, height = int(fields[1]), int(fields[2])
    pixels = data[pos + 1:]
    return lambda x, y: tuple(pixels[3 * (y * width + x):3 * (y * width + x) + 3])


def muldiv(value, dpi):
    # MulDiv(value, dpi, 96), rounded half away from zero as the platform does.
    return (value * dpi + 48) // 96 if value >= 0 else -((-value * dpi + 48) // 96)


def check_screen(ppm, geometry):
    boxes = {}
    for line in open(geometry):
        parts = line.split()
        boxes[parts[0]] = [int(p) for p in parts[1:]]
    at = read_ppm(ppm)
    dpi = boxes["dpi"][0]
    failures = []

    left, top, right, bottom = boxes["matrix"]
    width, height, inset = right - left, bottom - top, muldiv(1, dpi)
    online_fill, white = (210, 239, 227), (255, 255, 255)
    for cell in range(256):
        col, row = cell % 16, cell // 16
        x = left + (col * width) // 16 + inset + 2
        y = top + (row * height) // 16 + inset + 2
        expected = online_fill if cell < 254 else white
        if at(x, y) != expected:
            failures.append(f"cell {cell} at ({x}, {y}) is {at(x, y)}, expected {expected}")

    cleft, ctop, cright, cbottom = boxes["client"]
    units_w = (cright - cleft) * 96 // dpi
    units_h = (cbottom - ctop) * 96 // dpi
    y = ctop + muldiv(units_h - 43, dpi)
    accent = (8, 127, 112)
    bar = [at(x, y) for x in range(cleft + muldiv(22, dpi), cleft + muldiv(units_w - 22, dpi))]
    wrong = sum(1 for p in bar if p != accent)
    if not bar or wrong:
        failures.append(f"progress bar: {wrong} of {len(bar)} pixels are not the accent green")
    return failures


def check_csv(path):
    data = open(path, "rb").read()
    failures = []
    header = "IP 地址,状态,延迟(ms),尝试次数,检测时间,说明\r\n".encode("utf-8")
    if not data.startswith(b"\xef\xbb\xbf" + header):
        failures.append("the file does not start with the byte-order mark and the exact header")
    rows = list(csv.reader(io.StringIO(data[3:].decode("utf-8"), newline="")))
    body = rows[1:]
    if len(body) != 254:
        failures.append(f"{len(body)} data rows, expected 254")
    for number, row in enumerate(body, start=1):
        expected_address = f"127.0.0.{number}"
        if len(row) != 6 or row[0] != expected_address or row[1] != "在线" or not row[2].isdigit():
            failures.append(f"row {number}: {row}")
            break
    return failures


def main():
    failures = check_screen(sys.argv[1], sys.argv[2]) + check_csv(sys.argv[3])
    for failure in failures:
        print("e2e check:", failure)
    if not failures:
        print("e2e check: 254 online cells, a full progress bar, 254 online rows in the CSV")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
