#!/usr/bin/env python3
"""Checks the rendered pictures in assets/pictures/ against what the program needs of them.

    check.py PICTURES_DIR

Every picture must be a BMP with the 40-byte header, BI_RGB and bottom-up rows (bmp.decode)
of its size and depth, and:
  logo            opaque, background exactly #FCDAD5, no key-colour (#FF00FF) pixel; rows 23
                  to 49 show in the top strip, where the logo starts at client column 8 and
                  must end by client column 186: nothing but background right of column 178
  about           rows 172 to 268 exactly #FDFAFC; the banner's outermost rows and columns
                  exactly #DD759F; white lettering in the banner's right part
  glyph-login,    every drawn pixel exactly #D90000 with its coverage as alpha, the rest
  glyph-register  fully clear (colour 0 too)
  glyph-more      the same in #C40022
  glyph-refresh   blue, with soft (partial) alpha at its edges
  search-button   fully opaque; rows 0 and 21 #C61732; column 20 between them #AC4757;
                  no left line; no olive (#808000, the button's transparent colour) pixel
  menu-about      a blue disc with white in it, clear corners
  menu-refresh    green in the upper and the lower half, clear corners
Prints one line per problem and exits with status 1 when there is any.
"""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import bmp  # noqa: E402

FORM_PINK = (252, 218, 213)
KEY = (255, 0, 255)
LOGO_STRIP_ROWS = range(23, 50)
LOGO_STRIP_LAST_COLUMN = 178  # client column 186 minus the logo's left edge at client column 8

SIZES = {
    "logo": (228, 50, 24),
    "about": (436, 269, 24),
    "glyph-login": (26, 13, 32),
    "glyph-register": (26, 13, 32),
    "glyph-more": (13, 11, 32),
    "glyph-refresh": (13, 13, 32),
    "search-button": (21, 22, 32),
    "menu-about": (16, 16, 32),
    "menu-refresh": (16, 16, 32),
}


class Picture:
    def __init__(self, width, height, rgba):
        self.width, self.height, self.rgba = width, height, rgba

    def __call__(self, x, y):
        i = (y * self.width + x) * 4
        return tuple(self.rgba[i : i + 4])

    def pixels(self, xs=None, ys=None):
        for y in ys if ys is not None else range(self.height):
            for x in xs if xs is not None else range(self.width):
                yield x, y, self(x, y)


def check_logo(p, fail):
    for x, y, px in p.pixels():
        if px[:3] == KEY:
            fail(f"logo: ({x},{y}) is the key colour")
            break
    for corner in ((0, 0), (227, 0), (0, 49), (227, 49)):
        if p(*corner)[:3] != FORM_PINK:
            fail(f"logo: corner {corner} is not the background #FCDAD5")
    drawn = [x for x, y, px in p.pixels(ys=LOGO_STRIP_ROWS) if px[:3] != FORM_PINK]
    if drawn and max(drawn) > LOGO_STRIP_LAST_COLUMN:
        fail(
            f"logo: rows 23-49 are drawn up to column {max(drawn)}; the top strip allows "
            f"{LOGO_STRIP_LAST_COLUMN} (client column 186)"
        )
    crimson = sum(1 for _, _, px in p.pixels() if px[0] > 150 and px[1] < 60 and px[2] < 80)
    if crimson < 400:
        fail("logo: too little crimson for the name, the badge and the address")


def check_about(p, fail):
    for x, y, px in p.pixels(ys=range(172, 269)):
        if px[:3] != (253, 250, 252):
            fail(f"about: ({x},{y}) in the labels' area is {px[:3]}, not #FDFAFC")
            break
    edge = [(x, 0) for x in range(436)] + [(x, 171) for x in range(436)]
    edge += [(0, y) for y in range(172)] + [(435, y) for y in range(172)]
    for x, y in edge:
        if p(x, y)[:3] != (221, 117, 159):
            fail(f"about: banner edge ({x},{y}) is {p(x, y)[:3]}, not #DD759F")
            break
    white = sum(1 for _, _, px in p.pixels(range(180, 436), range(20, 150)) if px[:3] == (255,) * 3)
    if white < 300:
        fail("about: no white lettering on the banner's right")


def check_one_colour(name, colour):
    def check(p, fail):
        alphas = set()
        for x, y, (r, g, b, a) in p.pixels():
            alphas.add(a)
            if a and (r, g, b) != colour:
                fail(f"{name}: ({x},{y}) is {(r, g, b)} with alpha {a}, not {colour}")
                return
            if not a and (r, g, b) != (0, 0, 0):
                fail(f"{name}: clear pixel ({x},{y}) keeps a colour")
                return
        if 255 not in alphas or 0 not in alphas:
            fail(f"{name}: needs solid and clear pixels")

    return check


def check_refresh(p, fail):
    alphas = [px[3] for _, _, px in p.pixels()]
    if not any(0 < a < 255 for a in alphas) or p(6, 6)[3] != 0:
        fail("glyph-refresh: needs soft edges and a clear middle")
    if not all(px[2] > px[0] for _, _, px in p.pixels() if px[3] > 128):
        fail("glyph-refresh: not blue")


def check_search(p, fail):
    for x, y, px in p.pixels():
        if px[3] != 255:
            fail(f"search-button: ({x},{y}) is not opaque")
            return
        if px[:3] == (128, 128, 0):
            fail(f"search-button: ({x},{y}) is olive, the button's transparent colour")
            return
    if any(p(x, y)[:3] != (198, 23, 50) for x in range(21) for y in (0, 21)):
        fail("search-button: rows 0 and 21 are not all #C61732")
    if any(p(20, y)[:3] != (172, 71, 87) for y in range(1, 21)):
        fail("search-button: column 20 is not #AC4757")
    if any(min(p(0, y)[:3]) < 200 for y in range(1, 21)):
        fail("search-button: column 0 is not the light face (no left line)")
    if not sum(p(1, 1)[:3]) > sum(p(1, 20)[:3]):
        fail("search-button: the face does not go from white to light grey")
    glass = [px for _, _, px in p.pixels(range(4, 17), range(4, 18)) if max(px[:3]) < 160]
    if len(glass) < 15 or any(max(px[:3]) - min(px[:3]) > 12 for px in glass):
        fail("search-button: no grey magnifying glass")


def check_about_icon(p, fail):
    if any(p(x, y)[3] != 0 for x, y in ((0, 0), (15, 0), (0, 15), (15, 15))):
        fail("menu-about: corners are not clear")
    blue = sum(1 for _, _, px in p.pixels() if px[3] == 255 and px[2] > px[0] + 60)
    white = sum(1 for _, _, px in p.pixels(range(5, 11), range(3, 13)) if min(px[:3]) > 230)
    if blue < 80 or white < 8:
        fail("menu-about: not a blue disc with a white question mark")


def check_refresh_icon(p, fail):
    if any(p(x, y)[3] != 0 for x, y in ((0, 0), (0, 15), (15, 15))):
        fail("menu-refresh: corners are not clear")

    def green(ys):
        return sum(1 for _, _, px in p.pixels(ys=ys) if px[3] > 200 and px[1] > px[0] + 40)

    if green(range(0, 8)) < 20 or green(range(8, 16)) < 20:
        fail("menu-refresh: needs a green arrow in each half")
    # An arrow is tallest at its head: right of the middle above, left of it below.
    def head(ys):
        height = [sum(1 for y in ys if p(x, y)[3] > 128) for x in range(16)]
        return height.index(max(height))

    if not (head(range(0, 8)) > 8 and head(range(8, 16)) < 8):
        fail("menu-refresh: the arrows do not point right (upper) and left (lower)")


CHECKS = {
    "logo": check_logo,
    "about": check_about,
    "glyph-login": check_one_colour("glyph-login", (217, 0, 0)),
    "glyph-register": check_one_colour("glyph-register", (217, 0, 0)),
    "glyph-more": check_one_colour("glyph-more", (196, 0, 34)),
    "glyph-refresh": check_refresh,
    "search-button": check_search,
    "menu-about": check_about_icon,
    "menu-refresh": check_refresh_icon,
}


def main(argv):
    if len(argv) != 2:
        sys.stderr.write(__doc__)
        return 2
    problems = []
    for name, (width, height, depth) in SIZES.items():
        path = os.path.join(argv[1], name + ".bmp")
        try:
            with open(path, "rb") as f:
                w, h, d, rgba = bmp.decode(f.read())
        except (OSError, ValueError) as err:
            problems.append(f"{name}: {err}")
            continue
        if (w, h, d) != (width, height, depth):
            problems.append(f"{name}: {w} x {h} x {d} bpp, must be {width} x {height} x {depth}")
            continue
        CHECKS[name](Picture(w, h, rgba), problems.append)
    for p in problems:
        sys.stderr.write(f"picture check: {p}\n")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
