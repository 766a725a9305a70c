#!/usr/bin/env python3
"""The page in headless Chromium, driven through WebDriver, against
snpln-cli on the same files.

  test_web.py PAGE_DIR SNPLN_CLI

Serves PAGE_DIR (build/web) on 127.0.0.1 with tools/serve_web.py, which
logs every request, and:
  - runs snpln.run() over the bundled samples and a generated set (every
    page, every operation, every page pair, trees with masks, names that
    are missing) and compares its status, its reports and every file with
    what `snpln-cli --json` gives on copies of the same files;
  - refuses the options that mean nothing over the page's files;
  - cancels a run of a large file: the file stays as it was;
  - chooses a folder with the page's own controls, runs, checks the list
    of results against snpln-cli's reports, downloads one file and the
    whole ZIP archive and compares every byte, previews a file; runs a
    folder of 1000 files;
  - opens the page in Russian and switches it to English;
  - checks that no request left the page after it loaded (the browser's
    network log and the server's), and that the page may not connect;
  - checks that the page's files (every file directly in PAGE_DIR) come to
    at most PAGE_GZIP_LIMIT bytes, each compressed with gzip -9.
Prints one line per check that failed; the status is 0 when none did.
"""
import base64
import gzip
import json
import os
import shlex
import shutil
import subprocess
import sys
import tempfile
import time
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from webdriver import Driver  # noqa: E402

SOURCE = os.path.dirname(os.path.dirname(os.path.dirname(
    os.path.abspath(__file__))))
failures = []
checks = 0


def check(condition, what, detail=""):
    global checks
    checks += 1
    if not condition:
        failures.append(what)
        print("FAIL: %s%s" % (what, ("\n  " + detail) if detail else ""))
    return condition


def check_equal(actual, expected, what):
    return check(actual == expected, what,
                 "page:     %r\n  snpln-cli: %r" % (actual, expected))


# ---- the files ----------------------------------------------------------

PAGES = {  # the page's name: Python's codec
    "dos": "cp866", "win": "cp1251", "koi": "koi8_r", "iso": "iso8859_5",
    "utf8": "utf-8", "utf16le": "utf-16-le", "utf16be": "utf-16-be",
}
TARGETS = ["dos", "win", "koi", "iso", "utf8", "utf16", "utf16le", "utf16be"]


def prose():
    with open(os.path.join(SOURCE, "tests/data/russian_prose_2.txt"),
              encoding="utf-8") as f:
        return f.read()


def generated_set():
    """Files in every page, with their folders, as {path: bytes}."""
    text = prose()
    parts = [text[i * 900:(i + 1) * 900] for i in range(8)]
    files = {}
    for n, (name, codec) in enumerate(PAGES.items()):
        body = parts[n].replace("\n", "\r\n" if n % 2 else "\n")
        data = body.encode(codec, errors="replace")
        if name.startswith("utf16"):
            data = (b"\xff\xfe" if name == "utf16le" else b"\xfe\xff") + data
        files["set/%s.txt" % name] = data
    files["set/utf8bom.txt"] = b"\xef\xbb\xbf" + parts[0].encode()
    files["set/latin.txt"] = (b"        indented\r\nname    value   \r\n"
                              b"\r\n\r\n\r\n  x = 1;\t// one\r\nend")
    files["set/bin.dat"] = bytes(range(256))
    files["set/empty.txt"] = b""
    files["set/sub/deep.htm"] = "<p>Глубоко в лесу стоит дом.</p>\n".encode(
        "cp1251")
    files["set/sub/mixed.txt"] = b"a\r\nb\nc\rd\n\re"
    files["set/sub/frame.txt"] = (
        "╔═══╦═══╗\r\n║ Да║Нет║\r\n╚═══╩═══╝\r\n".encode("cp866"))
    files["set/Папка/файл.txt"] = "Заметка: «кавычки» — тире… №5\n".encode()
    files["set/.hidden.txt"] = "Скрытый\n".encode("koi8_r")
    files["set/.git/config"] = b"[core]\n"
    # Garbled: UTF-8 read as Windows-1251 (once, twice) and stored as
    # UTF-8, beside a clean file.
    clean = parts[1][:400]
    once = clean.encode().decode("cp1251", errors="ignore")
    files["repair/once.txt"] = once.encode()
    files["repair/twice.txt"] = (
        once.encode().decode("cp1251", errors="ignore").encode())
    files["repair/clean.txt"] = clean.encode()
    for name in sorted(os.listdir(os.path.join(SOURCE, "samples"))):
        with open(os.path.join(SOURCE, "samples", name), "rb") as f:
            files["samples/" + name] = f.read()
    return files


def cases():
    """Argument lists, each run on fresh copies."""
    table = [["-d", "set", "samples"], ["-d", "--hidden", "set"]]
    table += [["-t", target, "set", "samples"] for target in TARGETS]
    for source in PAGES:
        for target in TARGETS:
            table.append(["-f", source, "-t", target,
                          "set/%s.txt" % source])
    table += [
        ["--upper", "set"], ["--lower", "set", "samples"],
        ["--smart", "set", "samples"], ["--smart", "--save-upper", "samples"],
        ["--exclude", "не", "set"],
        ["--exclude", "НЕ", "--ignore-case", "--left-part", "--right-part",
         "set"],
        ["--replace", "и", "--with", "И", "--right-part", "set"],
        ["--replace", "что", "--with", "ЧТО", "--ignore-case", "--left-part",
         "samples", "set"],
        ["--replace", "e", "--with", "", "--bytes", "set/latin.txt"],
        ["--optimize", "set"], ["--optimize", "--tab-size", "4", "set"],
        ["--delete-empty", "set", "samples"],
        ["--line-ends", "lf", "set"], ["--line-ends", "crlf", "set"],
        ["--line-ends", "cr", "set", "samples"],
        ["--bom", "add", "set"], ["--bom", "remove", "set"],
        ["--substitute", "-t", "koi", "set/utf8.txt", "set/Папка"],
        ["-t", "koi", "set/Папка"],
        ["--substitute", "-t", "dos", "--replace", "Да", "--with", "«Да»",
         "set/sub"],
        ["-n", "-t", "utf8", "--upper", "set"],
        ["--hidden", "--upper", "set"],
        ["--filter", "*.txt", "-t", "utf8", "set"],
        ["--filter", "*.htm* m*", "--lower", "set"],
        ["--filter", "D*.TXT", "-d", "set", "samples"],
        ["-t", "utf8", "set/win.txt", "missing.txt", "set/nothing/",
         "set/win.txt/"],
        ["--upper", "-t", "dos", "--line-ends", "crlf", "--delete-empty",
         "--optimize", "set"],
        ["-t", "utf16", "--lower", "--bom", "add", "samples"],
        ["--optimize", "--tab-size", "0", "set"],
        ["--with", "x", "set"], ["-d", "-t", "win", "set"], ["set"],
        ["--repair", "repair"], ["-n", "--repair", "repair"],
        ["--repair", "-t", "win", "--upper", "repair"], ["-d", "repair"],
        ["-d", "--repair", "repair"],
        ["--strict", "-t", "koi", "set/Папка", "set/win.txt"],
        ["-t", "mac", "set/win.txt"], ["-t", "koi8u", "set/koi.txt"],
        ["-f", "dos", "-t", "cp1125", "set/dos.txt"],
        ["-l"], ["-V"],
    ]
    return table


def cli_run(cli, files, args, work):
    """snpln-cli --json over copies of the files: status, objects, other
    output, every file after."""
    root = tempfile.mkdtemp(dir=work)
    for path, data in files.items():
        os.makedirs(os.path.join(root, os.path.dirname(path)), exist_ok=True)
        with open(os.path.join(root, path), "wb") as f:
            f.write(data)
    done = subprocess.run([cli, "--json"] + args, cwd=root,
                          capture_output=True, env=dict(os.environ,
                                                        LC_ALL="C.UTF-8"))
    out = done.stdout.decode()
    objects = [json.loads(line) for line in out.splitlines()
               if line.startswith("{")]
    messages = "".join(line + "\n" for line in out.splitlines()
                       if not line.startswith("{")) + done.stderr.decode()
    after = {}
    for folder, _, names in os.walk(root):
        for name in names:
            full = os.path.join(folder, name)
            with open(full, "rb") as f:
                after[os.path.relpath(full, root)] = f.read()
    shutil.rmtree(root)
    return done.returncode, objects, messages, after


def canonical(objects):
    return sorted(json.dumps(o, sort_keys=True, ensure_ascii=False)
                  for o in objects)


# The page's side: the files are put in window.snplnTest once, then each
# case runs on them; a file the run changed comes back in base64.
SETUP = """
const [files, done] = arguments;
window.snplnTest = files.map(([path, data]) => ({path,
    bytes: Uint8Array.from(atob(data), (c) => c.charCodeAt(0))}));
snpln.ready.then(() => done('ready'), (e) => done('broken: ' + e));
"""
RUN_CASES = """
const [cases, done] = arguments;
const b64 = (bytes) => {
  let text = '';
  for (let i = 0; i < bytes.length; i += 32768)
    text += String.fromCharCode.apply(null, bytes.subarray(i, i + 32768));
  return btoa(text);
};
(async () => {
  const results = [];
  for (const args of cases) {
    try {
      const r = await snpln.run(args, window.snplnTest);
      const changed = {};
      r.files.forEach((file, n) => {
        if (file.bytes !== window.snplnTest[n].bytes)
          changed[file.path] = b64(file.bytes);
      });
      results.push({status: r.status, reports: r.reports,
                    messages: r.messages, changed});
    } catch (e) {
      results.push({error: String(e)});
    }
  }
  return results;
})().then(done, (e) => done([{error: String(e)}]));
"""


def compare_runs(driver, cli, files, work):
    encoded = [[p, base64.b64encode(d).decode()] for p, d in files.items()]
    check_equal(driver.execute_async(SETUP, encoded), "ready", "page ready")
    table = cases()
    results = []
    for start in range(0, len(table), 20):
        results += driver.execute_async(RUN_CASES, table[start:start + 20])
    compared = 0
    for args, page in zip(table, results):
        name = "snpln-cli " + " ".join(shlex.quote(a) for a in args)
        if not check("error" not in page, name + ": ran",
                     page.get("error", "")):
            continue
        status, objects, messages, after = cli_run(cli, files, args, work)
        check_equal(page["status"], status, name + ": status")
        check_equal(canonical(page["reports"]), canonical(objects),
                    name + ": reports")
        if status == 2 or not objects:
            check_equal(page["messages"], messages, name + ": messages")
        page_after = dict(files)
        for path, data in page["changed"].items():
            page_after[path] = base64.b64decode(data)
        for path in sorted(set(after) | set(page_after)):
            check(page_after.get(path) == after.get(path),
                  "%s: the bytes of %s" % (name, path),
                  "page %r...\n  snpln-cli %r..." % (
                      (page_after.get(path) or b"")[:60],
                      (after.get(path) or b"")[:60]))
            compared += 1
    print("compared %d runs and %d files with snpln-cli" % (len(table),
                                                            compared))


REFUSED = [
    (["-o", "out.txt", "-t", "utf8", "set/win.txt"], "--output"),
    (["-b", "-t", "utf8", "set"], "--backup"),
    (["-b", "--suffix", ".bak", "-t", "utf8", "set"], "--backup"),
    (["-k", "--upper", "set"], "--keep-date"),
    (["--allow-chown", "--upper", "set"], "--allow-chown"),
    (["-j", "4", "--upper", "set"], "--jobs"),
    (["-t", "utf8", "-"], "-"),
]


def check_refusals(driver):
    results = driver.execute_async(RUN_CASES, [args for args, _ in REFUSED])
    for (args, option), page in zip(REFUSED, results):
        name = "refused: " + " ".join(args)
        check_equal(page.get("status"), 2, name + ": status")
        check_equal(page.get("messages"),
                    "snpln-cli: %s is not taken in the browser: -o, -b, "
                    "--suffix, -k, -j other than 1, - and --allow-chown mean "
                    "nothing over the page's files\n" % option,
                    name + ": the message")
        check_equal(page.get("changed"), {}, name + ": no file changed")


CANCEL = """
const done = arguments[0];
// 96 MiB of Windows-1251 text, canceled at its first progress.
const line = new Uint8Array([0xcf, 0xf0, 0xe8, 0xe2, 0xe5, 0xf2, 0x2c, 0x20,
                             0xec, 0xe8, 0xf0, 0x21, 0x0d, 0x0a]);
const bytes = new Uint8Array(96 << 20);
for (let i = 0; i < bytes.length; i += line.length)
  bytes.set(line.subarray(0, Math.min(line.length, bytes.length - i)), i);
const controller = new AbortController();
snpln.run(['-t', 'utf8', 'big.txt'], [{path: 'big.txt', bytes}],
          {signal: controller.signal,
           onProgress: () => controller.abort()})
  .then((r) => done({status: r.status, reports: r.reports,
                     same: r.files[0].bytes === bytes}),
        (e) => done({error: String(e)}))
  .then(() => snpln.run(['-d', 'small.txt'],
                        [{path: 'small.txt', bytes: line}]))
  .then((r) => { window.snplnAfterCancel = r.reports; });
"""


def check_cancel(driver):
    result = driver.execute_async(CANCEL)
    check_equal(result.get("status"), 130, "cancel: status")
    check_equal(result.get("reports"),
                [{"kind": "file", "path": "big.txt", "pass": "recode",
                  "outcome": "canceled", "to": "UTF-8", "error": "canceled"}],
                "cancel: reports")
    check(result.get("same") is True, "cancel: the file stays as it was")
    again = driver.execute_async(
        "const done = arguments[0]; const wait = () => window.snplnAfterCancel"
        " ? done(window.snplnAfterCancel) : setTimeout(wait, 20); wait();")
    check_equal([r for r in again if r.get("kind") != "summary"],
                [{"kind": "file", "path": "small.txt", "pass": "detect",
                  "outcome": "detected", "from": "windows-1251",
                  "detected": True, "lineEnds": "crlf", "mark": "none"}],
                "cancel: the next run works")


# Resolves once the page's status line says something.
WAIT_STATUS = """
const done = arguments[0];
const status = document.getElementById('status');
if (status.textContent) { done(status.textContent); return; }
new MutationObserver((list, observer) => {
  if (status.textContent) { observer.disconnect(); done(status.textContent); }
}).observe(status, {childList: true, subtree: true, characterData: true});
"""
RESULTS = """
return [...document.querySelectorAll('#results li')].map((li) => ({
  path: li.dataset.path, outcome: li.dataset.outcome || '',
  from: li.dataset.from || '', to: li.dataset.to || '',
  words: li.querySelector('.words').textContent}));
"""
RANK = ["skipped", "unchanged", "detected", "would-convert", "converted",
        "canceled", "failed"]


def expected_results(objects):
    """What #results shows for snpln-cli's objects, file by file."""
    shown = {}
    for o in objects:
        # Files, entries passed over and directories that failed are rows;
        # the summary and a directory done are not.
        if (o.get("kind") not in ("file", "skipped", "directory")
                or o["outcome"] == "done"):
            continue
        path = o.get("path", o.get("path_bytes"))
        entry = shown.setdefault(path, {"path": path, "outcome": "",
                                        "from": "", "to": ""})
        if RANK.index(o["outcome"]) >= (RANK.index(entry["outcome"])
                                        if entry["outcome"] else -1):
            entry["outcome"] = o["outcome"]
        if o.get("from") and not entry["from"]:
            entry["from"] = o["from"]
        if o.get("to"):
            entry["to"] = o["to"]
    return sorted(shown.values(), key=lambda e: e["path"])


def wait_for_download(folder, name):
    path = os.path.join(folder, name)
    for _ in range(1200):
        if os.path.exists(path) and not any(
                n.endswith(".crdownload") for n in os.listdir(folder)):
            with open(path, "rb") as f:
                return f.read()
        time.sleep(0.05)
    return None


# Resolves with the line that counts the chosen files once it changes.
WAIT_CHOSEN = """
const [before, done] = arguments;
const chosen = document.getElementById('chosen');
const wait = () => chosen.textContent !== before ? done(chosen.textContent)
                                                 : setTimeout(wait, 20);
wait();
"""


def choose_folder(driver, folder):
    before = driver.execute(
        "return document.getElementById('chosen').textContent")
    driver.send_keys(driver.find("#folder"), folder)
    return driver.execute_async(WAIT_CHOSEN, before)


def ui_tree(files):
    """The set without hidden names, as a folder chooser gives it."""
    return {p: d for p, d in files.items()
            if p.startswith("set/") and "/." not in p}


def check_controls(driver, cli, files, work, downloads):
    tree = ui_tree(files)
    root = tempfile.mkdtemp(dir=work)
    for path, data in tree.items():
        os.makedirs(os.path.join(root, os.path.dirname(path)), exist_ok=True)
        with open(os.path.join(root, path), "wb") as f:
            f.write(data)
    chosen = choose_folder(driver, os.path.join(root, "set"))
    check(chosen.startswith("Files chosen: %d " % len(tree)),
          "controls: the folder's files are chosen", chosen)
    # Upper case, to UTF-8, line ends CR LF: with the mouse, as a user.
    driver.click(driver.find("#opt-case-upper"))
    driver.click(driver.find('#opt-to option[value="utf8"]'))
    driver.click(driver.find('#opt-line-ends option[value="crlf"]'))
    command = driver.execute(
        "return document.getElementById('command').textContent")
    args = shlex.split(command)[1:]
    check_equal(args, ["--to", "utf8", "--upper", "--line-ends", "crlf",
                       "set"], "controls: the command they stand for")
    driver.click(driver.find("#run"))
    said = driver.execute_async(WAIT_STATUS)
    status, objects, _, after = cli_run(cli, tree, args, work)
    check_equal(said, {0: "Done: no file failed.",
                       1: "Done: some files failed."}.get(status),
                "controls: the status")
    shown = sorted(driver.execute(RESULTS), key=lambda e: e["path"])
    check(all(entry["words"] for entry in shown),
          "controls: every file's outcome in words")
    for entry in shown:
        del entry["words"]
    check_equal(shown, expected_results(objects), "controls: #results")
    # One file, then everything.
    for name in os.listdir(downloads):
        os.remove(os.path.join(downloads, name))
    driver.click(driver.find('#results li[data-path="set/koi.txt"] '
                             'button.download'))
    check_equal(wait_for_download(downloads, "koi.txt"), after["set/koi.txt"],
                "controls: one file downloaded")
    driver.click(driver.find("#zip"))
    archive = wait_for_download(downloads, "snpln.zip")
    check(archive is not None, "controls: the ZIP archive downloaded")
    if archive:
        path = os.path.join(downloads, "snpln.zip")
        with zipfile.ZipFile(path) as z:
            check(z.testzip() is None, "controls: the ZIP archive is whole")
            names = sorted(z.namelist())
            check_equal(names, sorted(after), "controls: the ZIP's names")
            for name in names:
                check(z.read(name) == after.get(name),
                      "controls: the ZIP's bytes of " + name)
            check(all(i.flag_bits & 0x800 for i in z.infolist()),
                  "controls: UTF-8 names in the ZIP")
        tested = subprocess.run(["unzip", "-tq", path], capture_output=True)
        check(tested.returncode == 0, "controls: unzip -t",
              tested.stdout.decode() + tested.stderr.decode())
    # The preview of a recoded file, before and after.
    driver.click(driver.find('#results li[data-path="set/koi.txt"] '
                             'button.preview'))
    shown = driver.execute_async(
        "const done = arguments[0]; const wait = () => "
        "document.getElementById('preview').hidden ? setTimeout(wait, 20) : "
        "done([document.getElementById('before').textContent, "
        "document.getElementById('after').textContent]); wait();")
    check_equal(shown, [tree["set/koi.txt"].decode("koi8_r"),
                        after["set/koi.txt"].decode("utf-8")],
                "controls: the preview")
    shutil.rmtree(root)


def check_thousand(driver, work):
    """A folder of 1000 files, chosen and run with the page's controls."""
    root = tempfile.mkdtemp(dir=work)
    folder = os.path.join(root, "many")
    os.makedirs(folder)
    text = prose().encode("cp1251", errors="replace")
    for n in range(1000):
        with open(os.path.join(folder, "%04d.txt" % n), "wb") as f:
            f.write(text[n:n + 1000])
    driver.click(driver.find("#clear"))
    chosen = choose_folder(driver, folder)
    check(chosen.startswith("Files chosen: 1000 "),
          "1000 files: all chosen", chosen)
    driver.click(driver.find('#opt-to option[value="koi"]'))
    driver.click(driver.find("#run"))
    check_equal(driver.execute_async(WAIT_STATUS), "Done: no file failed.",
                "1000 files: the status")
    outcomes = driver.execute(
        "return [...document.querySelectorAll('#results li')]"
        ".map((li) => li.dataset.outcome)")
    check_equal(outcomes, ["converted"] * 1000, "1000 files: the outcomes")
    shutil.rmtree(root)


def check_russian(driver, cli, files, work):
    texts = driver.execute(
        "return [document.documentElement.lang, "
        "document.getElementById('heading').textContent, "
        "document.getElementById('run').textContent, "
        "document.querySelector('label[for=\"opt-to\"]').textContent]")
    check_equal(texts, ["ru", "Snipline в браузере", "Выполнить", "В"],
                "Russian: the page's words")
    tree = {"notes/a.txt": "Привет, мир".encode("koi8_r")}
    root = tempfile.mkdtemp(dir=work)
    os.makedirs(os.path.join(root, "notes"))
    with open(os.path.join(root, "notes/a.txt"), "wb") as f:
        f.write(tree["notes/a.txt"])
    choose_folder(driver, os.path.join(root, "notes"))
    driver.click(driver.find('#opt-to option[value="win"]'))
    driver.click(driver.find("#run"))
    check_equal(driver.execute_async(WAIT_STATUS), "Готово: ошибок нет.",
                "Russian: the status")
    words = driver.execute(RESULTS)[0]["words"]
    check_equal(words, "Файл(ы) успешно преобразованы из ''Koi'' в "
                       "''Win1251''", "Russian: the outcome")
    driver.click(driver.find('#lang option[value="en"]'))
    texts = driver.execute(
        "return [document.documentElement.lang, "
        "document.getElementById('run').textContent, "
        "document.querySelector('#results .words').textContent]")
    check_equal(texts, ["en", "Run", "File(s) successfully converted from "
                                     "''Koi'' to ''Win1251''"],
                "Russian: switched to English")
    shutil.rmtree(root)


def check_no_connection(driver, log, loaded):
    """No request after the load, and none allowed."""
    blocked = driver.execute_async(
        "const done = arguments[0];"
        "fetch(location.origin + '/probe').then(() => done('fetched'),"
        " (e) => done('refused'));")
    check_equal(blocked, "refused", "network: the page may not connect")
    requests = [e for e in driver.performance_log()
                if e["method"] == "Network.requestWillBeSent"]
    away = [e["params"]["request"]["url"] for e in requests
            if not e["params"]["request"]["url"].startswith(("blob:",
                                                             "data:"))]
    check_equal(away, [], "network: requests after the load (browser's log)")
    with open(log) as f:
        served = f.read().splitlines()
    check_equal(served[loaded:], [],
                "network: requests after the load (server's log)")


# What the page's files may come to, each gzipped at its best: 300 kB.
PAGE_GZIP_LIMIT = 300000


def page_gzip_sizes(page):
    """{name: bytes gzipped} of every file directly in the page's folder."""
    sizes = {}
    for name in sorted(os.listdir(page)):
        path = os.path.join(page, name)
        if os.path.isfile(path):
            with open(path, "rb") as f:
                sizes[name] = len(gzip.compress(f.read(), 9))
    return sizes


def check_page_size(page):
    sizes = page_gzip_sizes(page)
    total = sum(sizes.values())
    check(total <= PAGE_GZIP_LIMIT,
          "size: the page's files gzipped, at most %d bytes" % PAGE_GZIP_LIMIT,
          "%d bytes: %s" % (total, ", ".join(
              "%s %d" % item for item in sizes.items())))
    print("page gzipped: %d bytes (%s)" % (
        total, ", ".join("%s %d" % item for item in sizes.items())))


def open_page(driver, address, log):
    driver.get(address)
    state = driver.execute_async(
        "const done = arguments[0]; snpln.ready.then(() => { const wait = () "
        "=> document.body.classList.contains('ready') ? done('ready') : "
        "setTimeout(wait, 20); wait(); }, (e) => done('broken: ' + e));")
    check_equal(state, "ready", "the page loads")
    with open(log) as f:
        served = f.read().splitlines()
    check_equal(sorted(line.split()[1] for line in served),
                sorted(["/", "/snpln.css", "/snpln.js", "/snpln-worker.js"]),
                "the page's files, all from the server")
    driver.performance_log()  # what the load asked for
    return len(served)


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    page, cli = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    work = tempfile.mkdtemp(prefix="snpln-web-")
    server = driver = None
    check_page_size(page)
    try:
        files = generated_set()
        log = os.path.join(work, "server.log")
        address_file = os.path.join(work, "address")
        server = subprocess.Popen(
            [sys.executable, os.path.join(SOURCE, "tools/serve_web.py"), page,
             "--port", "0", "--log", log, "--address-file", address_file],
            stdout=subprocess.DEVNULL)
        for _ in range(600):
            if os.path.exists(address_file) or server.poll() is not None:
                break
            time.sleep(0.05)
        with open(address_file) as f:
            address = f.read()
        downloads = os.path.join(work, "downloads")
        os.makedirs(downloads)
        for language in ("en-US", "ru-RU"):
            open(log, "w").close()
            driver = Driver(downloads, language,
                            os.path.join(work, "chromedriver.log"))
            loaded = open_page(driver, address, log)
            if language == "en-US":
                compare_runs(driver, cli, files, work)
                check_refusals(driver)
                check_cancel(driver)
                check_controls(driver, cli, files, work, downloads)
                check_thousand(driver, work)
            else:
                check_russian(driver, cli, files, work)
            check_no_connection(driver, log, loaded)
            driver.close()
            driver = None
    finally:
        if driver:
            driver.close()
        if server:
            server.terminate()
            server.wait()
        shutil.rmtree(work, ignore_errors=True)
    print("%d checks, %d failed" % (checks, len(failures)))
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
