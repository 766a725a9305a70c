"""A small WebDriver client over the standard library (urllib), for
chromedriver and headless Chromium: what the page's tests and its bench
need, nothing more."""
import base64
import json
import os
import shutil
import socket
import subprocess
import tempfile
import time
import urllib.error
import urllib.request

CHROMIUM = "/usr/bin/chromium"
CHROMEDRIVER = "/usr/bin/chromedriver"


class WebDriverError(Exception):
    pass


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Driver:
    """chromedriver as a child process, and one browser session of it."""

    def __init__(self, downloads, language="en-US", log_path=None,
                 extra_args=()):
        self.port = free_port()
        self.profile = tempfile.mkdtemp(prefix="snpln-chromium-")
        self.process = subprocess.Popen(
            [CHROMEDRIVER, "--port=%d" % self.port],
            stdout=open(log_path or os.devnull, "ab"),
            stderr=subprocess.STDOUT)
        self.base = "http://127.0.0.1:%d" % self.port
        # Up once it answers its status (a broken driver never does).
        for _ in range(600):
            try:
                if self._call("GET", "/status")["value"]["ready"]:
                    break
            except (OSError, WebDriverError):
                pass
            if self.process.poll() is not None:
                raise WebDriverError("chromedriver ended at start")
            time.sleep(0.05)
        else:
            raise WebDriverError("chromedriver did not start")
        args = ["--headless=new", "--no-sandbox", "--disable-gpu",
                "--disable-quic", "--no-first-run",
                "--disable-background-networking",
                "--disable-component-update", "--disable-sync",
                "--disable-dev-shm-usage", "--lang=" + language,
                "--user-data-dir=" + self.profile,
                "--window-size=1280,1024"] + list(extra_args)
        capabilities = {
            "browserName": "chrome",
            "goog:chromeOptions": {
                "binary": CHROMIUM,
                "args": args,
                "prefs": {
                    "download.default_directory": downloads,
                    "download.prompt_for_download": False,
                    "intl.accept_languages": language,
                },
            },
            "goog:loggingPrefs": {"performance": "ALL"},
            "timeouts": {"script": 600000, "pageLoad": 60000},
        }
        try:
            answer = self._call("POST", "/session",
                                {"capabilities": {"alwaysMatch": capabilities}})
        except Exception:
            self.close()
            raise
        self.session = "/session/" + answer["value"]["sessionId"]

    def _call(self, method, path, body=None):
        data = None if body is None else json.dumps(body).encode()
        request = urllib.request.Request(
            self.base + path, data=data, method=method,
            headers={"Content-Type": "application/json; charset=utf-8"})
        try:
            with urllib.request.urlopen(request, timeout=900) as answer:
                return json.loads(answer.read().decode())
        except urllib.error.HTTPError as error:
            text = error.read().decode(errors="replace")
            raise WebDriverError("%s %s: %s" % (method, path, text[:2000]))

    def call(self, method, path, body=None):
        return self._call(method, self.session + path, body)["value"]

    def get(self, url):
        self.call("POST", "/url", {"url": url})

    def execute(self, script, *args):
        return self.call("POST", "/execute/sync",
                         {"script": script, "args": list(args)})

    def execute_async(self, script, *args):
        """`script` ends by calling arguments[arguments.length - 1]."""
        return self.call("POST", "/execute/async",
                         {"script": script, "args": list(args)})

    def find(self, css):
        element = self.call("POST", "/element",
                            {"using": "css selector", "value": css})
        return next(iter(element.values()))

    def send_keys(self, element, text):
        self.call("POST", "/element/%s/value" % element, {"text": text})

    def click(self, element):
        self.call("POST", "/element/%s/click" % element, {})

    def performance_log(self):
        """The browser's network events since the last call (CDP messages)."""
        entries = self.call("POST", "/se/log", {"type": "performance"})
        return [json.loads(entry["message"])["message"] for entry in entries]

    def cdp(self, command, params=None):
        return self.call("POST", "/goog/cdp/execute",
                         {"cmd": command, "params": params or {}})

    def close(self):
        try:
            if getattr(self, "session", None):
                self._call("DELETE", self.session)
        except Exception:
            pass
        self.process.terminate()
        try:
            self.process.wait(30)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        shutil.rmtree(self.profile, ignore_errors=True)


def b64(data):
    return base64.b64encode(data).decode()


def unb64(text):
    return base64.b64decode(text)
