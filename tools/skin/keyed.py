#!/usr/bin/env python3
"""Turns RGBA pixels into opaque pixels with the skin's key colour, for the skin's bitmaps
(which have no alpha: the skin treats key-coloured pixels as transparent).

    keyed.py flatten IN.rgba OUT.rgba
        Clear pixels (alpha 0) become the key colour #FF00FF; every other pixel is laid over
        the form's pink #FCDAD5, the colour the skin's small images are seen on, and made
        opaque. A drawn pixel that would come out as the key colour is an error.

    keyed.py rekey FLAT.rgba REDUCED.rgba OUT.rgba
        After a colour reduction of FLAT.rgba (ImageMagick's -colors) into REDUCED.rgba: key
        pixels of FLAT stay exactly the key colour, the others take their reduced colour; a
        reduced colour equal to the key colour is an error.

All files are 8-bit RGBA, four bytes a pixel.
"""

import sys

KEY = (255, 0, 255)
UNDER = (252, 218, 213)


def flatten(rgba):
    out = bytearray(len(rgba))
    for i in range(0, len(rgba), 4):
        r, g, b, a = rgba[i : i + 4]
        if a == 0:
            px = KEY
        else:
            px = tuple((c * a + u * (255 - a) + 127) // 255 for c, u in zip((r, g, b), UNDER))
            if px == KEY:
                raise ValueError(f"pixel {i // 4} is drawn in the key colour")
        out[i : i + 4] = bytes(px + (255,))
    return bytes(out)


def rekey(flat, reduced):
    if len(flat) != len(reduced):
        raise ValueError("the two pictures differ in size")
    out = bytearray(len(flat))
    for i in range(0, len(flat), 4):
        if tuple(flat[i : i + 3]) == KEY:
            out[i : i + 4] = bytes(KEY + (255,))
        else:
            if tuple(reduced[i : i + 3]) == KEY:
                raise ValueError(f"pixel {i // 4} was reduced to the key colour")
            out[i : i + 3] = reduced[i : i + 3]
            out[i + 3] = 255
    return bytes(out)


def main(argv):
    def read(path):
        with open(path, "rb") as f:
            return f.read()

    try:
        if len(argv) == 4 and argv[1] == "flatten":
            data, out = flatten(read(argv[2])), argv[3]
        elif len(argv) == 5 and argv[1] == "rekey":
            data, out = rekey(read(argv[2]), read(argv[3])), argv[4]
        else:
            sys.stderr.write(__doc__)
            return 2
    except (OSError, ValueError) as err:
        sys.stderr.write(f"keyed: {err}\n")
        return 1
    with open(out, "wb") as f:
        f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
