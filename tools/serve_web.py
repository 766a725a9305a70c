#!/usr/bin/env python3
"""Serves the browser's page (the files directly in DIRECTORY: index.html,
its scripts and style) on 127.0.0.1 and prints its address; Ctrl-C stops
it. Every request is logged, one line each ("GET /snpln.js 200"), to
standard error or to --log. Every answer carries the page's
Content-Security-Policy too.

Usage: serve_web.py DIRECTORY [--port N] [--log FILE] [--address-file FILE]
(--port 0: any free port; --address-file: the address is written there
too, once the server listens).
"""
import argparse
import http.server
import os
import sys
import threading

POLICY = ("default-src 'none'; script-src 'self' 'wasm-unsafe-eval'; "
          "worker-src blob:; style-src 'self'; img-src 'self' data:; "
          "connect-src 'none'; base-uri 'none'; form-action 'none'")
TYPES = {".html": "text/html; charset=utf-8",
         ".js": "text/javascript; charset=utf-8",
         ".css": "text/css; charset=utf-8"}


def handler_for(directory, log):
    lock = threading.Lock()

    class Handler(http.server.BaseHTTPRequestHandler):
        def log_request(self, code="-", size="-"):
            with lock:
                log.write("%s %s %s\n" % (self.command, self.path, code))
                log.flush()

        def log_message(self, *args):
            pass

        def do_GET(self):
            self.answer(True)

        def do_HEAD(self):
            self.answer(False)

        def answer(self, with_body):
            name = self.path.split("?", 1)[0].lstrip("/") or "index.html"
            path = os.path.join(directory, name)
            kind = TYPES.get(os.path.splitext(name)[1])
            if "/" in name or kind is None or not os.path.isfile(path):
                self.send_error(404)
                return
            with open(path, "rb") as f:
                body = f.read()
            self.send_response(200)
            self.send_header("Content-Type", kind)
            self.send_header("Content-Length", str(len(body)))
            self.send_header("Content-Security-Policy", POLICY)
            self.send_header("X-Content-Type-Options", "nosniff")
            self.send_header("Cache-Control", "no-store")
            self.end_headers()
            if with_body:
                self.wfile.write(body)

    return Handler


def main():
    parser = argparse.ArgumentParser(usage=__doc__)
    parser.add_argument("directory")
    parser.add_argument("--port", type=int, default=8032)
    parser.add_argument("--log")
    parser.add_argument("--address-file")
    options = parser.parse_args()
    if not os.path.isfile(os.path.join(options.directory, "index.html")):
        sys.exit("serve_web.py: no index.html in %s (make web builds it)"
                 % options.directory)
    log = open(options.log, "a") if options.log else sys.stderr
    server = http.server.ThreadingHTTPServer(
        ("127.0.0.1", options.port),
        handler_for(os.path.abspath(options.directory), log))
    address = "http://127.0.0.1:%d/" % server.server_address[1]
    print("Snipline in the browser: %s (Ctrl-C stops it)" % address,
          flush=True)
    if options.address_file:
        with open(options.address_file + ".part", "w") as f:
            f.write(address)
        os.replace(options.address_file + ".part", options.address_file)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    server.server_close()


if __name__ == "__main__":
    main()
