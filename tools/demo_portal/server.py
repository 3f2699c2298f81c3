#!/usr/bin/python3
"""Loopback stand-in for the Lumivar portal's web server, used by the end-to-end tests.

    server.py --port N --log FILE --port-file FILE

Binds 127.0.0.1 only. --port 0 picks a free port; the bound port is written to --port-file
once the server is listening. Every request line is appended to --log as it arrives.
"""

import argparse
import html
import os
import signal
import struct
import sys
import threading
from http import HTTPStatus
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import parse_qs, urlsplit

HTML_TYPE = "text/html; charset=utf-8"
SWF_TYPE = "application/x-shockwave-flash"


def page(title, body):
    return (
        "<!DOCTYPE html>\n<html lang=\"zh-CN\"><head><meta charset=\"utf-8\">"
        f"<title>{html.escape(title)}</title></head>\n<body>\n{body}\n</body></html>\n"
    ).encode("utf-8")


PRODUCTS = (
    ("LV-1001", "手工编织手链", "¥39.00"),
    ("LV-1002", "珍珠耳饰（一对）", "¥58.00"),
    ("LV-1003", "复古银戒指", "¥72.50"),
    ("LV-1004", "丝绸发带", "¥19.90"),
)


def frame_page():
    rows = "\n".join(
        f"<tr><td>{code}</td><td>{name}</td><td>{price}</td></tr>" for code, name, price in PRODUCTS
    )
    return page(
        "Lumivar迷你版 · 今日精选",
        "<h1 id=\"frame\">今日精选</h1>\n"
        f"<table id=\"products\">\n<tr><th>编号</th><th>商品</th><th>价格</th></tr>\n{rows}\n</table>",
    )


def swf_body():
    # Uncompressed SWF 6: 700x394 stage, 24 fps, one frame, background colour, show frame, end.
    nbits = 15
    bits = format(nbits, "05b") + "".join(format(v, f"0{nbits}b") for v in (0, 700 * 20, 0, 394 * 20))
    bits += "0" * (-len(bits) % 8)
    rect = int(bits, 2).to_bytes(len(bits) // 8, "big")
    tags = (
        struct.pack("<H", (9 << 6) | 3) + bytes((0xFC, 0xDA, 0xD5))  # SetBackgroundColor
        + struct.pack("<H", 1 << 6)  # ShowFrame
        + struct.pack("<H", 0)  # End
    )
    rest = rect + struct.pack("<HH", 24 << 8, 1) + tags
    return b"FWS" + bytes((6,)) + struct.pack("<I", 8 + len(rest)) + rest


def search_page(query):
    values = parse_qs(query, keep_blank_values=True, encoding="utf-8", errors="replace").get("kw")
    keyword = values[0] if values else ""
    return page(
        "商品搜索 - Lumivar",
        f"<h1>搜索结果</h1>\n<p>关键词：<span id=\"kw\">{html.escape(keyword)}</span></p>\n"
        "<p>暂无匹配的商品。</p>",
    )


def fixed(title, heading):
    body = page(title, f"<h1>{html.escape(heading)}</h1>")
    return lambda query: (HTML_TYPE, body)


ROUTES = {
    "/": fixed("Lumivar 门户首页", "欢迎来到 Lumivar"),
    "/member/login.php": fixed("会员登录 - Lumivar", "会员登录"),
    "/member/register.php": fixed("免费注册 - Lumivar", "免费注册"),
    "/feedback/": fixed("意见反馈 - Lumivar", "意见反馈"),
    "/mini_web/frame.html": lambda query: (HTML_TYPE, frame_page()),
    "/mini_web/flash.php": lambda query: (SWF_TYPE, swf_body()),
    "/sell/search.php": lambda query: (HTML_TYPE, search_page(query)),
}

NOT_FOUND = page("404 - 页面不存在", "<h1>404</h1><p>页面不存在。</p>")


class PortalHandler(BaseHTTPRequestHandler):
    server_version = "LumivarDemo/1.0"
    sys_version = ""

    def parse_request(self):
        self.server.record(self.raw_requestline)
        return super().parse_request()

    def do_GET(self):
        self.respond(send_body=True)

    def do_HEAD(self):
        self.respond(send_body=False)

    def respond(self, send_body):
        try:
            parts = urlsplit(self.path)
            route = ROUTES.get(parts.path)
            if route is None:
                status, content_type, body = HTTPStatus.NOT_FOUND, HTML_TYPE, NOT_FOUND
            else:
                status = HTTPStatus.OK
                content_type, body = route(parts.query)
        except Exception:
            status, content_type = HTTPStatus.INTERNAL_SERVER_ERROR, HTML_TYPE
            body = page("500", "<h1>500</h1>")
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Cache-Control", "no-store")
        self.end_headers()
        if send_body:
            self.wfile.write(body)

    def log_message(self, format, *args):
        pass


class PortalServer(ThreadingHTTPServer):
    daemon_threads = True

    def __init__(self, port, log_path):
        # Ready before binding: a failed bind closes the server at once.
        self._log_lock = threading.Lock()
        self._log = None
        super().__init__(("127.0.0.1", port), PortalHandler)
        self._log = open(log_path, "ab") if log_path else None

    def record(self, raw_line):
        if self._log is None or not raw_line:
            return
        with self._log_lock:
            self._log.write(raw_line.rstrip(b"\r\n") + b"\n")
            self._log.flush()

    def handle_error(self, request, client_address):
        pass  # a broken client must not disturb the server or its stderr

    def server_close(self):
        super().server_close()
        with self._log_lock:
            if self._log is not None:
                self._log.close()
                self._log = None


def write_port_file(path, port):
    tmp = f"{path}.{os.getpid()}.tmp"
    with open(tmp, "w", encoding="ascii") as f:
        f.write(f"{port}\n")
    os.replace(tmp, path)


def main(argv=None):
    parser = argparse.ArgumentParser(description="Loopback demo portal")
    parser.add_argument("--port", type=int, default=0, help="port to bind, 0 for any free one")
    parser.add_argument("--log", help="append each request line to this file")
    parser.add_argument("--port-file", help="write the bound port here once listening")
    args = parser.parse_args(argv)

    server = PortalServer(args.port, args.log)
    stop = threading.Event()
    for sig in (signal.SIGTERM, signal.SIGINT):
        signal.signal(sig, lambda signum, frame: stop.set())

    worker = threading.Thread(target=server.serve_forever, kwargs={"poll_interval": 0.1})
    worker.start()
    try:
        if args.port_file:
            write_port_file(args.port_file, server.server_address[1])
        while not stop.wait(0.5):
            pass
    finally:
        server.shutdown()
        worker.join()
        server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
