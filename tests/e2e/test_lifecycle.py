"""The main window's life: closing hides it to the notification area, the icon brings it back,
and the program ends on quit, on the session's end and on a close while hidden."""

import unittest

import harness as h

WM_QUERYENDSESSION = 0x0011
WM_ENDSESSION = 0x0016
# Items of the notification-area menu: "打开主面板" and "退出".
OPEN_MAIN_PANEL = 3
QUIT = 4


class Running(unittest.TestCase):
    """Each test gets a freshly started program, shown."""

    def setUp(self):
        self.assertTrue(h.close_leftover_instance())
        self.process = h.start()
        self.window = h.wait_for_window()
        self.assertEqual(self.window["count"], 1)
        self.assertTrue(h.wait_until(lambda: len(h.tray_icons()) == 1, 20))

    def tearDown(self):
        if self.process.poll() is None:
            h.end_program(self.process)

    def hide_by_close_request(self):
        h.probe("post", h.MAIN_CLASS, str(h.WM_CLOSE))
        self.assertTrue(h.wait_until(lambda: not h.find()["visible"], 10))

    def assert_back_in_front(self):
        w = h.wait_for_window(lambda w: w["visible"] and w["foreground"] and not w["iconic"], 20)
        self.assertTrue(w["visible"])
        self.assertFalse(w["iconic"])
        self.assertFalse(w["zoomed"])
        self.assertTrue(w["foreground"])
        self.assertEqual(w["hwnd"], self.window["hwnd"])
        return w


class CloseAndBringBackTest(Running):
    def test_close_hides_and_the_icon_brings_the_same_window_back(self):
        self.hide_by_close_request()
        self.assertIsNone(self.process.poll(), "the program ended on close")
        self.assertEqual(len(h.tray_icons()), 1)

        h.click_tray_icon()
        first = self.assert_back_in_front()
        h.click_tray_icon()
        self.assertEqual(self.assert_back_in_front(), first)
        # A double-click counts as one click.
        h.click_tray_icon(repeat=2)
        self.assertEqual(self.assert_back_in_front(), first)

    def test_minimised_then_closed_comes_back_normal(self):
        ways = {
            "tray icon click": h.click_tray_icon,
            "打开主面板": lambda: (h.open_tray_menu(), h.choose_menu_item(h.TRAY_MENU, OPEN_MAIN_PANEL)),
            "second start": lambda: self.assertEqual(h.wine(h.EXE).returncode, 0),
        }
        for name, bring_back in ways.items():
            with self.subTest(name):
                h.probe("show", h.MAIN_CLASS, str(h.SW_MINIMIZE))
                self.assertTrue(h.wait_until(lambda: h.find()["iconic"], 10))
                self.hide_by_close_request()
                bring_back()
                w = self.assert_back_in_front()
                self.assertEqual(w["client"], [700, 425])


class EndingTest(Running):
    def assert_ended_cleanly(self):
        self.assertEqual(self.process.wait(30), 0)
        self.assertEqual(h.find()["count"], 0)
        self.assertTrue(h.wait_until(lambda: not h.tray_icons(), 10), "the icon stayed")

    def test_quit_from_the_tray_menu_while_hidden_does_not_show_the_window(self):
        self.hide_by_close_request()
        h.open_tray_menu()
        h.choose_menu_item(h.TRAY_MENU, QUIT)
        seen_visible = False
        while self.process.poll() is None:
            state = h.find()
            seen_visible |= bool(state.get("visible"))
            if not state["count"]:
                break
        self.assertFalse(seen_visible)
        self.assert_ended_cleanly()

    def test_session_end_query_is_allowed_and_ends_the_program(self):
        result = h.probe("send", h.MAIN_CLASS, str(WM_QUERYENDSESSION))
        self.assertEqual(result.returncode, 0)
        self.assertEqual(result.stdout.decode().strip(), "1")
        self.assert_ended_cleanly()

    def test_session_end_ends_the_process_and_takes_the_icon_away(self):
        # The end of the session arrives without a query having ended the loop first.
        h.probe("post", h.MAIN_CLASS, str(WM_ENDSESSION), "1", "0")
        self.assert_ended_cleanly()

    def test_close_request_while_hidden_ends_the_program(self):
        self.hide_by_close_request()
        h.probe("post", h.MAIN_CLASS, str(h.WM_CLOSE))
        self.assert_ended_cleanly()


class NotificationAreaTest(Running):
    def test_icon_comes_back_when_the_notification_area_is_recreated(self):
        # The shell loses the icon, as a restarting shell would, then announces itself.
        self.assertEqual(h.probe("traydelete", "MiniKorvelTrayIcon", "1").returncode, 0)
        self.assertTrue(h.wait_until(lambda: not h.tray_icons(), 10))
        self.assertEqual(h.probe("broadcast", "TaskbarCreated").returncode, 0)
        self.assertTrue(h.wait_until(lambda: len(h.tray_icons()) == 1, 10))
        # And it still works.
        self.hide_by_close_request()
        h.click_tray_icon()
        self.assert_back_in_front()


class LauncherShowCommandTest(unittest.TestCase):
    def test_start_honours_the_show_command(self):
        cases = [
            ("normal", 1, lambda w: not w["iconic"] and not w["zoomed"]),
            ("maximised", 3, lambda w: w["zoomed"]),
            ("minimised, not activated", 7, lambda w: w["iconic"]),
        ]
        for name, show, expected in cases:
            with self.subTest(name):
                self.assertTrue(h.close_leftover_instance())
                self.assertEqual(h.launch(show), 0)
                w = h.wait_for_window(lambda w: w["count"] == 1 and w["visible"], 30)
                self.assertTrue(w["visible"])
                self.assertTrue(expected(w), w)
                self.assertTrue(h.close_leftover_instance())


if __name__ == "__main__":
    unittest.main()
