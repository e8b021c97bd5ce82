#!/usr/bin/env python3
"""Draws the program's icons and writes them as .ico files beside this script.

The pictures are signed-distance shapes sampled 4x4 per pixel, so edges are
smooth at every size. The .ico files are committed; run this only to change
a picture: python3 res/make_icons.py

The window, the taskbar and Explorer pick the size that suits the screen's
DPI (16, 24, 32, 48 px at 96 to 144 DPI; 64 and 256 for large views), and
the row images follow the small-icon size (16, 20, 24, 32 px). The 256 px
image is stored as PNG, as Windows expects it there; the others as bitmaps.
"""
import math
import os
import struct
import zlib

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "icons")
SAMPLES = 4


def rounded_box(x, y, cx, cy, hw, hh, r):
    dx = abs(x - cx) - (hw - r)
    dy = abs(y - cy) - (hh - r)
    outside = math.hypot(max(dx, 0.0), max(dy, 0.0))
    return outside + min(max(dx, dy), 0.0) - r


def disc(x, y, cx, cy, r):
    return math.hypot(x - cx, y - cy) - r


def segment(x, y, ax, ay, bx, by, r):
    px, py, vx, vy = x - ax, y - ay, bx - ax, by - ay
    t = max(0.0, min(1.0, (px * vx + py * vy) / (vx * vx + vy * vy)))
    return math.hypot(px - vx * t, py - vy * t) - r


def ring(x, y, cx, cy, r, w):
    return abs(math.hypot(x - cx, y - cy) - r) - w


# Each picture: a list of layers (shape on a unit square, RGBA), painted in order.
def product():
    return [
        (lambda x, y: rounded_box(x, y, .5, .5, .47, .47, .12), (32, 86, 160, 255)),
        (lambda x, y: max(ring(x, y, .5, .40, .17, .045), y - .40), (255, 255, 255, 255)),
        (lambda x, y: rounded_box(x, y, .5, .62, .26, .20, .04), (250, 200, 40, 255)),
        (lambda x, y: min(disc(x, y, .5, .58, .055), rounded_box(x, y, .5, .67, .025, .07, .01)),
         (90, 60, 0, 255)),
    ]


def file_type():
    page = lambda x, y: max(rounded_box(x, y, .46, .5, .32, .45, .03), (x - .78) + (.05 - y) + .22)
    return [
        (page, (245, 245, 245, 255)),
        (lambda x, y: max(abs(page(x, y)) - .025, -page(x, y) - .025), (90, 90, 90, 255)),
        (lambda x, y: max(ring(x, y, .62, .58, .11, .035), y - .58), (60, 60, 60, 255)),
        (lambda x, y: rounded_box(x, y, .62, .76, .18, .14, .03), (32, 86, 160, 255)),
    ]


def tick():
    return [(lambda x, y: min(segment(x, y, .16, .52, .40, .78, .085),
                              segment(x, y, .40, .78, .86, .22, .085)), (30, 150, 50, 255))]


def grey_disc():
    return [(lambda x, y: disc(x, y, .5, .5, .30), (150, 150, 150, 255)),
            (lambda x, y: disc(x, y, .44, .42, .10), (190, 190, 190, 255))]


def cross():
    return [(lambda x, y: min(segment(x, y, .2, .2, .8, .8, .09),
                              segment(x, y, .8, .2, .2, .8, .09)), (210, 30, 30, 255))]


def render(layers, size):
    pixels = []
    for row in range(size):
        for col in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]  # premultiplied
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (col + (sx + .5) / SAMPLES) / size
                    y = (row + (sy + .5) / SAMPLES) / size
                    c = [0.0, 0.0, 0.0, 0.0]
                    for shape, (r, g, b, a) in layers:
                        if shape(x, y) <= 0:
                            a /= 255.0
                            c = [r * a + c[0] * (1 - a), g * a + c[1] * (1 - a),
                                 b * a + c[2] * (1 - a), a + c[3] * (1 - a)]
                    acc = [acc[i] + c[i] for i in range(4)]
            n = SAMPLES * SAMPLES
            alpha = acc[3] / n
            if alpha <= 0:
                pixels.append((0, 0, 0, 0))
            else:
                pixels.append(tuple(int(round(acc[i] / n / alpha)) for i in range(3)) +
                              (int(round(alpha * 255)),))
    return pixels


def ico_image(pixels, size):
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = [pixels[r * size:(r + 1) * size] for r in range(size)]
    colour = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    mask_stride = ((size + 31) // 32) * 4
    mask = b""
    for row in reversed(rows):
        line = bytearray(mask_stride)
        for i, (_, _, _, a) in enumerate(row):
            if a == 0:
                line[i // 8] |= 0x80 >> (i % 8)
        mask += bytes(line)
    return header + colour + mask


def png_image(pixels, size):
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    raw = b"".join(b"\0" + b"".join(bytes(p) for p in pixels[r * size:(r + 1) * size])
                   for r in range(size))
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def write_ico(name, layers, sizes):
    images = [png_image(render(layers, s), s) if s >= 256 else ico_image(render(layers, s), s)
              for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(out + b"".join(images))


if __name__ == "__main__":
    os.makedirs(HERE, exist_ok=True)
    large = [16, 24, 32, 48, 64, 256]
    small = [16, 20, 24, 32]
    write_ico("product.ico", product(), large)
    write_ico("p6k_file.ico", file_type(), large)
    write_ico("row_tick.ico", tick(), small)
    write_ico("row_dot.ico", grey_disc(), small)
    write_ico("row_cross.ico", cross(), small)
