#!/usr/bin/env python3
"""Draws Varnholt's program icon and writes it as a multi-size .ico file.

Usage: make_icon.py OUTPUT.ico

The picture is a crosshair: an amber ring with four ticks and a centre dot on a dark
slate disc, transparent outside the disc. Each size is drawn on its own (not scaled from
a larger one), fitted to its pixel grid, with 4x4 samples per pixel for smooth curves.
Every entry is a 32-bit BGRA DIB with an AND mask, the form
Windows 7 and later read. Standard library only; the same input gives the same bytes.
"""

import math
import struct
import sys
import zlib

SIZES = (16, 20, 24, 32, 40, 48, 64)
SAMPLES = 4  # per pixel edge

SLATE = (0x1F, 0x3A, 0x4D)  # RGB
AMBER = (0xF2, 0xA5, 0x31)

# Proportions of the picture, as fractions of half the icon's width.
RING_RADIUS = 0.56
TICK_INNER = 0.24
TICK_OUTER = 0.80
STROKE = 0.075  # stroke width


def layers(size):
    """The picture as (colour, inside(x, y)) layers, bottom first, in pixel units (x right,
    y down, the icon spans 0..size).

    Strokes are a whole number of pixels wide. When that number is odd the centre sits on
    a pixel's centre rather than between pixels, and tick ends fall on pixel edges, so the
    straight parts come out sharp instead of smeared over two half-lit pixels."""
    half_size = size / 2
    width = max(1, int(STROKE * size + 0.5))
    half = width / 2
    offset = 0.5 if width % 2 else 0.0
    centre = half_size - offset
    disc_radius = min(centre, size - centre) - 0.25

    def snap(distance):
        """The pixel edge nearest to `distance` from the centre."""
        return math.floor(distance - offset + 0.5) + offset

    ring_radius = snap(RING_RADIUS * half_size - half) + half  # sharp where it meets the axes

    tick_inner = snap(TICK_INNER * half_size)
    tick_outer = snap(TICK_OUTER * half_size)

    def disc(x, y):
        dx, dy = x - centre, y - centre
        return dx * dx + dy * dy <= disc_radius * disc_radius

    def crosshair(x, y):
        dx, dy = abs(x - centre), abs(y - centre)
        if abs(math.hypot(dx, dy) - ring_radius) <= half:
            return True
        if dx <= half and dy <= half:  # the square centre dot
            return True
        if dx <= half and tick_inner <= dy <= tick_outer:
            return True
        if dy <= half and tick_inner <= dx <= tick_outer:
            return True
        return False

    return ((SLATE, disc), (AMBER, crosshair))


def render(size):
    """Returns rows top to bottom of (r, g, b, a) pixels, straight (not premultiplied) alpha."""
    shapes = layers(size)
    step = 1.0 / SAMPLES
    total = SAMPLES * SAMPLES
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            # Each sample takes the colour of the topmost shape it falls in; the pixel is the
            # average over covered samples, its alpha the share of samples covered.
            acc_r = acc_g = acc_b = acc_a = 0
            for sy in range(SAMPLES):
                y = py + (sy + 0.5) * step
                for sx in range(SAMPLES):
                    x = px + (sx + 0.5) * step
                    colour = None
                    for layer_colour, inside in shapes:
                        if inside(x, y):
                            colour = layer_colour
                    if colour is not None:
                        acc_r += colour[0]
                        acc_g += colour[1]
                        acc_b += colour[2]
                        acc_a += 1
            if acc_a == 0:
                row.append((0, 0, 0, 0))
            else:
                alpha = round(255 * acc_a / total)
                row.append((round(acc_r / acc_a), round(acc_g / acc_a), round(acc_b / acc_a),
                            alpha))
        rows.append(row)
    return rows


def dib(size, rows):
    """One icon image: BITMAPINFOHEADER, bottom-up BGRA pixels, then the 1-bit AND mask."""
    mask_stride = ((size + 31) // 32) * 4
    pixels = bytearray()
    mask = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            pixels += bytes((b, g, r, a))
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            # Set only where the colour is all zero, so drawing that ignores alpha (mask AND
            # screen, then XOR colour) leaves the screen untouched there.
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack(
        "<IiiHHIIiiII",
        40,  # biSize
        size,  # biWidth
        size * 2,  # biHeight: colour image plus mask
        1,  # biPlanes
        32,  # biBitCount
        0,  # biCompression: BI_RGB
        len(pixels) + len(mask),  # biSizeImage
        0, 0, 0, 0)
    return header + bytes(pixels) + bytes(mask)


def png(size, rows):
    """One icon image as a PNG (Windows Vista and later read these at any size): a third of
    the bytes of the uncompressed image, which keeps the exe small."""
    raw = bytearray()
    for row in rows:
        raw.append(0)  # no filter
        for r, g, b, a in row:
            raw += bytes((r, g, b, a))

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


# From this size up the images are stored as PNG; the small ones stay plain bitmaps, which
# every drawing path reads.
PNG_FROM = 32


def ico(images):
    """ICONDIR, one ICONDIRENTRY per (size, dib), then the images in the same order."""
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, data in images:
        out += data
    return bytes(out)


def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: make_icon.py OUTPUT.ico\n")
        return 2
    images = [(size, (png if size >= PNG_FROM else dib)(size, render(size))) for size in SIZES]
    with open(argv[1], "wb") as f:
        f.write(ico(images))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
