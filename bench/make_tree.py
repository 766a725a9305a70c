#!/usr/bin/env python3
"""Writes a directory tree of small Russian text files for the benchmarks.

FILES files of 0.5 to 3 KB each, Windows-1251 sentences with CR LF line
ends, spread over 50 directories of 7 subdirectories each, with a fixed
seed, so the same arguments always give the same tree.

    make_tree.py [--files N] [--seed N] OUTPUT_DIR
"""

import argparse
import os
import random

WORDS = """
город река берег библиотека книга читатель окно дверь стол кресло утро вечер
зима весна лето осень снег дождь ветер солнце небо поле лес дорога мост дом
большой маленький новый старый тёплый холодный тихий громкий светлый тёмный
читал писал строил открыл закрыл нашёл принёс унёс помнил забыл спросил
""".split()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--files", type=int, default=5000)
    parser.add_argument("--seed", type=int, default=7)
    parser.add_argument("output")
    args = parser.parse_args()
    rnd = random.Random(args.seed)
    for i in range(args.files):
        folder = os.path.join(args.output, "d%02d" % (i % 50), "s%d" % (i % 7))
        os.makedirs(folder, exist_ok=True)
        size = rnd.randint(512, 3072)
        chunks, total = [], 0
        while total < size:
            words = [rnd.choice(WORDS) for _ in range(rnd.randint(3, 10))]
            line = (" ".join(words).capitalize() + ".\r\n").encode("cp1251")
            chunks.append(line)
            total += len(line)
        with open(os.path.join(folder, "f%04d.txt" % i), "wb") as out:
            out.write(b"".join(chunks)[:size])


if __name__ == "__main__":
    main()
