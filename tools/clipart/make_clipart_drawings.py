#!/usr/bin/env python3
"""Draws the shipped clip-art collection as SVG, one file per picture, and writes the manifest
pw_make_clipart turns into the content library: one line per picture with its file name, its
format (png, jpg, pdf or hpi), its category, its caption and its keywords, separated by tabs.

Every drawing is made of simple shapes on a 200 x 200 canvas: 160 different motifs, 20 in each of
8 categories, each drawn as what its caption says. A motif's keywords are its caption words, a
few words of its own that no caption uses, and its category; so a search for a caption word finds
exactly the pictures whose captions hold it."""
import math
import os
import re
import sys


def svg(body):
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="200" height="200" viewBox="0 0 200 200">'
            + body + '</svg>\n')


def attrs(fill="none", stroke=None, width=None, extra=""):
    a = ' fill="%s"' % fill
    if stroke:
        a += ' stroke="%s" stroke-width="%s"' % (stroke, width or 4)
    return a + extra


def circle(cx, cy, r, fill="none", stroke=None, width=None, extra=""):
    return '<circle cx="%g" cy="%g" r="%g"%s/>' % (cx, cy, r, attrs(fill, stroke, width, extra))


def ellipse(cx, cy, rx, ry, fill="none", stroke=None, width=None, extra=""):
    return '<ellipse cx="%g" cy="%g" rx="%g" ry="%g"%s/>' % (cx, cy, rx, ry, attrs(fill, stroke, width, extra))


def rect(x, y, w, h, fill="none", stroke=None, width=None, rx=0, extra=""):
    return '<rect x="%g" y="%g" width="%g" height="%g" rx="%g"%s/>' % (x, y, w, h, rx, attrs(fill, stroke, width, extra))


def poly(points, fill="none", stroke=None, width=None, extra=""):
    pts = " ".join("%g,%g" % p for p in points)
    return '<polygon points="%s"%s/>' % (pts, attrs(fill, stroke, width, extra))


def path(d, fill="none", stroke=None, width=None, extra=""):
    if "stroke-linecap" not in extra:
        extra += ' stroke-linecap="round" stroke-linejoin="round"'
    return '<path d="%s"%s/>' % (d, attrs(fill, stroke, width, extra))


def line(x1, y1, x2, y2, stroke, width=4):
    return '<line x1="%g" y1="%g" x2="%g" y2="%g" stroke="%s" stroke-width="%g" stroke-linecap="round"/>' % (
        x1, y1, x2, y2, stroke, width)


def star(cx, cy, outer, inner, n=5, turn=-90):
    pts = []
    for i in range(2 * n):
        r = outer if i % 2 == 0 else inner
        a = math.radians(turn) + math.pi / n * i
        pts.append((round(cx + r * math.cos(a), 1), round(cy + r * math.sin(a), 1)))
    return pts


def heart(cx, cy, s, fill):
    """A heart of width about 2s centred on (cx, cy)."""
    return path("M%g %g C%g %g %g %g %g %g C%g %g %g %g %g %g Z" % (
        cx, cy + s * 0.9,
        cx - s * 1.6, cy - s * 0.1, cx - s * 0.6, cy - s * 1.2, cx, cy - s * 0.45,
        cx + s * 0.6, cy - s * 1.2, cx + s * 1.6, cy - s * 0.1, cx, cy + s * 0.9), fill)


def flower(cx, cy, r, petals, fill, centre="#f2c500", n=6, outline=None, heart=0.8):
    body = "".join(circle(cx + r * math.cos(2 * math.pi * i / n), cy + r * math.sin(2 * math.pi * i / n), petals, fill,
                          outline, 2 if outline else None)
                   for i in range(n))
    return body + circle(cx, cy, r * heart, centre)


def around(step, draw, inset=15):
    """The drawing repeated along the four edges of the canvas."""
    body = ""
    positions = list(range(inset, 200 - inset + 1, step))
    for x in positions:
        body += draw(x, inset) + draw(x, 200 - inset)
    for y in positions[1:-1]:
        body += draw(inset, y) + draw(200 - inset, y)
    return body


BROWN = "#7a4a1e"
GREEN = "#2f9e44"
DARK = "#222222"
GOLD = "#f2c500"
RED = "#d62828"
BLUE = "#2a6fdb"
ORANGE = "#f08c00"
WHITE = "#ffffff"
GREY = "#888888"
PINK = "#f48fb1"

# Each motif: (file stem, caption, own keywords, drawing)
MOTIFS = {
    "Holidays": [
        ("christmastree", "Christmas tree", "fir xmas decorated",
         rect(90, 150, 20, 30, BROWN) + poly([(100, 25), (160, 150), (40, 150)], GREEN)
         + circle(80, 120, 6, RED) + circle(118, 100, 6, GOLD) + circle(100, 135, 6, BLUE) + poly(star(100, 27, 15, 6), GOLD)),
        ("stocking", "Christmas stocking", "sock fireplace xmas",
         path("M70 30 L130 30 L130 120 L150 140 Q160 175 120 175 L80 175 Q60 170 70 140 Z", RED)
         + rect(65, 25, 70, 25, WHITE, "#cccccc", 2)),
        ("giftbox", "Gift box", "present parcel wrapped",
         rect(40, 80, 120, 95, "#8e44ad") + rect(32, 60, 136, 25, "#5b2671") + rect(92, 60, 16, 115, GOLD)
         + ellipse(82, 50, 18, 10, GOLD) + ellipse(118, 50, 18, 10, GOLD)),
        ("candle", "Candle", "wax flame advent",
         rect(80, 85, 40, 95, "#f5f0e1", "#c9b88a", 3) + line(100, 85, 100, 70, DARK, 3)
         + path("M100 30 Q120 60 100 72 Q80 60 100 30Z", ORANGE) + path("M100 48 Q108 62 100 68 Q92 62 100 48Z", GOLD)),
        ("snowman", "Snowman", "frosty winter snowballs",
         circle(100, 145, 42, WHITE, "#999999", 3) + circle(100, 78, 30, WHITE, "#999999", 3)
         + rect(75, 28, 50, 25, DARK) + rect(65, 50, 70, 6, DARK) + circle(90, 72, 3, DARK) + circle(110, 72, 3, DARK)
         + poly([(100, 80), (124, 86), (100, 90)], ORANGE) + circle(100, 130, 4, DARK) + circle(100, 150, 4, DARK)),
        ("pumpkin", "Carved pumpkin", "halloween lantern jack",
         ellipse(100, 115, 75, 58, ORANGE, "#9c5a00", 4) + rect(92, 45, 16, 22, GREEN)
         + poly([(65, 95), (85, 95), (75, 80)], DARK) + poly([(115, 95), (135, 95), (125, 80)], DARK)
         + path("M60 125 L75 140 L90 128 L105 142 L120 128 L140 125 L120 155 L80 155 Z", DARK)),
        ("valentine", "Valentine heart", "love romance sweetheart",
         heart(100, 100, 55, RED) + heart(100, 97, 30, PINK)),
        ("easteregg", "Easter egg", "painted spring dyed",
         ellipse(100, 105, 55, 75, "#8fd3fe") + path("M48 90 L70 75 L90 90 L110 75 L130 90 L152 75", "none", WHITE, 7)
         + path("M47 125 Q100 105 153 125", "none", PINK, 8) + circle(80, 150, 6, GOLD) + circle(120, 150, 6, GOLD)),
        ("bell", "Bell", "ring chime jingle",
         path("M50 150 Q52 60 100 45 Q148 60 150 150 Z", GOLD, "#a88700", 3) + rect(45, 145, 110, 10, "#a88700", rx=4)
         + circle(100, 165, 12, "#a88700") + circle(100, 38, 8, "none", "#a88700", 4)),
        ("balloons", "Party balloons", "celebration festive bunch",
         ellipse(70, 70, 30, 38, RED) + ellipse(130, 65, 30, 38, BLUE) + ellipse(100, 95, 30, 38, GOLD)
         + path("M70 108 Q90 150 100 185 M130 103 Q110 150 100 185 M100 133 L100 185", "none", "#555555", 2)),
        ("birthdaycake", "Birthday cake", "candles anniversary",
         rect(40, 100, 120, 70, "#f4c2c2") + rect(40, 100, 120, 15, WHITE) + rect(30, 168, 140, 8, "#cccccc")
         + "".join(rect(x, 70, 8, 30, BLUE) + path("M%g 55 Q%g 65 %g 70 Q%g 65 %g 55Z" % (x + 4, x + 10, x + 4, x - 2, x + 4), ORANGE)
                   for x in (64, 96, 128))),
        ("candycane", "Candy cane", "peppermint stripy",
         path("M120 185 L120 60 Q120 25 90 25 Q60 25 60 55", "none", RED, 22)
         + path("M120 170 L120 150 M120 130 L120 110 M120 90 L120 70 M107 32 L95 27 M68 40 L62 52", "none", WHITE, 22,
                ' stroke-linecap="butt"')),
        ("wreath", "Wreath", "holly garland door",
         circle(100, 100, 60, "none", GREEN, 30) + "".join(circle(100 + 60 * math.cos(a), 100 + 60 * math.sin(a), 6, RED)
                                                          for a in (0.3, 1.4, 2.5, 3.6, 4.7, 5.8))
         + poly([(100, 150), (75, 135), (75, 175)], RED) + poly([(100, 150), (125, 135), (125, 175)], RED) + circle(100, 155, 8, "#8a1414")),
        ("fireworks", "Fireworks", "rockets newyear sparkle",
         "".join(line(cx, cy, cx + r * math.cos(2 * math.pi * i / 12), cy + r * math.sin(2 * math.pi * i / 12), c, 4)
                 for cx, cy, r, c in ((70, 70, 45, RED), (140, 110, 40, BLUE), (80, 150, 30, GOLD)) for i in range(12))),
        ("partyhat", "Party hat", "cone celebration",
         poly([(100, 25), (150, 170), (50, 170)], "#2a9d8f") + circle(100, 22, 12, GOLD)
         + "".join(circle(x, y, 6, c) for x, y, c in ((100, 70, GOLD), (85, 110, RED), (115, 120, WHITE), (95, 150, GOLD), (125, 155, RED)))),
        ("easterbunny", "Easter bunny", "rabbit hare spring",
         ellipse(75, 55, 14, 45, "#dddddd", "#aaaaaa", 3) + ellipse(125, 55, 14, 45, "#dddddd", "#aaaaaa", 3)
         + ellipse(75, 58, 6, 32, PINK) + ellipse(125, 58, 6, 32, PINK)
         + circle(100, 130, 50, "#eeeeee", "#aaaaaa", 3) + circle(82, 120, 6, DARK) + circle(118, 120, 6, DARK)
         + poly([(93, 138), (107, 138), (100, 146)], PINK) + line(60, 145, 85, 142, GREY, 2) + line(115, 142, 140, 145, GREY, 2)),
        ("bauble", "Tree bauble", "ornament bulbous trinket",
         circle(100, 115, 60, "#c0392b") + rect(88, 40, 24, 18, GOLD) + circle(100, 33, 8, "none", GREY, 3)
         + path("M45 110 Q100 140 155 110", "none", GOLD, 6) + ellipse(78, 90, 10, 16, "#f5b7b1")),
        ("gingerbread", "Gingerbread man", "cookie biscuit baked",
         circle(100, 50, 28, "#b5651d") + rect(70, 75, 60, 70, "#b5651d", rx=20)
         + ellipse(55, 100, 28, 14, "#b5651d") + ellipse(145, 100, 28, 14, "#b5651d")
         + ellipse(80, 160, 16, 28, "#b5651d") + ellipse(120, 160, 16, 28, "#b5651d")
         + circle(90, 45, 4, WHITE) + circle(110, 45, 4, WHITE) + path("M88 60 Q100 70 112 60", "none", WHITE, 3)
         + circle(100, 95, 5, RED) + circle(100, 118, 5, RED)),
        ("witchhat", "Witch hat", "halloween spooky",
         ellipse(100, 160, 85, 18, DARK) + poly([(60, 160), (110, 25), (145, 160)], "#333344")
         + rect(64, 135, 78, 15, "#8e44ad")),
        ("shamrock", "Shamrock", "clover luck irish",
         circle(100, 65, 30, GREEN) + circle(70, 110, 30, GREEN) + circle(130, 110, 30, GREEN)
         + path("M100 105 Q105 150 125 185", "none", "#1b5e27", 8)),
    ],
    "Animals": [
        ("cat", "Cat", "kitten pet whiskers",
         circle(100, 110, 55, GREY) + poly([(55, 85), (62, 30), (95, 62)], GREY) + poly([(145, 85), (138, 30), (105, 62)], GREY)
         + ellipse(80, 105, 8, 11, "#c8e06c") + ellipse(120, 105, 8, 11, "#c8e06c") + poly([(94, 125), (106, 125), (100, 132)], PINK)
         + line(40, 125, 80, 130, DARK, 2) + line(120, 130, 160, 125, DARK, 2)),
        ("dog", "Dog", "puppy pet hound",
         circle(100, 105, 55, "#c8a165") + ellipse(48, 100, 18, 42, BROWN) + ellipse(152, 100, 18, 42, BROWN)
         + circle(80, 95, 7, DARK) + circle(120, 95, 7, DARK) + ellipse(100, 128, 14, 10, DARK)
         + path("M100 138 L100 148 M88 150 Q100 160 112 150", "none", DARK, 3)),
        ("fish", "Fish", "aquarium goldfish fins",
         ellipse(90, 100, 60, 35, ORANGE) + poly([(145, 100), (185, 65), (185, 135)], "#9c5a00") + circle(60, 92, 7, WHITE)
         + circle(60, 92, 3, DARK) + path("M90 70 Q100 100 90 130", "none", "#9c5a00", 3)),
        ("bird", "Bird", "songbird robin feathers",
         ellipse(95, 115, 55, 40, BLUE) + circle(140, 80, 25, BLUE) + poly([(163, 78), (190, 85), (163, 92)], ORANGE)
         + circle(145, 75, 4, DARK) + path("M65 105 Q95 60 120 105Z", "#173f80") + line(90, 155, 85, 180, ORANGE, 4) + line(110, 155, 115, 180, ORANGE, 4)),
        ("turtle", "Turtle", "tortoise shell reptile",
         ellipse(100, 110, 62, 42, "#6a994e") + path("M70 90 L130 90 L145 110 L130 130 L70 130 L55 110 Z", "none", "#386641", 4)
         + circle(170, 105, 18, "#a7c957") + circle(175, 100, 3, DARK)
         + ellipse(60, 150, 12, 8, "#a7c957") + ellipse(140, 150, 12, 8, "#a7c957")),
        ("mouse", "Mouse", "rodent squeak",
         ellipse(95, 125, 55, 38, "#9e9e9e") + circle(55, 80, 22, "#bdbdbd") + circle(55, 80, 12, PINK)
         + circle(110, 80, 22, "#bdbdbd") + circle(110, 80, 12, PINK) + circle(75, 115, 4, DARK) + circle(45, 130, 5, PINK)
         + path("M150 130 Q190 140 175 185", "none", "#9e9e9e", 4)),
        ("butterfly", "Butterfly", "wings moth insect",
         ellipse(65, 80, 40, 35, "#8e44ad") + ellipse(135, 80, 40, 35, "#8e44ad") + ellipse(70, 140, 30, 25, "#c39bd3")
         + ellipse(130, 140, 30, 25, "#c39bd3") + ellipse(100, 110, 7, 55, DARK) + path("M97 58 Q85 30 75 28 M103 58 Q115 30 125 28", "none", DARK, 3)),
        ("snail", "Snail", "slow garden shell",
         path("M25 160 L165 160 Q175 145 160 135 L40 140 Q20 145 25 160Z", "#c8a165") + circle(105, 105, 45, "#d4a373")
         + path("M105 105 m-5 0 a5 5 0 1 1 10 0 a15 15 0 1 1 -30 0 a25 25 0 1 1 50 0 a35 35 0 1 1 -70 0", "none", BROWN, 4)
         + line(160, 135, 165, 110, "#c8a165", 4) + line(150, 135, 150, 110, "#c8a165", 4)),
        ("owl", "Owl", "hoot nocturnal",
         ellipse(100, 110, 58, 70, "#8d6e63") + circle(75, 90, 20, WHITE) + circle(125, 90, 20, WHITE)
         + circle(75, 90, 8, DARK) + circle(125, 90, 8, DARK) + poly([(92, 110), (108, 110), (100, 125)], ORANGE)
         + poly([(50, 45), (70, 70), (55, 75)], "#8d6e63") + poly([(150, 45), (130, 70), (145, 75)], "#8d6e63")),
        ("pawprint", "Paw print", "footprint track",
         ellipse(100, 130, 40, 32, "#5d4037") + circle(55, 80, 16, "#5d4037") + circle(85, 55, 16, "#5d4037")
         + circle(115, 55, 16, "#5d4037") + circle(145, 80, 16, "#5d4037")),
        ("bee", "Bee", "honey buzz insect",
         ellipse(70, 75, 25, 35, "#d6eaf8", "#85c1e9", 2) + ellipse(125, 75, 25, 35, "#d6eaf8", "#85c1e9", 2)
         + ellipse(100, 120, 55, 38, GOLD) + rect(80, 84, 14, 72, DARK) + rect(110, 84, 14, 72, DARK)
         + circle(150, 110, 4, DARK) + poly([(45, 120), (30, 120), (47, 128)], DARK)),
        ("ladybug", "Ladybug", "ladybird beetle spots",
         circle(100, 115, 60, RED) + circle(100, 60, 25, DARK) + line(100, 55, 100, 175, DARK, 4)
         + "".join(circle(x, y, 10, DARK) for x, y in ((70, 95), (130, 95), (65, 140), (135, 140), (85, 165), (115, 165)))),
        ("pig", "Pig", "piglet farm oink",
         circle(100, 105, 60, PINK) + poly([(55, 60), (60, 25), (85, 50)], PINK) + poly([(145, 60), (140, 25), (115, 50)], PINK)
         + ellipse(100, 125, 25, 17, "#f06292") + circle(92, 125, 5, "#880e4f") + circle(108, 125, 5, "#880e4f")
         + circle(78, 90, 6, DARK) + circle(122, 90, 6, DARK)),
        ("frog", "Frog", "toad pond amphibian",
         ellipse(100, 125, 70, 48, "#43a047") + circle(70, 75, 22, "#43a047") + circle(130, 75, 22, "#43a047")
         + circle(70, 72, 11, WHITE) + circle(130, 72, 11, WHITE) + circle(70, 72, 5, DARK) + circle(130, 72, 5, DARK)
         + path("M65 130 Q100 155 135 130", "none", "#1b5e20", 5)),
        ("duck", "Duck", "duckling quack",
         ellipse(95, 135, 60, 35, GOLD) + circle(135, 80, 28, GOLD) + poly([(160, 80), (192, 88), (160, 96)], ORANGE)
         + circle(140, 72, 5, DARK) + path("M60 125 Q90 100 115 130", "none", "#c9a100", 5)),
        ("penguin", "Penguin", "antarctic flightless",
         ellipse(100, 115, 48, 70, DARK) + ellipse(100, 125, 32, 55, WHITE) + circle(85, 70, 6, WHITE) + circle(115, 70, 6, WHITE)
         + circle(85, 70, 3, DARK) + circle(115, 70, 3, DARK) + poly([(92, 82), (108, 82), (100, 95)], ORANGE)
         + ellipse(82, 185, 15, 7, ORANGE) + ellipse(118, 185, 15, 7, ORANGE)),
        ("elephant", "Elephant", "trunk tusks jumbo",
         ellipse(105, 110, 55, 50, "#90a4ae") + ellipse(55, 100, 32, 42, "#b0bec5") + ellipse(155, 100, 32, 42, "#b0bec5")
         + path("M105 130 Q105 175 130 180", "none", "#90a4ae", 22) + circle(88, 100, 6, DARK) + circle(122, 100, 6, DARK)
         + path("M85 140 Q78 160 90 165", "none", WHITE, 6)),
        ("whale", "Whale", "marine mammal spout",
         path("M20 120 Q30 70 100 70 Q160 70 165 110 L190 85 L190 140 L165 125 Q150 160 90 160 Q30 160 20 120Z", BLUE)
         + circle(60, 105, 6, DARK) + path("M85 60 Q80 35 70 30 M85 60 Q90 35 100 30", "none", "#85c1e9", 5)
         + path("M30 130 Q100 145 160 125", "none", "#aed6f1", 5)),
        ("crab", "Crab", "claws shellfish beach",
         ellipse(100, 120, 55, 35, RED) + circle(45, 60, 20, RED) + circle(155, 60, 20, RED)
         + poly([(40, 50), (60, 60), (40, 62)], WHITE) + poly([(160, 50), (140, 60), (160, 62)], WHITE)
         + line(70, 100, 50, 75, RED, 8) + line(130, 100, 150, 75, RED, 8)
         + "".join(line(100 + s * 45, 130 + k * 12, 100 + s * 80, 145 + k * 15, RED, 6) for s in (-1, 1) for k in (0, 1, 2))
         + circle(88, 100, 6, DARK) + circle(112, 100, 6, DARK)),
        ("bear", "Bear", "teddy grizzly cub",
         circle(100, 110, 60, "#8d5524") + circle(52, 58, 22, "#8d5524") + circle(148, 58, 22, "#8d5524")
         + circle(52, 58, 11, "#c68642") + circle(148, 58, 11, "#c68642") + ellipse(100, 130, 28, 22, "#c68642")
         + ellipse(100, 122, 10, 7, DARK) + circle(78, 95, 6, DARK) + circle(122, 95, 6, DARK)),
    ],
    "Food": [
        ("apple", "Apple", "fruit orchard crunchy",
         path("M100 65 Q60 40 40 80 Q25 140 70 175 Q100 185 130 175 Q175 140 160 80 Q140 40 100 65Z", RED)
         + line(100, 65, 105, 35, BROWN, 6) + ellipse(122, 42, 20, 9, GREEN)),
        ("pear", "Pear", "fruit juicy",
         circle(100, 135, 45, "#c0ca33") + circle(100, 80, 28, "#c0ca33") + line(100, 55, 103, 30, BROWN, 6) + ellipse(120, 38, 16, 7, GREEN)),
        ("cherries", "Cherries", "fruit stones pair",
         circle(65, 140, 30, "#b71c1c") + circle(135, 145, 30, "#b71c1c") + path("M65 110 Q90 45 120 30 M135 115 Q125 60 120 30", "none", GREEN, 5)
         + ellipse(135, 32, 20, 8, GREEN) + circle(56, 130, 6, "#ef9a9a") + circle(126, 135, 6, "#ef9a9a")),
        ("banana", "Banana", "fruit peel tropical",
         path("M40 60 Q50 160 160 150 Q170 140 160 135 Q80 140 60 55 Z", GOLD, "#a88700", 3) + rect(35, 45, 14, 18, BROWN, rx=3)),
        ("grapes", "Grapes", "bunch vine wine",
         "".join(circle(x, y, 17, "#6a1b9a", "#4a148c", 2) for x, y in ((65, 75), (100, 75), (135, 75), (82, 105), (118, 105), (100, 135), (100, 165)))
         + line(100, 62, 105, 30, BROWN, 5) + ellipse(125, 45, 22, 12, GREEN)),
        ("strawberry", "Strawberry", "berry summer fruit",
         path("M45 75 Q100 55 155 75 Q150 150 100 185 Q50 150 45 75Z", "#e53935")
         + "".join(ellipse(x, y, 3, 5, GOLD) for x, y in ((70, 95), (100, 90), (130, 95), (85, 120), (115, 120), (100, 150)))
         + poly(star(100, 65, 35, 14, 5, 90), GREEN)),
        ("lemon", "Lemon", "citrus sour",
         ellipse(100, 100, 70, 50, "#fdd835", "#c6a700", 4) + ellipse(28, 100, 8, 10, "#fdd835") + ellipse(172, 100, 8, 10, "#fdd835")
         + ellipse(80, 85, 18, 8, "#fff59d")),
        ("watermelon", "Watermelon slice", "melon summer juicy",
         path("M20 80 A80 80 0 0 0 180 80 Z", "#2e7d32") + path("M30 80 A70 70 0 0 0 170 80 Z", "#ef5350")
         + "".join(ellipse(x, y, 3, 6, DARK) for x, y in ((65, 100), (90, 115), (115, 115), (140, 100), (100, 135), (78, 128), (122, 128)))),
        ("carrot", "Carrot", "vegetable root orange",
         poly([(75, 60), (125, 60), (100, 190)], ORANGE) + path("M100 60 L80 20 M100 60 L100 15 M100 60 L120 20", "none", GREEN, 9)
         + line(85, 90, 100, 92, "#c66900", 3) + line(102, 120, 112, 118, "#c66900", 3)),
        ("tomato", "Tomato", "vegetable salad ripe",
         circle(100, 110, 65, "#e53935") + poly(star(100, 50, 30, 10, 5, 90), GREEN) + line(100, 50, 100, 30, GREEN, 6)
         + ellipse(75, 90, 12, 18, "#ef9a9a")),
        ("cupcake", "Cupcake", "muffin frosting dessert",
         poly([(55, 110), (145, 110), (130, 180), (70, 180)], "#8d6e63") + path("M50 110 Q40 75 75 70 Q85 40 115 50 Q150 55 150 110 Z", PINK)
         + circle(110, 40, 12, RED) + "".join(rect(x, 120, 4, 55, "#6d4c41") for x in (80, 98, 116))),
        ("coffeecup", "Coffee cup", "mug espresso brew",
         rect(45, 75, 90, 95, WHITE, "#6d4c41", 6, rx=10) + path("M135 95 Q175 105 135 145", "none", "#6d4c41", 10)
         + ellipse(90, 78, 42, 8, "#6d4c41") + path("M75 60 Q65 45 75 30 M100 60 Q90 45 100 30", "none", "#aaaaaa", 4)),
        ("icecream", "Ice cream", "cone scoop gelato",
         poly([(65, 100), (135, 100), (100, 190)], "#d9a35b") + path("M70 120 L120 160 M130 120 L85 165", "none", "#b5813c", 3)
         + circle(100, 80, 40, "#f8bbd0") + circle(100, 42, 24, "#a1887f") + circle(100, 18, 8, RED)),
        ("pizza", "Pizza slice", "mozzarella pepperoni italian",
         poly([(100, 185), (35, 45), (165, 45)], GOLD) + rect(30, 30, 140, 20, "#c8a165", rx=8)
         + circle(90, 80, 12, RED) + circle(125, 95, 12, RED) + circle(100, 130, 10, RED)),
        ("bread", "Bread loaf", "bakery baked sliced",
         path("M25 170 L25 95 Q25 45 100 45 Q175 45 175 95 L175 170 Z", "#d9a35b", "#8d6e63", 5)
         + path("M60 70 L75 85 M95 62 L110 77 M130 70 L145 85", "none", "#8d6e63", 4)),
        ("lollipop", "Lollipop", "sweet swirl sucker",
         rect(96, 110, 8, 85, "#bbbbbb") + circle(100, 75, 52, "#e91e63")
         + path("M100 75 m-8 0 a8 8 0 1 1 16 0 a20 20 0 1 1 -40 0 a32 32 0 1 1 64 0", "none", WHITE, 6)),
        ("donut", "Donut", "doughnut glazed sprinkles",
         circle(100, 100, 60, "none", "#d9a35b", 50) + circle(100, 100, 60, "none", "#f48fb1", 38)
         + "".join(line(100 + 60 * math.cos(a), 100 + 60 * math.sin(a), 100 + 66 * math.cos(a + 0.1), 100 + 66 * math.sin(a + 0.1), c, 4)
                   for a, c in ((0.2, BLUE), (1.1, GOLD), (2.0, WHITE), (3.0, GREEN), (3.9, BLUE), (4.8, GOLD), (5.6, WHITE)))),
        ("cheese", "Cheese wedge", "dairy holes cheddar",
         poly([(25, 150), (175, 150), (175, 80), (25, 130)], "#fbc02d") + poly([(25, 130), (175, 80), (150, 60)], "#fdd835")
         + circle(70, 135, 9, "#f9a825") + circle(120, 120, 12, "#f9a825") + circle(155, 135, 7, "#f9a825")),
        ("friedegg", "Fried egg", "breakfast yolk sunny",
         path("M40 100 Q30 50 90 45 Q150 30 165 90 Q180 150 120 160 Q50 175 40 100Z", WHITE, "#dddddd", 3) + circle(105, 100, 30, "#fbc02d")),
        ("hamburger", "Hamburger", "burger bun patty",
         path("M35 95 Q35 40 100 40 Q165 40 165 95 Z", "#e0a050") + rect(30, 95, 140, 12, GREEN, rx=6)
         + rect(35, 107, 130, 22, "#6d4c41", rx=8) + rect(35, 129, 130, 8, GOLD) + rect(35, 137, 130, 28, "#e0a050", rx=10)
         + circle(80, 60, 3, WHITE) + circle(110, 55, 3, WHITE) + circle(130, 70, 3, WHITE)),
    ],
    "Office": [
        ("pencil", "Pencil", "write sketch graphite",
         poly([(40, 170), (55, 130), (150, 35), (165, 50), (70, 145)], GOLD) + poly([(40, 170), (55, 130), (70, 145)], "#f2d3a0")
         + poly([(40, 170), (47, 150), (60, 163)], DARK) + poly([(150, 35), (165, 50), (175, 40), (160, 25)], PINK)),
        ("envelope", "Envelope", "letter mail correspondence",
         rect(25, 55, 150, 95, "#f5f5dc", "#8a7f5a", 4) + path("M25 55 L100 115 L175 55", "none", "#8a7f5a", 5)
         + rect(140, 65, 25, 20, RED)),
        ("paperclip", "Paper clip", "fastener wire attach",
         path("M80 160 L80 50 Q80 30 100 30 Q120 30 120 50 L120 140 Q120 155 105 155 Q92 155 92 140 L92 70", "none", "#78909c", 8)),
        ("folder", "Folder", "documents files archive",
         path("M25 60 L80 60 L95 75 L175 75 L175 165 L25 165 Z", "#f9a825") + rect(25, 85, 150, 80, "#fbc02d")),
        ("wallclock", "Wall clock", "time hours minutes",
         circle(100, 100, 75, WHITE, DARK, 10) + "".join(line(100 + 60 * math.cos(a), 100 + 60 * math.sin(a), 100 + 68 * math.cos(a), 100 + 68 * math.sin(a), DARK, 4)
                                                          for a in [i * math.pi / 6 for i in range(12)])
         + line(100, 100, 100, 50, DARK, 7) + line(100, 100, 135, 115, DARK, 6) + circle(100, 100, 6, RED)),
        ("calendar", "Calendar", "date month schedule",
         rect(35, 45, 130, 125, WHITE, "#555555", 4) + rect(35, 45, 130, 30, RED) + rect(60, 33, 8, 25, DARK) + rect(132, 33, 8, 25, DARK)
         + "".join(rect(45 + 23 * c, 85 + 20 * r, 15, 13, "#90caf9") for r in range(4) for c in range(5))),
        ("postagestamp", "Postage stamp", "philately franking",
         rect(45, 35, 110, 130, WHITE, GREY, 6, extra=' stroke-dasharray="8 5"') + rect(60, 50, 80, 100, "#bbdefb")
         + poly([(60, 150), (90, 100), (110, 130), (125, 110), (140, 150)], GREEN) + circle(120, 75, 12, GOLD)),
        ("scissors", "Scissors", "shears snip",
         circle(60, 150, 22, "none", RED, 8) + circle(140, 150, 22, "none", RED, 8)
         + path("M72 132 L140 30 M128 132 L60 30", "none", GREY, 9) + circle(100, 90, 5, DARK)),
        ("telephone", "Telephone", "handset dial ringing",
         rect(45, 95, 110, 75, "#c62828", rx=12) + path("M30 85 Q100 35 170 85", "none", "#8e0000", 22)
         + circle(100, 132, 24, WHITE) + circle(100, 132, 8, "#c62828")),
        ("desklamp", "Desk lamp", "reading study anglepoise",
         rect(55, 170, 90, 12, "#444444") + path("M100 170 L80 100 L120 60", "none", "#444444", 8)
         + poly([(105, 40), (170, 70), (140, 105)], BLUE) + path("M150 95 L175 130", "none", GOLD, 6)),
        ("ruler", "Ruler", "measure scale inches",
         rect(20, 75, 160, 50, "#ffe082", "#b28704", 3) + "".join(line(30 + 10 * i, 75, 30 + 10 * i, 90 if i % 2 else 100, "#6d4c41", 2) for i in range(15))),
        ("openbook", "Open book", "reading novel pages",
         path("M100 55 Q60 35 20 50 L20 160 Q60 145 100 165 Z", WHITE, "#5d4037", 4) + path("M100 55 Q140 35 180 50 L180 160 Q140 145 100 165 Z", WHITE, "#5d4037", 4)
         + "".join(line(35, 75 + 18 * i, 85, 80 + 18 * i, "#9e9e9e", 3) + line(115, 80 + 18 * i, 165, 75 + 18 * i, "#9e9e9e", 3) for i in range(4))),
        ("stapler", "Stapler", "staples binding",
         rect(30, 130, 140, 25, "#455a64", rx=6) + path("M35 128 L160 100 Q172 98 172 110 L172 125 L35 128Z", "#c62828")
         + rect(150, 105, 20, 28, "#37474f")),
        ("pushpin", "Push pin", "thumbtack noticeboard",
         line(100, 120, 100, 185, GREY, 5) + rect(70, 95, 60, 25, RED, rx=6) + rect(82, 45, 36, 55, RED) + ellipse(100, 40, 32, 12, "#ef5350")),
        ("mailbox", "Mailbox", "postbox delivery",
         rect(92, 110, 16, 75, BROWN) + path("M45 110 L45 65 Q45 35 80 35 L155 35 L155 110 Z", BLUE)
         + rect(150, 40, 6, 40, RED) + rect(150, 40, 28, 14, RED) + rect(60, 70, 50, 8, "#173f80")),
        ("briefcase", "Briefcase", "attache business bag",
         rect(30, 65, 140, 105, "#6d4c41", rx=10) + rect(75, 40, 50, 28, "none", "#4e342e", 8, rx=6) + rect(30, 100, 140, 8, "#4e342e")
         + rect(90, 95, 20, 18, GOLD)),
        ("computer", "Computer screen", "monitor display desktop",
         rect(25, 35, 150, 105, DARK, rx=8) + rect(35, 45, 130, 85, "#64b5f6") + rect(88, 140, 24, 25, "#555555") + rect(60, 165, 80, 10, "#555555", rx=4)),
        ("magnifier", "Magnifying glass", "lens zoom search",
         circle(85, 85, 50, "#e3f2fd", "#455a64", 12) + line(122, 122, 175, 175, "#6d4c41", 18)),
        ("lightbulb", "Light bulb", "idea electric filament",
         path("M100 20 Q155 20 155 75 Q155 105 125 125 L125 145 L75 145 L75 125 Q45 105 45 75 Q45 20 100 20Z", "#fff176", "#c6a700", 4)
         + rect(75, 145, 50, 12, GREY) + rect(80, 157, 40, 10, GREY) + rect(88, 167, 24, 10, "#555555")
         + path("M88 125 L88 95 L100 105 L112 95 L112 125", "none", "#c6a700", 3)),
        ("padlock", "Padlock", "lock security",
         path("M65 95 L65 65 Q65 30 100 30 Q135 30 135 65 L135 95", "none", GREY, 14) + rect(45, 90, 110, 90, GOLD, rx=10)
         + circle(100, 125, 12, DARK) + rect(96, 130, 8, 25, DARK)),
    ],
    "Travel": [
        ("car", "Car", "automobile drive motor",
         rect(20, 95, 160, 50, RED, rx=10) + path("M50 95 L72 58 L130 58 L152 95Z", "#8a1414") + rect(78, 65, 22, 25, "#cfe8ff") + rect(106, 65, 22, 25, "#cfe8ff")
         + circle(55, 150, 18, DARK) + circle(145, 150, 18, DARK) + circle(55, 150, 7, GREY) + circle(145, 150, 7, GREY)),
        ("airplane", "Airplane", "aircraft flight jet",
         ellipse(100, 100, 85, 16, "#eceff1", "#607d8b", 3) + poly([(90, 100), (60, 30), (80, 30), (120, 100)], "#607d8b")
         + poly([(90, 100), (60, 170), (80, 170), (120, 100)], "#607d8b") + poly([(25, 100), (15, 70), (30, 70), (45, 95)], "#607d8b")),
        ("sailboat", "Sailboat", "yacht sailing regatta",
         path("M30 140 L170 140 L150 170 L50 170Z", BROWN) + poly([(100, 20), (100, 130), (40, 130)], WHITE, "#999999", 3)
         + poly([(108, 40), (108, 130), (155, 130)], "#ef5350") + path("M10 180 Q50 170 100 180 Q150 190 190 180", "none", BLUE, 6)),
        ("suitcase", "Suitcase", "luggage baggage",
         rect(35, 65, 130, 105, "#1565c0", rx=12) + rect(75, 40, 50, 28, "none", "#0d47a1", 8, rx=6) + rect(60, 65, 10, 105, "#0d47a1") + rect(130, 65, 10, 105, "#0d47a1")
         + circle(55, 175, 8, DARK) + circle(145, 175, 8, DARK)),
        ("train", "Train", "locomotive railway",
         rect(45, 40, 110, 120, "#388e3c", rx=15) + rect(60, 55, 80, 40, "#cfe8ff") + circle(70, 125, 8, GOLD) + circle(130, 125, 8, GOLD)
         + circle(70, 170, 12, DARK) + circle(130, 170, 12, DARK) + rect(20, 182, 160, 6, GREY)),
        ("bicycle", "Bicycle", "bike cycling pedals",
         circle(50, 130, 35, "none", DARK, 7) + circle(150, 130, 35, "none", DARK, 7)
         + path("M50 130 L85 75 L140 75 L150 130 M85 75 L100 130 L140 75 M75 60 L95 60 M140 75 L135 55 L150 55", "none", RED, 7)),
        ("globe", "Globe", "world earth planet",
         circle(100, 100, 75, "#42a5f5") + path("M55 60 Q80 40 105 60 Q95 95 70 95 Q50 85 55 60Z M110 110 Q140 95 155 125 Q135 160 115 150Z M60 130 Q75 125 80 145 Q65 155 60 130Z", GREEN)
         + ellipse(100, 100, 35, 75, "none", "#1e88e5", 2) + line(25, 100, 175, 100, "#1e88e5", 2)),
        ("compass", "Compass", "direction north navigation",
         circle(100, 100, 75, WHITE, "#6d4c41", 8) + poly([(100, 35), (115, 100), (85, 100)], RED) + poly([(100, 165), (115, 100), (85, 100)], "#546e7a")
         + circle(100, 100, 6, DARK) + path("M93 22 L93 8 L107 22 L107 8", "none", DARK, 3)),
        ("map", "Map", "atlas route chart",
         poly([(25, 45), (75, 30), (125, 45), (175, 30), (175, 160), (125, 175), (75, 160), (25, 175)], "#fff3e0", "#8d6e63", 3)
         + line(75, 30, 75, 160, "#bcaaa4", 2) + line(125, 45, 125, 175, "#bcaaa4", 2)
         + path("M45 140 Q90 60 150 70", "none", RED, 4, ' stroke-dasharray="8 6"') + path("M145 60 L155 80 M155 60 L145 80", "none", RED, 4)),
        ("bus", "Bus", "coach transit",
         rect(25, 50, 150, 100, GOLD, rx=12) + rect(38, 62, 34, 35, "#cfe8ff") + rect(83, 62, 34, 35, "#cfe8ff") + rect(128, 62, 34, 35, "#cfe8ff")
         + circle(60, 155, 15, DARK) + circle(140, 155, 15, DARK) + rect(25, 115, 150, 6, DARK)),
        ("hotairballoon", "Hot air balloon", "ascent basket",
         path("M100 20 Q160 20 160 80 Q160 115 120 140 L80 140 Q40 115 40 80 Q40 20 100 20Z", RED)
         + path("M100 20 Q125 60 115 140 M100 20 Q75 60 85 140", "none", GOLD, 8) + line(82, 140, 85, 160, DARK, 2) + line(118, 140, 115, 160, DARK, 2)
         + rect(82, 160, 36, 25, BROWN)),
        ("rocket", "Rocket", "spaceship launch",
         path("M100 15 Q135 50 130 130 L70 130 Q65 50 100 15Z", "#eceff1", "#607d8b", 3) + circle(100, 70, 14, "#64b5f6", "#607d8b", 3)
         + poly([(70, 100), (45, 145), (70, 135)], RED) + poly([(130, 100), (155, 145), (130, 135)], RED)
         + path("M80 135 Q100 190 120 135Z", ORANGE)),
        ("tent", "Tent", "camping outdoors",
         poly([(100, 35), (180, 165), (20, 165)], "#558b2f") + poly([(100, 35), (125, 165), (75, 165)], "#33691e") + line(10, 168, 190, 168, BROWN, 5)),
        ("camera", "Camera", "photograph snapshot lens",
         rect(25, 65, 150, 100, "#424242", rx=12) + rect(60, 45, 45, 25, "#424242", rx=4) + circle(100, 115, 35, "#9e9e9e") + circle(100, 115, 22, "#263238")
         + rect(140, 75, 20, 12, GOLD)),
        ("anchor", "Anchor", "ship harbour mooring",
         circle(100, 35, 14, "none", "#37474f", 8) + line(100, 50, 100, 170, "#37474f", 10) + line(70, 70, 130, 70, "#37474f", 10)
         + path("M40 130 Q60 175 100 172 Q140 175 160 130", "none", "#37474f", 10) + poly([(30, 130), (50, 120), (45, 140)], "#37474f") + poly([(170, 130), (150, 120), (155, 140)], "#37474f")),
        ("lighthouse", "Lighthouse", "beacon coast",
         poly([(75, 180), (125, 180), (115, 60), (85, 60)], WHITE, "#b71c1c", 3) + poly([(79, 140), (121, 140), (118, 115), (82, 115)], RED)
         + poly([(84, 90), (116, 90), (115, 75), (85, 75)], RED) + rect(82, 40, 36, 22, GOLD) + poly([(78, 42), (122, 42), (100, 20)], RED)
         + poly([(118, 45), (190, 25), (190, 65)], "#fff59d", extra=' opacity="0.7"')),
        ("passport", "Passport", "identity document visa",
         rect(45, 25, 110, 150, "#1a237e", rx=8) + circle(100, 90, 28, "none", GOLD, 4) + ellipse(100, 90, 12, 28, "none", GOLD, 3)
         + line(72, 90, 128, 90, GOLD, 3) + rect(70, 135, 60, 8, GOLD)),
        ("palmtree", "Palm tree", "tropics coconut island",
         path("M95 185 Q90 120 110 70", "none", "#8d6e63", 14)
         + "".join(path("M110 70 Q%g %g %g %g" % (110 + dx * 0.5, 70 + dy - 25, 110 + dx, 70 + dy), "none", GREEN, 12) for dx, dy in ((-60, 20), (60, 20), (-45, 45), (45, 45), (0, -5)))
         + circle(100, 80, 8, BROWN) + circle(118, 82, 8, BROWN) + ellipse(100, 188, 60, 8, "#fdd835")),
        ("ticket", "Ticket", "admission stub voucher",
         path("M20 60 L180 60 L180 90 Q165 100 180 110 L180 140 L20 140 L20 110 Q35 100 20 90 Z", "#ff7043")
         + line(130, 65, 130, 135, WHITE, 3) + rect(40, 85, 70, 8, WHITE) + rect(40, 105, 50, 8, WHITE)),
        ("trafficlight", "Traffic light", "signal stoplight",
         rect(70, 20, 60, 150, DARK, rx=12) + circle(100, 50, 18, RED) + circle(100, 95, 18, GOLD) + circle(100, 140, 18, "#43a047")
         + rect(94, 170, 12, 25, GREY)),
    ],
    "Sports": [
        ("soccerball", "Soccer ball", "football kick goal",
         circle(100, 100, 75, WHITE, DARK, 5) + poly(star(100, 100, 26, 22, 5), DARK)
         + "".join(poly(star(100 + 60 * math.cos(math.radians(-90 + 72 * i)), 100 + 60 * math.sin(math.radians(-90 + 72 * i)), 16, 13, 5, -90 + 72 * i + 36), DARK) for i in range(5))),
        ("basketball", "Basketball", "hoop dribble",
         circle(100, 100, 75, ORANGE, DARK, 3) + path("M25 100 L175 100 M100 25 L100 175 M45 45 Q80 100 45 155 M155 45 Q120 100 155 155", "none", DARK, 4)),
        ("trophy", "Trophy", "champion winner prize",
         path("M55 35 L145 35 Q145 115 100 120 Q55 115 55 35Z", GOLD) + path("M55 50 Q25 50 30 75 Q35 95 62 95 M145 50 Q175 50 170 75 Q165 95 138 95", "none", GOLD, 8)
         + rect(90, 120, 20, 35, "#a88700") + rect(65, 155, 70, 20, "#6d4c41")),
        ("medal", "Medal", "award podium",
         poly([(65, 15), (100, 90), (135, 15), (115, 15), (100, 50), (85, 15)], BLUE) + circle(100, 125, 45, GOLD, "#a88700", 5)
         + poly(star(100, 125, 25, 10), "#a88700")),
        ("tennisracket", "Tennis racket", "racquet strings court",
         ellipse(85, 75, 50, 60, "none", RED, 10)
         + "".join(line(50 + 10 * i, 30, 50 + 10 * i, 130, "#bbbbbb", 2) for i in range(8)) + "".join(line(40, 35 + 10 * i, 130, 35 + 10 * i, "#bbbbbb", 2) for i in range(10))
         + ellipse(85, 75, 50, 60, "none", RED, 10) + line(100, 135, 150, 190, DARK, 14) + circle(160, 60, 16, "#cddc39")),
        ("baseballbat", "Baseball bat", "slugger innings",
         path("M35 175 L150 45 Q165 32 172 48 L55 185Z", "#c8a165", "#8d6e63", 3) + circle(145, 150, 22, WHITE, "#999999", 3)
         + path("M130 138 Q140 150 130 162 M160 138 Q150 150 160 162", "none", RED, 3)),
        ("finishflag", "Finish flag", "chequered race",
         rect(35, 20, 8, 165, "#444444") + rect(43, 25, 120, 80, WHITE, DARK, 2)
         + "".join(rect(43 + 20 * c, 25 + 20 * r, 20, 20, DARK) for r in range(4) for c in range(6) if (r + c) % 2 == 0)),
        ("whistle", "Whistle", "referee blow",
         circle(80, 120, 45, "#9e9e9e", "#616161", 4) + rect(80, 75, 95, 35, "#9e9e9e", "#616161", 4) + circle(80, 120, 12, "#616161")
         + path("M45 80 Q20 50 40 25", "none", RED, 5)),
        ("iceskate", "Ice skate", "figure skating rink",
         path("M50 30 L100 30 L100 110 L160 120 Q170 125 170 150 L50 150Z", WHITE, "#555555", 4) + rect(40, 165, 140, 8, "#9e9e9e")
         + line(60, 150, 60, 165, "#9e9e9e", 5) + line(155, 150, 155, 165, "#9e9e9e", 5) + path("M60 50 L90 60 M60 70 L90 80 M60 90 L90 100", "none", DARK, 3)),
        ("dumbbell", "Dumbbell", "weights fitness gym",
         rect(50, 92, 100, 16, "#888888") + rect(25, 55, 30, 90, DARK, rx=5) + rect(145, 55, 30, 90, DARK, rx=5) + rect(12, 70, 15, 60, DARK, rx=4) + rect(173, 70, 15, 60, DARK, rx=4)),
        ("bowlingpin", "Bowling pin", "skittle strike alley",
         path("M100 15 Q120 15 118 45 Q115 65 108 75 Q140 110 130 160 Q125 185 100 185 Q75 185 70 160 Q60 110 92 75 Q85 65 82 45 Q80 15 100 15Z", WHITE, "#777777", 3)
         + rect(86, 55, 28, 6, RED) + rect(86, 66, 28, 6, RED)),
        ("volleyball", "Volleyball", "spike beach net",
         circle(100, 100, 75, WHITE, "#1565c0", 4) + path("M100 25 Q70 90 100 100 Q130 110 170 70 M100 100 Q90 140 45 160 M100 100 Q150 140 170 130", "none", "#1565c0", 5)),
        ("rugbyball", "Rugby ball", "scrum tackle",
         ellipse(100, 100, 80, 45, "#8d5524", extra=' transform="rotate(-30 100 100)"') + line(70, 115, 130, 85, WHITE, 4)
         + "".join(line(85 + 12 * i - 5, 108 - 6 * i - 8, 85 + 12 * i + 5, 108 - 6 * i + 8, WHITE, 3) for i in range(4))),
        ("hockeystick", "Hockey stick", "puck rink",
         path("M130 20 L85 165 Q80 180 60 180 L25 180", "none", BROWN, 12) + ellipse(140, 175, 22, 8, DARK)),
        ("boxingglove", "Boxing glove", "punch boxer",
         path("M50 110 Q40 40 100 35 Q165 35 160 100 Q158 140 120 145 L70 145 Q50 140 50 110Z", RED) + rect(65, 140, 60, 40, WHITE, "#bbbbbb", 3)
         + path("M55 110 Q40 95 60 80 Q80 80 85 100", "none", "#8a1414", 5)),
        ("dartboard", "Dartboard", "bullseye darts aim",
         circle(100, 100, 80, DARK) + circle(100, 100, 65, RED) + circle(100, 100, 50, WHITE) + circle(100, 100, 35, GREEN) + circle(100, 100, 20, WHITE) + circle(100, 100, 8, RED)
         + line(100, 100, 165, 35, "#795548", 5) + poly([(165, 35), (185, 30), (170, 15)], BLUE)),
        ("stopwatch", "Stopwatch", "timer timing lap",
         circle(100, 110, 70, WHITE, "#424242", 10) + rect(88, 20, 24, 22, "#424242") + rect(150, 45, 18, 14, "#424242", extra=' transform="rotate(45 159 52)"')
         + line(100, 110, 100, 60, RED, 5) + circle(100, 110, 6, "#424242")),
        ("skateboard", "Skateboard", "deck wheels",
         rect(15, 90, 170, 22, "#7b1fa2", rx=11) + circle(50, 125, 13, DARK) + circle(150, 125, 13, DARK) + rect(40, 110, 20, 6, GREY) + rect(140, 110, 20, 6, GREY)),
        ("golfclub", "Golf club", "putter fairway tee",
         line(140, 20, 80, 160, "#9e9e9e", 7) + path("M80 160 L60 172 Q50 180 60 182 L105 175 Q110 165 95 160Z", DARK) + circle(135, 175, 10, WHITE, "#bbbbbb", 2)),
        ("pingpong", "Ping pong paddle", "spin rally",
         circle(85, 85, 55, RED) + rect(115, 115, 22, 60, BROWN, rx=8, extra=' transform="rotate(-45 126 145)"') + circle(160, 50, 12, WHITE, "#bbbbbb", 2)),
    ],
    "Nature": [
        ("sun", "Sun", "sunshine sunny daylight",
         "".join(line(100 + 55 * math.cos(a), 100 + 55 * math.sin(a), 100 + 90 * math.cos(a), 100 + 90 * math.sin(a), ORANGE, 8) for a in [i * math.pi / 6 for i in range(12)])
         + circle(100, 100, 45, GOLD)),
        ("daisy", "Daisy", "bloom meadow petals",
         rect(96, 110, 8, 85, GREEN) + ellipse(75, 160, 20, 8, GREEN) + flower(100, 75, 38, 16, WHITE, GOLD, 10, "#9e9e9e", 0.55)),
        ("leaf", "Green leaf", "foliage veins",
         path("M40 160 Q40 40 160 40 Q160 160 40 160Z", "#43a047") + path("M40 160 L150 50 M80 120 L80 85 M80 120 L115 120 M110 90 L110 60 M110 90 L140 90", "none", "#1b5e20", 4)),
        ("cloud", "Cloud", "cumulus overcast fluffy",
         circle(65, 115, 35, "#b0bec5") + circle(105, 90, 45, "#b0bec5") + circle(145, 115, 32, "#b0bec5") + rect(65, 110, 80, 40, "#b0bec5")),
        ("mountains", "Mountains", "peaks summit alpine",
         poly([(5, 180), (75, 50), (145, 180)], "#6d4c41") + poly([(85, 180), (140, 85), (195, 180)], "#8d6e63") + poly([(75, 50), (92, 80), (58, 80)], WHITE)
         + poly([(140, 85), (153, 108), (127, 108)], WHITE)),
        ("moon", "Crescent moon", "lunar nighttime",
         path("M120 25 A80 80 0 1 0 175 130 A60 60 0 1 1 120 25Z", "#fff176") + poly(star(45, 40, 12, 5), "#fff176") + poly(star(160, 45, 8, 3), "#fff176")),
        ("raindrop", "Rain drop", "droplet wet",
         path("M100 20 Q160 110 140 140 A45 45 0 0 1 60 140 Q40 110 100 20Z", "#42a5f5") + ellipse(82, 130, 8, 15, "#bbdefb")),
        ("pinetree", "Pine tree", "conifer evergreen forest",
         rect(92, 150, 16, 35, BROWN) + poly([(100, 15), (145, 80), (55, 80)], "#1b5e20") + poly([(100, 45), (160, 120), (40, 120)], "#2e7d32")
         + poly([(100, 80), (170, 155), (30, 155)], "#388e3c")),
        ("mushroom", "Mushroom", "toadstool fungus",
         rect(80, 100, 40, 75, "#f2e6d0", "#c8b8a0", 3, rx=8) + path("M25 105 Q100 5 175 105Z", RED)
         + circle(70, 75, 10, WHITE) + circle(110, 55, 12, WHITE) + circle(140, 85, 9, WHITE)),
        ("snowflake", "Snowflake", "crystal frost",
         "<g stroke=\"#4fc3f7\" stroke-width=\"8\" stroke-linecap=\"round\">"
         + "".join('<path d="M100 100 L%g %g M%g %g L%g %g M%g %g L%g %g"/>' % (
             100 + 80 * math.cos(a), 100 + 80 * math.sin(a),
             100 + 50 * math.cos(a), 100 + 50 * math.sin(a), 100 + 50 * math.cos(a) + 20 * math.cos(a + 0.8), 100 + 50 * math.sin(a) + 20 * math.sin(a + 0.8),
             100 + 50 * math.cos(a), 100 + 50 * math.sin(a), 100 + 50 * math.cos(a) + 20 * math.cos(a - 0.8), 100 + 50 * math.sin(a) + 20 * math.sin(a - 0.8))
             for a in [i * math.pi / 3 for i in range(6)]) + "</g>"),
        ("rainbow", "Rainbow", "arc colours spectrum",
         "".join(path("M%g 160 A%g %g 0 0 1 %g 160" % (100 - r, r, r, 100 + r), "none", c, 11)
                 for r, c in ((85, RED), (74, ORANGE), (63, GOLD), (52, "#43a047"), (41, BLUE), (30, "#5e35b1")))),
        ("lightning", "Lightning bolt", "thunderstorm flash",
         poly([(115, 10), (55, 110), (95, 110), (75, 190), (150, 80), (108, 80), (140, 10)], "#fdd835", "#c6a700", 3)),
        ("tulip", "Tulip", "springtime dutch",
         rect(96, 100, 8, 90, GREEN) + path("M100 180 Q60 150 55 110 Q85 125 100 160", GREEN)
         + path("M60 45 L80 70 L100 40 L120 70 L140 45 L140 85 Q140 115 100 115 Q60 115 60 85Z", "#e91e63")),
        ("sunflower", "Sunflower", "seeds yellow petals",
         rect(95, 120, 10, 75, GREEN) + ellipse(125, 160, 22, 9, GREEN)
         + "".join(ellipse(100 + 45 * math.cos(a), 75 + 45 * math.sin(a), 22, 9, GOLD, extra=' transform="rotate(%g %g %g)"' % (math.degrees(a), 100 + 45 * math.cos(a), 75 + 45 * math.sin(a)))
                   for a in [i * math.pi / 8 for i in range(16)]) + circle(100, 75, 32, "#5d4037")),
        ("cactus", "Cactus", "desert succulent spines",
         rect(80, 40, 40, 140, "#388e3c", rx=20) + path("M80 115 L55 115 Q45 115 45 100 L45 70", "none", "#388e3c", 22) + path("M120 95 L145 95 Q155 95 155 80 L155 60", "none", "#388e3c", 22)
         + rect(65, 170, 70, 22, "#d84315", rx=4)),
        ("acorn", "Acorn", "nut squirrel",
         ellipse(100, 125, 42, 55, "#c68642") + path("M50 95 Q50 55 100 55 Q150 55 150 95 Z", "#6d4c41") + line(100, 55, 105, 30, "#6d4c41", 7)),
        ("wave", "Ocean wave", "surf tide sea",
         path("M10 150 Q40 60 110 70 Q160 78 150 120 Q130 100 110 115 Q100 140 130 150 Z", "#1e88e5") + path("M10 150 L190 150 L190 190 L10 190Z", "#1565c0")
         + path("M120 85 Q145 90 140 110", "none", WHITE, 5)),
        ("volcano", "Volcano", "eruption lava magma",
         poly([(20, 185), (80, 70), (120, 70), (180, 185)], "#5d4037") + path("M80 70 Q90 110 75 130 Q100 115 95 150 Q110 110 120 70Z", "#ff5722")
         + circle(85, 40, 18, "#9e9e9e") + circle(110, 30, 22, "#9e9e9e") + circle(130, 45, 14, "#9e9e9e")),
        ("oaktree", "Oak tree", "branches shade",
         rect(88, 110, 24, 75, BROWN) + circle(100, 75, 50, "#558b2f") + circle(60, 95, 30, "#558b2f") + circle(140, 95, 30, "#558b2f") + circle(100, 45, 30, "#689f38")),
        ("rose", "Rose", "blossom thorns romantic",
         path("M100 190 Q95 150 100 110", "none", GREEN, 6) + ellipse(78, 150, 18, 8, GREEN) + circle(100, 75, 40, "#c2185b")
         + path("M100 75 m-6 0 a6 6 0 1 1 12 0 a15 15 0 1 1 -30 0 a24 24 0 1 1 48 0", "none", "#880e4f", 4)),
    ],
    "Frames and Borders": [
        ("plainframe", "Plain frame", "simple edge",
         rect(10, 10, 180, 180, "none", "#455a64", 12)),
        ("doubleframe", "Double frame", "twin lines",
         rect(8, 8, 184, 184, "none", "#1565c0", 6) + rect(24, 24, 152, 152, "none", "#1565c0", 3)),
        ("roundedframe", "Rounded frame", "soft corners",
         rect(10, 10, 180, 180, "none", "#00897b", 10, rx=30)),
        ("dottedborder", "Dotted border", "dots spots",
         around(17, lambda x, y: circle(x, y, 5, "#6a1b9a"), 12)),
        ("dashedborder", "Dashed border", "dashes cutting",
         rect(10, 10, 180, 180, "none", "#ef6c00", 8, extra=' stroke-dasharray="18 10"')),
        ("ovalframe", "Oval frame", "ellipse portrait cameo",
         ellipse(100, 100, 66, 90, "none", "#8d6e63", 10)),
        ("cornerframe", "Corner frame", "brackets angles",
         "".join(path(d, "none", "#37474f", 10) for d in ("M10 60 L10 10 L60 10", "M140 10 L190 10 L190 60", "M190 140 L190 190 L140 190", "M60 190 L10 190 L10 140"))),
        ("starborder", "Star border", "stars twinkle",
         around(34, lambda x, y: poly(star(x, y, 13, 5), GOLD), 15)),
        ("heartborder", "Heart border", "hearts affection",
         around(34, lambda x, y: heart(x, y + 1, 12, RED), 15)),
        ("scallopedframe", "Scalloped frame", "scallops arcs",
         "".join(circle(x, y, 10, "none", "#d81b60", 5) for x in range(20, 181, 20) for y in (12, 188))
         + "".join(circle(x, y, 10, "none", "#d81b60", 5) for y in range(32, 170, 20) for x in (12, 188))),
        ("wavyborder", "Wavy border", "waves ripple",
         path("M10 15 " + " ".join("Q%g %g %g 15" % (x + 10, 5 if (x // 20) % 2 == 0 else 25, x + 20) for x in range(10, 190, 20)), "none", "#0277bd", 5)
         + path("M10 185 " + " ".join("Q%g %g %g 185" % (x + 10, 175 if (x // 20) % 2 == 0 else 195, x + 20) for x in range(10, 190, 20)), "none", "#0277bd", 5)
         + path("M15 10 " + " ".join("Q%g %g 15 %g" % (5 if (y // 20) % 2 == 0 else 25, y + 10, y + 20) for y in range(10, 190, 20)), "none", "#0277bd", 5)
         + path("M185 10 " + " ".join("Q%g %g 185 %g" % (175 if (y // 20) % 2 == 0 else 195, y + 10, y + 20) for y in range(10, 190, 20)), "none", "#0277bd", 5)),
        ("checkeredborder", "Checkered border", "chessboard squares",
         "".join(rect(x, y, 10, 10, DARK) for x in range(0, 200, 10) for y in (0, 10, 180, 190) if (x // 10 + y // 10) % 2 == 0)
         + "".join(rect(x, y, 10, 10, DARK) for y in range(20, 180, 10) for x in (0, 10, 180, 190) if (x // 10 + y // 10) % 2 == 0)),
        ("flowerborder", "Flower border", "floral blossoms",
         around(34, lambda x, y: flower(x, y, 7, 6, "#ec407a", GOLD, 5), 15)),
        ("zigzagborder", "Zigzag border", "chevron saw",
         path("M5 20 " + " ".join("L%g %g" % (x, 8 if i % 2 else 22) for i, x in enumerate(range(15, 200, 10))), "none", "#2e7d32", 4)
         + path("M5 180 " + " ".join("L%g %g" % (x, 192 if i % 2 else 178) for i, x in enumerate(range(15, 200, 10))), "none", "#2e7d32", 4)
         + path("M20 5 " + " ".join("L%g %g" % (8 if i % 2 else 22, y) for i, y in enumerate(range(15, 200, 10))), "none", "#2e7d32", 4)
         + path("M180 5 " + " ".join("L%g %g" % (192 if i % 2 else 178, y) for i, y in enumerate(range(15, 200, 10))), "none", "#2e7d32", 4)),
        ("circleframe", "Circle frame", "round ring",
         circle(100, 100, 88, "none", "#5e35b1", 12)),
        ("diamondborder", "Diamond border", "rhombus lozenge",
         around(34, lambda x, y: poly([(x, y - 12), (x + 9, y), (x, y + 12), (x - 9, y)], "#00acc1"), 15)),
        ("stripedborder", "Striped border", "stripes bands",
         "".join(path("M%g 0 L%g 20 L%g 20 L%g 0Z" % (x, x - 10, x - 3, x + 7), RED) for x in range(0, 210, 14))
         + "".join(path("M%g 180 L%g 200 L%g 200 L%g 180Z" % (x, x - 10, x - 3, x + 7), RED) for x in range(0, 210, 14))
         + "".join(path("M0 %g L20 %g L20 %g L0 %g Z" % (y, y - 10, y - 3, y + 7), RED) for y in range(28, 180, 14))
         + "".join(path("M180 %g L200 %g L200 %g L180 %g Z" % (y, y - 10, y - 3, y + 7), RED) for y in range(28, 180, 14))
         + rect(1, 1, 198, 198, "none", RED, 2)),
        ("snowflakeborder", "Snowflake border", "frosty wintry",
         around(34, lambda x, y: "".join(line(x - 10 * math.cos(a), y - 10 * math.sin(a), x + 10 * math.cos(a), y + 10 * math.sin(a), "#4fc3f7", 3)
                                         for a in (0, math.pi / 3, 2 * math.pi / 3)), 15)),
        ("leafborder", "Leaf border", "vine foliage",
         around(34, lambda x, y: path("M%g %g Q%g %g %g %g Q%g %g %g %g Z" % (x - 11, y + 6, x - 11, y - 10, x + 11, y - 6, x + 11, y + 10, x - 11, y + 6), "#43a047"), 15)),
        ("triangleborder", "Triangle border", "pennants bunting",
         "".join(poly([(x, 5), (x + 20, 5), (x + 10, 25)], c) + poly([(x, 195), (x + 20, 195), (x + 10, 175)], c)
                 for x, c in zip(range(0, 200, 20), [RED, GOLD, BLUE, GREEN] * 3))
         + "".join(poly([(5, y), (5, y + 20), (25, y + 10)], c) + poly([(195, y), (195, y + 20), (175, y + 10)], c)
                   for y, c in zip(range(30, 170, 20), [GOLD, BLUE, GREEN, RED] * 2))),
    ],
}

FORMATS = ["png", "jpg", "pdf", "hpi"]


def words_of(text):
    return [w for w in re.split(r"[^a-z]+", text.lower()) if w]


def check(motifs):
    """Every motif is its own: names and captions differ, and no motif's own keywords name a word
    another caption uses, so that a caption word finds exactly the captions that hold it."""
    caption_words = {}
    stems = set()
    captions = set()
    for category, entries in motifs.items():
        assert len(entries) == 20, (category, len(entries))
        for stem, caption, keywords, _ in entries:
            assert stem not in stems, stem
            assert caption not in captions, caption
            stems.add(stem)
            captions.add(caption)
            for w in words_of(caption):
                caption_words.setdefault(w, set()).add(stem)
    category_words = {w for c in motifs for w in words_of(c)}
    for category, entries in motifs.items():
        for stem, caption, keywords, _ in entries:
            own = set(words_of(caption))
            for w in words_of(keywords):
                assert w not in caption_words or w in own, (stem, w)
            assert not own & category_words, (stem, own & category_words)


def main():
    check(MOTIFS)
    out = sys.argv[1]
    os.makedirs(os.path.join(out, "svg"), exist_ok=True)
    lines = []
    index = 0
    for category, motifs in MOTIFS.items():
        for stem, caption, keywords, body in motifs:
            fmt = FORMATS[index % len(FORMATS)]
            index += 1
            name = "%s.%s" % (stem, fmt)
            with open(os.path.join(out, "svg", name + ".svg"), "w") as f:
                f.write(svg(body))
            words = " ".join(words_of(caption) + words_of(keywords) + words_of(category))
            lines.append("\t".join([name, fmt, category, caption, words]))
    with open(os.path.join(out, "manifest.tsv"), "w") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
