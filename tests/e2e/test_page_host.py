"""The embedded browser's first navigations, seen in Wine's own trace of the WebBrowser control.

Wine's control renders nothing: it reports a navigation error for every page, so the program
runs its error path for real. The loading page fails, then the error page on disk, then the
page built into the program; after that the browser must rest, not loop.
"""

import re
import time
import unittest

import harness as h

NAVIGATE = re.compile(r'trace:ieframe:WebBrowser_Navigate \([0-9A-Fa-f]+\)->\(L"((?:[^"\\]|\\.)*)"')


def navigations(trace_path):
    text = trace_path.read_text(errors="replace") if trace_path.exists() else ""
    return [m.group(1).replace("\\\\", "\\") for m in NAVIGATE.finditer(text)]


class FirstNavigations(unittest.TestCase):
    def setUp(self):
        self.assertTrue(h.close_leftover_instance())
        self.trace = h.ARTIFACTS / "page-host-trace.txt"
        self.process = h.start(wine_debug="trace+ieframe", stderr_path=self.trace)
        h.wait_for_window()

    def tearDown(self):
        self.assertEqual(h.end_program(self.process), 0)

    def test_loading_page_then_error_page_then_built_in_page_then_rest(self):
        exe = h.wine_path(h.EXE)
        folder = exe.rsplit("\\", 1)[0]
        expected = [
            folder + "\\..\\Res\\loading.html",
            folder + "\\..\\Res\\error.html",
            "res://" + exe + "/FALLBACK.HTML",
        ]
        self.assertTrue(h.wait_until(lambda: len(navigations(self.trace)) >= 3, 30),
                        navigations(self.trace))
        # Idle: no navigation follows and the process uses next to no processor time.
        time.sleep(1)
        before = h.cpu_seconds(self.process.pid)
        time.sleep(3)
        used = h.cpu_seconds(self.process.pid) - before
        self.assertEqual(navigations(self.trace), expected)
        self.assertLess(used, 0.3, f"{used:.2f} s of processor time in 3 s while idle")


if __name__ == "__main__":
    unittest.main()
