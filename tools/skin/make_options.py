#!/usr/bin/env python3
"""Writes the skin's Options.dat from its readable source.

    make_options.py SOURCE.ini ATLAS.svg OUT.dat

SOURCE.ini (assets/skin/src/options.ini) explains its own notation at its top: #RRGGBB
colours, {id} atlas rectangles, a [*] section listing the keys of every control section with
their defaults, and "[NAME : BASE]" to start a section from another one's values.
ATLAS.svg (assets/skin/src/master.svg) gives the rectangles: each nested <svg> element with
an id is one atlas image at x, y, width, height.

The output is ASCII with CR LF line ends: [GLOBALINFO], then the 67 control sections in the
order the skin stores them, each with every key of [*] in [*]'s order, one blank line after
each section. The same inputs always give the same bytes.
"""

import os
import re
import sys
import xml.etree.ElementTree as ET

SVG = "{http://www.w3.org/2000/svg}"

# The control sections, in the order the skin stores them.
SECTION_ORDER = """
DIVIDER EDIT GRIPH GRIPV GROUPBOX ICOLINE HINT MAINMENU MDIAREA PAGECONTROL PANEL PANEL_LOW
PROGRESSH STATUSBAR FORM DIVIDERV GAUGE COMBOBOX SPLITTER SCROLLBAR1V SCROLLBAR1H SCROLLBAR2H
SCROLLBAR2V SCROLLSLIDERV SCROLLBTNTOP SCROLLBTNBOTTOM SCROLLBTNRIGHT SCROLLBTNLEFT
SCROLLSLIDERH COMBOBTN DIALOG PROGRESSV CHECKBOX SPEEDBUTTON SPEEDBUTTON_SMALL RADIOBUTTON
TRACKBAR TABTOP WEBBUTTON BARTITLE EXTRALINE TOOLBUTTON COLHEADER BUTTON_HUGE
PAGECONTROLBOTTOM PAGECONTROLLEFT PAGECONTROLRIGHT TABBOTTOM TABLEFT TABRIGHT FORMTITLE BUTTON
BUTTON_BIG UPDOWNBTN BARPANEL MENULINE ALPHACOMBOBOX BAR TOOLBAR DRAGBAR SELECTION MENUITEM
ALPHAEDIT RIBBONPAGE RIBBONTAB TB_BTN TB_MENUBTN
""".split()

COLOUR = re.compile(r"#([0-9A-Fa-f]{6})\b")
PLACEHOLDER = re.compile(r"([@^~!])\{([a-z0-9-]+)\}")


class SourceError(Exception):
    pass


def atlas_rects(svg_path):
    """{id: (left, top, right, bottom)} of the atlas images, right and bottom exclusive."""
    root = ET.parse(svg_path).getroot()
    rects = {}
    for item in root.findall(SVG + "svg"):
        name = item.get("id")
        if not name:
            raise SourceError(f"{svg_path}: a nested <svg> without an id")
        try:
            x, y, w, h = (int(item.get(k, "")) for k in ("x", "y", "width", "height"))
        except ValueError:
            raise SourceError(f"{svg_path}: {name}: x, y, width and height must be whole numbers")
        if name in rects:
            raise SourceError(f"{svg_path}: two images are called {name}")
        rects[name] = (x, y, x + w, y + h)
    return rects


def read_source(path):
    """[(name, base or None, [(key, value)], line)] in file order."""
    sections = []
    with open(path, encoding="utf-8") as f:
        for number, raw in enumerate(f, 1):
            line = raw.strip()
            if not line or line.startswith(";"):
                continue
            where = f"{path}:{number}"
            if line.startswith("["):
                m = re.fullmatch(r"\[\s*([A-Z0-9_*]+)\s*(?::\s*([A-Z0-9_]+)\s*)?\]", line)
                if not m:
                    raise SourceError(f"{where}: bad section header {line!r}")
                sections.append((m.group(1), m.group(2), [], where))
                continue
            key, sep, value = line.partition("=")
            if not sep or not re.fullmatch(r"[A-Z0-9_]+", key) or not sections:
                raise SourceError(f"{where}: expected KEY=VALUE inside a section, got {line!r}")
            if any(k == key for k, _ in sections[-1][2]):
                raise SourceError(f"{where}: {key} is set twice")
            sections[-1][2].append((key, value))
    return sections


def expand(value, rects, where):
    """The value as Options.dat writes it."""

    def rect(m):
        sep, name = m.groups()
        if name not in rects:
            raise SourceError(f"{where}: no atlas image {name!r} in the atlas")
        return sep + sep.join(f"{n:04d}" for n in rects[name])

    value = PLACEHOLDER.sub(rect, value)

    def colour(m):
        rgb = int(m.group(1), 16)
        r, g, b = rgb >> 16, (rgb >> 8) & 255, rgb & 255
        return str(b * 65536 + g * 256 + r)

    value = COLOUR.sub(colour, value)
    if "{" in value or "#" in value:
        raise SourceError(f"{where}: {value!r} keeps an unexpanded part")
    if not value.isascii():
        raise SourceError(f"{where}: {value!r} is not ASCII")
    return value


def build(source_path, atlas_path):
    rects = atlas_rects(atlas_path)
    sections = read_source(source_path)
    by_name = {}
    for name, base, values, where in sections:
        if name in by_name:
            raise SourceError(f"{where}: section {name} appears twice")
        by_name[name] = (base, values, where)
    if "GLOBALINFO" not in by_name or "*" not in by_name:
        raise SourceError(f"{source_path}: needs [GLOBALINFO] and [*]")
    defaults = dict(by_name["*"][1])
    keys = [k for k, _ in by_name["*"][1]]

    controls = [s[0] for s in sections if s[0] not in ("GLOBALINFO", "*")]
    if controls != SECTION_ORDER:
        missing = [s for s in SECTION_ORDER if s not in controls]
        extra = [s for s in controls if s not in SECTION_ORDER]
        raise SourceError(
            f"{source_path}: the control sections must be the skin's 67 in its order "
            f"(missing {missing}, unknown {extra})"
        )

    def resolved(name, seen=()):
        base, values, where = by_name[name]
        if name in seen:
            raise SourceError(f"{where}: {name} starts from itself")
        out = dict(defaults) if base is None else resolved(base, seen + (name,))
        if base is not None and base not in by_name:
            raise SourceError(f"{where}: no section {base} to start from")
        for key, value in values:
            if key not in defaults:
                raise SourceError(f"{where}: {key} is not one of the keys listed in [*]")
            out[key] = value
        return out

    lines = ["[GLOBALINFO]"]
    for key, value in by_name["GLOBALINFO"][1]:
        lines.append(f"{key}={expand(value, rects, by_name['GLOBALINFO'][2])}")
    lines.append("")
    for name in SECTION_ORDER:
        values = resolved(name)
        lines.append(f"[{name}]")
        for key in keys:
            lines.append(f"{key}={expand(values[key], rects, by_name[name][2])}")
        lines.append("")
    return ("\r\n".join(lines) + "\r\n").encode("ascii")


def main(argv):
    if len(argv) != 4:
        sys.stderr.write(__doc__)
        return 2
    try:
        data = build(argv[1], argv[2])
    except (OSError, ET.ParseError, SourceError) as err:
        sys.stderr.write(f"make_options: {err}\n")
        return 1
    tmp = argv[3] + ".tmp"
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, argv[3])
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
