#!/usr/bin/env python3
"""Draws Vantrel's bitmaps and icons (pure Python, no imaging library).

Writes resources/images/*.bmp (24-bit, mask colour RGB(255, 0, 128) where a
picture needs transparency) and *.ico (32-bit with alpha and an AND mask).
The outputs are committed; run this again only to change the pictures.
"""
import os
import struct

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


def folder(size=16):
    """A manila folder with a tab, drawn on a 16 x 16 grid."""
    img = canvas(16, 16)
    edge = (150, 110, 20)
    back = (230, 185, 70)
    front = (250, 215, 110)
    rect(img, 1, 3, 7, 5, back)          # tab
    frame(img, 1, 3, 7, 5, edge)
    rect(img, 1, 4, 15, 14, back)        # back sheet
    frame(img, 1, 4, 15, 14, edge)
    rect(img, 2, 6, 15, 14, front)       # front flap
    frame(img, 2, 6, 15, 14, edge)
    rect(img, 3, 7, 14, 8, (255, 240, 180))  # highlight
    return scale(img, size // 16) if size != 16 else img


def exit_door():
    img = canvas(16, 16)
    wood = (150, 80, 40)
    dark = (90, 45, 20)
    rect(img, 3, 1, 11, 15, wood)
    frame(img, 3, 1, 11, 15, dark)
    rect(img, 8, 8, 10, 9, (240, 200, 60))        # knob
    red = (200, 30, 30)
    for i in range(4):                             # arrow pointing out
        rect(img, 11 + i, 7 - i // 2, 12 + i, 10 + i // 2, red) if i < 1 else None
    rect(img, 10, 7, 14, 10, red)
    for i in range(3):
        rect(img, 13 + i, 6 + i, 14 + i, 11 - i, red)
    return img


def gear():
    img = canvas(16, 16)
    metal = (110, 120, 140)
    dark = (60, 65, 80)
    cx, cy = 7.5, 7.5
    for y in range(16):
        for x in range(16):
            dx, dy = x - cx, y - cy
            r2 = dx * dx + dy * dy
            if r2 <= 30:
                img[y][x] = metal
            if 30 < r2 <= 42 and (abs(dx) < 1.6 or abs(dy) < 1.6 or abs(abs(dx) - abs(dy)) < 1.2):
                img[y][x] = metal
            if r2 <= 5:
                img[y][x] = None
            elif 5 < r2 <= 9:
                img[y][x] = dark
    return img


def arrow(up=True):
    img = canvas(16, 16)
    c = (30, 90, 170)
    for i in range(6):                 # triangle head
        y = 3 + i
        rect(img, 7 - i, y, 9 + i, y + 1, c)
    rect(img, 5, 9, 11, 14, c)         # shaft
    if not up:
        img = img[::-1]
    return img


def browse():
    img = folder()
    dots = (40, 40, 40)
    for x in (5, 8, 11):
        rect(img, x, 11, x + 2, 13, dots)
    return img


def app_icon(size):
    """The folder with a blue jump arrow: Vantrel's own icon."""
    base = folder(16)
    c = (20, 90, 200)
    rect(base, 9, 0, 15, 2, c)
    rect(base, 13, 0, 15, 5, c)
    rect(base, 11, 3, 16, 4, c)
    rect(base, 12, 4, 15, 5, c)
    return scale(base, size // 16)


def write_bmp(path, img, mask=MASK):
    h, w = len(img), len(img[0])
    row_bytes = (w * 3 + 3) & ~3
    data = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray()
        for x in range(w):
            r, g, b = img[y][x] if img[y][x] is not None else mask
            row += bytes((b, g, r))
        row += b"\0" * (row_bytes - len(row))
        data += row
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(data), 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


def ico_image(img):
    h, w = len(img), len(img[0])
    xor = bytearray()
    for y in range(h - 1, -1, -1):
        for x in range(w):
            p = img[y][x]
            xor += bytes((p[2], p[1], p[0], 255)) if p is not None else b"\0\0\0\0"
    and_row = ((w + 31) // 32) * 4
    andm = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray(and_row)
        for x in range(w):
            if img[y][x] is None:
                row[x // 8] |= 0x80 >> (x % 8)
        andm += row
    info = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, len(xor) + len(andm), 0, 0, 0, 0)
    return info + xor + andm


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


def main():
    os.makedirs(OUT, exist_ok=True)
    write_bmp(os.path.join(OUT, "default_folder.bmp"), folder())   # 132
    write_bmp(os.path.join(OUT, "exit.bmp"), exit_door())           # 133
    write_bmp(os.path.join(OUT, "setup.bmp"), gear())               # 135
    write_ico(os.path.join(OUT, "vantrel.ico"), [app_icon(16), app_icon(32)])  # 128
    write_ico(os.path.join(OUT, "move_up.ico"), [arrow(True)])      # 136
    write_ico(os.path.join(OUT, "move_down.ico"), [arrow(False)])   # 137
    write_ico(os.path.join(OUT, "browse.ico"), [browse()])          # 138
    write_ico(os.path.join(OUT, "folder.ico"), [folder()])          # 139


if __name__ == "__main__":
    main()
