#!/usr/bin/env python3
"""Draws the application icon and writes res/calderwynfell.ico.

A green rounded tile holding a small address matrix: white cells answer,
muted cells do not. Four PNG-compressed 32-bit images (16, 32, 48, 256 px).
Pure Python (struct + zlib), no image library:  python3 res/make_icon.py
The pixels are deterministic; the file is byte-identical wherever zlib
compresses the same way (checked with zlib 1.2.13).
"""

import os
import struct
import sys
import zlib

TILE = (8, 127, 112)
ONLINE = (255, 255, 255)
SILENT = (92, 172, 158)

# Which cells answer, row by row (1 = online).
PATTERN = {
    3: ["101", "110", "011"],
    4: ["1101", "0110", "1011", "1101"],
}

# Pixel-snapped geometry per size: cells per side, first cell offset, cell size,
# gap, tile corner radius, cell corner radius, samples per pixel side.
GEOMETRY = {
    16: dict(n=3, start=1, cell=4, gap=1, tile_radius=2.5, cell_radius=0.0, samples=8),
    32: dict(n=4, start=3, cell=5, gap=2, tile_radius=6.0, cell_radius=1.0, samples=6),
    48: dict(n=4, start=5, cell=8, gap=2, tile_radius=9.0, cell_radius=1.5, samples=4),
    256: dict(n=4, start=25, cell=44, gap=10, tile_radius=48.0, cell_radius=8.0, samples=3),
}


def inside_rounded(x, y, left, top, right, bottom, radius):
    if x < left or x >= right or y < top or y >= bottom:
        return False
    if radius <= 0:
        return True
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius


def draw(size):
    g = GEOMETRY[size]
    n, start, cell, gap = g["n"], g["start"], g["cell"], g["gap"]
    cells = []
    for row in range(n):
        for col in range(n):
            left = start + col * (cell + gap)
            top = start + row * (cell + gap)
            colour = ONLINE if PATTERN[n][row][col] == "1" else SILENT
            cells.append((left, top, left + cell, top + cell, colour))

    samples = g["samples"]
    offsets = [(i + 0.5) / samples for i in range(samples)]
    total = samples * samples
    rows = []
    for py in range(size):
        row = bytearray()
        for px in range(size):
            r = gr = b = a = 0
            for oy in offsets:
                y = py + oy
                for ox in offsets:
                    x = px + ox
                    if not inside_rounded(x, y, 0, 0, size, size, g["tile_radius"]):
                        continue
                    colour = TILE
                    for left, top, right, bottom, cell_colour in cells:
                        if inside_rounded(x, y, left, top, right, bottom, g["cell_radius"]):
                            colour = cell_colour
                            break
                    r += colour[0]
                    gr += colour[1]
                    b += colour[2]
                    a += 1
            if a == 0:
                row += b"\0\0\0\0"
            else:
                # Straight (not premultiplied) alpha, as PNG wants.
                row += bytes((round(r / a), round(gr / a), round(b / a), round(255 * a / total)))
        rows.append(bytes(row))
    return rows


def png(size, rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = b"".join(b"\0" + row for row in rows)  # filter type 0 on every row
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def ico(images):
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries, blobs = b"", b""
    for size, data in images:
        side = 0 if size >= 256 else size  # 0 stands for 256
        entries += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(data), offset)
        blobs += data
        offset += len(data)
    return directory + entries + blobs


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                                             "calderwynfell.ico")
    images = [(size, png(size, draw(size))) for size in sorted(GEOMETRY)]
    with open(out, "wb") as f:
        f.write(ico(images))
    if os.environ.get("CALDERWYNFELL_ICON_PNGS"):
        for size, data in images:
            with open(os.path.join(os.environ["CALDERWYNFELL_ICON_PNGS"], "icon-%d.png" % size), "wb") as f:
                f.write(data)
    print(out)


if __name__ == "__main__":
    main()
