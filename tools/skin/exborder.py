#!/usr/bin/env python3
"""Draws the window frame image ExBorder.png's pixels: 114 x 69 RGBA, two 57 x 69 frames side
by side, the inactive window's first, then the active one's.

Each frame, from the outside in:
  - a 10-pixel soft black shadow whose alpha rises towards the frame line (SHADOW_ALPHA next
    to it, nothing 10 pixels out), with rounded outer corners;
  - a 1-pixel line of LINE_COLOUR whose four corners are cut by a diagonal of 3 pixels;
  - FILL inside, the window's pink: the title row and the client background.
The skin stretches the middle (the options give borders of 18, 40, 18, 18: the shadow plus the
line and 7 pixels of fill, and on top the shadow plus the 30-pixel title row).

Both frames keep the same fill, so the logo, painted on that pink, never shows a box on an
inactive window; the inactive one's shadow is a little lighter.

Usage: exborder.py OUT.rgba   (114 * 69 * 4 bytes, top row first, straight alpha)
"""

import math
import sys

FRAME_W, FRAME_H = 57, 69
SHADOW = 10  # shadow width outside the line, on all four sides
LINE_COLOUR = (197, 0, 35)
FILL = (252, 218, 213)
SHADOW_ALPHA = {"inactive": 30, "active": 35}  # alpha of the shadow pixels next to the line
CUT = 2  # corner pixels with dx + dy < CUT lie outside; dx + dy == CUT is the diagonal


def frame(shadow_alpha):
    """One frame's pixels as a list of rows of (r, g, b, a)."""
    left, top = SHADOW, SHADOW
    right, bottom = FRAME_W - SHADOW - 1, FRAME_H - SHADOW - 1  # the line's last column, row
    rows = []
    for y in range(FRAME_H):
        row = []
        for x in range(FRAME_W):
            inside_box = left <= x <= right and top <= y <= bottom
            corner = None
            if inside_box:
                dx = min(x - left, right - x)
                dy = min(y - top, bottom - y)
                corner = dx + dy
            if inside_box and corner >= CUT:
                on_line = x in (left, right) or y in (top, bottom) or corner == CUT
                row.append(LINE_COLOUR + (255,) if on_line else FILL + (255,))
                continue
            # Shadow: by the distance from the pixel's centre to the line's outer edge. The
            # cut-off corner pixels count as right next to the line.
            cx, cy = x + 0.5, y + 0.5
            ex = max(left - cx, 0.0, cx - (right + 1))
            ey = max(top - cy, 0.0, cy - (bottom + 1))
            distance = math.hypot(ex, ey)
            t = min(max((distance - 0.5) / SHADOW, 0.0), 1.0)
            alpha = round(shadow_alpha * (1.0 - t) ** 2)
            row.append((0, 0, 0, alpha))
        rows.append(row)
    return rows


def main(argv):
    if len(argv) != 2:
        sys.stderr.write(__doc__)
        return 2
    inactive = frame(SHADOW_ALPHA["inactive"])
    active = frame(SHADOW_ALPHA["active"])
    out = bytearray()
    for a, b in zip(inactive, active):
        for pixel in a + b:
            out += bytes(pixel)
    with open(argv[1], "wb") as f:
        f.write(out)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
