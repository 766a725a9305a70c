#!/usr/bin/env python3
"""Writes a large Russian plain-text file for the benchmarks.

The text is made of sentences drawn from a built-in vocabulary with a fixed
seed, so the same arguments always give the same bytes. Lines end in CR LF;
some lines are indented with blanks, some hold runs of blanks and trailing
blanks, and empty lines come alone or in runs, so the file also serves the
benchmarks of the line-based operations.

    make_text.py [--code dos|win|koi|iso|utf8] [--size MB] [--seed N] OUTPUT
"""

import argparse
import random
import sys

CODECS = {"dos": "cp866", "win": "cp1251", "koi": "koi8_r", "iso": "iso8859_5",
          "utf8": "utf-8"}

WORDS = """
город река берег библиотека книга читатель окно дверь стол кресло утро вечер
зима весна лето осень снег дождь ветер солнце небо поле лес дорога мост дом
улица площадь школа учитель ученик урок экзамен письмо газета журнал страница
слово строка буква число время год месяц неделя день час минута история
работа мастер плотник сосед старик девочка мальчик щенок кошка ёж ёлка
колокольчик подвал чердак лестница крыша печь чайник хлеб молоко яблоко
шёпот съёмка объявление подъезд вьюга изюм фейерверк щётка цапля эхо юла
большой маленький новый старый тёплый холодный тихий громкий светлый тёмный
широкий узкий медный деревянный каменный мягкий жёсткий быстрый медленный
читал писал строил открыл закрыл нашёл принёс унёс помнил забыл спросил
ответил сидел стоял шёл ехал ждал слушал смотрел думал знал любил хранил
и а но или что когда где потому зато если хотя чтобы даже уже ещё только
очень всегда иногда никогда снова вдруг потом тогда здесь там вместе отдельно
""".split()

NAMES = """
Ольга Пётр Фёдор Эдуард Юлия Анна Борис Вера Глеб Дарья Евгений Жанна Зоя
Игорь Кирилл Лариса Мария Никита Олег Павел Роман Светлана Тимур Ульяна
Харитон Цветана Чеслав Шамиль Щукин Яков Ёлкин
""".split()

PUNCT_END = [".", ".", ".", "!", "?", "..."]


def sentence(rng):
    n = rng.randint(4, 14)
    words = [rng.choice(WORDS) for _ in range(n)]
    if rng.random() < 0.3:
        words.insert(rng.randrange(len(words)), rng.choice(NAMES))
    if rng.random() < 0.25:
        words.insert(rng.randrange(len(words)), str(rng.randint(1, 2024)))
    if rng.random() < 0.3:
        i = rng.randrange(1, len(words))
        words[i - 1] += rng.choice([",", ",", ";", ":", " -"])
    if rng.random() < 0.1:
        i = rng.randrange(len(words))
        words[i] = '"' + words[i] + '"'
    text = " ".join(words)
    return text[0].upper() + text[1:] + rng.choice(PUNCT_END)


def paragraph(rng):
    """One paragraph, already cut into CR LF lines."""
    sentences = " ".join(sentence(rng) for _ in range(rng.randint(2, 8)))
    width = rng.randint(60, 100)
    lines, line = [], ""
    for word in sentences.split(" "):
        if line and len(line) + 1 + len(word) > width:
            lines.append(line)
            line = word
        else:
            line = line + " " + word if line else word
    lines.append(line)
    out = []
    for i, text in enumerate(lines):
        r = rng.random()
        if i == 0 and r < 0.3:
            text = " " * rng.choice([4, 8]) + text  # indented first line
        elif r < 0.1:
            cut = text.find(" ")
            if cut > 0:  # a run of blanks inside the line
                text = text[:cut] + " " * rng.randint(2, 12) + text[cut + 1:]
        if rng.random() < 0.1:
            text += " " * rng.randint(1, 6)  # trailing blanks
        out.append(text)
    return "\r\n".join(out) + "\r\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--code", choices=sorted(CODECS), default="dos")
    parser.add_argument("--size", type=float, default=128.0,
                        help="size in MiB (default 128)")
    parser.add_argument("--seed", type=int, default=1987)
    parser.add_argument("output")
    args = parser.parse_args()

    rng = random.Random(args.seed)
    codec = CODECS[args.code]
    # A pool of distinct paragraphs, each already encoded, drawn from at
    # random: the file is varied without building every byte in Python.
    pool = [paragraph(rng).encode(codec) for _ in range(4096)]
    gaps = [b"\r\n", b"\r\n", b"\r\n", b"\r\n\r\n", b"\r\n\r\n\r\n",
            b"\r\n   \r\n\r\n", b"\r\n\r\n\r\n\r\n\r\n"]
    target = int(args.size * 1024 * 1024)
    written = 0
    with open(args.output, "wb") as out:
        chunk = []
        while written < target:
            block = rng.choice(pool) + rng.choice(gaps)
            chunk.append(block)
            written += len(block)
            if len(chunk) >= 4096:
                out.write(b"".join(chunk))
                chunk = []
        out.write(b"".join(chunk))
    return 0


if __name__ == "__main__":
    sys.exit(main())
