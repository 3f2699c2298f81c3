#!/usr/bin/env python3
"""Writes a few tiny, valid skin archives as seeds for the skin reader's fuzz corpus.

    make_seeds.py DIR      (the project keeps them in tests/fuzz/corpus)

Each seed is a small, well-formed case the reader must take, so that mutations start from
inputs that reach deep into it:
    seed-empty.askin        no members at all
    seed-options.askin      one member, "options.DAT" (the options name in other letter case)
    seed-bitmap.askin       options naming a 2 x 2 24 bpp atlas, and that atlas
    seed-png.askin          options with a "!" reference to a 2 x 2 RGBA PNG, and that PNG
The same run always writes the same bytes.
"""

import os
import struct
import sys
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "pictures"))
import bmp  # noqa: E402
from pack import pack  # noqa: E402


def options(*lines):
    return ("\r\n".join(lines) + "\r\n").encode("ascii")


def png_rgba(width, height, rgba):
    """An 8-bit RGBA, non-interlaced PNG with nothing but IHDR, IDAT and IEND."""

    def chunk(kind, body):
        return (
            struct.pack(">I", len(body))
            + kind
            + body
            + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)
        )

    rows = b"".join(
        b"\x00" + rgba[y * width * 4 : (y + 1) * width * 4] for y in range(height)
    )
    return (
        b"\x89PNG\r\n\x1a\n"
        + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
        + chunk(b"IDAT", zlib.compress(rows, 9))
        + chunk(b"IEND", b"")
    )


def seeds():
    pink, crimson = bytes((252, 218, 213, 255)), bytes((197, 0, 35, 255))
    atlas = bmp.encode(2, 2, 24, pink + crimson + crimson + pink)
    glow = png_rgba(2, 2, bytes((255, 46, 77, 0, 255, 46, 77, 128) * 2))
    return {
        "seed-empty.askin": [],
        "seed-options.askin": [
            (
                "options.DAT",
                options(
                    "[GLOBALINFO]",
                    "VERSION=8.00",
                    "DESCRIPTION=",
                    "",
                    "[FORM]",
                    "COLOR=14015228",
                    "GRADIENTDATA=14194494;13010480;97;0;0",
                    "PATTERN=N/A",
                ),
            )
        ],
        "seed-bitmap.askin": [
            (
                "Options.dat",
                options(
                    "[GLOBALINFO]",
                    "MASTERBITMAP=TINY.BMP",
                    "BICONMIN=@0000@0000@0002@0002@2@0",
                    "[EDIT]",
                    "BORDERSMASK=^0000^0000^0002^0002^0001^0001^0000^0000^1^0^1^1",
                    "PATTERN=~0000~0000~0001~0002~00~0",
                ),
            ),
            ("Tiny.bmp", atlas),
        ],
        "seed-png.askin": [
            (
                "Options.dat",
                options(
                    "[GLOBALINFO]",
                    "EXBORDER=!GLOW.PNG!1!0!3!0000!0000!0000!0000!1",
                    "[BUTTON]",
                    "GLOW0=!glow.png!1!0!3!0001!0001!0001!0001!1",
                ),
            ),
            ("Glow.png", glow),
        ],
    }


def main(argv):
    if len(argv) != 2:
        sys.stderr.write(__doc__)
        return 2
    os.makedirs(argv[1], exist_ok=True)
    for name, members in seeds().items():
        with open(os.path.join(argv[1], name), "wb") as f:
            f.write(pack(members))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
