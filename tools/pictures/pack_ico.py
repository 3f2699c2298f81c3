#!/usr/bin/env python3
"""Packs raw 8-bit RGBA pixels into a Windows .ico file.

Each image is stored as a classic DIB entry, never as an embedded PNG, so every Windows
version and Wine's LoadImage can read it:

    BITMAPINFOHEADER (height doubled: colour rows plus mask rows)
    32 bpp BGRA colour rows, bottom row first
    1 bpp AND mask rows, bottom row first, each padded to 4 bytes; a set bit = transparent

Usage:
    pack_ico.py OUT.ico WIDTHxHEIGHT:PIXELS.rgba [WIDTHxHEIGHT:PIXELS.rgba ...]

PIXELS.rgba holds WIDTH*HEIGHT*4 bytes, top row first (ImageMagick's "RGBA:" output);
"-" reads them from standard input (for one image only). The output depends on the
pixels alone, so the same input always gives the same bytes.
"""

import os
import struct
import sys

ICONDIR = struct.Struct("<HHH")  # reserved, type (1 = icon), image count
ICONDIRENTRY = struct.Struct("<BBBBHHII")  # w, h, colours, reserved, planes, bpp, size, offset
BITMAPINFOHEADER = struct.Struct("<IiiHHIIiiII")


def dib(width, height, rgba):
    """The DIB resource of one image: header, BGRA rows and AND mask, both bottom-up."""
    if len(rgba) != width * height * 4:
        raise ValueError(
            f"{width}x{height} needs {width * height * 4} bytes of RGBA, got {len(rgba)}"
        )
    colour_rows = []
    mask_rows = []
    mask_stride = ((width + 31) // 32) * 4
    for y in range(height - 1, -1, -1):
        row = rgba[y * width * 4 : (y + 1) * width * 4]
        bgra = bytearray(width * 4)
        mask = bytearray(mask_stride)
        for x in range(width):
            r, g, b, a = row[x * 4 : x * 4 + 4]
            if a == 0:
                # Fully clear: black colour so the old mask-and-XOR drawing leaves the
                # background untouched.
                mask[x // 8] |= 0x80 >> (x % 8)
            else:
                bgra[x * 4 : x * 4 + 4] = bytes((b, g, r, a))
        colour_rows.append(bytes(bgra))
        mask_rows.append(bytes(mask))
    pixels = b"".join(colour_rows) + b"".join(mask_rows)
    header = BITMAPINFOHEADER.pack(
        BITMAPINFOHEADER.size,  # biSize
        width,
        height * 2,  # colour rows plus mask rows
        1,  # biPlanes
        32,  # biBitCount
        0,  # biCompression = BI_RGB
        len(pixels),  # biSizeImage
        0,
        0,  # no resolution
        0,
        0,  # no palette
    )
    return header + pixels


def ico(images):
    """The whole .ico file for a list of (width, height, rgba) images."""
    resources = [dib(w, h, px) for w, h, px in images]
    out = bytearray(ICONDIR.pack(0, 1, len(images)))
    offset = ICONDIR.size + ICONDIRENTRY.size * len(images)
    for (w, h, _), res in zip(images, resources):
        # A width or height of 256 is written as 0.
        out += ICONDIRENTRY.pack(w % 256, h % 256, 0, 0, 1, 32, len(res), offset)
        offset += len(res)
    for res in resources:
        out += res
    return bytes(out)


def parse(arg, stdin_used):
    size, sep, path = arg.partition(":")
    w, x, h = size.partition("x")
    if not sep or not x or not w.isdigit() or not h.isdigit():
        raise ValueError(f"expected WIDTHxHEIGHT:FILE, got {arg!r}")
    width, height = int(w), int(h)
    if not (1 <= width <= 256 and 1 <= height <= 256):
        raise ValueError(f"an icon image is 1 to 256 pixels a side, not {size}")
    if path == "-":
        if stdin_used:
            raise ValueError("standard input can feed only one image")
        data = sys.stdin.buffer.read()
    else:
        with open(path, "rb") as f:
            data = f.read()
    return width, height, data


def main(argv):
    if len(argv) < 3:
        sys.stderr.write(__doc__)
        return 2
    out_path = argv[1]
    images = []
    stdin_used = False
    try:
        for arg in argv[2:]:
            images.append(parse(arg, stdin_used))
            stdin_used = stdin_used or arg.endswith(":-")
        data = ico(images)
    except (OSError, ValueError) as err:
        sys.stderr.write(f"pack_ico: {err}\n")
        return 1
    # Written beside the target and renamed over it, so a failed run never leaves half a file.
    tmp = out_path + ".tmp"
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, out_path)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
