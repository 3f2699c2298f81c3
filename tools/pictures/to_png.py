#!/usr/bin/env python3
"""Repacks a picture kept as a Windows bitmap into a PNG image for the program's resources:
8-bit RGB for a 24-bit bitmap, 8-bit RGBA (straight alpha) for a 32-bit one, so the program
reads back exactly the bitmap's pixels and depth, at a fraction of the size.

    to_png.py IN.bmp OUT.png
"""

import struct
import sys
import zlib
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import bmp  # noqa: E402


def chunk(kind, body):
    return (struct.pack(">I", len(body)) + kind + body
            + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))


def png(width, height, depth, rgba):
    channels = 4 if depth == 32 else 3
    raw = bytearray()
    for y in range(height):
        raw.append(0)  # no filter
        row = rgba[y * width * 4:(y + 1) * width * 4]
        if channels == 4:
            raw += row
        else:
            for x in range(width):
                raw += row[x * 4:x * 4 + 3]
    header = struct.pack(">IIBBBBB", width, height, 8, 6 if channels == 4 else 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def main(argv):
    source, target = argv[1:3]
    width, height, depth, rgba = bmp.decode(Path(source).read_bytes())
    if depth not in (24, 32):
        raise SystemExit(f"{source}: {depth}-bit pictures are kept as bitmaps")
    Path(target).parent.mkdir(parents=True, exist_ok=True)
    Path(target).write_bytes(png(width, height, depth, rgba))


if __name__ == "__main__":
    main(sys.argv)
