#!/usr/bin/env python3
"""Checks the built skin: the archive, every member's format, the options and the atlas.

    check.py ROOT      (the repository's top directory)

It fails (exit status 1, one line per problem) when any of these does not hold:
  - MiniKorvel.askin unpacks to exactly the 11 members, in the stored order, byte-equal to
    the files under assets/skin/, with nothing after the last one; the fuzz seeds unpack;
  - every PNG member is 8-bit RGBA (colour type 6), not interlaced, of its size; every BMP
    member has the 40-byte header, BI_RGB, bottom-up rows, its size and depth;
  - Options.dat is ASCII with CR LF line ends, [GLOBALINFO] then the 67 control sections in
    order, every control section with the same keys, and the values the window relies on;
  - every atlas reference ("@", "^", "~") is the rectangle of one atlas image, every "!"
    reference names a member (BR.BMP alone is meant to be missing);
  - the atlas images lie inside the atlas without overlapping, nothing is drawn outside them,
    Master.bmp is keyed exactly where Master.fw.png is clear, and the images the window shows
    have their colours (title-row buttons, title-bar item backgrounds, the edit's frame);
  - ExBorder.png has its line, corners, fill and shadow.
"""

import os
import re
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "..", "pictures"))
import bmp  # noqa: E402
from make_options import SECTION_ORDER, atlas_rects  # noqa: E402
from pack import unpack  # noqa: E402

MEMBERS = [
    # name, kind, width, height, bmp depth
    ("Options.dat", "text", 0, 0, 0),
    ("ButtonHuge.bmp", "bmp", 288, 192, 8),
    ("Master.bmp", "bmp", 515, 120, 24),
    ("ExBorder.png", "png", 114, 69, 0),
    ("GlowBtn.png", "png", 32, 32, 0),
    ("GlowCAlone.png", "png", 63, 38, 0),
    ("GlowClose.png", "png", 63, 38, 0),
    ("GlowMax.png", "png", 46, 38, 0),
    ("GlowMin.png", "png", 46, 38, 0),
    ("GlowNorm.png", "png", 46, 38, 0),
    ("Master.fw.png", "png", 515, 120, 0),
]

KEY = (255, 0, 255)
PINK = (252, 218, 213)

# Values the main window and the about box depend on, as Options.dat must write them.
REQUIRED = {
    "GLOBALINFO": {
        "VERSION": "8.00",
        "MASTERBITMAP": "MASTER.BMP",
        "TITLEHEIGHT": "0",
        "MAXHEIGHT": "0",
        "BORDERWIDTH": "1",
        "FORMOFFSET": "10",
        "BORDERMODE": "1",
        "EXBORDER": "!EXBORDER.PNG!2!0!3!0018!0040!0018!0018!1",
        "ALIGNOFFSET": "0",
        "CENTEROFFSET": "0",
        "BILEFT": "8",
        "BIRIGHT": "0",
        "BITOP": "1",
        "BISPACE": "0",
        "BIVALIGN": "1",
        "BIKEEPHUE": "1",
        "BICONMIN": "@0000@0082@0082@0103@3@0",
        "BICONCLOSE": "@0084@0082@0187@0103@3@0",
        "BICLOSEALONE": "@0084@0082@0187@0103@3@0",
        "BICONMAX": "@0189@0082@0270@0103@3@0",
        "BICONNORM": "@0271@0082@0352@0103@3@0",
        "COLOR": "15790320",
        "HOTCOLOR": "16777215",
        "BORDERCOLOR": "14078931",
        "FONTCOLOR": "0",
        "SHADOW1COLOR": "7628121",
        "SHADOW1OFFSET": "1",
        "SHADOW1BLUR": "3",
        "DESCRIPTION": "",
    },
    "FORM": {"COLOR": "14015228", "HOTCOLOR": "14015228"},
    "FORMTITLE": {
        "TRANSPARENCY": "100",
        "HOTTRANSPARENCY": "100",
        "FONTCOLOR": "8872505",
        "HOTFONTCOLOR": "1315344",
        "TEXTGLOWCOLOR": "16777215",
        "TEXTGLOWSIZE": "5",
    },
    "EDIT": {
        "BORDERSMASK": "^0451^0021^0454^0024^0001^0001^0001^0001^1^0^1^1",
        "COLOR": "16777215",
        "HOTCOLOR": "16777215",
        "STATES": "1",
    },
    "TB_MENUBTN": {
        "STATES": "3",
        "PATTERN": "~0353~0082~0380~0103~00~0",
        "HOTPATTERN": "~0380~0082~0407~0103~02~0",
        "BORDERSMASK": "^0451^0026^0457^0032^0001^0001^0001^0001^2^1^0^1",
        "FONTCOLOR": "32768",
        "HOTFONTCOLOR": "255",
    },
    "MENUITEM": {
        "COLOR": "16777215",
        "FONTCOLOR": "0",
        "TRANSPARENCY": "100",
        "HOTTRANSPARENCY": "0",
        "HOTGRADIENTDATA": "14194494;13010480;97;0;0;13010480;13010480;0;0;0",
        "HOTFONTCOLOR": "16777215",
    },
    "ICOLINE": {
        "BORDERSMASK": "^0130^0028^0135^0036^0000^0000^0002^0000^1^0^1^1",
        "COLOR": "14015228",
    },
    "WEBBUTTON": {"FONTCOLOR": "11702871", "HOTFONTCOLOR": "16744448"},
}
# Further GLOBALINFO keys that must be present (their values are the skin's own).
GLOBAL_KEYS = """AUTHOR TITLEBUTTON RADIOUNCHECKED BOXUNCHECKED RADIOCHECKED BOXCHECKED BOXGRAYED
GRIPIMAGE SMALLCHECKED SMALLUNCHECKED SMALLGRAYED SICONMIN SICONCLOSE SICONNORM SICONMAX
TCLEFT TCTOP TCBOTTOM""".split()
GLOW_SECTIONS = ["BUTTON", "BUTTON_BIG", "UPDOWNBTN", "ALPHACOMBOBOX", "ALPHAEDIT"]
MISSING_ON_PURPOSE = {"BR.BMP"}


class Problems(list):
    def check(self, ok, message):
        if not ok:
            self.append(message)
        return ok


def png_decode(data):
    """(width, height, RGBA bytes) of an 8-bit RGBA non-interlaced PNG; ValueError otherwise."""
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("no PNG signature")
    at, idat, header = 8, b"", None
    while at < len(data):
        (length,) = struct.unpack_from(">I", data, at)
        kind = data[at + 4 : at + 8]
        body = data[at + 8 : at + 8 + length]
        (crc,) = struct.unpack_from(">I", data, at + 8 + length)
        if zlib.crc32(kind + body) & 0xFFFFFFFF != crc:
            raise ValueError(f"bad CRC in {kind!r}")
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        elif kind == b"IEND":
            break
        at += 12 + length
    if header is None:
        raise ValueError("no IHDR")
    width, height, depth, colour, _, _, interlace = header
    if (depth, colour, interlace) != (8, 6, 0):
        raise ValueError(f"depth {depth}, colour type {colour}, interlace {interlace}")
    raw = zlib.decompress(idat)
    stride = width * 4
    out = bytearray()
    prior = bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        row = bytearray(raw[y * (stride + 1) + 1 : (y + 1) * (stride + 1)])
        for i in range(stride):
            a = row[i - 4] if i >= 4 else 0
            b = prior[i]
            c = prior[i - 4] if i >= 4 else 0
            if kind == 1:
                row[i] = (row[i] + a) & 255
            elif kind == 2:
                row[i] = (row[i] + b) & 255
            elif kind == 3:
                row[i] = (row[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                row[i] = (row[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
            elif kind != 0:
                raise ValueError(f"filter {kind}")
        out += row
        prior = row
    return width, height, bytes(out)


class Picture:
    def __init__(self, width, height, rgba):
        self.width, self.height, self.rgba = width, height, rgba

    def __call__(self, x, y):
        i = (y * self.width + x) * 4
        return tuple(self.rgba[i : i + 4])


def parse_options(text, problems):
    """[(section, [(key, value)])]."""
    sections = []
    for number, line in enumerate(text.split("\r\n"), 1):
        if not line:
            continue
        if line.startswith("["):
            sections.append((line[1:-1], []))
        elif "=" in line and sections:
            key, _, value = line.partition("=")
            sections[-1][1].append((key, value))
        else:
            problems.append(f"Options.dat line {number}: {line!r}")
    return sections


def check_options(data, problems):
    problems.check(data.isascii(), "Options.dat is not ASCII")
    text = data.decode("ascii", "replace")
    problems.check(
        "\n" not in text.replace("\r\n", "") and "\r" not in text.replace("\r\n", ""),
        "Options.dat has a line end other than CR LF",
    )
    problems.check(text.endswith("\r\n"), "Options.dat does not end with CR LF")
    sections = parse_options(text, problems)
    names = [s for s, _ in sections]
    problems.check(
        names == ["GLOBALINFO"] + SECTION_ORDER,
        "Options.dat's sections are not GLOBALINFO and the 67 control sections in order",
    )
    values = {s: dict(kv) for s, kv in sections}
    keysets = {tuple(k for k, _ in kv) for s, kv in sections if s != "GLOBALINFO"}
    problems.check(len(keysets) == 1, "the control sections do not all have the same keys")
    for section, required in REQUIRED.items():
        for key, want in required.items():
            got = values.get(section, {}).get(key)
            problems.check(got == want, f"[{section}] {key} is {got!r}, must be {want!r}")
    for key in GLOBAL_KEYS:
        problems.check(key in values.get("GLOBALINFO", {}), f"[GLOBALINFO] lacks {key}")
    for section in GLOW_SECTIONS:
        glow = values.get(section, {}).get("GLOW0", "")
        problems.check(glow.startswith("!GLOWBTN.PNG!"), f"[{section}] GLOW0 is {glow!r}")
    problems.check(
        values.get("BAR", {}).get("IMAGE", "").startswith("!BR.BMP!"),
        "[BAR] does not name BR.BMP",
    )
    return sections


REF_FIELDS = {"@": 6, "^": 12, "~": 6, "!": 9}


def check_references(sections, rects, member_names, atlas, problems):
    by_rect = {r: name for name, r in rects.items()}
    names = {n.upper() for n in member_names}
    for section, kv in sections:
        for key, value in kv:
            if not value or value[0] not in REF_FIELDS:
                continue
            where = f"[{section}] {key}={value}"
            fields = value[1:].split(value[0])
            if not problems.check(len(fields) == REF_FIELDS[value[0]], f"{where}: field count"):
                continue
            if value[0] == "!":
                member = fields[0].upper()
                if member in MISSING_ON_PURPOSE:
                    problems.check(member not in names, f"{where}: meant to be missing")
                else:
                    problems.check(member in names, f"{where}: no such member")
                continue
            if not problems.check(all(f.isdigit() for f in fields), f"{where}: not numbers"):
                continue
            rect = tuple(int(f) for f in fields[:4])
            if not problems.check(rect in by_rect, f"{where}: no atlas image has this rectangle"):
                continue
            states = int(fields[4]) if value[0] == "@" else int(fields[8]) if value[0] == "^" else 1
            width = rect[2] - rect[0]
            if not problems.check(states >= 1 and width // states >= 1, f"{where}: states"):
                continue
            if value[0] == "@":
                cell = width // states
                for s in range(states):
                    drawn = any(
                        atlas(x, y)[:3] != KEY
                        for y in range(rect[1], rect[3])
                        for x in range(rect[0] + s * cell, rect[0] + (s + 1) * cell)
                    )
                    problems.check(drawn, f"{where}: state {s} is empty")


def check_atlas(rects, atlas, atlas_png, problems):
    items = sorted(rects.items(), key=lambda kv: kv[1])
    for name, (l, t, r, b) in items:
        problems.check(0 <= l < r <= 515 and 0 <= t < b <= 120, f"atlas image {name} outside")
        drawn = any(atlas(x, y)[:3] != KEY for y in range(t, b) for x in range(l, r))
        problems.check(drawn, f"atlas image {name} is empty")
    for i, (n1, a) in enumerate(items):
        for n2, b in items[i + 1 :]:
            overlap = a[0] < b[2] and b[0] < a[2] and a[1] < b[3] and b[1] < a[3]
            problems.check(not overlap, f"atlas images {n1} and {n2} overlap")
    covered = set()
    for l, t, r, b in rects.values():
        covered.update((x, y) for y in range(t, b) for x in range(l, r))
    for y in range(120):
        for x in range(515):
            keyed = atlas(x, y)[:3] == KEY
            clear = atlas_png(x, y)[3] == 0
            if not problems.check(keyed == clear, f"atlas ({x},{y}): keyed {keyed}, clear {clear}"):
                return
            if (x, y) not in covered and not problems.check(keyed, f"atlas ({x},{y}) drawn"):
                return

    def cell(name, state, states):
        l, t, r, b = rects[name]
        w = (r - l) // states
        return l + state * w, t, w, b - t

    # Title-row buttons: normal pink with a crimson sign, hot and pressed crimson gradients
    # with white in the sign.
    for name in ("bi-min", "bi-close", "bi-max", "bi-norm"):
        x, y, w, h = cell(name, 0, 3)
        normal = [atlas(x + i, y + j)[:3] for j in range(h) for i in range(w)]
        problems.check(normal.count(PINK) > w * h * 0.7, f"{name}: normal state is not pink")
        problems.check(
            any(p[0] > 150 and p[1] < 60 for p in normal), f"{name}: no crimson sign"
        )
        for state in (1, 2):
            x, y, w, h = cell(name, state, 3)
            top, bottom = atlas(x + 1, y)[:3], atlas(x + 1, y + h - 1)[:3]
            problems.check(
                top != bottom and all(p[0] - p[1] > 80 for p in (top, bottom)),
                f"{name}: state {state} is not a crimson gradient",
            )
            face = [atlas(x + i, y + j)[:3] for j in range(h) for i in range(w)]
            problems.check((255, 255, 255) in face, f"{name}: state {state} has no white sign")
    l, t, r, b = rects["tb-pattern"]
    problems.check(
        all(atlas(x, y)[:3] == PINK for y in range(t, b) for x in range(l, r)),
        "tb-pattern is not plain pink",
    )
    l, t, r, b = rects["tb-hotpattern"]
    column = [atlas(l + 5, y)[:3] for y in range(t, b)]
    # A light crimson, darkening downwards: the items' crimson glyphs must stay readable on it.
    problems.check(
        len(set(column)) > 5
        and all(p[0] - p[1] > 25 for p in column)
        and sum(column[0]) > sum(column[-1])
        and column[-1][0] - column[-1][1] > 80,
        "tb-hotpattern is not a crimson gradient",
    )
    l, t, r, b = rects["edit-frame"]
    frame = [atlas(x, y)[:3] for y in range(t, b) for x in range(l, r)]
    problems.check(
        frame[4] == (255, 255, 255)
        and all(p == (198, 23, 50) for i, p in enumerate(frame) if i != 4),
        "edit-frame is not a #C61732 frame round white",
    )


def check_exborder(png, problems):
    line, fill = (197, 0, 35, 255), PINK + (255,)
    for f, peak in ((0, 30), (1, 35)):
        ox = f * 57
        px = lambda x, y: png(ox + x, y)  # noqa: E731
        problems.check(px(10, 30) == line and px(46, 30) == line, f"exborder {f}: side lines")
        problems.check(px(30, 10) == line and px(30, 58) == line, f"exborder {f}: top, bottom")
        for cx, cy, sx, sy in ((10, 10, 1, 1), (46, 10, -1, 1), (10, 58, 1, -1), (46, 58, -1, -1)):
            problems.check(
                px(cx, cy)[3] < 255 and px(cx + sx, cy)[3] < 255,
                f"exborder {f}: corner ({cx},{cy}) is not cut",
            )
            problems.check(
                px(cx + 2 * sx, cy) == line and px(cx + sx, cy + sy) == line
                and px(cx, cy + 2 * sy) == line,
                f"exborder {f}: corner ({cx},{cy}) has no 3-pixel diagonal",
            )
        problems.check(px(28, 30) == fill and px(11, 11 + 1) == fill, f"exborder {f}: fill")
        problems.check(px(9, 30) == (0, 0, 0, peak), f"exborder {f}: shadow next to the line")
        problems.check(px(0, 30)[3] <= 2 and px(0, 0)[3] == 0, f"exborder {f}: shadow's end")
        shadow = [px(x, y)[3] for y in range(69) for x in range(57) if px(x, y)[:3] == (0, 0, 0)]
        problems.check(max(shadow) == peak, f"exborder {f}: shadow alpha above {peak}")


def main(argv):
    if len(argv) != 2:
        sys.stderr.write(__doc__)
        return 2
    root = argv[1]
    skin = os.path.join(root, "assets", "skin")
    problems = Problems()

    def read(*parts):
        with open(os.path.join(*parts), "rb") as f:
            return f.read()

    files = {}
    pictures = {}
    for name, kind, width, height, depth in MEMBERS:
        data = read(skin, name) if kind == "text" else read(skin, "members", name)
        files[name] = data
        try:
            if kind == "png":
                w, h, rgba = png_decode(data)
                problems.check((w, h) == (width, height), f"{name} is {w} x {h}")
                pictures[name] = Picture(w, h, rgba)
            elif kind == "bmp":
                w, h, d, rgba = bmp.decode(data)
                problems.check((w, h, d) == (width, height, depth), f"{name} is {w} x {h} x {d}")
                pictures[name] = Picture(w, h, rgba)
        except ValueError as err:
            problems.append(f"{name}: {err}")

    try:
        archived = unpack(read(skin, "MiniKorvel.askin"))
        problems.check(
            [n for n, _, _ in archived] == [m[0] for m in MEMBERS],
            "the archive's members are not the 11 in their stored order",
        )
        for name, data, _ in archived:
            problems.check(files.get(name) == data, f"the archive's {name} differs from the file")
    except ValueError as err:
        problems.append(f"MiniKorvel.askin: {err}")
    corpus = os.path.join(root, "tests", "fuzz", "corpus")
    for seed in sorted(os.listdir(corpus)):
        if seed.startswith("seed-"):
            try:
                unpack(read(corpus, seed))
            except ValueError as err:
                problems.append(f"seed {seed}: {err}")

    sections = check_options(files["Options.dat"], problems)
    rects = atlas_rects(os.path.join(skin, "src", "master.svg"))
    if "Master.bmp" in pictures and "Master.fw.png" in pictures:
        check_references(sections, rects, [m[0] for m in MEMBERS], pictures["Master.bmp"], problems)
        check_atlas(rects, pictures["Master.bmp"], pictures["Master.fw.png"], problems)
    if "ExBorder.png" in pictures:
        check_exborder(pictures["ExBorder.png"], problems)
    huge = pictures.get("ButtonHuge.bmp")
    if huge:
        problems.check(huge(0, 0)[:3] == KEY, "ButtonHuge.bmp's corners are not keyed")
        problems.check(huge(48, 96)[:3] != KEY, "ButtonHuge.bmp's face is keyed")

    for p in problems:
        sys.stderr.write(f"skin check: {p}\n")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
