"""Runs the real program under Wine and watches it from outside.

The build tree's prepared prefix (tools/wine/prepare-prefix) gives the Wine environment and the
display; winprobe.exe looks windows up and posts messages to them as another program would;
screenshots come from the X display the program draws on.
"""

import json
import os
import shlex
import subprocess
import time
from pathlib import Path

BUILD = Path(os.environ["MK_BUILD"])
EXE = os.environ["MK_EXE"]
PROBE = os.environ["MK_PROBE"]
BASE = os.environ["MK_BASE"]
# The main window's class name: the portal base address followed by "/".
MAIN_CLASS = BASE + "/"
ARTIFACTS = BUILD / "e2e-artifacts"

SW_HIDE, SW_MINIMIZE, SW_SHOW = 0, 6, 5
WM_CLOSE = 0x0010


def wine_env():
    env = dict(os.environ)
    for line in (BUILD / "wine" / "env").read_text().splitlines():
        if line.startswith("export "):
            name, _, value = line[len("export "):].partition("=")
            env[name] = shlex.split(value)[0] if value else ""
    return env


ENV = wine_env()


def wine(*args, timeout=60):
    return subprocess.run([ENV["WINELOADER"], *args], env=ENV, capture_output=True,
                          timeout=timeout)


def wine_path(unix_path):
    """The Windows form of a Unix path, through the prefix's Z: drive."""
    return "Z:" + str(Path(unix_path).resolve()).replace("/", "\\")


def launch(show_command):
    """Starts the program from another Windows process with this show command. The output is
    not captured: the started program would hold the pipes open for its whole life."""
    return subprocess.run([ENV["WINELOADER"], PROBE, "launch", str(show_command), wine_path(EXE)],
                          env=ENV, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                          timeout=60).returncode


def start(*args, wine_debug=None, stderr_path=None):
    """Starts the program. wine_debug sets Wine's debug channels for it; stderr_path receives
    what Wine writes on its standard error (the channels' output)."""
    env = dict(ENV)
    if wine_debug:
        env["WINEDEBUG"] = wine_debug
    stderr = subprocess.DEVNULL
    if stderr_path:
        Path(stderr_path).parent.mkdir(parents=True, exist_ok=True)
        stderr = open(stderr_path, "wb")
    try:
        return subprocess.Popen([ENV["WINELOADER"], EXE, *args], env=env,
                                stdout=subprocess.DEVNULL, stderr=stderr)
    finally:
        if stderr is not subprocess.DEVNULL:
            stderr.close()


def cpu_seconds(pid):
    """User and system time a Linux process has used so far."""
    fields = Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def probe(*args):
    return wine(PROBE, *args)


def find(class_name=MAIN_CLASS):
    for _ in range(3):
        result = probe("find", class_name)
        if result.returncode == 0 and result.stdout.strip():
            return json.loads(result.stdout.decode("utf-8"))
    raise AssertionError(f"winprobe find failed: {result.returncode} {result.stderr!r}")


def wait_until(condition, timeout=30.0, interval=0.2):
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value or time.monotonic() > deadline:
            return value
        time.sleep(interval)


def wait_for_window(predicate=lambda w: w["count"] >= 1 and w["visible"], timeout=60.0):
    last = {}

    def check():
        nonlocal last
        last = find()
        return predicate(last)

    wait_until(check, timeout)
    return last


def windows():
    """Every visible window, children included: class, screen rectangle, process id."""
    result = probe("list")
    return [json.loads(line) for line in result.stdout.decode("utf-8").splitlines() if line]


def tray_icons():
    """Screen rectangles of the icons in Wine's stand-alone notification area."""
    return [w["window"] for w in windows() if w["class"] == "__winex11_tray_icon"]


def xdotool(*args):
    subprocess.run(["xdotool", *args], env=ENV, check=True, timeout=30)


def click_tray_icon(button=1, repeat=1):
    icons = tray_icons()
    assert len(icons) == 1, f"expected one notification-area icon, found {icons}"
    left, top, right, bottom = icons[0]
    xdotool("mousemove", str((left + right) // 2), str((top + bottom) // 2))
    xdotool("click", "--repeat", str(repeat), "--delay", "80", str(button))


def open_tray_menu():
    click_tray_icon(button=3)
    assert wait_until(lambda: any(w["class"] == "#32768" for w in windows()), 10), \
        "the notification-area menu did not open"
    time.sleep(0.3)


# The skinned menus' rows: "i" an item, "-" a separator, top to bottom.
TRAY_MENU = "iii-i-i"    # 关于我们, 访问官方网站, 相关网站 > | 打开主面板 | 退出
MORE_MENU = "iiii-i-i"   # 刷新, 置于最前, 反馈信息, 访问官方网站 | 关于我们 | 退出
RELATED_MENU = "iiii"    # the four related sites
ITEM_HEIGHT, SEPARATOR_HEIGHT = 22, 7


def open_menus():
    """Screen rectangles of the open menus."""
    return [w["window"] for w in windows() if w["class"] == "#32768"]


def menu_item_point(rect, layout, index):
    """The centre of the index-th item (separators not counted) of an open menu."""
    left, top, right, bottom = rect
    used = sum(ITEM_HEIGHT if row == "i" else SEPARATOR_HEIGHT for row in layout)
    y = top + (bottom - top - used) // 2  # the menu window's own border
    item = 0
    for row in layout:
        height = ITEM_HEIGHT if row == "i" else SEPARATOR_HEIGHT
        if row == "i":
            if item == index:
                return (left + right) // 2, y + height // 2
            item += 1
        y += height
    raise IndexError(index)


def choose_menu_item(layout, index, hover_only=False, menu=None):
    """Points at (and clicks, unless hover_only) an item of an open menu (the only one unless
    given)."""
    x, y = menu_item_point(menu or open_menus()[0], layout, index)
    xdotool("mousemove", str(x), str(y))
    time.sleep(0.3)
    if not hover_only:
        xdotool("click", "1")


def screenshot(name):
    ARTIFACTS.mkdir(parents=True, exist_ok=True)
    path = ARTIFACTS / f"{name}.png"
    subprocess.run(["import", "-display", ENV["DISPLAY"], "-window", "root", str(path)],
                   check=True, timeout=30, capture_output=True)
    return path


def pixel(path, x, y):
    """(r, g, b) of one pixel of a screenshot, 0..255."""
    out = subprocess.run(["convert", str(path), "-crop", f"1x1+{x}+{y}", "-depth", "8",
                          "txt:-"], check=True, capture_output=True, text=True).stdout
    # "# ImageMagick pixel enumeration: ..." then "0,0: (r,g,b)  #RRGGBB  name"
    hex_colour = out.splitlines()[1].split("#")[1][:6]
    return tuple(int(hex_colour[i:i + 2], 16) for i in (0, 2, 4))


def request_end():
    """Asks a running instance to end as another program would: hidden, then a close request."""
    if find()["count"]:
        probe("show", MAIN_CLASS, str(SW_HIDE))
        probe("post", MAIN_CLASS, str(WM_CLOSE))


def close_leftover_instance(timeout=30):
    """Ends a main window left running in the prefix by an earlier, interrupted run."""
    request_end()
    return wait_until(lambda: find()["count"] == 0, timeout)


def end_program(process, timeout=30):
    """Ends the running instance the way another program would: hidden, then a close request.
    Returns its exit code, or None when it had to be killed."""
    if process.poll() is None:
        request_end()
    try:
        return process.wait(timeout)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()
        return None


def region(path, x, y, width, height):
    """Rows of (r, g, b) pixels of a rectangle of a screenshot."""
    raw = subprocess.run(["convert", str(path), "-crop", f"{width}x{height}+{x}+{y}", "+repage",
                          "-depth", "8", "rgb:-"], check=True, capture_output=True).stdout
    pixels = [tuple(raw[i:i + 3]) for i in range(0, len(raw), 3)]
    return [pixels[row * width:(row + 1) * width] for row in range(height)]


def bitmap_pixel(path, x, y):
    """(r, g, b) of one pixel of a picture file (a skin atlas, for instance), 0..255."""
    return pixel(path, x, y)


def close_to(a, b, tolerance=10):
    return all(abs(p - q) <= tolerance for p, q in zip(a, b))


def skin_options():
    """The skin's options text as {section: {key: value}}."""
    options, section = {}, None
    text = (Path(os.environ["MK_SOURCE"]) / "assets/skin/Options.dat").read_text("ascii")
    for line in text.splitlines():
        line = line.strip()
        if line.startswith("[") and line.endswith("]"):
            section = options.setdefault(line[1:-1].upper(), {})
        elif "=" in line and section is not None:
            key, _, value = line.partition("=")
            section[key.strip().upper()] = value.strip()
    return options


def skin_colour(section, key):
    """A skin colour (blue * 65536 + green * 256 + red) as (r, g, b)."""
    value = int(skin_options()[section][key])
    return (value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF)


def skin_rect(section, key):
    """The atlas rectangle (left, top, right, bottom) of an "@", "^" or "~" reference."""
    value = skin_options()[section][key]
    fields = value[1:].split(value[0])
    return tuple(int(f) for f in fields[:4])


ATLAS = Path(os.environ.get("MK_SOURCE", ".")) / "assets/skin/members/Master.bmp"


def crop(path, rect, out):
    """Saves a rectangle (left, top, right, bottom) of a screenshot as a picture of its own."""
    left, top, right, bottom = rect
    subprocess.run(["convert", str(path), "-crop", f"{right - left}x{bottom - top}+{left}+{top}",
                    "+repage", "-strip", str(out)], check=True, timeout=30)
