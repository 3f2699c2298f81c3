"""The installer under Wine, run as a user or a deployment tool would run it: silently and
through its wizard, over a running copy, and its uninstaller. What it leaves is read from the
prefix's files and registry; the installed program is started from its Start menu shortcut and
its first navigations are read from Wine's trace of the WebBrowser control.
"""

import os
import re
import subprocess
import tempfile
import time
import unittest
from pathlib import Path

import harness as h
from test_page_host import navigations

PACKAGES = Path(os.environ["MK_PACKAGES"])
VERSION = os.environ["MK_VERSION"]
UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\MiniKorvel"
PRODUCT_NAME = "Lumivar迷你版"
SHORTCUT = PRODUCT_NAME + ".lnk"
# What the installer lays out, relative to its folder.
INSTALLED = {"bin/MiniKorvel.exe", "Res/loading.html", "Res/error.html", "Uninstall.exe"}
EXIT_RUNNING = 3  # the installer's exit code when it left a running copy alone
WM_COMMAND, IDOK, IDRETRY = 0x0111, 1, 4


def installer():
    found = list(PACKAGES.glob("*-setup.exe"))
    assert len(found) == 1, f"expected one installer in {PACKAGES}: {found}"
    return found[0]


def windows_variable(name):
    result = h.wine("cmd.exe", "/c", f"echo %{name}%")
    return result.stdout.decode().strip()


def unix_path(windows_path):
    result = h.wine("winepath.exe", "-u", windows_path)
    return Path(result.stdout.decode("utf-8").strip())


def registry_values(key=UNINSTALL_KEY):
    """The values of a registry key (strings and numbers), or None when there is no such key.
    Read through an exported file: reg query writes non-ASCII text in the console's code page,
    an export is UTF-16."""
    with tempfile.TemporaryDirectory() as folder:
        exported = Path(folder) / "key.reg"
        result = h.wine("reg.exe", "export", key, h.wine_path(exported), "/y")
        if result.returncode != 0:
            # Only a missing key means "no key": any other failure must not pass for one.
            assert b"Unable to find" in result.stdout + result.stderr, result
            return None
        text = exported.read_bytes().decode("utf-16")
    values = {}
    for name, string, number in re.findall(
            r'^"((?:[^"\\]|\\.)*)"=(?:"((?:[^"\\]|\\.)*)"|dword:([0-9a-fA-F]{8}))\r?$', text,
            re.M):
        unescape = lambda s: re.sub(r"\\(.)", r"\1", s)
        values[unescape(name)] = int(number, 16) if number else unescape(string)
    return values


def shortcut_target(path):
    """The local path a shell link points at (MS-SHLLINK: the LinkInfo's local base path and
    common path suffix, in their UTF-16 form when the link has one)."""
    data = Path(path).read_bytes()
    assert data[:4] == b"\x4c\0\0\0", "not a shell link"
    flags = int.from_bytes(data[20:24], "little")
    position = 0x4C
    if flags & 0x1:  # HasLinkTargetIDList
        position += 2 + int.from_bytes(data[position:position + 2], "little")
    assert flags & 0x2, "the link has no LinkInfo"
    info = data[position:]
    field = lambda at: int.from_bytes(info[at:at + 4], "little")
    if field(4) >= 0x24:
        def text(at):
            end = at
            while info[end:end + 2] != b"\0\0":
                end += 2
            return info[at:end].decode("utf-16-le")
        return text(field(28)) + text(field(32))
    text = lambda at: info[at:info.index(b"\0", at)].decode("latin-1")
    return text(field(16)) + text(field(24))


class Installation:
    """Paths of the per-user installation in the prefix."""

    def __init__(self):
        self.folder_windows = windows_variable("LOCALAPPDATA") + r"\Programs\MiniKorvel"
        self.folder = unix_path(self.folder_windows)
        self.exe_windows = self.folder_windows + r"\bin\MiniKorvel.exe"
        profile = windows_variable("USERPROFILE")
        self.start_menu_shortcut_windows = "\\".join(
            [windows_variable("APPDATA"), r"Microsoft\Windows\Start Menu\Programs", SHORTCUT])
        self.start_menu_shortcut = unix_path(self.start_menu_shortcut_windows)
        self.desktop = unix_path(profile + r"\Desktop")
        self.desktop_shortcut = self.desktop / SHORTCUT

    def files(self):
        if not self.folder.exists():
            return set()
        return {p.relative_to(self.folder).as_posix() for p in self.folder.rglob("*")
                if p.is_file()}


def keep_desktop_in_prefix(installation):
    """Wine links the prefix's desktop folder to the Unix home folder; the installer's desktop
    shortcut belongs in the prefix, not in the home of whoever runs the tests."""
    if installation.desktop.is_symlink():
        installation.desktop.unlink()
        installation.desktop.mkdir()


def install(*arguments):
    return subprocess.run([h.ENV["WINELOADER"], str(installer()), *arguments], env=h.ENV,
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                          timeout=120).returncode


def uninstall_quietly(installation):
    """Runs the registered quiet uninstall command. The uninstaller copies itself to the
    temporary folder and returns at once; the copy removes the files, then the entry."""
    command = registry_values()["QuietUninstallString"]
    program, arguments = re.fullmatch(r'"([^"]+)"\s*(.*)', command).groups()
    subprocess.run([h.ENV["WINELOADER"], program, *arguments.split()], env=h.ENV,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
    done = h.wait_until(
        lambda: registry_values() is None and not (installation.files() & INSTALLED), 60)
    assert done, "the uninstaller left its files or its entry"


def start_installed(installation):
    return subprocess.Popen([h.ENV["WINELOADER"], installation.exe_windows], env=h.ENV,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def fresh_prefix_state(installation):
    h.close_leftover_instance()
    keep_desktop_in_prefix(installation)
    if registry_values() is not None:
        uninstall_quietly(installation)


class SilentInstall(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.installation = Installation()
        fresh_prefix_state(cls.installation)
        cls.exit_code = install("/S")

    @classmethod
    def tearDownClass(cls):
        h.close_leftover_instance()
        if registry_values() is not None:
            uninstall_quietly(cls.installation)

    def test_files_in_place(self):
        self.assertEqual(self.exit_code, 0)
        self.assertEqual(self.installation.files(), INSTALLED)
        sources = {"bin/MiniKorvel.exe": Path(h.EXE),
                   "Res/loading.html": h.BUILD / "Res" / "loading.html",
                   "Res/error.html": h.BUILD / "Res" / "error.html"}
        for name, source in sources.items():
            with self.subTest(name=name):
                self.assertEqual((self.installation.folder / name).read_bytes(),
                                 source.read_bytes())

    def test_uninstall_entry(self):
        values = registry_values()
        folder = self.installation.folder_windows
        expected = {
            "DisplayName": PRODUCT_NAME,
            "DisplayVersion": VERSION,
            "Publisher": "Lumivar",
            "DisplayIcon": self.installation.exe_windows + ",0",
            "InstallLocation": folder,
            "UninstallString": f'"{folder}\\Uninstall.exe"',
            "QuietUninstallString": f'"{folder}\\Uninstall.exe" /S',
        }
        for name, value in expected.items():
            with self.subTest(name=name):
                self.assertEqual(values.get(name), value)
        size = sum((self.installation.folder / f).stat().st_size for f in INSTALLED)
        self.assertAlmostEqual(values.get("EstimatedSize"), size / 1024, delta=4)

    def test_shortcuts_point_at_the_installed_program(self):
        for shortcut in (self.installation.start_menu_shortcut,
                         self.installation.desktop_shortcut):
            with self.subTest(shortcut=shortcut):
                self.assertTrue(shortcut.is_file())
                self.assertEqual(shortcut_target(shortcut).lower(),
                                 self.installation.exe_windows.lower())

    def test_started_from_the_start_menu_it_finds_its_pages(self):
        trace = h.ARTIFACTS / "installer-trace.txt"
        shortcut = self.installation.start_menu_shortcut_windows
        env = dict(h.ENV, WINEDEBUG="trace+ieframe")
        trace.parent.mkdir(parents=True, exist_ok=True)
        with open(trace, "wb") as stderr:
            # start.exe opens the link as the shell does and returns; the program writes the
            # trace to the standard error it inherits.
            subprocess.run([h.ENV["WINELOADER"], "start", shortcut], env=env, timeout=60,
                           stdout=subprocess.DEVNULL, stderr=stderr)
        try:
            window = h.wait_for_window()
            self.assertEqual(window["count"], 1)
            self.assertTrue(h.wait_until(lambda: len(navigations(trace)) >= 2, 30),
                            navigations(trace))
            pages = self.installation.folder_windows + r"\bin\..\Res"
            self.assertEqual(navigations(trace)[:2],
                             [pages + r"\loading.html", pages + r"\error.html"])
            for page in ("loading.html", "error.html"):
                self.assertTrue((self.installation.folder / "Res" / page).is_file())
        finally:
            h.request_end()
            self.assertTrue(h.wait_until(lambda: h.find()["count"] == 0, 30))

    def test_over_a_running_copy_silent_mode_leaves_it_running(self):
        before = {f: (self.installation.folder / f).stat().st_mtime_ns for f in INSTALLED}
        process = start_installed(self.installation)
        try:
            pid = h.wait_for_window()["pid"]
            attempts = {
                "install": [str(installer()), "/S"],
                "uninstall": [self.installation.folder_windows + r"\Uninstall.exe", "/S",
                              "_?=" + self.installation.folder_windows],
            }
            for name, command in attempts.items():
                with self.subTest(name):
                    code = subprocess.run([h.ENV["WINELOADER"], *command], env=h.ENV,
                                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                          timeout=120).returncode
                    self.assertEqual(code, EXIT_RUNNING)
                    self.assertIsNone(process.poll())
                    window = h.find()
                    self.assertEqual((window["count"], window["pid"]), (1, pid))
                    after = {f: (self.installation.folder / f).stat().st_mtime_ns
                             for f in INSTALLED}
                    self.assertEqual(after, before)
            self.assertIsNotNone(registry_values())
        finally:
            self.assertEqual(h.end_program(process), 0)
        # Once it has ended, the same silent install goes through.
        self.assertEqual(install("/S"), 0)


class QuietUninstall(unittest.TestCase):
    def setUp(self):
        self.installation = Installation()
        fresh_prefix_state(self.installation)

    def test_removes_what_it_installed_and_nothing_else(self):
        cases = {
            "nothing added": [],
            "the user's own files": ["notes.txt", "Res/mine.html"],
        }
        for case, own_files in cases.items():
            with self.subTest(case):
                self.assertEqual(install("/S"), 0)
                for name in own_files:
                    (self.installation.folder / name).write_text("kept")
                uninstall_quietly(self.installation)
                self.assertEqual(self.installation.files(), set(own_files))
                self.assertEqual(self.installation.folder.exists(), bool(own_files))
                self.assertFalse(self.installation.start_menu_shortcut.exists())
                self.assertFalse(self.installation.desktop_shortcut.exists())
                self.assertIsNone(registry_values())
                for name in own_files:
                    (self.installation.folder / name).unlink()
                for folder in (self.installation.folder / "Res", self.installation.folder):
                    if folder.exists():
                        folder.rmdir()


class Wizard(unittest.TestCase):
    """The wizard, clicked through by posting its buttons' commands to it."""

    def setUp(self):
        self.installation = Installation()
        fresh_prefix_state(self.installation)

    def tearDown(self):
        h.close_leftover_instance()
        if registry_values() is not None:
            uninstall_quietly(self.installation)

    def test_waits_for_the_running_copy_then_installs_and_starts_it(self):
        running = h.start()
        h.wait_for_window()
        wizard = subprocess.Popen([h.ENV["WINELOADER"], str(installer())], env=h.ENV,
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            # It asks the user to quit the program, and waits.
            self.assertTrue(h.wait_until(lambda: h.find("#32770")["count"] == 1, 30))
            time.sleep(2)
            self.assertIsNone(running.poll())
            self.assertIsNone(wizard.poll())
            self.assertIsNone(registry_values())
            self.assertEqual(h.end_program(running), 0)
            h.probe("post", "#32770", str(WM_COMMAND), str(IDRETRY), "0")

            # Welcome, components, folder, progress, finish (its run box checked): each
            # "next" moves on once the page takes it, and the last one starts the program.
            def next_page():
                if wizard.poll() is not None:
                    return True
                h.probe("post", "#32770", str(WM_COMMAND), str(IDOK), "0")
                return False

            self.assertTrue(h.wait_until(next_page, 90, interval=0.7), "the wizard stayed")
            self.assertEqual(wizard.returncode, 0)
            window = h.wait_for_window()
            self.assertEqual(window["count"], 1)
            self.assertEqual(self.installation.files(), INSTALLED)
            self.assertTrue(self.installation.desktop_shortcut.is_file())
            self.assertEqual(registry_values()["DisplayVersion"], VERSION)
        finally:
            if wizard.poll() is None:
                wizard.kill()
                wizard.wait()
            if running.poll() is None:
                h.end_program(running)


if __name__ == "__main__":
    unittest.main()
