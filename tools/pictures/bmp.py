#!/usr/bin/env python3
"""Writes raw 8-bit RGBA pixels as a Windows .bmp file, and reads such files back.

Every file is the classic layout that all Windows versions and every DIB reader know:

    BITMAPFILEHEADER (14 bytes)
    BITMAPINFOHEADER (40 bytes), BI_RGB (no compression), positive height (bottom row first)
    8 bpp only: the palette, one B G R 0 quad per colour
    pixel rows, bottom row first, each padded with zeros to a multiple of 4 bytes

Depths:
    32  B G R A per pixel; A is straight (not premultiplied) alpha, copied from the input
    24  B G R per pixel; every input pixel must be opaque
     8  one palette index per pixel; every input pixel must be opaque and the picture may
        hold at most 256 colours; the palette always has 256 entries (biClrUsed 256): the
        picture's colours in ascending R G B order, then black for the unused ones

The file holds no resolution, no timestamp and nothing else besides the pixels, so the same
pixels always give the same bytes.

Usage:
    bmp.py OUT.bmp WIDTHxHEIGHT DEPTH PIXELS.rgba [--tint R,G,B]
    bmp.py --rgba IN.bmp OUT.rgba      (the pixels of a file written here, read back)

PIXELS.rgba holds WIDTH*HEIGHT*4 bytes, top row first (ImageMagick's "RGBA:" output).
--tint (32 bpp only) gives every pixel that is not fully transparent the colour R,G,B and
keeps its alpha, and clears the colour of fully transparent pixels: a one-colour glyph then
carries its exact colour at every edge pixel, whatever rounding the renderer did.
"""

import os
import struct
import sys

FILEHEADER = struct.Struct("<2sIHHI")  # "BM", file size, reserved, reserved, pixel offset
INFOHEADER = struct.Struct("<IiiHHIIiiII")
BI_RGB = 0


def stride(width, depth):
    return (width * depth + 31) // 32 * 4


def tinted(rgba, colour):
    r, g, b = colour
    out = bytearray(len(rgba))
    for i in range(0, len(rgba), 4):
        a = rgba[i + 3]
        if a:
            out[i : i + 4] = bytes((r, g, b, a))
    return bytes(out)


def encode(width, height, depth, rgba):
    """The whole .bmp file for WIDTH x HEIGHT pixels given as top-down RGBA bytes."""
    if len(rgba) != width * height * 4:
        raise ValueError(
            f"{width}x{height} needs {width * height * 4} bytes of RGBA, got {len(rgba)}"
        )
    if depth not in (8, 24, 32):
        raise ValueError(f"depth {depth} is not one of 8, 24, 32")
    if depth != 32:
        for i in range(3, len(rgba), 4):
            if rgba[i] != 255:
                p = i // 4
                raise ValueError(
                    f"{depth} bpp has no alpha, but pixel ({p % width},{p // width}) "
                    f"has alpha {rgba[i]}"
                )
    palette = b""
    index = {}
    if depth == 8:
        colours = sorted({bytes(rgba[i : i + 3]) for i in range(0, len(rgba), 4)})
        if len(colours) > 256:
            raise ValueError(f"8 bpp holds 256 colours, the picture has {len(colours)}")
        index = {c: n for n, c in enumerate(colours)}
        palette = b"".join(bytes((c[2], c[1], c[0], 0)) for c in colours)
        palette += bytes(4 * (256 - len(colours)))
    row_bytes = stride(width, depth)
    rows = []
    for y in range(height - 1, -1, -1):
        src = rgba[y * width * 4 : (y + 1) * width * 4]
        row = bytearray(row_bytes)
        for x in range(width):
            r, g, b, a = src[x * 4 : x * 4 + 4]
            if depth == 32:
                row[x * 4 : x * 4 + 4] = bytes((b, g, r, a))
            elif depth == 24:
                row[x * 3 : x * 3 + 3] = bytes((b, g, r))
            else:
                row[x] = index[bytes((r, g, b))]
        rows.append(bytes(row))
    pixels = b"".join(rows)
    colours_used = len(palette) // 4
    info = INFOHEADER.pack(
        INFOHEADER.size,  # biSize
        width,
        height,  # positive: bottom row first
        1,  # biPlanes
        depth,  # biBitCount
        BI_RGB,  # biCompression
        len(pixels),  # biSizeImage
        0,
        0,  # no resolution
        colours_used,  # biClrUsed (0 for 24 and 32 bpp)
        0,  # biClrImportant: all
    )
    offset = FILEHEADER.size + len(info) + len(palette)
    head = FILEHEADER.pack(b"BM", offset + len(pixels), 0, 0, offset)
    return head + info + palette + pixels


def decode(data):
    """(width, height, depth, top-down RGBA bytes) of a file that encode() could have written.

    Anything else (another header, compression, top-down rows, a short file) is an error:
    this is the check that the files really have the layout the program reads.
    """
    if len(data) < FILEHEADER.size + INFOHEADER.size:
        raise ValueError("shorter than the two headers")
    magic, size, _, _, offset = FILEHEADER.unpack_from(data, 0)
    if magic != b"BM" or size != len(data):
        raise ValueError(f"not a BMP of {len(data)} bytes (magic {magic!r}, size {size})")
    (hsize, width, height, planes, depth, compression, image_size, _, _, used, _) = (
        INFOHEADER.unpack_from(data, FILEHEADER.size)
    )
    if hsize != 40 or planes != 1 or compression != BI_RGB:
        raise ValueError(f"header {hsize} bytes, {planes} planes, compression {compression}")
    if width <= 0 or height <= 0:
        raise ValueError(f"size {width} x {height}: only bottom-up pictures are written")
    if depth not in (8, 24, 32):
        raise ValueError(f"depth {depth}")
    colours = (used or 256) if depth == 8 else 0
    palette_at = FILEHEADER.size + hsize
    if offset != palette_at + colours * 4:
        raise ValueError(f"pixels at {offset}, expected {palette_at + colours * 4}")
    row_bytes = stride(width, depth)
    if image_size != row_bytes * height or offset + image_size != len(data):
        raise ValueError(f"pixel data of {image_size} bytes does not fill the file")
    palette = [data[palette_at + 4 * n : palette_at + 4 * n + 3] for n in range(colours)]
    out = bytearray(width * height * 4)
    for y in range(height):
        row = data[offset + (height - 1 - y) * row_bytes :][:row_bytes]
        if any(row[(width * depth + 7) // 8 :]):
            raise ValueError(f"row {y} has non-zero padding")
        for x in range(width):
            if depth == 32:
                b, g, r, a = row[x * 4 : x * 4 + 4]
            elif depth == 24:
                b, g, r = row[x * 3 : x * 3 + 3]
                a = 255
            else:
                b, g, r = palette[row[x]]
                a = 255
            out[(y * width + x) * 4 : (y * width + x) * 4 + 4] = bytes((r, g, b, a))
    return width, height, depth, bytes(out)


def write(path, data):
    # Written beside the target and renamed over it, so a failed run never leaves half a file.
    tmp = path + ".tmp"
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, path)


def main(argv):
    args = argv[1:]
    if len(args) == 3 and args[0] == "--rgba":
        try:
            with open(args[1], "rb") as f:
                _, _, _, rgba = decode(f.read())
        except (OSError, ValueError) as err:
            sys.stderr.write(f"bmp: {args[1]}: {err}\n")
            return 1
        write(args[2], rgba)
        return 0
    tint = None
    if "--tint" in args:
        at = args.index("--tint")
        try:
            tint = tuple(int(v) for v in args[at + 1].split(","))
        except (IndexError, ValueError):
            tint = ()
        if len(tint) != 3 or not all(0 <= v <= 255 for v in tint):
            sys.stderr.write("bmp: --tint takes R,G,B\n")
            return 2
        del args[at : at + 2]
    if len(args) != 4:
        sys.stderr.write(__doc__)
        return 2
    out_path, size, depth, pixels = args
    try:
        w, x, h = size.partition("x")
        if not x or not w.isdigit() or not h.isdigit() or not depth.isdigit():
            raise ValueError(f"expected WIDTHxHEIGHT and DEPTH, got {size!r} {depth!r}")
        with open(pixels, "rb") as f:
            rgba = f.read()
        if tint is not None:
            if int(depth) != 32:
                raise ValueError("--tint is for 32 bpp pictures")
            rgba = tinted(rgba, tint)
        data = encode(int(w), int(h), int(depth), rgba)
    except (OSError, ValueError) as err:
        sys.stderr.write(f"bmp: {out_path}: {err}\n")
        return 1
    write(out_path, data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
