"""One running instance: the first start opens the main window, a later start hands a restore
request to it and ends without a window of its own."""

import time
import unittest

import harness as h


class SingleInstanceTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        assert h.close_leftover_instance(), "a main window of an earlier run does not end"
        cls.first = h.start()
        cls.window = h.wait_for_window()

    @classmethod
    def tearDownClass(cls):
        cls.exit_code = h.end_program(cls.first)

    def test_first_start_opens_the_main_window(self):
        w = self.window
        self.assertEqual(w["count"], 1)
        self.assertTrue(w["visible"])
        self.assertEqual(w["client"], [700, 425])
        self.assertEqual(w["caption"], "Lumivar迷你版")
        # Painted on screen: the client centre shows the window's background, not the root's.
        shot = h.screenshot("first-start")
        left, top, right, bottom = w["window"]
        r, g, b = h.pixel(shot, (left + right) // 2, (top + bottom) // 2)
        self.assertGreater(r + g + b, 3 * 100, f"client centre is {r, g, b}")

    def test_second_start_brings_the_first_window_back(self):
        cases = [
            ("hidden", [h.SW_HIDE]),
            ("minimised", [h.SW_MINIMIZE]),
            ("minimised then hidden", [h.SW_MINIMIZE, h.SW_HIDE]),
            ("shown", []),
        ]
        first_pid = self.window["pid"]
        for name, commands in cases:
            with self.subTest(name):
                for command in commands:
                    h.probe("show", h.MAIN_CLASS, str(command))
                before = h.find()
                self.assertEqual(before["count"], 1)

                started = time.monotonic()
                second = h.wine(h.EXE, timeout=60)
                self.assertEqual(second.returncode, 0)
                self.assertLess(time.monotonic() - started, 30)

                after = h.wait_for_window(
                    lambda w: w["count"] == 1 and w["visible"] and not w["iconic"], timeout=20)
                self.assertEqual(after["count"], 1, "the second start opened a window")
                self.assertEqual(after["pid"], first_pid)
                self.assertEqual(after["hwnd"], before["hwnd"])
                self.assertTrue(after["visible"])
                self.assertFalse(after["iconic"])
                self.assertFalse(after["zoomed"])
                self.assertEqual(after["client"], [700, 425])


class EndOfProgramTest(unittest.TestCase):
    def test_close_request_while_hidden_ends_with_exit_code_zero(self):
        self.assertTrue(h.close_leftover_instance())
        process = h.start()
        h.wait_for_window()
        self.assertEqual(h.end_program(process), 0)
        self.assertEqual(h.find()["count"], 0)


if __name__ == "__main__":
    unittest.main()
