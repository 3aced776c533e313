#!/usr/bin/env python3
"""Writes a benchmark's UTF-8 text file: SIZE bytes of prose lines, mostly
English with accented Latin, Greek, Cyrillic, CJK and some emoji mixed in,
well-formed UTF-8 with no mark. A pool of lines made from the phrases below
(the same pool every time) is repeated until the file has its size; a
character the end would cut in two is written as spaces instead.
  bench/utf8-text.py SIZE FILE"""
import random
import sys

ENGLISH = [
    "The meeting moved to Thursday afternoon, after the budget review.",
    "Please keep a copy of the signed form for your own records.",
    "We tested the new layout on three screens and two printers.",
    "Delivery takes five to seven working days within the country.",
    "The river was high after a week of rain, so the path stayed closed.",
    "Notes from the workshop are attached; the slides follow tomorrow.",
    "Add the flour slowly and stir until the batter is smooth.",
    "Our office is on the second floor, next to the library.",
    "The results match last year's figures within two percent.",
    "She packed a map, a torch and enough water for the whole day.",
]
OTHERS = [
    "Le café est fermé le dimanche, mais la boulangerie reste ouverte.",
    "Die Übersetzung muss bis Freitag fertig sein, später geht es nicht.",
    "El niño leyó la canción en voz alta después de la cena.",
    "A reunião começa às nove; não se esqueça do relatório.",
    "Zażółć gęślą jaźń — to zdanie ma wszystkie polskie litery.",
    "Příliš žluťoučký kůň úpěl ďábelské ódy.",
    "Η συνάντηση μεταφέρθηκε για την Πέμπτη το απόγευμα.",
    "Ευχαριστούμε για την άμεση απάντηση στο ερώτημά μας.",
    "Встреча перенесена на четверг, после обсуждения бюджета.",
    "Пожалуйста, сохраните копию подписанного документа.",
    "会议改到星期四下午，在预算审查之后。",
    "請保留一份已簽署表格的副本。",
    "明日の会議は十時から始まります。資料を忘れないでください。",
    "새로운 디자인을 세 개의 화면에서 시험했습니다.",
    "Thanks for the help! 🙂",
    "Shipped today 📦 and on its way 🚚.",
    "Great work, everyone 🎉👏",
    "Café, naïve, façade, jalapeño, smörgåsbord, crème brûlée.",
]


def pool():
    lines = random.Random(1)
    text = []
    for _ in range(4000):
        phrases = [lines.choice(ENGLISH) for _ in range(lines.randint(1, 3))]
        phrases.insert(lines.randint(0, len(phrases)), lines.choice(OTHERS))
        text.append(" ".join(phrases) + "\n")
    return "".join(text).encode("utf-8")


def main():
    size, name = int(sys.argv[1]), sys.argv[2]
    lines = pool()
    with open(name, "wb") as out:
        while size >= len(lines):
            out.write(lines)
            size -= len(lines)
        end = lines[:size].decode("utf-8", "ignore").encode("utf-8")
        out.write(end + b" " * (size - len(end)))


main()
