#!/usr/bin/env python3
"""The page in headless Chromium beside snpln-cli: its files' size
gzipped, recoding a large Windows-1251 text to UTF-8 with snpln.run()
against `snpln-cli -t utf8 - <in >out` on a tmpfs, and the renderer's peak
resident memory (the page and its worker live in that one process) above
its idle.

  web_bench.py PAGE_DIR SNPLN_CLI SOURCE RUNS

SOURCE is the text (on a tmpfs: /dev/shm). Prints, one per line:
  size FILE BYTES              each of the page's files, gzip -9
  size total KB                the sum, in kilobytes (1000 bytes)
  cli SECONDS                  each run of snpln-cli
  page SECONDS                 each snpln.run(), from its call to its result
  page-blob SECONDS            the same with the page's own way (a File in,
                               Blobs out)
  rss idle KIB                 the renderer, the page loaded (a fresh one)
  rss input KIB                the same, the input's bytes made
  rss peak KIB                 the renderer's peak over one snpln.run()
  rss blob-peak-over-idle KIB  the same with a File in and Blobs out, above
                               its idle
  same yes|no                  the page's result is snpln-cli's, byte for byte
"""
import gzip
import hashlib
import os
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "web"))
from webdriver import Driver  # noqa: E402


def renderers():
    """Every Chromium renderer process: {pid: (VmRSS, VmHWM)} in KiB."""
    found = {}
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            # Chromium rewrites its processes' titles: one string.
            with open("/proc/%s/cmdline" % pid, "rb") as f:
                command = f.read().replace(b"\0", b" ")
            if b"chromium" not in command.split(b" ")[0] or \
                    b"--type=renderer" not in command:
                continue
            values = {}
            with open("/proc/%s/status" % pid) as f:
                for line in f:
                    key, _, rest = line.partition(":")
                    if key in ("VmRSS", "VmHWM"):
                        values[key] = int(rest.split()[0])
            found[int(pid)] = (values["VmRSS"], values["VmHWM"])
        except (OSError, KeyError, IndexError):
            continue
    return found


def reset_peaks(pids):
    for pid in pids:
        try:
            with open("/proc/%d/clear_refs" % pid, "w") as f:
                f.write("5")  # the peak resident set starts again from now
        except OSError:
            pass


RUN = """
const [mode, done] = arguments;
const file = document.getElementById('bench-file').files[0];
(async () => {
  if ((mode === 'bytes' || mode === 'prepare') && !window.benchBytes)
    window.benchBytes = new Uint8Array(await file.arrayBuffer());
  if (mode === 'prepare')
    return 0;
  const input = mode === 'bytes' ? window.benchBytes : file;
  const start = performance.now();
  const result = await snpln.run(['-t', 'utf8', 'big.txt'],
                                 [{path: 'big.txt', bytes: input}],
                                 {output: mode === 'bytes' ? 'bytes' : 'blob'});
  const seconds = (performance.now() - start) / 1000;
  window.benchOut = result.files[0];
  return [seconds, result.status];
})().then(done, (e) => done(String(e)));
"""


# The digest of the last result's bytes (after the memory is looked at:
# the digest takes a copy of them).
DIGEST = """
const done = arguments[0];
(async () => {
  const file = window.benchOut;
  window.benchOut = null;
  const out = file.bytes || new Uint8Array(await file.blob.arrayBuffer());
  const digest = await crypto.subtle.digest('SHA-256', out);
  return [...new Uint8Array(digest)].map((b) => b.toString(16)
                                                 .padStart(2, '0')).join('');
})().then(done, (e) => done(String(e)));
"""


def open_page(address, work, source):
    driver = Driver(work, "en-US", extra_args=["--js-flags=--expose-gc"])
    driver.get(address)
    driver.execute_async("const done = arguments[0];"
                         "snpln.ready.then(() => done(1));")
    # A file input of the bench's own: the page's empties itself.
    driver.execute("const input = document.createElement('input');"
                   "input.type = 'file'; input.id = 'bench-file';"
                   "document.body.append(input);")
    driver.send_keys(driver.find("#bench-file"), os.path.abspath(source))
    return driver


def settle(driver):
    """Garbage collected, and a moment for the memory to be given back."""
    driver.execute("gc();")
    time.sleep(1)


def run(driver, mode):
    """snpln.run()'s seconds and status; its result kept for digest()."""
    answer = driver.execute_async(RUN, mode)
    if not isinstance(answer, list):
        sys.exit("snpln.run failed: %s" % answer)
    return answer


def digest(driver):
    return driver.execute_async(DIGEST)


def main():
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    page, cli, source, runs = sys.argv[1], sys.argv[2], sys.argv[3], int(
        sys.argv[4])
    total = 0
    for name in sorted(os.listdir(page)):
        path = os.path.join(page, name)
        if os.path.isfile(path):
            with open(path, "rb") as f:
                size = len(gzip.compress(f.read(), 9))
            total += size
            print("size %s %d" % (name, size))
    print("size total %.1f" % (total / 1000))

    out = source + ".out"
    expected = None
    for _ in range(runs):
        with open(source, "rb") as given, open(out, "wb") as taken:
            start = time.monotonic()
            subprocess.run([cli, "-t", "utf8", "-"], stdin=given,
                           stdout=taken, check=True)
            print("cli %.3f" % (time.monotonic() - start), flush=True)
        with open(out, "rb") as f:
            expected = hashlib.sha256(f.read()).hexdigest()
    os.remove(out)

    work = tempfile.mkdtemp(prefix="snpln-web-bench-")
    server = subprocess.Popen(
        [sys.executable, os.path.join(ROOT, "tools/serve_web.py"), page,
         "--port", "0", "--log", os.path.join(work, "log"),
         "--address-file", os.path.join(work, "address")],
        stdout=subprocess.DEVNULL)
    driver = None
    try:
        while not os.path.exists(os.path.join(work, "address")):
            if server.poll() is not None:
                sys.exit("the server did not start")
            time.sleep(0.05)
        with open(os.path.join(work, "address")) as f:
            address = f.read()
        # Times: the same page for every run.
        driver = open_page(address, work, source)
        same = True
        for mode, label in (("bytes", "page"), ("blob", "page-blob")):
            for _ in range(runs):
                seconds, status = run(driver, mode)
                print("%s %.3f" % (label, seconds), flush=True)
                same = same and status == 0 and digest(driver) == expected
        driver.close()
        # Memory: a page of its own, whose renderer (the page's thread and
        # its worker's) is looked at before the input's bytes are made,
        # with them, and at its peak over one run.
        before = set(renderers())
        driver = open_page(address, work, source)
        ours = [pid for pid in renderers() if pid not in before]
        settle(driver)
        idle = {pid: rss for pid, (rss, _) in renderers().items()
                if pid in ours}
        driver.execute_async(RUN, "prepare")
        settle(driver)
        given = {pid: rss for pid, (rss, _) in renderers().items()
                 if pid in ours}
        reset_peaks(ours)
        seconds, status = run(driver, "bytes")
        peak = {pid: hwm for pid, (_, hwm) in renderers().items()
                if pid in ours}
        same = same and status == 0 and digest(driver) == expected
        # The page's renderer: the one whose peak is the largest.
        page_pid = max(peak, key=peak.get)
        print("rss idle %d" % idle.get(page_pid, 0))
        print("rss input %d" % given.get(page_pid, 0))
        print("rss peak %d" % peak[page_pid])
        # The page's own way, a File in and Blobs out, in a page of its
        # own again.
        driver.close()
        before = set(renderers())
        driver = open_page(address, work, source)
        ours = [pid for pid in renderers() if pid not in before]
        settle(driver)
        idle = {pid: rss for pid, (rss, _) in renderers().items()
                if pid in ours}
        reset_peaks(ours)
        seconds, status = run(driver, "blob")
        peak = {pid: hwm - idle.get(pid, 0)
                for pid, (_, hwm) in renderers().items() if pid in ours}
        same = same and status == 0 and digest(driver) == expected
        print("rss blob-peak-over-idle %d" % max(peak.values()))
        print("same %s" % ("yes" if same else "no"))
    finally:
        if driver:
            driver.close()
        server.terminate()
        server.wait()
        subprocess.run(["rm", "-rf", work])


if __name__ == "__main__":
    main()
