#!/usr/bin/env python3
"""Draws the small test icons: each file holds a 16 x 16 and a 32 x 32 image
of one solid colour, so that a test can tell which icon was loaded by
looking at one pixel. Run from this folder; the .ico files are committed."""
import struct

COLOURS = {                     # name: (red, green, blue)
    "red": (255, 0, 0),
    "green": (0, 255, 0),
    "blue": (0, 0, 255),
    "yellow": (255, 255, 0),
}


def image(size, rgb):
    """One 32-bit icon image: header, colour rows bottom-up, AND mask."""
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    r, g, b = rgb
    pixels = bytes([b, g, r, 255]) * (size * size)
    mask_row = ((size + 31) // 32) * 4          # rows padded to 32 bits
    mask = bytes(mask_row * size)               # all opaque
    return header + pixels + mask


def icon(rgb):
    images = [image(s, rgb) for s in (16, 32)]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, data in zip((16, 32), images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(images)


if __name__ == "__main__":
    for name, rgb in COLOURS.items():
        with open(f"{name}.ico", "wb") as f:
            f.write(icon(rgb))
