#!/usr/bin/env python3
"""Writes engine/repair_model_data.cpp, the Russian model the repair of
garbled text scores its candidates with.

The source is the Russian dictionary of hunspell-ru (Debian package
hunspell-ru, /usr/share/hunspell/ru_RU.dic and .aff, by Alexander I.
Lebedev, under a BSD-style licence: see the package's copyright file).
Every stem is expanded by its suffix rules into its word forms (about 1.4
million), and from those forms, case folded (ё kept apart from е):

- the letter trigram table: for each two letters (or the start of a word)
  the natural logarithm of how likely each letter (or the end of the word)
  follows, in quarters, from the counts over the forms;
- the forms that the trigrams alone would lose where a lost byte of
  Windows-1252 leaves a letter open (Ё, А, Н as capitals; с, э, я as small
  letters), written in small letters or capitalised, and in capitals
  throughout for the forms of up to UPPER_KNOWN_MAX letters: the 32-bit
  FNV-1a hash of each, sorted, so that the repair knows them as words.
  Longer forms in capitals throughout are left to the trigrams: with every
  А and Н open they would more than triple the set, for text that is
  rarely all capitals. The set is written Golomb-Rice coded (the gaps
  between the sorted hashes, a quotient in unary and a remainder of a fixed
  number of bits, most significant bit first), about 19 bits a word
  against 32; the program decodes it once, at its first use.

Beside them stands a short list of the commonest Russian words (function
words and the most frequent forms, as any frequency dictionary of Russian
gives them), written for the program: where two readings are both words
(это and сто) the common one wins.

    tools/make_repair_model.py [--aff PATH] [--dic PATH] [OUTPUT]

The output is the same for the same dictionary; regenerate after a new
hunspell-ru and commit both.
"""

import argparse
import collections
import itertools
import math
import re
import sys

ALPHABET = "абвгдеёжзийклмнопрстуфхцчшщъыьэюя"
INDEX = {c: i + 1 for i, c in enumerate(ALPHABET)}  # 0: a word's edge
SYMBOLS = len(ALPHABET) + 1
SCALE = 4  # quarters of a natural logarithm
FLOOR = -120

# The letters a lost byte of Windows-1252 leaves open, case folded: after
# D0 the capitals Ё А Н, after D1 the small letters с э я.
OPEN_CAPITALS = "ёан"
OPEN_SMALL = "сэя"
# The longest forms the set knows in capitals throughout.
UPPER_KNOWN_MAX = 6

COMMON = """
и в не на я с что а по это он она они мы вы ты оно как к но из у за от о
об для до так же то все всё вся весь всех всем всеми всего если есть
уже ещё еще или бы да нет ни был была было были быть будет будут буду
этот эта эти это этих этим этими этого этой этом этому эту
тот та те того той тем том тех тому ту такой такая такое такие так
сам сама само сами самый самая себя себе собой свой своя своё свои своих
своим своей свою своего своему своими
мой моя моё мои моих мне меня мной нас нам нами вас вам вами его её ее их
него неё нее ним ней ними них нему
сказал сказала сказали стал стала стало стали сразу совсем сейчас снова
сегодня здесь там тут где когда тогда теперь потом всегда никогда иногда
очень тоже также после через около перед между под над при про со без
можно нужно надо может могу мог могла знаю знал сказать стать
время раз день год года лет люди человек дело жизнь слово место сторона
часть вопрос страна сила свет сын семья сестра стол стена сад снег
все-таки несколько сколько столько сто
""".split()


def load_forms(aff, dic):
    rules = collections.defaultdict(list)
    with open(aff, encoding="utf-8") as f:
        for line in f:
            p = line.split()
            if len(p) >= 5 and p[0] == "SFX":
                strip = "" if p[2] == "0" else p[2]
                add = "" if p[3] == "0" else p[3].split("/")[0]
                rules[p[1]].append((strip, add, re.compile("(" + p[4] + ")$")))
    forms = set()
    with open(dic, encoding="utf-8") as f:
        next(f)  # the count
        for line in f:
            line = line.strip()
            if not line:
                continue
            stem, _, flags = line.partition("/")
            forms.add(stem)
            for flag in flags:
                for strip, add, cond in rules.get(flag, ()):
                    if stem.endswith(strip) and cond.search(stem):
                        forms.add(stem[: len(stem) - len(strip)] + add)
    folded = set()
    for w in forms:
        w = w.lower()
        if w and all(c in INDEX for c in w):
            folded.add(w)
    return folded


def fnv1a(word):
    h = 0x811C9DC5
    for c in word:
        h ^= INDEX[c]
        h = (h * 0x01000193) & 0xFFFFFFFF
    return h


def trigram_table(forms):
    counts = collections.Counter()
    for w in forms:
        s = [0, 0] + [INDEX[c] for c in w] + [0]
        for i in range(2, len(s)):
            counts[(s[i - 2], s[i - 1], s[i])] += 1
    context = collections.Counter()
    for (a, b, _), n in counts.items():
        context[(a, b)] += n
    table = []
    for a in range(SYMBOLS):
        for b in range(SYMBOLS):
            total = context.get((a, b), 0)
            for c in range(SYMBOLS):
                n = counts.get((a, b, c), 0)
                p = (n + 0.5) / (total + 0.5 * SYMBOLS)
                table.append(max(FLOOR, round(SCALE * math.log(p))))
    return table


def score(word, table):
    s = [0, 0] + [INDEX[c] for c in word] + [0]
    return sum(
        table[(s[i - 2] * SYMBOLS + s[i - 1]) * SYMBOLS + s[i]]
        for i in range(2, len(s))
    )


def open_views(word):
    """The sets of positions left open in the ways the word is written
    that the set of known words serves: small, capitalised, and all
    capitals for a short word."""
    small = [i for i, c in enumerate(word) if c in OPEN_SMALL]
    capital = ([0] if word[0] in OPEN_CAPITALS else []) + [
        i for i in small if i > 0
    ]
    upper = [i for i, c in enumerate(word) if c in OPEN_CAPITALS]
    if len(word) > UPPER_KNOWN_MAX:
        upper = []
    views = []
    for positions in (small, capital, upper):
        if positions and len(positions) <= 6 and positions not in views:
            views.append(positions)
    return views


def group_of(word, i, positions):
    # Position 0 of a capitalised word, or any position of an all-capitals
    # view, is a capital's; the rest are small letters'.
    return OPEN_CAPITALS if word[i] in OPEN_CAPITALS else OPEN_SMALL


def needed_words(forms, table):
    """Forms that lose to a reading that is no word under the trigrams."""
    needed = set()
    for w in forms:
        for positions in open_views(w):
            groups = [group_of(w, i, positions) for i in positions]
            best, best_score = None, None
            for combo in itertools.product(*groups):
                cand = list(w)
                for i, c in zip(positions, combo):
                    cand[i] = c
                cand = "".join(cand)
                s = score(cand, table)
                if best_score is None or s > best_score:
                    best, best_score = cand, s
            if best != w and best not in forms:
                needed.add(w)
    return needed


def rice_code(values):
    """The sorted distinct values as gaps, Golomb-Rice coded: the parameter
    that codes them shortest, and the bytes."""
    gaps = [b - a for a, b in zip([0] + values, values)]
    best = None
    for k in range(0, 32):
        bits = sum((g >> k) + 1 + k for g in gaps)
        if best is None or bits < best[1]:
            best = (k, bits)
    k = best[0]
    out = bytearray()
    acc = 0
    n = 0
    for g in gaps:
        q = g >> k
        for bit in [1] * q + [0] + [(g >> i) & 1 for i in range(k - 1, -1, -1)]:
            acc = (acc << 1) | bit
            n += 1
            if n == 8:
                out.append(acc)
                acc = 0
                n = 0
    if n:
        out.append(acc << (8 - n))
    return k, bytes(out)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--aff", default="/usr/share/hunspell/ru_RU.aff")
    ap.add_argument("--dic", default="/usr/share/hunspell/ru_RU.dic")
    ap.add_argument("output", nargs="?", default="engine/repair_model_data.cpp")
    args = ap.parse_args()
    forms = load_forms(args.aff, args.dic)
    table = trigram_table(forms)
    needed = sorted({fnv1a(w) for w in needed_words(forms, table)})
    common = []
    for w in COMMON:
        w = w.replace("-", "")
        if w not in common:
            common.append(w)
    common_hashes = sorted({fnv1a(w) for w in common})
    out = []
    out.append("// Generated by tools/make_repair_model.py from hunspell-ru's Russian")
    out.append(f"// dictionary ({len(forms)} word forms); do not edit.")
    out.append("// clang-format off")
    out.append('#include "engine/repair_model.h"')
    out.append("")
    out.append("namespace snpln::engine::repair_model {")
    out.append("")
    out.append(f"const std::int8_t kTrigrams[{len(table)}] = {{")
    for i in range(0, len(table), 24):
        out.append("    " + ",".join(str(v) for v in table[i : i + 24]) + ",")
    out.append("};")
    out.append("")
    out.append(f"const std::uint32_t kCommonWords[{len(common_hashes)}] = {{")
    for i in range(0, len(common_hashes), 8):
        out.append("    " + ",".join(f"0x{h:08x}" for h in common_hashes[i : i + 8]) + ",")
    out.append("};")
    out.append(f"const std::size_t kCommonWordCount = {len(common_hashes)};")
    out.append("")
    rice_bits, code = rice_code(needed)
    out.append(f"const std::uint8_t kKnownWordCode[{len(code)}] = {{")
    for i in range(0, len(code), 24):
        out.append("    " + ",".join(str(b) for b in code[i : i + 24]) + ",")
    out.append("};")
    out.append(f"const std::size_t kKnownWordCodeSize = {len(code)};")
    out.append(f"const std::size_t kKnownWordCount = {len(needed)};")
    out.append(f"const unsigned kKnownWordRiceBits = {rice_bits};")
    out.append("")
    out.append("} // namespace snpln::engine::repair_model")
    with open(args.output, "w", encoding="utf-8") as f:
        f.write("\n".join(out) + "\n")
    print(f"{args.output}: {len(forms)} forms, {len(needed)} known words "
          f"({len(code)} bytes coded), {len(common_hashes)} common words",
          file=sys.stderr)


if __name__ == "__main__":
    main()
