#!/usr/bin/env python3
"""Draws the shipped postage art as SVG: one folder per category, a handful of stamp-like
pictures in each (frames, a motif, a value). pw_make_picture_library turns them into the
pictures the postage-art pane lists. Every drawing is made here from simple shapes.

    make_postart_drawings.py <output folder>
"""
import math
import os
import sys

SIZE = 200


def perforated_frame(fill, edge="#ffffff"):
    """A stamp's paper with a perforated edge: small circles cut out along all four sides."""
    parts = [f'<rect x="8" y="8" width="{SIZE - 16}" height="{SIZE - 16}" fill="{fill}" stroke="#555" stroke-width="1"/>']
    step = 12
    for i in range(0, SIZE - 16 + 1, step):
        x = 8 + i
        for (cx, cy) in ((x, 8), (x, SIZE - 8), (8, x), (SIZE - 8, x)):
            parts.append(f'<circle cx="{cx}" cy="{cy}" r="3.5" fill="{edge}"/>')
    return parts


def star(cx, cy, r_out, r_in, points, fill):
    coords = []
    for k in range(points * 2):
        r = r_out if k % 2 == 0 else r_in
        a = math.pi * k / points - math.pi / 2
        coords.append(f"{cx + r * math.cos(a):.1f},{cy + r * math.sin(a):.1f}")
    return f'<polygon points="{" ".join(coords)}" fill="{fill}" stroke="#333" stroke-width="1.5"/>'


def envelope(x, y, w, h, fill):
    return (f'<rect x="{x}" y="{y}" width="{w}" height="{h}" fill="{fill}" stroke="#333" stroke-width="2"/>'
            f'<polyline points="{x},{y} {x + w / 2},{y + h * 0.6} {x + w},{y}" fill="none" stroke="#333" stroke-width="2"/>')


def value_text(text, colour="#222"):
    return (f'<text x="{SIZE - 26}" y="{SIZE - 24}" font-family="DejaVu Sans" font-size="22" font-weight="bold" '
            f'text-anchor="end" fill="{colour}">{text}</text>')


def heart(cx, cy, s, fill):
    return (f'<path d="M {cx} {cy + s} C {cx - 2 * s} {cy - 0.2 * s} {cx - s} {cy - 1.6 * s} {cx} {cy - 0.6 * s} '
            f'C {cx + s} {cy - 1.6 * s} {cx + 2 * s} {cy - 0.2 * s} {cx} {cy + s} Z" fill="{fill}" stroke="#333" stroke-width="1.5"/>')


def tree(cx, base, h, fill):
    return (f'<polygon points="{cx},{base - h} {cx - h * 0.45},{base} {cx + h * 0.45},{base}" fill="{fill}" stroke="#2d4d2d" stroke-width="2"/>'
            f'<rect x="{cx - 6}" y="{base}" width="12" height="16" fill="#7a4e2d"/>')


def plane(cx, cy, fill):
    return (f'<ellipse cx="{cx}" cy="{cy}" rx="52" ry="10" fill="{fill}" stroke="#333" stroke-width="1.5"/>'
            f'<polygon points="{cx - 6},{cy} {cx + 14},{cy} {cx - 14},{cy - 42}" fill="{fill}" stroke="#333" stroke-width="1.5"/>'
            f'<polygon points="{cx - 6},{cy} {cx + 14},{cy} {cx - 14},{cy + 42}" fill="{fill}" stroke="#333" stroke-width="1.5"/>'
            f'<polygon points="{cx - 44},{cy} {cx - 34},{cy} {cx - 50},{cy - 18}" fill="{fill}" stroke="#333" stroke-width="1.5"/>')


def flower(cx, cy, fill):
    petals = "".join(
        f'<ellipse cx="{cx + 22 * math.cos(a):.1f}" cy="{cy + 22 * math.sin(a):.1f}" rx="14" ry="9" '
        f'transform="rotate({math.degrees(a):.0f} {cx + 22 * math.cos(a):.1f} {cy + 22 * math.sin(a):.1f})" fill="{fill}" stroke="#333"/>'
        for a in (k * math.pi / 3 for k in range(6)))
    return petals + f'<circle cx="{cx}" cy="{cy}" r="11" fill="#f4c430" stroke="#333"/>'


def sun(cx, cy, fill):
    rays = "".join(
        f'<line x1="{cx + 30 * math.cos(a):.1f}" y1="{cy + 30 * math.sin(a):.1f}" x2="{cx + 46 * math.cos(a):.1f}" '
        f'y2="{cy + 46 * math.sin(a):.1f}" stroke="{fill}" stroke-width="5" stroke-linecap="round"/>'
        for a in (k * math.pi / 6 for k in range(12)))
    return rays + f'<circle cx="{cx}" cy="{cy}" r="24" fill="{fill}" stroke="#333" stroke-width="1.5"/>'


CATEGORIES = {
    "Mailing Labels": {
        "Envelope Blue": perforated_frame("#dbe9f7") + [envelope(45, 55, 110, 72, "#ffffff"), value_text("1")],
        "Envelope Red": perforated_frame("#f7dede") + [envelope(45, 55, 110, 72, "#fff7e6"), value_text("2")],
        "Priority Star": perforated_frame("#fff3c4") + [star(100, 92, 56, 24, 5, "#e8a33d"), value_text("5")],
        "Parcel": perforated_frame("#e8f1e0") + [
            '<rect x="52" y="58" width="96" height="70" fill="#c9a36b" stroke="#333" stroke-width="2"/>',
            '<line x1="100" y1="58" x2="100" y2="128" stroke="#7a4e2d" stroke-width="5"/>',
            '<line x1="52" y1="90" x2="148" y2="90" stroke="#7a4e2d" stroke-width="5"/>', value_text("3")],
        "Air Mail": perforated_frame("#e4ecfb") + [plane(100, 92, "#7da7d9"), value_text("4")],
    },
    "Holidays": {
        "Winter Tree": perforated_frame("#e3f1f7") + [tree(100, 140, 96, "#3f8f4f"),
                                                       star(100, 40, 12, 5, 5, "#f4c430")],
        "Heart": perforated_frame("#fbe3ea") + [heart(100, 95, 30, "#d94a64"), value_text("1")],
        "Sunny Day": perforated_frame("#fff6d8") + [sun(100, 90, "#f0a020")],
        "Celebration Stars": perforated_frame("#ece6f6") + [star(70, 70, 28, 12, 5, "#9b6fd1"),
                                                             star(128, 96, 36, 15, 5, "#d16fa9"),
                                                             star(80, 130, 20, 8, 5, "#6f9bd1")],
    },
    "Garden": {
        "Daisy": perforated_frame("#eef7e4") + [flower(100, 92, "#ffffff")],
        "Rose": perforated_frame("#f9e6e6") + [flower(100, 92, "#e06a7a")],
        "Leaf": perforated_frame("#e6f2df") + [
            '<path d="M 50 140 C 50 60 120 40 150 50 C 150 110 110 150 50 140 Z" fill="#5aa05a" stroke="#2d4d2d" stroke-width="2"/>',
            '<line x1="50" y1="140" x2="140" y2="58" stroke="#2d4d2d" stroke-width="2"/>'],
    },
}


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_postart_drawings.py <output folder>")
    out = sys.argv[1]
    for category, drawings in CATEGORIES.items():
        folder = os.path.join(out, category)
        os.makedirs(folder, exist_ok=True)
        for name, parts in drawings.items():
            svg = (f'<svg xmlns="http://www.w3.org/2000/svg" width="{SIZE}" height="{SIZE}" viewBox="0 0 {SIZE} {SIZE}">'
                   + "".join(parts) + "</svg>\n")
            with open(os.path.join(folder, name + ".svg"), "w", encoding="utf-8") as f:
                f.write(svg)


if __name__ == "__main__":
    main()
