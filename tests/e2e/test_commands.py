"""Every command of the main window, given as a user gives it (clicks on the title bar and in
the menus, keys in the search field) and seen from outside: what reached the shell (its log),
what reached the demo portal (its request log), Wine's trace of the shell calls, and the
windows' states."""

import re
import time
import unittest
from pathlib import Path

import harness as h

ITEMS = {0: (514, 11), 2: (556, 11), 4: (591, 10), 6: (620, 10)}  # frame points
EDIT = (1 + 600, 30 + 11)
BUTTON = (1 + 679, 30 + 11)
SHELL_LOG = h.BUILD / "wine" / "shell.log"
SHELL_CALL = re.compile(r'trace:exec:SHELL_execute mask=\S+ hwnd=(\S+) verb=(\S+) file=L"([^"]*)" '
                        r'parm=(\S+) dir=(\S+) show=(\S+)')
WS_EX_TOPMOST = 0x8


def shell_lines():
    return SHELL_LOG.read_text().splitlines() if SHELL_LOG.exists() else []


class Commands(unittest.TestCase):
    def setUp(self):
        self.assertTrue(h.close_leftover_instance())
        self.trace = h.ARTIFACTS / f"commands-{self._testMethodName}.trace"
        self.process = h.start(wine_debug="trace+exec", stderr_path=self.trace)
        w = h.wait_for_window(lambda w: w["count"] and w["visible"] and w["foreground"])
        self.window = w
        self.left, self.top = w["window"][:2]
        self.logged = len(shell_lines())
        h.xdotool("mousemove", "5", "700")

    def tearDown(self):
        h.xdotool("key", "Escape")
        if self.process.poll() is None:
            h.end_program(self.process)

    def click(self, x, y, button="1"):
        h.xdotool("mousemove", str(self.left + x), str(self.top + y))
        time.sleep(0.3)
        h.xdotool("click", button)

    def new_shell_lines(self, count, settle=1.0):
        """Waits for `count` new addresses in the shell log, then a while for any more."""
        h.wait_until(lambda: len(shell_lines()) >= self.logged + count, 15)
        time.sleep(settle)
        lines = shell_lines()[self.logged:]
        self.logged += len(lines)
        return lines

    def shell_calls(self):
        text = self.trace.read_text(errors="replace") if self.trace.exists() else ""
        return SHELL_CALL.findall(text)

    def open_more_menu(self):
        self.click(*ITEMS[4])
        self.assertTrue(h.wait_until(lambda: h.open_menus(), 10))

    def test_title_bar_and_drop_down_entries_open_their_addresses(self):
        self.click(*ITEMS[0])
        self.assertEqual(self.new_shell_lines(1), [h.BASE + "/member/login.php"])
        self.click(*ITEMS[2])
        self.assertEqual(self.new_shell_lines(1), [h.BASE + "/member/register.php"])
        for index, path in ((2, "/feedback/"), (3, "/")):
            self.open_more_menu()
            h.choose_menu_item(h.MORE_MENU, index)
            self.assertEqual(self.new_shell_lines(1), [h.BASE + path])
        # Every hand-off: the main window as owner, empty verb, parameters and directory,
        # show command 1.
        owner = self.window["hwnd"]
        calls = self.shell_calls()
        self.assertEqual(len(calls), 4, calls)
        for hwnd, verb, file, parm, directory, show in calls:
            self.assertEqual(int(hwnd, 16), owner)
            self.assertEqual((verb, parm, directory, show), ('L""', 'L""', 'L""', "0x00000001"))

    def test_refresh_from_the_title_bar_and_the_menu_reaches_the_portal_with_the_time(self):
        log = Path(h.os.environ["MK_DEMO_LOG"])
        refreshes = lambda: [l for l in log.read_text().splitlines() if "frame.html?&_=" in l]
        before = len(refreshes())
        self.click(*ITEMS[6])
        self.assertTrue(h.wait_until(lambda: len(refreshes()) == before + 1, 15))
        self.open_more_menu()
        h.choose_menu_item(h.MORE_MENU, 0)
        self.assertTrue(h.wait_until(lambda: len(refreshes()) == before + 2, 15))
        for line in refreshes()[before:]:
            self.assertRegex(line, r"^GET /mini_web/frame\.html\?&_=\d{1,2}:\d{2}:\d{2}")

    def test_stay_on_top_sets_and_clears_the_topmost_style_in_place(self):
        rect = h.find()["window"]
        for topmost in (True, False):
            self.open_more_menu()
            h.choose_menu_item(h.MORE_MENU, 1)
            self.assertTrue(h.wait_until(
                lambda: bool(h.find()["exstyle"] & WS_EX_TOPMOST) == topmost, 10))
            self.assertEqual(h.find()["window"], rect)
            # The check mark shows in the menu's icon column while the window is on top.
            self.open_more_menu()
            menu = h.open_menus()[-1]
            h.xdotool("mousemove", str(menu[0] + 60), str(menu[3] - 5))  # on "退出", not N2
            shot = h.screenshot(f"stay-on-top-{topmost}")
            x, y = h.menu_item_point(menu, h.MORE_MENU, 1)
            column = h.region(shot, menu[0] + 3, y - 8, 20, 16)
            marked = any(max(p) < 100 for row in column for p in row)
            self.assertEqual(marked, topmost)
            h.xdotool("key", "Escape")
            time.sleep(0.3)

    def test_search_sends_the_edits_text_as_typed(self):
        prefix = h.BASE + "/sell/search.php?kw="
        self.click(*BUTTON)
        self.assertEqual(self.new_shell_lines(1), [prefix + "%E6%89%8B%E9%A5%B0"])
        self.click(*EDIT)
        h.xdotool("key", "End", *["BackSpace"] * 8)
        h.xdotool("type", "--delay", "60", "a b+c")
        self.click(*BUTTON)
        self.assertEqual(self.new_shell_lines(1), [prefix + "a+b%2Bc"])
        # Enter in the edit searches nothing.
        self.click(*EDIT)
        h.xdotool("key", "Return")
        time.sleep(2)
        self.assertEqual(shell_lines()[self.logged:], [])
        # Tab to the button: Enter and Space search.
        h.xdotool("key", "Tab")
        time.sleep(0.3)
        h.xdotool("key", "Return")
        self.assertEqual(self.new_shell_lines(1), [prefix + "a+b%2Bc"])
        h.xdotool("key", "space")
        self.assertEqual(self.new_shell_lines(1), [prefix + "a+b%2Bc"])
        # An empty text still searches.
        self.click(*EDIT)
        h.xdotool("key", "End", *["BackSpace"] * 8)
        self.click(*BUTTON)
        self.assertEqual(self.new_shell_lines(1), [prefix])

    def tray_command(self, index, submenu_index=None):
        h.open_tray_menu()
        if submenu_index is None:
            h.choose_menu_item(h.TRAY_MENU, index)
            return
        tray = h.open_menus()[0]
        h.choose_menu_item(h.TRAY_MENU, index, hover_only=True)
        self.assertTrue(h.wait_until(lambda: len(h.open_menus()) == 2, 10))
        submenu = [m for m in h.open_menus() if m != tray][0]
        h.choose_menu_item(h.RELATED_MENU, submenu_index, menu=submenu)

    def test_tray_menu_opens_home_and_related_sites_while_hidden(self):
        h.probe("post", h.MAIN_CLASS, str(h.WM_CLOSE))
        self.assertTrue(h.wait_until(lambda: not h.find()["visible"], 10))
        self.tray_command(1)
        self.assertEqual(self.new_shell_lines(1), [h.BASE + "/"])
        sites = ["https://news.lumivar.example/", "https://logistics.lumivar.example/",
                 "https://expo.lumivar.example/", "https://academy.lumivar.example/"]
        for index, site in enumerate(sites):
            self.tray_command(2, index)
            self.assertEqual(self.new_shell_lines(1), [site])
        owner = self.window["hwnd"]
        self.assertTrue(all(int(call[0], 16) == owner for call in self.shell_calls()))
        self.assertFalse(h.find()["visible"])

    def about_box(self):
        return h.find("TFormAbout")

    def test_about_box_opens_once_on_top_while_the_main_window_is_hidden(self):
        h.probe("post", h.MAIN_CLASS, str(h.WM_CLOSE))
        self.assertTrue(h.wait_until(lambda: not h.find()["visible"], 10))
        self.tray_command(0)
        about = h.wait_until(lambda: self.about_box()["visible"] and self.about_box(), 10)
        self.assertTrue(about)
        self.assertTrue(about["exstyle"] & WS_EX_TOPMOST)
        self.assertEqual(about["client"], [438, 271])
        self.tray_command(0)
        time.sleep(1)
        again = self.about_box()
        self.assertEqual((again["count"], again["hwnd"]), (1, about["hwnd"]))
        # Closing hides it; the next about command shows the same window.
        h.probe("post", "TFormAbout", str(h.WM_CLOSE))
        self.assertTrue(h.wait_until(lambda: not self.about_box()["visible"], 10))
        self.assertIsNone(self.process.poll())
        self.tray_command(0)
        self.assertTrue(h.wait_until(lambda: self.about_box()["visible"], 10))
        self.assertEqual(self.about_box()["hwnd"], about["hwnd"])

    def test_about_link_opens_the_host_on_press(self):
        self.open_more_menu()
        h.choose_menu_item(h.MORE_MENU, 4)
        about = h.wait_until(lambda: self.about_box()["visible"] and self.about_box(), 10)
        self.assertTrue(about)
        left, top = about["window"][:2]
        client_left, client_top = left + 1, top + 30
        h.xdotool("mousemove", str(client_left + 20), str(client_top + 214 + 6))
        time.sleep(0.4)
        hover = h.screenshot("about-link-hover")
        h.xdotool("mousedown", "1")
        h.xdotool("mousemove", str(client_left + 300), str(client_top + 100))
        h.xdotool("mouseup", "1")
        host = h.BASE.split("://", 1)[1]
        self.assertTrue(h.wait_until(
            lambda: any(call[2] == host for call in self.shell_calls()), 10), self.shell_calls())
        call = [c for c in self.shell_calls() if c[2] == host][0]
        application = h.find("MiniKorvelApplication")["hwnd"]
        self.assertEqual(int(call[0], 16), application)
        self.assertEqual((call[1], call[3], call[4], call[5]),
                         ('L"open"', "(null)", "(null)", "0x0000000a"))
        # The link is drawn in the skin's hover colour under the pointer.
        row = h.region(hover, client_left + 16, client_top + 214, 120, 16)
        colour = h.skin_colour("WEBBUTTON", "HOTFONTCOLOR")
        self.assertTrue(any(h.close_to(p, colour, 40) for line in row for p in line))


if __name__ == "__main__":
    unittest.main()
