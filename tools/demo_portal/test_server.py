"""Runs the demo portal as a separate process and talks to it over loopback."""

import os
import re
import signal
import socket
import struct
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.error
import urllib.request

SERVER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "server.py")
HTML_TYPE = "text/html; charset=utf-8"


class PortalProcess:
    """One server process with its own port file, request log and stderr capture."""

    def __init__(self, log_file=None):
        self.dir = tempfile.TemporaryDirectory()
        self.port_file = os.path.join(self.dir.name, "port")
        self.log_file = log_file or os.path.join(self.dir.name, "requests.log")
        self.stderr_file = os.path.join(self.dir.name, "stderr")
        with open(self.stderr_file, "wb") as err:
            self.proc = subprocess.Popen(
                [sys.executable, SERVER, "--port", "0", "--port-file", self.port_file,
                 "--log", self.log_file],
                stdout=subprocess.DEVNULL, stderr=err)
        deadline = time.monotonic() + 10
        while not os.path.exists(self.port_file):
            if self.proc.poll() is not None or time.monotonic() > deadline:
                self.stop()
                raise RuntimeError("demo portal did not start: " + self.stderr())
            time.sleep(0.02)
        with open(self.port_file, encoding="ascii") as f:
            self.port = int(f.read())
        self.base = f"http://127.0.0.1:{self.port}"

    def stop(self, sig=signal.SIGTERM):
        if self.proc.poll() is None:
            self.proc.send_signal(sig)
        try:
            return self.proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()
            return None

    def stderr(self):
        with open(self.stderr_file, encoding="utf-8", errors="replace") as f:
            return f.read()

    def log_lines(self):
        with open(self.log_file, encoding="utf-8") as f:
            return f.read().splitlines()

    def close(self):
        self.stop()
        self.dir.cleanup()

    def fetch(self, target, method="GET"):
        """Returns (status, content type, body) for a request target such as "/a?b"."""
        request = urllib.request.Request(self.base + target, method=method)
        try:
            with urllib.request.urlopen(request, timeout=10) as response:
                return response.status, response.headers.get("Content-Type"), response.read()
        except urllib.error.HTTPError as error:
            with error:
                return error.code, error.headers.get("Content-Type"), error.read()


def title_of(body):
    match = re.search(r"<title>(.*?)</title>", body.decode("utf-8"), re.S)
    return match.group(1) if match else None


def keyword_of(body):
    match = re.search(r'<span id="kw">(.*?)</span>', body.decode("utf-8"), re.S)
    return match.group(1) if match else None


class ServedPagesTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.portal = PortalProcess()

    @classmethod
    def tearDownClass(cls):
        cls.portal.close()

    def test_pages_status_and_type(self):
        cases = [
            ("/mini_web/frame.html?", 200, HTML_TYPE),
            ("/mini_web/frame.html?&_=21:05:07", 200, HTML_TYPE),
            ("/mini_web/flash.php?ext=.swf", 200, "application/x-shockwave-flash"),
            ("/sell/search.php?kw=x", 200, HTML_TYPE),
            ("/member/login.php", 200, HTML_TYPE),
            ("/member/register.php", 200, HTML_TYPE),
            ("/feedback/", 200, HTML_TYPE),
            ("/", 200, HTML_TYPE),
            ("/nothing-here", 404, HTML_TYPE),
            ("/feedback", 404, HTML_TYPE),
            ("/mini_web/other.html", 404, HTML_TYPE),
            ("/member/login.php/extra", 404, HTML_TYPE),
        ]
        for target, status, content_type in cases:
            with self.subTest(target=target):
                got_status, got_type, body = self.portal.fetch(target)
                self.assertEqual(got_status, status)
                self.assertEqual(got_type, content_type)
                self.assertTrue(body)

    def test_html_pages_have_distinct_titles(self):
        targets = ["/", "/member/login.php", "/member/register.php", "/feedback/",
                   "/mini_web/frame.html?", "/sell/search.php?kw=a"]
        titles = {}
        for target in targets:
            with self.subTest(target=target):
                status, _, body = self.portal.fetch(target)
                self.assertEqual(status, 200)
                title = title_of(body)
                self.assertTrue(title)
                self.assertNotIn(title, titles.values(), f"{target} repeats a title")
                titles[target] = title

    def test_frame_page_is_not_cached(self):
        request = urllib.request.Request(self.portal.base + "/mini_web/frame.html?&_=08:00:00")
        with urllib.request.urlopen(request, timeout=10) as response:
            self.assertEqual(response.headers.get("Cache-Control"), "no-store")
            self.assertIn("<table", response.read().decode("utf-8"))

    def test_search_echoes_decoded_keyword(self):
        cases = [
            ("%E6%89%8B%E9%A5%B0", "手饰"),
            ("a+b", "a b"),
            ("a%2Bb", "a+b"),
            ("%3Cb%3E", "&lt;b&gt;"),
            ("%22%26%27", "&quot;&amp;&#x27;"),
            ("", ""),
            ("%FF%FE", "\ufffd\ufffd"),
            ("100%25", "100%"),
        ]
        for query, shown in cases:
            with self.subTest(kw=query):
                status, content_type, body = self.portal.fetch("/sell/search.php?kw=" + query)
                self.assertEqual((status, content_type), (200, HTML_TYPE))
                self.assertEqual(keyword_of(body), shown)

    def test_search_without_keyword_shows_empty(self):
        status, _, body = self.portal.fetch("/sell/search.php")
        self.assertEqual(status, 200)
        self.assertEqual(keyword_of(body), "")

    def test_swf_header_is_consistent(self):
        status, _, body = self.portal.fetch("/mini_web/flash.php?ext=.swf")
        self.assertEqual(status, 200)
        self.assertEqual(body[:3], b"FWS")
        self.assertEqual(struct.unpack("<I", body[4:8])[0], len(body))
        self.assertEqual(body[-2:], b"\x00\x00")  # End tag

    def test_head_matches_get_without_body(self):
        for target in ["/", "/mini_web/frame.html?", "/mini_web/flash.php?ext=.swf", "/missing"]:
            with self.subTest(target=target):
                get_status, get_type, get_body = self.portal.fetch(target)
                # Raw socket: HTTP clients drop whatever follows a HEAD response's headers.
                with socket.create_connection(("127.0.0.1", self.portal.port), timeout=10) as s:
                    s.sendall(f"HEAD {target} HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                              "Connection: close\r\n\r\n".encode("ascii"))
                    reply = b""
                    while chunk := s.recv(4096):
                        reply += chunk
                head, _, body = reply.partition(b"\r\n\r\n")
                lines = head.decode("iso-8859-1").split("\r\n")
                headers = dict(line.split(": ", 1) for line in lines[1:])
                self.assertEqual(int(lines[0].split()[1]), get_status)
                self.assertEqual(headers.get("Content-Type"), get_type)
                self.assertEqual(int(headers.get("Content-Length")), len(get_body))
                self.assertEqual(body, b"")

    def test_survives_malformed_requests(self):
        garbage = [b"\r\n", b"NONSENSE\r\n\r\n", b"GET\r\n\r\n", b"GET / HTTP/9.9\r\n\r\n",
                   b"BREW /pot HTTP/1.1\r\n\r\n", b"GET /" + b"a" * 70000 + b" HTTP/1.1\r\n\r\n",
                   b"GET / HTTP/1.1\r\n"]  # the last one hangs up before the headers end
        for raw in garbage:
            with self.subTest(raw=raw[:30]):
                with socket.create_connection(("127.0.0.1", self.portal.port), timeout=10) as s:
                    s.sendall(raw)
                    s.shutdown(socket.SHUT_WR)
                    while s.recv(4096):
                        pass
                self.assertEqual(self.portal.fetch("/")[0], 200)
        self.assertIsNone(self.portal.proc.poll())
        self.assertEqual(self.portal.stderr(), "")


class RequestLogTest(unittest.TestCase):
    def test_log_holds_request_lines_in_order(self):
        portal = PortalProcess()
        self.addCleanup(portal.close)
        requests = [
            ("GET", "/mini_web/frame.html?"),
            ("GET", "/mini_web/frame.html?&_=21:05:07"),
            ("HEAD", "/"),
            ("GET", "/sell/search.php?kw=a+b"),
            ("GET", "/sell/search.php?kw=%E6%89%8B%E9%A5%B0"),
            ("GET", "/no/such/page"),
            ("GET", "/mini_web/flash.php?ext=.swf"),
        ]
        for method, target in requests:
            portal.fetch(target, method=method)
            # Each line is flushed as soon as the request arrives, before the server stops.
            self.assertEqual(portal.log_lines()[-1], f"{method} {target} HTTP/1.1")
        self.assertEqual(portal.log_lines(),
                         [f"{method} {target} HTTP/1.1" for method, target in requests])

    def test_log_is_appended_not_replaced(self):
        first = PortalProcess()
        self.addCleanup(first.close)
        first.fetch("/feedback/")
        self.assertEqual(first.stop(), 0)
        second = PortalProcess(log_file=first.log_file)
        self.addCleanup(second.close)
        second.fetch("/member/login.php")
        self.assertEqual(second.stop(), 0)
        self.assertEqual(first.log_lines(),
                         ["GET /feedback/ HTTP/1.1", "GET /member/login.php HTTP/1.1"])


class LifecycleTest(unittest.TestCase):
    def test_stops_cleanly_on_signal(self):
        for sig in (signal.SIGTERM, signal.SIGINT):
            with self.subTest(signal=sig.name):
                portal = PortalProcess()
                self.addCleanup(portal.close)
                self.assertEqual(portal.fetch("/")[0], 200)
                self.assertEqual(portal.stop(sig), 0)
                self.assertEqual(portal.stderr(), "")
                with self.assertRaises(OSError):
                    socket.create_connection(("127.0.0.1", portal.port), timeout=2).close()

    def test_listens_on_loopback_only(self):
        portal = PortalProcess()
        self.addCleanup(portal.close)
        self.assertEqual(sorted(os.listdir(portal.dir.name)), ["port", "requests.log", "stderr"])
        try:
            with open("/proc/net/tcp", encoding="ascii") as f:
                table = f.read().splitlines()[1:]
        except OSError:
            self.skipTest("no /proc/net/tcp")
        listening = [fields[1] for fields in map(str.split, table)
                     if fields[3] == "0A" and int(fields[1].split(":")[1], 16) == portal.port]
        self.assertEqual(listening, [f"0100007F:{portal.port:04X}"])


if __name__ == "__main__":
    unittest.main()
