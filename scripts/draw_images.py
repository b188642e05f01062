#!/usr/bin/env python3
"""Draws Vantrel's bitmaps and icons (pure Python, no imaging library).

Writes resources/images/*.bmp (4 bits a pixel with a palette of the picture's
colours, mask colour RGB(255, 0, 128) where a picture needs transparency) and *.ico whose images are PNG-compressed 32-bit
pictures with alpha (Vista and later load them; an uncompressed image with its
AND mask is about nine times the size, and the icons were most of the program's
resources).
The outputs are committed; run this again only to change the pictures.
"""
import os
import struct
import zlib

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources", "images")
MASK = (255, 0, 128)


def canvas(w, h, fill=None):
    return [[fill for _ in range(w)] for _ in range(h)]


def rect(img, x0, y0, x1, y1, c):
    """Fills x0..x1-1, y0..y1-1."""
    for y in range(max(0, y0), min(len(img), y1)):
        for x in range(max(0, x0), min(len(img[0]), x1)):
            img[y][x] = c


def frame(img, x0, y0, x1, y1, c):
    rect(img, x0, y0, x1, y0 + 1, c)
    rect(img, x0, y1 - 1, x1, y1, c)
    rect(img, x0, y0, x0 + 1, y1, c)
    rect(img, x1 - 1, y0, x1, y1, c)


def scale(img, k):
    return [[img[y // k][x // k] for x in range(len(img[0]) * k)] for y in range(len(img) * k)]


class Grid:
    """A size x size picture drawn in the coordinates of a 16 x 16 grid, so
    that every picture is drawn afresh for each icon size instead of being
    stretched: edges land on whole pixels and lines keep one width."""

    def __init__(self, size):
        self.size = size
        self.s = size / 16.0
        self.img = canvas(size, size)
        self.t = max(1, int(self.s + 0.5))  # line width

    def c(self, v):
        return int(v * self.s + 0.5)

    def rect(self, x0, y0, x1, y1, col):
        rect(self.img, self.c(x0), self.c(y0), self.c(x1), self.c(y1), col)

    def frame(self, x0, y0, x1, y1, col):
        X0, Y0, X1, Y1 = self.c(x0), self.c(y0), self.c(x1), self.c(y1)
        t = self.t
        rect(self.img, X0, Y0, X1, Y0 + t, col)
        rect(self.img, X0, Y1 - t, X1, Y1, col)
        rect(self.img, X0, Y0, X0 + t, Y1, col)
        rect(self.img, X1 - t, Y0, X1, Y1, col)

    def shade(self, fn):
        """fn(u, v) gives the colour at a point of the 16-grid (or None to
        keep the pixel); evaluated at every pixel's centre."""
        for y in range(self.size):
            for x in range(self.size):
                col = fn((x + 0.5) / self.s - 0.5, (y + 0.5) / self.s - 0.5)
                if col is not None:
                    self.img[y][x] = col


def draw_folder(g):
    """A manila folder with a tab."""
    edge = (150, 110, 20)
    back = (230, 185, 70)
    front = (250, 215, 110)
    g.rect(1, 3, 7, 5, back)          # tab
    g.frame(1, 3, 7, 5, edge)
    g.rect(1, 4, 15, 14, back)        # back sheet
    g.frame(1, 4, 15, 14, edge)
    g.rect(2, 6, 15, 14, front)       # front flap
    g.frame(2, 6, 15, 14, edge)
    g.rect(3, 7, 14, 8, (255, 240, 180))  # highlight
    return g


def folder(size=16):
    return draw_folder(Grid(size)).img


def exit_door(size=16):
    g = Grid(size)
    wood = (150, 80, 40)
    dark = (90, 45, 20)
    g.rect(3, 1, 11, 15, wood)
    g.frame(3, 1, 11, 15, dark)
    g.rect(8, 8, 10, 9, (240, 200, 60))        # knob
    red = (200, 30, 30)                        # arrow pointing out
    g.rect(11, 7, 12, 10, red)
    g.rect(10, 7, 14, 10, red)
    for i in range(3):
        g.rect(13 + i, 6 + i, 14 + i, 11 - i, red)
    return g.img


def gear(size=16):
    g = Grid(size)
    metal = (110, 120, 140)
    dark = (60, 65, 80)
    cx, cy = 7.5, 7.5

    def at(u, v):
        dx, dy = u - cx, v - cy
        r2 = dx * dx + dy * dy
        col = None
        if r2 <= 30:
            col = metal
        if 30 < r2 <= 42 and (abs(dx) < 1.6 or abs(dy) < 1.6 or abs(abs(dx) - abs(dy)) < 1.2):
            col = metal
        if r2 <= 5:
            col = "hole"
        elif 5 < r2 <= 9:
            col = dark
        return col

    g.shade(at)
    g.img = [[None if p == "hole" else p for p in row] for row in g.img]
    return g.img


def arrow(up=True, size=16):
    g = Grid(size)
    c = (30, 90, 170)
    for i in range(6):                 # triangle head
        y = 3 + i
        g.rect(7 - i, y, 9 + i, y + 1, c)
    g.rect(5, 9, 11, 14, c)            # shaft
    img = g.img
    if not up:
        img = img[::-1]
    return img


def browse(size=16):
    g = draw_folder(Grid(size))
    dots = (40, 40, 40)
    for x in (5, 8, 11):
        g.rect(x, 11, x + 2, 13, dots)
    return g.img


def app_icon(size):
    """The folder with a blue jump arrow: Vantrel's own icon."""
    g = draw_folder(Grid(size))
    c = (20, 90, 200)
    g.rect(9, 0, 15, 2, c)
    g.rect(13, 0, 15, 5, c)
    g.rect(11, 3, 16, 4, c)
    g.rect(12, 4, 15, 5, c)
    return g.img


def write_bmp(path, img, mask=MASK):
    """A bitmap of 4 bits a pixel with the picture's own colours in its palette
    (each picture has a handful): a third of the 24-bit size, and the
    system turns it into the same bitmap."""
    h, w = len(img), len(img[0])
    colours = []
    for row in img:
        for p in row:
            c = p if p is not None else mask
            if c not in colours:
                colours.append(c)
    assert len(colours) <= 16, path
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in colours)
    row_bytes = ((w + 1) // 2 + 3) & ~3
    data = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray(row_bytes)
        for x in range(w):
            c = img[y][x] if img[y][x] is not None else mask
            row[x // 2] |= colours.index(c) << (4 if x % 2 == 0 else 0)
        data += row
    offset = 14 + 40 + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 4, 0, len(data), 2835, 2835,
                       len(colours), len(colours))
    with open(path, "wb") as f:
        f.write(header + info + palette + data)


def png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def ico_image(img):
    """One icon image as a PNG: RGBA, 8 bits a channel, transparent where the
    picture has no colour."""
    h, w = len(img), len(img[0])
    raw = bytearray()
    for y in range(h):
        raw += b"\0"  # no filter
        for x in range(w):
            p = img[y][x]
            raw += bytes((p[0], p[1], p[2], 255)) if p is not None else b"\0\0\0\0"
    header = struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", header)
            + png_chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + png_chunk(b"IEND", b""))


def write_ico(path, images):
    blobs = [ico_image(i) for i in images]
    out = struct.pack("<HHH", 0, 1, len(blobs))
    offset = 6 + 16 * len(blobs)
    for img, blob in zip(images, blobs):
        w, h = len(img[0]), len(img)
        out += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    with open(path, "wb") as f:
        f.write(out + b"".join(blobs))


# Small-icon sizes at 96, 120, 144 and 192 DPI: every icon has a picture
# drawn for each, so that menus and dialogs never show a stretched one.
SMALL_SIZES = (16, 20, 24, 32)


def main():
    os.makedirs(OUT, exist_ok=True)
    write_bmp(os.path.join(OUT, "default_folder.bmp"), folder())   # 132
    write_bmp(os.path.join(OUT, "exit.bmp"), exit_door())           # 133
    write_bmp(os.path.join(OUT, "setup.bmp"), gear())               # 135
    write_ico(os.path.join(OUT, "vantrel.ico"),
              [app_icon(n) for n in SMALL_SIZES + (48,)])           # 128
    write_ico(os.path.join(OUT, "move_up.ico"), [arrow(True, n) for n in SMALL_SIZES])    # 136
    write_ico(os.path.join(OUT, "move_down.ico"), [arrow(False, n) for n in SMALL_SIZES])  # 137
    write_ico(os.path.join(OUT, "browse.ico"), [browse(n) for n in SMALL_SIZES])  # 138
    write_ico(os.path.join(OUT, "folder.ico"), [folder(n) for n in SMALL_SIZES])  # 139
    write_ico(os.path.join(OUT, "setup.ico"), [gear(n) for n in SMALL_SIZES])     # 140
    write_ico(os.path.join(OUT, "exit.ico"), [exit_door(n) for n in SMALL_SIZES])  # 141


if __name__ == "__main__":
    main()
