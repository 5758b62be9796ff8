#!/usr/bin/env python3
"""Draws the shipped clip-art collection as SVG, one file per picture, and writes the manifest
pw_make_clipart turns into the content library: one line per picture with its file name, its
format (png, jpg, pdf or hpi), its category, its caption and its keywords, separated by tabs.

Every drawing is made of simple shapes on a 200 x 200 canvas; each motif comes in two colour
variants so that the collection holds 160 pictures in 8 categories."""
import os
import sys

VARIANTS = [("Red", "#d62828", "#8a1414"), ("Blue", "#2a6fdb", "#173f80"),
            ("Green", "#2f9e44", "#1b5e27"), ("Orange", "#f08c00", "#9c5a00"),
            ("Purple", "#8e44ad", "#5b2671"), ("Yellow", "#f2c500", "#a88700")]


def svg(body):
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="200" height="200" viewBox="0 0 200 200">'
            + body + '</svg>\n')


def star_points(cx, cy, outer, inner, n=5):
    import math
    pts = []
    for i in range(2 * n):
        r = outer if i % 2 == 0 else inner
        a = math.pi / n * i - math.pi / 2
        pts.append("%.1f,%.1f" % (cx + r * math.cos(a), cy + r * math.sin(a)))
    return " ".join(pts)


# Each motif: (file stem, caption noun, keywords, drawing(fill, dark) -> svg body)
MOTIFS = {
    "Holidays": [
        ("tree", "Christmas tree", "christmas tree holiday winter",
         lambda f, d: '<rect x="90" y="150" width="20" height="30" fill="#7a4a1e"/>'
                      '<polygon points="100,20 160,150 40,150" fill="%s"/>'
                      '<polygon points="%s" fill="#f2c500"/>' % (f, star_points(100, 22, 14, 6))),
        ("gift", "gift", "gift present birthday christmas holiday",
         lambda f, d: '<rect x="40" y="80" width="120" height="90" fill="%s"/><rect x="30" y="60" width="140" height="25" fill="%s"/>'
                      '<rect x="92" y="60" width="16" height="110" fill="#f2c500"/>'
                      '<ellipse cx="85" cy="52" rx="16" ry="9" fill="#f2c500"/><ellipse cx="115" cy="52" rx="16" ry="9" fill="#f2c500"/>' % (f, d)),
        ("star", "star", "star christmas holiday night",
         lambda f, d: '<polygon points="%s" fill="%s" stroke="%s" stroke-width="4"/>' % (star_points(100, 105, 85, 35), f, d)),
        ("candle", "candle", "candle light advent holiday",
         lambda f, d: '<rect x="80" y="80" width="40" height="100" fill="%s"/><path d="M100 30 Q118 60 100 75 Q82 60 100 30Z" fill="#f2a100"/>' % f),
        ("snowman", "snowman", "snowman snow winter holiday",
         lambda f, d: '<circle cx="100" cy="140" r="45" fill="#ffffff" stroke="#999" stroke-width="3"/><circle cx="100" cy="70" r="30" fill="#ffffff" stroke="#999" stroke-width="3"/>'
                      '<rect x="75" y="25" width="50" height="20" fill="%s"/><polygon points="100,70 125,76 100,80" fill="#f08c00"/>' % d),
        ("pumpkin", "pumpkin", "pumpkin halloween autumn holiday",
         lambda f, d: '<ellipse cx="100" cy="115" rx="70" ry="55" fill="#f08c00" stroke="%s" stroke-width="4"/><rect x="92" y="45" width="16" height="22" fill="#2f9e44"/>' % d),
        ("heart", "heart", "heart love valentine holiday",
         lambda f, d: '<path d="M100 170 L30 95 A35 35 0 0 1 100 55 A35 35 0 0 1 170 95 Z" fill="%s"/>' % f),
        ("egg", "Easter egg", "egg easter spring holiday",
         lambda f, d: '<ellipse cx="100" cy="105" rx="55" ry="75" fill="%s"/><path d="M48 100 L70 85 L90 100 L110 85 L130 100 L152 85" stroke="#ffffff" stroke-width="8" fill="none"/>' % f),
        ("bell", "bell", "bell christmas ring holiday",
         lambda f, d: '<path d="M50 150 Q55 60 100 45 Q145 60 150 150 Z" fill="%s"/><circle cx="100" cy="160" r="12" fill="%s"/>' % (f, d)),
        ("balloon", "balloon", "balloon party birthday holiday",
         lambda f, d: '<ellipse cx="100" cy="80" rx="50" ry="60" fill="%s"/><path d="M100 140 Q90 165 105 190" stroke="#555" stroke-width="3" fill="none"/>' % f),
    ],
    "Animals": [
        ("cat", "cat", "cat kitten pet animal",
         lambda f, d: '<circle cx="100" cy="110" r="55" fill="%s"/><polygon points="55,80 65,30 95,60" fill="%s"/><polygon points="145,80 135,30 105,60" fill="%s"/>'
                      '<circle cx="80" cy="105" r="7" fill="#fff"/><circle cx="120" cy="105" r="7" fill="#fff"/>' % (f, f, f)),
        ("dog", "dog", "dog puppy pet animal",
         lambda f, d: '<circle cx="100" cy="105" r="55" fill="%s"/><ellipse cx="48" cy="95" rx="18" ry="40" fill="%s"/><ellipse cx="152" cy="95" rx="18" ry="40" fill="%s"/>'
                      '<circle cx="100" cy="125" r="12" fill="#222"/>' % (f, d, d)),
        ("fish", "fish", "fish sea water animal",
         lambda f, d: '<ellipse cx="90" cy="100" rx="60" ry="35" fill="%s"/><polygon points="145,100 185,65 185,135" fill="%s"/><circle cx="60" cy="92" r="6" fill="#fff"/>' % (f, d)),
        ("bird", "bird", "bird feather fly animal",
         lambda f, d: '<ellipse cx="100" cy="110" rx="55" ry="40" fill="%s"/><circle cx="145" cy="80" r="25" fill="%s"/><polygon points="168,78 190,85 168,90" fill="#f08c00"/>'
                      '<path d="M70 100 Q100 50 125 100Z" fill="%s"/>' % (f, f, d)),
        ("turtle", "turtle", "turtle slow reptile animal",
         lambda f, d: '<ellipse cx="100" cy="110" rx="65" ry="45" fill="%s"/><circle cx="170" cy="110" r="18" fill="#7cb342"/><path d="M55 110 L145 110 M100 70 L100 150" stroke="%s" stroke-width="5"/>' % (f, d)),
        ("mouse", "mouse", "mouse rodent small animal",
         lambda f, d: '<ellipse cx="100" cy="120" rx="60" ry="40" fill="%s"/><circle cx="60" cy="75" r="22" fill="%s"/><circle cx="140" cy="75" r="22" fill="%s"/>'
                      '<path d="M160 130 Q195 150 180 185" stroke="%s" stroke-width="4" fill="none"/>' % (f, d, d, d)),
        ("butterfly", "butterfly", "butterfly insect spring animal",
         lambda f, d: '<ellipse cx="65" cy="80" rx="40" ry="35" fill="%s"/><ellipse cx="135" cy="80" rx="40" ry="35" fill="%s"/>'
                      '<ellipse cx="70" cy="140" rx="30" ry="25" fill="%s"/><ellipse cx="130" cy="140" rx="30" ry="25" fill="%s"/><rect x="95" y="55" width="10" height="110" fill="#222"/>' % (f, f, d, d)),
        ("snail", "snail", "snail slow garden animal",
         lambda f, d: '<rect x="30" y="140" width="140" height="22" rx="11" fill="#c8a165"/><circle cx="105" cy="105" r="45" fill="%s"/><circle cx="105" cy="105" r="22" fill="%s"/>' % (f, d)),
        ("owl", "owl", "owl bird night animal",
         lambda f, d: '<ellipse cx="100" cy="110" rx="60" ry="70" fill="%s"/><circle cx="75" cy="90" r="20" fill="#fff"/><circle cx="125" cy="90" r="20" fill="#fff"/>'
                      '<circle cx="75" cy="90" r="8" fill="#222"/><circle cx="125" cy="90" r="8" fill="#222"/><polygon points="92,110 108,110 100,125" fill="#f08c00"/>' % f),
        ("paw", "paw print", "paw print pet animal",
         lambda f, d: '<ellipse cx="100" cy="130" rx="40" ry="32" fill="%s"/><circle cx="55" cy="80" r="16" fill="%s"/><circle cx="85" cy="55" r="16" fill="%s"/>'
                      '<circle cx="115" cy="55" r="16" fill="%s"/><circle cx="145" cy="80" r="16" fill="%s"/>' % (f, f, f, f, f)),
    ],
    "Food": [
        ("apple", "apple", "apple fruit food healthy",
         lambda f, d: '<circle cx="100" cy="115" r="60" fill="%s"/><rect x="96" y="35" width="8" height="30" fill="#7a4a1e"/><ellipse cx="122" cy="45" rx="20" ry="9" fill="#2f9e44"/>' % f),
        ("cake", "cake", "cake birthday dessert food",
         lambda f, d: '<rect x="35" y="95" width="130" height="75" fill="%s"/><rect x="35" y="95" width="130" height="18" fill="#fff"/><rect x="95" y="55" width="10" height="40" fill="#f2c500"/>' % f),
        ("cup", "coffee cup", "coffee cup drink food",
         lambda f, d: '<rect x="45" y="70" width="90" height="100" rx="10" fill="%s"/><path d="M135 90 Q175 100 135 140" stroke="%s" stroke-width="10" fill="none"/>' % (f, d)),
        ("pear", "pear", "pear fruit food",
         lambda f, d: '<circle cx="100" cy="135" r="45" fill="%s"/><circle cx="100" cy="80" r="28" fill="%s"/><rect x="96" y="35" width="8" height="25" fill="#7a4a1e"/>' % (f, f)),
        ("cherry", "cherries", "cherry cherries fruit food",
         lambda f, d: '<circle cx="70" cy="140" r="30" fill="%s"/><circle cx="135" cy="140" r="30" fill="%s"/><path d="M70 110 Q95 40 120 30 M135 110 Q125 60 120 30" stroke="#2f9e44" stroke-width="5" fill="none"/>' % (f, d)),
        ("icecream", "ice cream", "ice cream dessert summer food",
         lambda f, d: '<polygon points="65,100 135,100 100,190" fill="#d9a35b"/><circle cx="100" cy="80" r="40" fill="%s"/>' % f),
        ("pizza", "pizza slice", "pizza slice food",
         lambda f, d: '<polygon points="100,185 35,40 165,40" fill="#f2c500"/><rect x="35" y="30" width="130" height="18" fill="#c8a165"/><circle cx="90" cy="80" r="12" fill="%s"/><circle cx="115" cy="115" r="12" fill="%s"/>' % (f, f)),
        ("carrot", "carrot", "carrot vegetable food",
         lambda f, d: '<polygon points="80,60 120,60 100,190" fill="#f08c00"/><path d="M100 60 L85 20 M100 60 L100 15 M100 60 L115 20" stroke="%s" stroke-width="8"/>' % f),
        ("bread", "bread", "bread loaf bakery food",
         lambda f, d: '<path d="M30 170 L30 90 Q30 45 100 45 Q170 45 170 90 L170 170 Z" fill="#d9a35b" stroke="%s" stroke-width="5"/>' % d),
        ("lollipop", "lollipop", "lollipop candy sweet food",
         lambda f, d: '<rect x="96" y="100" width="8" height="90" fill="#aaa"/><circle cx="100" cy="70" r="50" fill="%s"/><circle cx="100" cy="70" r="25" fill="#fff"/>' % f),
    ],
    "Office": [
        ("pencil", "pencil", "pencil write office school",
         lambda f, d: '<polygon points="40,170 55,130 150,35 165,50 70,145" fill="%s"/><polygon points="40,170 55,130 70,145" fill="#f2d3a0"/>' % f),
        ("envelope", "envelope", "envelope letter mail post office",
         lambda f, d: '<rect x="25" y="55" width="150" height="95" fill="%s"/><polyline points="25,55 100,115 175,55" stroke="%s" stroke-width="6" fill="none"/>' % (f, d)),
        ("paperclip", "paper clip", "paper clip office",
         lambda f, d: '<path d="M80 160 L80 50 Q80 30 100 30 Q120 30 120 50 L120 140 Q120 155 105 155 Q92 155 92 140 L92 70" stroke="%s" stroke-width="8" fill="none"/>' % f),
        ("folder", "folder", "folder file document office",
         lambda f, d: '<path d="M25 60 L80 60 L95 75 L175 75 L175 165 L25 165 Z" fill="%s"/>' % f),
        ("clock", "clock", "clock time office",
         lambda f, d: '<circle cx="100" cy="100" r="75" fill="#fff" stroke="%s" stroke-width="10"/><path d="M100 100 L100 50 M100 100 L135 115" stroke="#222" stroke-width="7"/>' % f),
        ("calendar", "calendar", "calendar date office",
         lambda f, d: '<rect x="35" y="45" width="130" height="125" fill="#fff" stroke="%s" stroke-width="5"/><rect x="35" y="45" width="130" height="30" fill="%s"/>' % (d, f)),
        ("stamp", "postage stamp", "stamp postage mail post office",
         lambda f, d: '<rect x="45" y="35" width="110" height="130" fill="#fff" stroke="%s" stroke-width="6" stroke-dasharray="8 5"/><circle cx="100" cy="100" r="35" fill="%s"/>' % (d, f)),
        ("scissors", "scissors", "scissors cut office",
         lambda f, d: '<circle cx="60" cy="150" r="22" fill="none" stroke="%s" stroke-width="8"/><circle cx="140" cy="150" r="22" fill="none" stroke="%s" stroke-width="8"/>'
                      '<path d="M72 132 L140 30 M128 132 L60 30" stroke="#888" stroke-width="9"/>' % (f, f)),
        ("phone", "telephone", "telephone phone call office",
         lambda f, d: '<rect x="40" y="90" width="120" height="80" rx="12" fill="%s"/><path d="M30 85 Q100 35 170 85" stroke="%s" stroke-width="20" fill="none"/>' % (f, d)),
        ("lamp", "desk lamp", "lamp light desk office",
         lambda f, d: '<rect x="60" y="170" width="80" height="12" fill="#444"/><path d="M100 170 L80 100 L120 60" stroke="#444" stroke-width="8" fill="none"/><polygon points="105,40 165,70 140,100" fill="%s"/>' % f),
    ],
    "Travel": [
        ("car", "car", "car auto drive travel",
         lambda f, d: '<rect x="20" y="95" width="160" height="50" rx="10" fill="%s"/><path d="M50 95 L70 60 L130 60 L150 95Z" fill="%s"/><circle cx="55" cy="150" r="18" fill="#222"/><circle cx="145" cy="150" r="18" fill="#222"/>' % (f, d)),
        ("plane", "airplane", "airplane plane flight travel",
         lambda f, d: '<ellipse cx="100" cy="100" rx="85" ry="16" fill="%s"/><polygon points="90,100 60,30 80,30 120,100" fill="%s"/><polygon points="90,100 60,170 80,170 120,100" fill="%s"/>' % (f, d, d)),
        ("boat", "sailboat", "boat sailboat sea travel",
         lambda f, d: '<path d="M30 140 L170 140 L150 170 L50 170Z" fill="%s"/><polygon points="100,25 100,130 40,130" fill="#fff" stroke="%s" stroke-width="3"/>' % (d, f)),
        ("suitcase", "suitcase", "suitcase luggage bag travel",
         lambda f, d: '<rect x="35" y="65" width="130" height="105" rx="10" fill="%s"/><rect x="75" y="40" width="50" height="25" rx="6" fill="none" stroke="%s" stroke-width="8"/>' % (f, d)),
        ("train", "train", "train rail railway travel",
         lambda f, d: '<rect x="45" y="40" width="110" height="120" rx="15" fill="%s"/><rect x="60" y="55" width="80" height="45" fill="#cfe8ff"/><circle cx="70" cy="170" r="12" fill="#222"/><circle cx="130" cy="170" r="12" fill="#222"/>' % f),
        ("bicycle", "bicycle", "bicycle bike cycle travel",
         lambda f, d: '<circle cx="50" cy="130" r="35" fill="none" stroke="#222" stroke-width="7"/><circle cx="150" cy="130" r="35" fill="none" stroke="#222" stroke-width="7"/>'
                      '<path d="M50 130 L90 75 L140 75 L150 130 M90 75 L100 130 L140 75" stroke="%s" stroke-width="7" fill="none"/>' % f),
        ("globe", "globe", "globe world earth travel",
         lambda f, d: '<circle cx="100" cy="100" r="75" fill="%s"/><path d="M60 70 Q80 50 100 70 Q90 100 70 95Z M110 120 Q140 100 150 130 Q130 160 115 150Z" fill="#2f9e44"/>' % f),
        ("compass", "compass", "compass direction north travel",
         lambda f, d: '<circle cx="100" cy="100" r="75" fill="#fff" stroke="%s" stroke-width="8"/><polygon points="100,35 115,100 100,165 85,100" fill="%s"/>' % (d, f)),
        ("map", "map", "map route travel",
         lambda f, d: '<polygon points="25,45 75,30 125,45 175,30 175,160 125,175 75,160 25,175" fill="%s"/><path d="M50 140 Q90 60 150 70" stroke="#fff" stroke-width="5" stroke-dasharray="8 6" fill="none"/>' % f),
        ("bus", "bus", "bus coach travel",
         lambda f, d: '<rect x="25" y="50" width="150" height="100" rx="12" fill="%s"/><rect x="40" y="65" width="120" height="35" fill="#cfe8ff"/><circle cx="60" cy="155" r="15" fill="#222"/><circle cx="140" cy="155" r="15" fill="#222"/>' % f),
    ],
    "Sports": [
        ("soccer", "soccer ball", "soccer football ball sport",
         lambda f, d: '<circle cx="100" cy="100" r="75" fill="#fff" stroke="%s" stroke-width="6"/><polygon points="%s" fill="%s"/>' % (d, star_points(100, 100, 30, 24), f)),
        ("basketball", "basketball", "basketball ball sport",
         lambda f, d: '<circle cx="100" cy="100" r="75" fill="#f08c00"/><path d="M25 100 L175 100 M100 25 L100 175" stroke="%s" stroke-width="5"/>' % d),
        ("trophy", "trophy", "trophy cup prize winner sport",
         lambda f, d: '<path d="M55 35 L145 35 Q145 115 100 120 Q55 115 55 35Z" fill="%s"/><rect x="90" y="120" width="20" height="35" fill="%s"/><rect x="65" y="155" width="70" height="18" fill="%s"/>' % (f, d, d)),
        ("medal", "medal", "medal prize winner sport",
         lambda f, d: '<polygon points="70,20 100,90 130,20" fill="%s"/><circle cx="100" cy="125" r="45" fill="#f2c500" stroke="%s" stroke-width="5"/>' % (f, d)),
        ("racket", "tennis racket", "tennis racket sport",
         lambda f, d: '<ellipse cx="85" cy="80" rx="50" ry="60" fill="none" stroke="%s" stroke-width="10"/><rect x="118" y="130" width="14" height="60" transform="rotate(-30 125 160)" fill="%s"/>' % (f, d)),
        ("bat", "baseball bat", "baseball bat sport",
         lambda f, d: '<path d="M40 170 L150 40 Q165 30 170 45 L58 180Z" fill="%s"/><circle cx="150" cy="150" r="20" fill="#fff" stroke="#999" stroke-width="3"/>' % f),
        ("flag", "finish flag", "flag finish race sport",
         lambda f, d: '<rect x="40" y="25" width="8" height="160" fill="#444"/><rect x="48" y="30" width="110" height="70" fill="%s"/>' % f),
        ("whistle", "whistle", "whistle referee sport",
         lambda f, d: '<circle cx="80" cy="120" r="45" fill="%s"/><rect x="80" y="75" width="90" height="35" fill="%s"/>' % (f, d)),
        ("skates", "skate", "skate skating ice winter sport",
         lambda f, d: '<path d="M50 40 L100 40 L100 110 L160 120 L160 150 L50 150Z" fill="%s"/><rect x="40" y="165" width="130" height="8" fill="#888"/>' % f),
        ("dumbbell", "dumbbell", "dumbbell weight fitness sport",
         lambda f, d: '<rect x="50" y="92" width="100" height="16" fill="#888"/><rect x="25" y="60" width="30" height="80" fill="%s"/><rect x="145" y="60" width="30" height="80" fill="%s"/>' % (f, f)),
    ],
    "Nature": [
        ("sun", "sun", "sun sunny summer weather nature",
         lambda f, d: '<circle cx="100" cy="100" r="45" fill="#f2c500"/><polygon points="%s" fill="%s" opacity="0.6"/>' % (star_points(100, 100, 95, 50, 12), f)),
        ("flower", "flower", "flower blossom garden spring nature",
         lambda f, d: '<rect x="96" y="110" width="8" height="80" fill="#2f9e44"/>' + ''.join(
             '<circle cx="%d" cy="%d" r="22" fill="%s"/>' % (100 + dx, 75 + dy, f) for dx, dy in ((0, -30), (30, 0), (0, 30), (-30, 0)))
             + '<circle cx="100" cy="75" r="18" fill="#f2c500"/>'),
        ("leaf", "leaf", "leaf tree autumn nature",
         lambda f, d: '<path d="M40 160 Q40 40 160 40 Q160 160 40 160Z" fill="%s"/><path d="M40 160 L150 50" stroke="%s" stroke-width="4"/>' % (f, d)),
        ("cloud", "cloud", "cloud sky weather nature",
         lambda f, d: '<g fill="%s"><circle cx="70" cy="110" r="35"/><circle cx="110" cy="90" r="45"/><circle cx="145" cy="115" r="30"/><rect x="70" y="110" width="75" height="35"/></g>' % f),
        ("mountain", "mountain", "mountain hill landscape nature",
         lambda f, d: '<polygon points="10,180 80,50 150,180" fill="%s"/><polygon points="90,180 140,90 195,180" fill="%s"/><polygon points="80,50 95,78 65,78" fill="#fff"/>' % (f, d)),
        ("moon", "moon", "moon night sky nature",
         lambda f, d: '<path d="M120 25 A80 80 0 1 0 175 130 A60 60 0 1 1 120 25Z" fill="%s"/>' % f),
        ("drop", "rain drop", "rain drop water weather nature",
         lambda f, d: '<path d="M100 20 Q160 110 140 140 A45 45 0 0 1 60 140 Q40 110 100 20Z" fill="%s"/>' % f),
        ("pine", "pine tree", "pine tree forest nature",
         lambda f, d: '<rect x="92" y="150" width="16" height="35" fill="#7a4a1e"/><polygon points="100,20 150,90 50,90" fill="%s"/><polygon points="100,55 165,155 35,155" fill="%s"/>' % (f, d)),
        ("mushroom", "mushroom", "mushroom forest autumn nature",
         lambda f, d: '<rect x="80" y="100" width="40" height="75" fill="#f2e6d0"/><path d="M25 105 Q100 10 175 105Z" fill="%s"/>' % f),
        ("snowflake", "snowflake", "snowflake snow winter weather nature",
         lambda f, d: '<g stroke="%s" stroke-width="9"><path d="M100 20 L100 180"/><path d="M30 60 L170 140"/><path d="M30 140 L170 60"/></g>' % f),
    ],
    "Frames and Borders": [
        ("plainframe", "plain frame", "frame border plain",
         lambda f, d: '<rect x="10" y="10" width="180" height="180" fill="none" stroke="%s" stroke-width="12"/>' % f),
        ("doubleframe", "double frame", "frame border double",
         lambda f, d: '<rect x="8" y="8" width="184" height="184" fill="none" stroke="%s" stroke-width="6"/><rect x="24" y="24" width="152" height="152" fill="none" stroke="%s" stroke-width="3"/>' % (f, d)),
        ("roundframe", "rounded frame", "frame border rounded",
         lambda f, d: '<rect x="10" y="10" width="180" height="180" rx="30" fill="none" stroke="%s" stroke-width="10"/>' % f),
        ("dottedborder", "dotted border", "border frame dotted dots",
         lambda f, d: '<rect x="12" y="12" width="176" height="176" fill="none" stroke="%s" stroke-width="10" stroke-dasharray="2 14" stroke-linecap="round"/>' % f),
        ("dashedborder", "dashed border", "border frame dashed",
         lambda f, d: '<rect x="10" y="10" width="180" height="180" fill="none" stroke="%s" stroke-width="8" stroke-dasharray="18 10"/>' % f),
        ("ovalframe", "oval frame", "frame border oval",
         lambda f, d: '<ellipse cx="100" cy="100" rx="88" ry="92" fill="none" stroke="%s" stroke-width="10"/>' % f),
        ("cornerframe", "corner frame", "frame border corners",
         lambda f, d: ''.join('<path d="%s" stroke="%s" stroke-width="10" fill="none"/>' % (p, f) for p in (
             "M10 60 L10 10 L60 10", "M140 10 L190 10 L190 60", "M190 140 L190 190 L140 190", "M60 190 L10 190 L10 140"))),
        ("starborder", "star border", "border frame stars",
         lambda f, d: ''.join('<polygon points="%s" fill="%s"/>' % (star_points(x, y, 11, 5), f)
                              for x in range(15, 200, 34) for y in (15, 185)) +
                      ''.join('<polygon points="%s" fill="%s"/>' % (star_points(x, y, 11, 5), f)
                              for y in range(49, 170, 34) for x in (15, 185))),
        ("heartborder", "heart border", "border frame hearts love",
         lambda f, d: ''.join('<circle cx="%d" cy="%d" r="8" fill="%s"/>' % (x, y, f) for x in range(15, 200, 25) for y in (15, 185)) +
                      ''.join('<circle cx="%d" cy="%d" r="8" fill="%s"/>' % (x, y, f) for y in range(40, 170, 25) for x in (15, 185))),
        ("ribbonframe", "ribbon frame", "frame border ribbon label",
         lambda f, d: '<rect x="15" y="15" width="170" height="170" fill="none" stroke="%s" stroke-width="14"/><rect x="15" y="15" width="170" height="170" fill="none" stroke="%s" stroke-width="3"/>' % (f, d)),
    ],
}

FORMATS = ["png", "jpg", "pdf", "hpi"]


def main():
    out = sys.argv[1]
    os.makedirs(os.path.join(out, "svg"), exist_ok=True)
    lines = []
    index = 0
    for category, motifs in MOTIFS.items():
        for m, (stem, noun, keywords, draw) in enumerate(motifs):
            for v in range(2):
                colour_name, fill, dark = VARIANTS[(m + v * 3) % len(VARIANTS)]
                fmt = FORMATS[index % len(FORMATS)]
                index += 1
                name = "%s-%s.%s" % (stem, colour_name.lower(), fmt)
                caption = "%s %s" % (colour_name, noun)
                caption = caption[0].upper() + caption[1:]
                with open(os.path.join(out, "svg", name + ".svg"), "w") as f:
                    f.write(svg(draw(fill, dark)))
                words = "%s %s %s" % (keywords, colour_name.lower(), category.lower())
                lines.append("\t".join([name, fmt, category, caption, words]))
    with open(os.path.join(out, "manifest.tsv"), "w") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
