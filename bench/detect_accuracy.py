#!/usr/bin/env python3
"""Detection accuracy on excerpts of real Russian prose.

Cuts excerpts of 40, 100 and 300 characters (each at least a quarter
Cyrillic letters) from the prose at hand, in mixed case and in capitals,
writes each in CP866, Windows-1251, KOI8-R, ISO 8859-5 and UTF-8, and asks
each detector for its answer. Prints one table: right answers of n per
detector, per encoding.

    detect_accuracy.py --cli PATH [--per N] [--seed N] TEXT...

TEXT files are UTF-8 (a .gz is read through gzip). enca and uchardet take
part when they are installed.
"""

import argparse
import gzip
import os
import random
import shutil
import subprocess
import sys
import tempfile

ENCODINGS = [("CP866", "cp866", "dos"), ("Windows-1251", "cp1251", "win"),
             ("KOI8-R", "koi8_r", "koi"), ("ISO 8859-5", "iso8859_5", "iso"),
             ("UTF-8", "utf-8", "utf8")]
CELLS = [(40, False), (100, False), (300, False), (40, True), (100, True),
         (300, True)]


def read_text(path):
    opener = gzip.open if path.endswith(".gz") else open
    with opener(path, "rb") as f:
        return f.read().decode("utf-8", "ignore")


def cyrillic(ch):
    return "а" <= ch.lower() <= "я" or ch.lower() == "ё"


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


def ours(cli, path):
    r = subprocess.run([cli, "--detect", path], capture_output=True, text=True,
                       errors="replace")
    said = r.stdout + r.stderr
    for name, key in (("''Dos''", "dos"), ("''Win1251''", "win"),
                      ("''Koi8''", "koi"), ("''Iso''", "iso"),
                      ("''UTF-8''", "utf8")):
        if name in said:
            return key
    return None


ENCA = {"IBM866": "dos", "CP1251": "win", "KOI8-R": "koi",
        "ISO-8859-5": "iso", "UTF-8": "utf8"}
UCHARDET = {"IBM866": "dos", "WINDOWS-1251": "win", "KOI8-R": "koi",
            "ISO-8859-5": "iso", "UTF-8": "utf8", "MAC-CYRILLIC": "mac"}


def enca(path):
    r = subprocess.run(["enca", "-L", "russian", "-i", path],
                       capture_output=True, text=True)
    return ENCA.get(r.stdout.strip())


def uchardet(path):
    r = subprocess.run(["uchardet", path], capture_output=True, text=True)
    return UCHARDET.get(r.stdout.strip().upper())


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--cli", required=True)
    ap.add_argument("--per", type=int, default=60)
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("texts", nargs="+")
    args = ap.parse_args()

    text = "\n".join(read_text(p) for p in args.texts if os.path.exists(p))
    detectors = [("snpln", lambda p: ours(args.cli, p))]
    if shutil.which("enca"):
        detectors.append(("enca", enca))
    if shutil.which("uchardet"):
        detectors.append(("uchardet", uchardet))

    rng = random.Random(args.seed)
    work = tempfile.mkdtemp(prefix="snpln-detect.")
    path = os.path.join(work, "excerpt.txt")
    print("detection, right answers of n per cell (" +
          " · ".join(name for name, _ in detectors) + ")")
    print("%-22s" % "excerpt" + "".join("%-24s" % e[0] for e in ENCODINGS))
    worst = 1.0
    try:
        for n, caps in CELLS:
            cell = excerpts(text, n, args.per, rng)
            row = "%-22s" % ("%d chars, %s" % (n, "capitals" if caps else "mixed"))
            for _, codec, key in ENCODINGS:
                right = [0] * len(detectors)
                total = 0
                for ex in cell:
                    if caps:
                        ex = ex.upper()
                    try:
                        data = ex.encode(codec)
                    except UnicodeEncodeError:
                        continue
                    with open(path, "wb") as f:
                        f.write(data)
                    total += 1
                    for i, (_, detect) in enumerate(detectors):
                        right[i] += detect(path) == key
                if total:
                    worst = min(worst, right[0] / total)
                row += "%-24s" % (" · ".join(map(str, right)) + " of %d" % total)
            print(row)
    finally:
        shutil.rmtree(work)
    print("snpln, worst cell: %.3f" % worst)


if __name__ == "__main__":
    sys.exit(main())
