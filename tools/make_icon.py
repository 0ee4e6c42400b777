#!/usr/bin/env python3
"""Draws the program icon: a small house with a yellow-orange roof, white walls and an orange
door on a transparent background, as one icon group with four images (16x16 and 32x32 with a
256-colour palette, 16x16 and 32x32 in 32-bit colour with alpha).

Writes res/brellix.ico and the pieces the resource script takes separately, so that the images
keep the fixed resource ids 30001 to 30004: res/icon/*.bin and res/brellix_icon.rc; and the same
images as PNGs for Linux desktops, with the larger sizes of the desktop's icon theme and an SVG:
res/linux/brellix-<size>.png (16 to 256 pixels) and res/linux/brellix.svg.
With --check it writes nothing and fails when the committed files differ from what it draws.
Standard library only."""

import pathlib
import struct
import sys
import zlib

ROOT = pathlib.Path(__file__).resolve().parent.parent
RES = ROOT / "res"

ROOF = (255, 180, 40)
ROOF_EDGE = (184, 110, 0)
WALL = (255, 255, 255)
WALL_EDGE = (90, 90, 90)
DOOR = (240, 120, 24)
DOOR_EDGE = (138, 58, 0)


def triangle(apex, left, right):
    return ("triangle", (apex, left, right))


def rect(x0, y0, x1, y1):
    return ("rect", (x0, y0, x1, y1))


def inside(shape, x, y):
    kind, points = shape
    if kind == "rect":
        x0, y0, x1, y1 = points
        return x0 <= x < x1 and y0 <= y < y1
    apex, left, right = points

    # Same side of all three edges, whichever way the corners wind.
    def side(a, b):
        return (b[0] - a[0]) * (y - a[1]) - (b[1] - a[1]) * (x - a[0])
    s1, s2, s3 = side(apex, left), side(left, right), side(right, apex)
    return (s1 >= 0 and s2 >= 0 and s3 >= 0) or (s1 <= 0 and s2 <= 0 and s3 <= 0)


# Painted in order, later shapes over earlier ones; coordinates in pixels of each size. 16 and 32
# are drawn for their pixel grid; every other size, and the SVG, is the 32-pixel drawing scaled.
SCENES = {
    16: [
        (rect(2, 8, 14, 15), WALL_EDGE),
        (rect(3, 8, 13, 14), WALL),
        (rect(6, 10, 10, 15), DOOR_EDGE),
        (rect(7, 11, 9, 14), DOOR),
        (triangle((8, 0.2), (-0.2, 9), (16.2, 9)), ROOF_EDGE),
        (triangle((8, 1.9), (1.6, 8), (14.4, 8)), ROOF),
    ],
    32: [
        (rect(5, 15, 27, 30), WALL_EDGE),
        (rect(6, 15, 26, 29), WALL),
        (rect(13, 19, 19, 30), DOOR_EDGE),
        (rect(14, 20, 18, 29), DOOR),
        (rect(16, 24, 17, 25), DOOR_EDGE),
        (triangle((16, 0.5), (-0.5, 17), (32.5, 17)), ROOF_EDGE),
        (triangle((16, 3.0), (3.0, 15), (29.0, 15)), ROOF),
    ],
}
SCALED_FROM = 32
# The sizes of the freedesktop icon theme's hicolor directories that the .deb fills.
LINUX_SIZES = [16, 24, 32, 48, 64, 128, 256]


def scene_for(size):
    if size in SCENES:
        return SCENES[size]
    k = size / SCALED_FROM
    scaled = []
    for (kind, points), colour in SCENES[SCALED_FROM]:
        if kind == "rect":
            scaled.append(((kind, tuple(v * k for v in points)), colour))
        else:
            scaled.append(((kind, tuple((px * k, py * k) for px, py in points)), colour))
    return scaled


def colour_at(scene, x, y):
    # The topmost shape that covers the point.
    for shape, colour in reversed(scene):
        if inside(shape, x, y):
            return colour
    return None


def render(size, samples):
    """Rows top to bottom of (r, g, b, alpha 0..255); samples x samples points per pixel."""
    scene = scene_for(size)
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            hits = []
            for sy in range(samples):
                for sx in range(samples):
                    c = colour_at(scene, px + (sx + 0.5) / samples, py + (sy + 0.5) / samples)
                    if c is not None:
                        hits.append(c)
            if not hits:
                row.append((0, 0, 0, 0))
                continue
            n = len(hits)
            r, g, b = (round(sum(c[i] for c in hits) / n) for i in range(3))
            row.append((r, g, b, round(255 * n / (samples * samples))))
        rows.append(row)
    return rows


def mask_rows(rows):
    """The AND mask, 1 bit per pixel, rows padded to 32 bits, bottom row first."""
    out = b""
    stride = ((len(rows[0]) + 31) // 32) * 4
    for row in reversed(rows):
        bits = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        out += bytes(bits)
    return out


def info_header(size, bits, colours_used):
    # Height counts the colour image and the mask together, as icons store them.
    return struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0, 0, 0, 0, colours_used, 0)


def image_8bit(size):
    rows = render(size, 1)
    palette = [(0, 0, 0)]
    for row in rows:
        for r, g, b, a in row:
            if a and (r, g, b) not in palette:
                palette.append((r, g, b))
    assert len(palette) <= 256
    pixels = b""
    stride = (size + 3) // 4 * 4
    for row in reversed(rows):
        line = bytes(palette.index((r, g, b)) if a else 0 for r, g, b, a in row)
        pixels += line + bytes(stride - size)
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    table += bytes(4 * (256 - len(palette)))
    return info_header(size, 8, 256) + table + pixels + mask_rows(rows)


def image_32bit(size):
    rows = render(size, 4)
    pixels = b"".join(struct.pack("<BBBB", b, g, r, a) for row in reversed(rows) for r, g, b, a in row)
    return info_header(size, 32, 0) + pixels + mask_rows(rows)


def png(size):
    """The 32-bit image as a PNG (8-bit RGBA, no filter): the Linux desktop's icon."""
    rows = render(size, 4)
    raw = b"".join(b"\0" + bytes(v for pixel in row for v in pixel) for row in rows)

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def svg():
    """The drawing the larger sizes are scaled from, as a scalable SVG for the icon theme."""
    def fill(colour):
        return "#%02x%02x%02x" % colour

    def number(value):
        return f"{value:g}"

    lines = [
        '<?xml version="1.0" encoding="UTF-8"?>',
        f'<svg xmlns="http://www.w3.org/2000/svg" width="{SCALED_FROM}" height="{SCALED_FROM}" '
        f'viewBox="0 0 {SCALED_FROM} {SCALED_FROM}">',
    ]
    for (kind, points), colour in SCENES[SCALED_FROM]:
        if kind == "rect":
            x0, y0, x1, y1 = points
            lines.append(f'  <rect x="{number(x0)}" y="{number(y0)}" width="{number(x1 - x0)}" '
                         f'height="{number(y1 - y0)}" fill="{fill(colour)}"/>')
        else:
            corners = " ".join(f"{number(x)},{number(y)}" for x, y in points)
            lines.append(f'  <polygon points="{corners}" fill="{fill(colour)}"/>')
    lines.append("</svg>")
    return ("\n".join(lines) + "\n").encode("ascii")


# (resource id, size, bits per pixel, drawing) in the group's order.
IMAGES = [
    (30001, 16, 8, image_8bit),
    (30002, 32, 8, image_8bit),
    (30003, 16, 32, image_32bit),
    (30004, 32, 32, image_32bit),
]


def entry(size, bits, length):
    colours = 0  # 0 means 256 or more
    return struct.pack("<BBBBHHI", size % 256, size % 256, colours, 0, 1, bits, length)


def build():
    images = [(rid, size, bits, draw(size)) for rid, size, bits, draw in IMAGES]
    files = {}
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = len(header) + 16 * len(images)
    directory, data = b"", b""
    for _, size, bits, blob in images:
        directory += entry(size, bits, len(blob)) + struct.pack("<I", offset + len(data))
        data += blob
    files["brellix.ico"] = header + directory + data

    group = header + b"".join(entry(size, bits, len(blob)) + struct.pack("<H", rid)
                              for rid, size, bits, blob in images)
    files["icon/group.bin"] = group
    lines = [
        "// Generated by tools/make_icon.py: the program icon, group 1, with its images under",
        "// fixed ids (type 14 is an icon group, type 3 one icon image).",
        '1 14 "icon/group.bin"',
    ]
    for rid, size, bits, blob in images:
        name = f"icon/{size}x{size}-{bits}bit.bin"
        files[name] = blob
        lines.append(f'{rid} 3 "{name}"')
    files["brellix_icon.rc"] = ("\n".join(lines) + "\n").encode("ascii")
    for size in LINUX_SIZES:
        files[f"linux/brellix-{size}.png"] = png(size)
    files["linux/brellix.svg"] = svg()
    return files


def main():
    check = "--check" in sys.argv[1:]
    stale = []
    for name, content in build().items():
        path = RES / name
        if check:
            if not path.exists() or path.read_bytes() != content:
                stale.append(name)
        else:
            path.parent.mkdir(parents=True, exist_ok=True)
            path.write_bytes(content)
    if stale:
        print("out of date (run tools/make_icon.py):", ", ".join(stale))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
