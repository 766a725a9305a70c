#!/usr/bin/env python3
"""Detection accuracy on excerpts of real Russian and Ukrainian prose.

Cuts excerpts of 40, 100 and 300 characters (each at least a quarter
Cyrillic letters) from the prose at hand, in mixed case and in capitals,
writes each in CP866, Windows-1251, KOI8-R, ISO 8859-5, UTF-8 and Mac
Cyrillic, and asks each detector for its answer. Prints one table: right
answers of n per detector, per encoding. An answer is right when the bytes
read in it give the text back (Russian in KOI8-U is the same bytes as in
KOI8-R). Then the same for Ukrainian prose in KOI8-U, CP1125, Mac
Cyrillic, Windows-1251 and UTF-8 (enca asked for Ukrainian there). Then
the harder cases: forms framed with box drawing (30 to 60 % and 60 to
90 % of the characters above 0x7F), UTF-8 with stray Windows-1251 bytes
(three; one per eight characters of two bytes; one per such character),
and 16 KiB of English before 300 characters of Russian.

    detect_accuracy.py --cli PATH [--per N] [--seed N] [--ukrainian FILE]...
                       TEXT...

TEXT files are UTF-8 Russian (a .gz is read through gzip); --ukrainian
files are UTF-8 Ukrainian, or .mo catalogues whose translations are taken.
enca and uchardet take part when they are installed. Every detector is
asked about a whole cell at once (a directory of files, a few hundred
names a command), so that cells of hundreds of excerpts take minutes, not
hours; the excerpts are drawn by Python's random.Random(--seed), 300 per
cell unless --per says otherwise.
"""

import argparse
import gzip
import json
import os
import struct
import random
import shutil
import subprocess
import sys
import tempfile

ENCODINGS = [("CP866", "cp866", "dos"), ("Windows-1251", "cp1251", "win"),
             ("KOI8-R", "koi8_r", "koi"), ("ISO 8859-5", "iso8859_5", "iso"),
             ("UTF-8", "utf-8", "utf8"), ("Mac Cyrillic", "mac_cyrillic", "mac")]
UKRAINIAN = [("KOI8-U", "koi8_u", "koi8u"), ("CP1125", "cp1125", "cp1125"),
             ("Mac Cyrillic", "mac_cyrillic", "mac"),
             ("Windows-1251", "cp1251", "win"), ("UTF-8", "utf-8", "utf8")]
# The Python codec of each answer.
CODECS = {"dos": "cp866", "win": "cp1251", "koi": "koi8_r", "iso": "iso8859_5",
          "utf8": "utf-8", "mac": "mac_cyrillic", "koi8u": "koi8_u",
          "cp1125": "cp1125"}
CELLS = [(40, False), (100, False), (300, False), (40, True), (100, True),
         (300, True)]


def read_text(path):
    opener = gzip.open if path.endswith(".gz") else open
    with opener(path, "rb") as f:
        return f.read().decode("utf-8", "ignore")


def read_mo(path):
    """The translations of a gettext catalogue, one a line."""
    with open(path, "rb") as f:
        data = f.read()
    magic = struct.unpack("<I", data[:4])[0]
    order = "<" if magic == 0x950412de else ">"
    count, _, strings = struct.unpack(order + "III", data[8:20])
    out = []
    for i in range(count):
        length, offset = struct.unpack(order + "II", data[strings + 8 * i:strings + 8 * i + 8])
        text = data[offset:offset + length].decode("utf-8", "ignore")
        for part in text.split("\0"):
            if sum(map(cyrillic, part)) * 2 >= len(part) > 20:
                out.append(part.replace("%s", "").replace("%d", ""))
    return "\n".join(out)


def cyrillic(ch):
    return "а" <= ch.lower() <= "я" or ch.lower() in "ёіїєґ"


def upper(text):
    return text.upper()


def reads_back(data, answer, text):
    """Whether the bytes read in the answer give the text back."""
    codec = CODECS.get(answer)
    if codec is None:
        return False
    try:
        return data.decode(codec) == text
    except UnicodeDecodeError:
        return False


def excerpts(text, n, count, rng):
    out = []
    for _ in range(count * 50):
        if len(out) == count:
            break
        i = rng.randrange(0, len(text) - n)
        ex = text[i:i + n]
        if "\0" in ex or sum(map(cyrillic, ex)) * 4 < n:
            continue
        out.append(ex)
    return out


BOX = [  # outer corners and lines, inner junctions, as drawn in forms
    ("╔", "╤", "╗", "╟", "┼", "╢", "╚", "╧", "╝", "═", "─", "║", "│"),
    ("┌", "┬", "┐", "├", "┼", "┤", "└", "┴", "┘", "─", "─", "│", "│"),
    ("╔", "╦", "╗", "╠", "╬", "╣", "╚", "╩", "╝", "═", "═", "║", "║"),
]


def form(words, rng):
    """A table framed with box drawing, its cells filled with words."""
    s = BOX[rng.randrange(3)]
    rows, cols = rng.randint(1, 12), rng.randint(1, 5)
    width, fill = rng.randint(4, 33), rng.random()
    ruled = rng.random() < 0.5

    def rule(left, join, right, line):
        return left + join.join([line * (width + 2)] * cols) + right + "\r\n"

    out = rule(s[0], s[1], s[2], s[9])
    for r in range(rows):
        line = s[11]
        for c in range(cols):
            cell = ""
            for _ in range(8):
                w = rng.choice(words)
                if len(cell) + len(w) + 1 <= width and len(cell) < fill * width:
                    cell = (cell + " " + w).strip()
            line += " " + cell.ljust(width) + " " + (s[12] if c + 1 < cols else s[11])
        out += line + "\r\n"
        if ruled and r + 1 < rows:
            out += rule(s[3], s[4], s[5], s[10])
    return out + rule(s[6], s[7], s[8], s[9])


def box_share(text):
    high = [ch for ch in text if ord(ch) > 0x7F]
    return sum("\u2500" <= ch <= "\u259f" for ch in high) / max(1, len(high))


def with_strays(text, strays, rng):
    """UTF-8 of text with `strays` Windows-1251 bytes between characters."""
    data = bytearray(text.encode("utf-8"))
    for _ in range(strays):
        at = rng.randrange(len(data))
        while at < len(data) and data[at] & 0xC0 == 0x80:
            at += 1
        data[at:at] = bytes([rng.choice(b"\xe0\xef\xab\xbb\x97\xe9")])
    return bytes(data)


def hard_cases(text, per, rng):
    """(name, encoding key, bytes) of the harder cases."""
    words = sorted(set(w.lower() for w in text.split() if w.isalpha() and all(map(cyrillic, w))))
    cases = []
    for low, high in ((0.3, 0.6), (0.6, 0.9)):
        made = 0
        while made < per:
            f = form(words, rng)
            if not low <= box_share(f) < high:
                continue
            made += 1
            for codec, key in (("cp866", "dos"), ("koi8_r", "koi")):
                cases.append(("form %d-%d%% box, %s" % (low * 100, high * 100, key), key, f.encode(codec)))
    for ex in excerpts(text, 300, per, rng):
        cases.append(("UTF-8 + 3 stray bytes", "utf8", with_strays(ex, 3, rng)))
    for n in (40, 100, 300):
        for ex in excerpts(text, n, per, rng):
            sequences = sum(1 for ch in ex if ord(ch) > 0x7F)
            cases.append(("UTF-8 %d, 1 stray per 8 seq." % n, "utf8",
                          with_strays(ex, max(1, sequences // 8), rng)))
            cases.append(("UTF-8 %d, 1 stray per seq." % n, "utf8",
                          with_strays(ex, sequences, rng)))
    english = ("This program is free software; you can redistribute it.\n" * 300)[:16384]
    for ex in excerpts(text, 300, per, rng):
        for name, codec, key in ENCODINGS:
            try:
                cases.append(("16 KiB English, then " + name, key,
                              english.encode() + ex.encode(codec)))
            except UnicodeEncodeError:
                pass
    return cases


OURS = {"IBM866": "dos", "windows-1251": "win", "KOI8-R": "koi",
        "ISO-8859-5": "iso", "UTF-8": "utf8", "x-mac-cyrillic": "mac",
        "KOI8-U": "koi8u", "CP1125": "cp1125"}


def batches(paths, size=400):
    for i in range(0, len(paths), size):
        yield paths[i:i + size]


def answers_by_name(lines, paths):
    """The answers of a "PATH: ANSWER" listing, in the order of paths."""
    said = {}
    for line in lines:
        name, sep, answer = line.rpartition(": ")
        if sep:
            said[name] = answer.strip()
    return [said.get(p) for p in paths]


def ours(cli, paths):
    out = {}
    for batch in batches(paths):
        r = subprocess.run([cli, "--json", "--detect"] + batch,
                           capture_output=True, text=True, errors="replace")
        for line in r.stdout.splitlines():
            try:
                record = json.loads(line)
            except ValueError:
                continue
            if record.get("from") and record.get("path"):
                out[record["path"]] = OURS.get(record["from"])
    return [out.get(p) for p in paths]


ENCA = {"IBM866": "dos", "CP1251": "win", "KOI8-R": "koi",
        "ISO-8859-5": "iso", "UTF-8": "utf8", "MACCYRILLIC": "mac",
        "KOI8-U": "koi8u", "CP1125": "cp1125"}
UCHARDET = {"IBM866": "dos", "WINDOWS-1251": "win", "KOI8-R": "koi",
            "ISO-8859-5": "iso", "UTF-8": "utf8", "MAC-CYRILLIC": "mac",
            "KOI8-U": "koi8u"}


def enca(paths, language="russian"):
    out = []
    for batch in batches(paths):
        r = subprocess.run(["enca", "-L", language, "-i"] + batch,
                           capture_output=True, text=True)
        lines = r.stdout.splitlines()
        if len(batch) == 1:
            lines = [batch[0] + ": " + line for line in lines]
        out += [ENCA.get(a) for a in answers_by_name(lines, batch)]
    return out


def uchardet(paths):
    out = []
    for batch in batches(paths):
        r = subprocess.run(["uchardet"] + batch, capture_output=True,
                           text=True)
        lines = r.stdout.splitlines()
        if len(batch) == 1:
            lines = [batch[0] + ": " + line for line in lines]
        out += [UCHARDET.get((a or "").upper())
                for a in answers_by_name(lines, batch)]
    return out


def write_all(work, datas):
    """Each of datas in a file of its own under work; their paths."""
    paths = []
    for i, data in enumerate(datas):
        path = os.path.join(work, "%06d.txt" % i)
        with open(path, "wb") as f:
            f.write(data)
        paths.append(path)
    return paths


def clear(work):
    for name in os.listdir(work):
        os.unlink(os.path.join(work, name))


def table(title, text, encodings, cells, detectors, per, rng, work):
    """Prints one table; returns our worst share, over the cells of 100
    characters or more and over all, and the rows (ours, best peer)."""
    print(title + " (" + " · ".join(name for name, _ in detectors) + ")")
    print("%-22s" % "excerpt" + "".join("%-24s" % e[0] for e in encodings))
    worst = worst_long = 1.0
    gaps = []
    for n, caps in cells:
        cell = excerpts(text, n, per, rng)
        row = "%-22s" % ("%d chars, %s" % (n, "capitals" if caps else "mixed"))
        for name, codec, key in encodings:
            samples = []
            for ex in cell:
                if caps:
                    ex = upper(ex)
                try:
                    samples.append((ex, ex.encode(codec)))
                except UnicodeEncodeError:
                    continue
            total = len(samples)
            clear(work)
            paths = write_all(work, [data for _, data in samples])
            right = [0] * len(detectors)
            for i, (_, detect) in enumerate(detectors):
                for (ex, data), answer in zip(samples, detect(paths)):
                    right[i] += answer == key or reads_back(data, answer, ex)
            if total:
                worst = min(worst, right[0] / total)
                if n >= 100:
                    worst_long = min(worst_long, right[0] / total)
                gaps.append(max([r / total for r in right[1:]] + [0]) - right[0] / total)
            row += "%-24s" % (" · ".join(map(str, right)) + " of %d" % total)
        print(row)
    print()
    return worst, worst_long, max(gaps + [0])


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--cli", required=True)
    ap.add_argument("--per", type=int, default=300)
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--ukrainian", action="append", default=[])
    ap.add_argument("texts", nargs="+")
    args = ap.parse_args()

    text = "\n".join(read_text(p) for p in args.texts if os.path.exists(p))
    ukrainian = "\n".join(read_mo(p) if p.endswith(".mo") else read_text(p)
                          for p in args.ukrainian if os.path.exists(p))
    detectors = [("snpln", lambda p: ours(args.cli, p))]
    uk_detectors = [("snpln", lambda p: ours(args.cli, p))]
    if shutil.which("enca"):
        detectors.append(("enca", enca))
        uk_detectors.append(("enca", lambda p: enca(p, "ukrainian")))
    if shutil.which("uchardet"):
        detectors.append(("uchardet", uchardet))
        uk_detectors.append(("uchardet", uchardet))

    rng = random.Random(args.seed)
    work = tempfile.mkdtemp(prefix="snpln-detect.")
    print("excerpts per cell: %d, seed %d" % (args.per, args.seed))
    try:
        worst, worst_long, gap = table(
            "detection, right answers of n per cell", text, ENCODINGS, CELLS,
            detectors, args.per, rng, work)
        if ukrainian:
            uk_worst, uk_long, uk_gap = table(
                "Ukrainian, right answers of n per cell", ukrainian, UKRAINIAN,
                CELLS, uk_detectors, args.per, rng, work)
            worst_long = min(worst_long, uk_long)
            gap = max(gap, uk_gap)
        print("harder cases, right answers of n (" +
              " · ".join(name for name, _ in detectors) + ")")
        tally = {}
        cases = hard_cases(text, max(10, args.per // 2), rng)
        clear(work)
        paths = write_all(work, [data for _, _, data in cases])
        said = [detect(paths) for _, detect in detectors]
        for j, (name, key, _) in enumerate(cases):
            t = tally.setdefault(name, [0] * (len(detectors) + 1))
            t[-1] += 1
            for i in range(len(detectors)):
                t[i] += said[i][j] == key
        hard_worst = 1.0
        for name, t in tally.items():
            hard_worst = min(hard_worst, t[0] / t[-1])
            gap = max([gap] + [t[i] / t[-1] - t[0] / t[-1] for i in range(1, len(detectors))])
            print("%-34s %s of %d" % (name, " · ".join(map(str, t[:-1])), t[-1]))
    finally:
        shutil.rmtree(work)
    print("snpln, worst cell: %.3f" % worst)
    print("snpln, worst cell of 100 characters or more: %.3f" % worst_long)
    print("snpln, worst harder cell: %.3f" % hard_worst)
    print("peers, most ahead of snpln in a cell: %.3f" % gap)


if __name__ == "__main__":
    sys.exit(main())
