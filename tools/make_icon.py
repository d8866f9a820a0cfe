#!/usr/bin/env python3
"""Draws the application icon (a globe with a clock in front of it) and writes
it as a Windows icon file with 16, 32, 48, 64 and 256 pixel images.

Standard library only. The small images are 32-bit DIBs with an AND mask, the
256-pixel image is PNG, as Windows expects. Run it again after changing the
drawing:

    python3 tools/make_icon.py src/resources/tarvane.ico
"""
import math
import struct
import sys
import zlib

SIZES = (16, 32, 48, 64, 256)

GLOBE_CENTER = (0.42, 0.42)
GLOBE_RADIUS = 0.39
CLOCK_CENTER = (0.70, 0.70)
CLOCK_RADIUS = 0.27

OCEAN_LIGHT = (78, 160, 235)
OCEAN_DARK = (24, 82, 168)
GRID = (190, 228, 255)
GLOBE_RIM = (16, 56, 120)
FACE = (255, 255, 255)
CLOCK_RIM = (38, 50, 66)
HAND = (38, 50, 66)
ACCENT = (228, 87, 46)


def mix(a, b, t):
    t = min(max(t, 0.0), 1.0)
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)
    t = min(max(t, 0.0), 1.0)
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


class Scene:
    """The drawing in unit coordinates, with line widths kept at least about
    one pixel wide at every size."""

    def __init__(self, size):
        self.pixel = 1.0 / size
        self.line = max(0.022, 1.1 / size)
        self.detailed = size >= 32
        if self.detailed:
            self.latitudes = (-50, -22, 0, 22, 50)
            self.longitudes = (-60, -25, 0, 25, 60)
        else:
            self.latitudes = (0,)
            self.longitudes = (0,)
        # Hands at ten past ten, the hour hand shorter and wider.
        cx, cy = CLOCK_CENTER
        self.hands = []
        for angle, length, width in ((-60, 0.58, 1.9), (60, 0.80, 1.4)):
            a = math.radians(angle)
            tip = (cx + math.sin(a) * CLOCK_RADIUS * length, cy - math.cos(a) * CLOCK_RADIUS * length)
            self.hands.append((tip, max(self.line * width, 1.3 * self.pixel)))

    def clock(self, x, y):
        cx, cy = CLOCK_CENTER
        d = math.hypot(x - cx, y - cy)
        if d > CLOCK_RADIUS:
            return None
        rim = max(0.045, 1.4 * self.pixel)
        if d > CLOCK_RADIUS - rim:
            return CLOCK_RIM
        if d < max(0.035, 1.0 * self.pixel):
            return ACCENT
        for tip, width in self.hands:
            if segment_distance(x, y, cx, cy, tip[0], tip[1]) < width / 2:
                return HAND
        if self.detailed:
            for hour in range(12):
                a = math.radians(hour * 30)
                outer = CLOCK_RADIUS - rim * 1.6
                inner = outer - (0.06 if hour % 3 == 0 else 0.03)
                ax, ay = cx + math.sin(a) * inner, cy - math.cos(a) * inner
                bx, by = cx + math.sin(a) * outer, cy - math.cos(a) * outer
                if segment_distance(x, y, ax, ay, bx, by) < self.line * 0.55:
                    return HAND
        return FACE

    def globe(self, x, y):
        cx, cy = GLOBE_CENTER
        r = GLOBE_RADIUS
        dx, dy = x - cx, y - cy
        d = math.hypot(dx, dy)
        if d > r:
            return None
        rim = max(0.03, 1.2 * self.pixel)
        if d > r - rim:
            return GLOBE_RIM
        half = self.line / 2
        for lat in self.latitudes:
            ly = r * math.sin(math.radians(lat))
            if abs(dy - ly) < half:
                return GRID
        for lon in self.longitudes:
            a = r * abs(math.sin(math.radians(lon)))
            if a < 1e-9:
                if abs(dx) < half:
                    return GRID
                continue
            if (dx < 0) != (lon < 0):
                continue
            q = math.hypot(dx / a, dy / r)
            if abs(q - 1.0) * a < half:
                return GRID
        # Light from the upper left.
        shade = (dx + dy) / (2 * r) + 0.5
        return mix(OCEAN_LIGHT, OCEAN_DARK, shade)

    def sample(self, x, y):
        colour = self.clock(x, y)
        if colour is None:
            colour = self.globe(x, y)
        return colour


def render(size):
    """Rows of (r, g, b, a) from top to bottom, antialiased by supersampling."""
    scene = Scene(size)
    n = 6 if size <= 32 else 4 if size <= 64 else 3
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = 0.0
            covered = 0
            for sy in range(n):
                for sx in range(n):
                    colour = scene.sample((px + (sx + 0.5) / n) / size, (py + (sy + 0.5) / n) / size)
                    if colour is not None:
                        r += colour[0]
                        g += colour[1]
                        b += colour[2]
                        covered += 1
            if covered:
                row.append((round(r / covered), round(g / covered), round(b / covered),
                            round(255 * covered / (n * n))))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def dib_image(size, rows):
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            pixels += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    return header + bytes(pixels) + bytes(mask)


def png_image(size, rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = bytearray()
    for row in rows:
        raw.append(0)
        for pixel in row:
            raw += bytes(pixel)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "src/resources/tarvane.ico"
    images = []
    for size in SIZES:
        rows = render(size)
        images.append((size, png_image(size, rows) if size >= 256 else dib_image(size, rows)))
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries = b""
    for size, data in images:
        dim = 0 if size >= 256 else size
        entries += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(out, "wb") as f:
        f.write(directory + entries + b"".join(data for _, data in images))


if __name__ == "__main__":
    main()
