#!/usr/bin/env python3
"""Draws the pictures the sample designs use, as SVG files into the folder given on the command
line. The design generator rasterizes them when it places them in a design; the drawings are the
project's own, flat shapes in a few colours."""

import pathlib
import sys


def svg(body, width=200, height=200):
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
            f'viewBox="0 0 {width} {height}">{body}</svg>\n')


PICTURES = {
    # A leaf with its veins.
    "leaf": svg(
        '<path d="M30 170 C30 80 90 25 175 25 C175 110 120 170 30 170 Z" fill="#4f9a4a"/>'
        '<path d="M30 170 L150 50" stroke="#d9efcf" stroke-width="6" fill="none"/>'
        '<path d="M75 125 L75 85 M100 100 L100 62 M75 125 L118 125 M100 100 L140 100" '
        'stroke="#d9efcf" stroke-width="4" fill="none"/>'),
    # A heart.
    "heart": svg(
        '<path d="M100 175 C40 130 15 100 15 65 C15 35 40 18 65 18 C82 18 95 28 100 42 '
        'C105 28 118 18 135 18 C160 18 185 35 185 65 C185 100 160 130 100 175 Z" fill="#d8434f"/>'
        '<path d="M55 50 C45 55 40 65 42 78" stroke="#f6b9bf" stroke-width="8" fill="none" '
        'stroke-linecap="round"/>'),
    # A five-pointed star.
    "star": svg(
        '<polygon points="100,12 124,74 190,76 138,116 156,182 100,144 44,182 62,116 10,76 76,74" '
        'fill="#f2b632" stroke="#c88a12" stroke-width="5" stroke-linejoin="round"/>'),
    # A closed parcel with tape.
    "parcel": svg(
        '<polygon points="100,20 180,55 100,90 20,55" fill="#d9a45b"/>'
        '<polygon points="20,55 100,90 100,185 20,150" fill="#b98340"/>'
        '<polygon points="180,55 100,90 100,185 180,150" fill="#c8914b"/>'
        '<polygon points="58,38 140,73 140,105 126,99 126,79 46,44" fill="#f1e3c6"/>'),
    # A tower of office buildings for business designs.
    "city": svg(
        '<rect x="20" y="80" width="50" height="100" fill="#3d5a80"/>'
        '<rect x="75" y="30" width="55" height="150" fill="#293f5c"/>'
        '<rect x="135" y="100" width="45" height="80" fill="#5c7ca3"/>'
        + ''.join(f'<rect x="{85 + 15 * c}" y="{42 + 18 * r}" width="9" height="10" fill="#e0e6ee"/>'
                  for r in range(7) for c in range(3))
        + ''.join(f'<rect x="{29 + 16 * c}" y="{92 + 18 * r}" width="9" height="10" fill="#e0e6ee"/>'
                  for r in range(4) for c in range(2))),
    # A sun over hills, for postcards.
    "landscape": svg(
        '<rect width="300" height="200" fill="#9fd3f0"/>'
        '<circle cx="225" cy="55" r="30" fill="#f7c948"/>'
        '<path d="M0 150 C60 90 120 110 170 140 C210 115 260 100 300 125 L300 200 L0 200 Z" fill="#5b9e55"/>'
        '<path d="M0 175 C80 140 170 160 300 170 L300 200 L0 200 Z" fill="#3f7a3b"/>',
        300, 200),
    # A wine glass with a crack: fragile.
    "glass": svg(
        '<path d="M55 20 L145 20 C145 90 125 115 100 118 C75 115 55 90 55 20 Z" fill="#d23b3b"/>'
        '<rect x="95" y="116" width="10" height="50" fill="#d23b3b"/>'
        '<rect x="65" y="164" width="70" height="12" rx="4" fill="#d23b3b"/>'
        '<path d="M98 22 L88 50 L104 62 L94 90" stroke="#ffffff" stroke-width="6" fill="none"/>'),
    # An umbrella with falling drops: keep dry.
    "umbrella": svg(
        '<path d="M20 95 C20 45 60 20 100 20 C140 20 180 45 180 95 C165 85 150 85 140 95 '
        'C130 85 112 85 100 95 C88 85 70 85 60 95 C50 85 35 85 20 95 Z" fill="#2f6fb3"/>'
        '<path d="M100 95 L100 165 C100 182 78 182 76 166" stroke="#2f6fb3" stroke-width="9" '
        'fill="none" stroke-linecap="round"/>'
        '<path d="M40 120 l-6 14 M160 120 l-6 14 M55 150 l-6 14 M150 150 l-6 14" stroke="#2f6fb3" '
        'stroke-width="5" stroke-linecap="round"/>'),
    # Two arrows pointing up over a bar: this side up.
    "arrows": svg(
        '<polygon points="60,20 95,70 75,70 75,150 45,150 45,70 25,70" fill="#1f1f1f"/>'
        '<polygon points="140,20 175,70 155,70 155,150 125,150 125,70 105,70" fill="#1f1f1f"/>'
        '<rect x="20" y="165" width="160" height="14" fill="#1f1f1f"/>'),
}


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_sample_pictures.py OUTPUT_FOLDER")
    out = pathlib.Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    for name, text in PICTURES.items():
        (out / f"{name}.svg").write_text(text)


if __name__ == "__main__":
    main()
