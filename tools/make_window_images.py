#!/usr/bin/env python3
"""Draws the pictures of the preferences toolbar and of the assistant (step pictures and the
eight pieces of its tab frame) as SVG files under resources/bundle/Images/."""

import pathlib

OUT = pathlib.Path(__file__).resolve().parent.parent / "resources" / "bundle" / "Images"


def svg(width, height, body):
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
            f'viewBox="0 0 {width} {height}">{body}</svg>\n')


def write(name, width, height, body):
    (OUT / f"{name}.svg").write_text(svg(width, height, body))


def toolbar_icons():
    # A switch panel, an address card, a printer: 32 points square, flat colours.
    write("preferences_general", 32, 32,
          '<rect x="3" y="5" width="26" height="22" rx="4" fill="#7a8594"/>'
          '<rect x="7" y="10" width="18" height="4" rx="2" fill="#e8edf2"/>'
          '<circle cx="20" cy="12" r="3" fill="#3f8ee8"/>'
          '<rect x="7" y="18" width="18" height="4" rx="2" fill="#e8edf2"/>'
          '<circle cx="11" cy="20" r="3" fill="#ffffff" stroke="#56606c"/>')
    write("preferences_panel", 32, 32,
          '<rect x="2" y="6" width="28" height="20" rx="2" fill="#fdfaf0" stroke="#8a7a50"/>'
          '<rect x="6" y="11" width="14" height="2" fill="#444"/>'
          '<rect x="6" y="15" width="18" height="2" fill="#444"/>'
          '<rect x="6" y="19" width="11" height="2" fill="#444"/>'
          '<rect x="23" y="9" width="5" height="6" fill="#d04a3a"/>')
    write("preferences_printing", 32, 32,
          '<rect x="8" y="3" width="16" height="10" fill="#ffffff" stroke="#666"/>'
          '<rect x="3" y="12" width="26" height="12" rx="3" fill="#58626e"/>'
          '<rect x="8" y="20" width="16" height="9" fill="#ffffff" stroke="#666"/>'
          '<rect x="10" y="23" width="12" height="1.5" fill="#888"/>'
          '<circle cx="25" cy="16" r="1.5" fill="#6fdc6f"/>')


def step_pictures():
    # 120 by 240: a label sheet, a brush over a design, an address book.
    back = '<rect width="120" height="240" fill="#dfe6ee"/>'
    sheet = ''.join(f'<rect x="{22 + c * 40}" y="{50 + r * 26}" width="34" height="20" rx="3" '
                    f'fill="#ffffff" stroke="#9aa7b5"/>' for r in range(5) for c in range(2))
    write("wiz_step1", 120, 240, back + '<rect x="16" y="40" width="88" height="150" fill="#f7f9fb" '
          'stroke="#7b8794"/>' + sheet + '<text x="60" y="220" font-size="16" text-anchor="middle" '
          'fill="#4a5868" font-family="sans-serif">1</text>')
    write("wiz_step2", 120, 240, back + '<rect x="14" y="60" width="92" height="60" fill="#ffffff" '
          'stroke="#7b8794"/><rect x="20" y="66" width="22" height="14" fill="#e87b3c"/>'
          '<rect x="50" y="94" width="44" height="4" fill="#555"/><rect x="50" y="102" width="36" '
          'height="4" fill="#555"/><path d="M30 150 L90 130 L96 140 L36 160 Z" fill="#3f8ee8"/>'
          '<text x="60" y="220" font-size="16" text-anchor="middle" fill="#4a5868" '
          'font-family="sans-serif">2</text>')
    write("wiz_step3", 120, 240, back + '<rect x="24" y="50" width="72" height="110" rx="6" '
          'fill="#b5543a"/><rect x="32" y="58" width="56" height="94" rx="3" fill="#fbf6ea"/>'
          '<circle cx="60" cy="88" r="12" fill="#9aa7b5"/><rect x="42" y="108" width="36" '
          'height="4" fill="#555"/><rect x="46" y="118" width="28" height="4" fill="#555"/>'
          '<text x="60" y="220" font-size="16" text-anchor="middle" fill="#4a5868" '
          'font-family="sans-serif">3</text>')


def tab_frame():
    # Corners 8 by 8 with a rounded outline; edges as wide or high as the corners.
    edge = "#8f9aa6"
    inside = "#d8d8d8"
    r = 8
    write("w_top_left", r, r, f'<path d="M0.5 8 V6 A5.5 5.5 0 0 1 6 0.5 H8 V8 Z" fill="{inside}" stroke="{edge}"/>'
          f'<rect x="7" y="1" width="1" height="7" fill="{inside}"/><rect x="1" y="7" width="7" height="1" fill="{inside}"/>')
    write("w_top_right", r, r, f'<path d="M7.5 8 V6 A5.5 5.5 0 0 0 2 0.5 H0 V8 Z" fill="{inside}" stroke="{edge}"/>'
          f'<rect x="0" y="1" width="1" height="7" fill="{inside}"/><rect x="0" y="7" width="7" height="1" fill="{inside}"/>')
    write("w_bottom_left", r, r, f'<path d="M0.5 0 V2 A5.5 5.5 0 0 0 6 7.5 H8 V0 Z" fill="{inside}" stroke="{edge}"/>'
          f'<rect x="7" y="0" width="1" height="7" fill="{inside}"/><rect x="1" y="0" width="7" height="1" fill="{inside}"/>')
    write("w_bottom_right", r, r, f'<path d="M7.5 0 V2 A5.5 5.5 0 0 1 2 7.5 H0 V0 Z" fill="{inside}" stroke="{edge}"/>'
          f'<rect x="0" y="0" width="1" height="7" fill="{inside}"/><rect x="0" y="0" width="7" height="1" fill="{inside}"/>')
    # The frame places each edge by its own size: an edge as wide (top, bottom) or as high
    # (left, right) as the corners starts where the corner ends and leaves it whole.
    write("w_top", r, r, f'<rect width="{r}" height="{r}" fill="{inside}"/><rect width="{r}" height="1" fill="{edge}"/>')
    write("w_bottom", r, r, f'<rect width="{r}" height="{r}" fill="{inside}"/><rect y="7" width="{r}" height="1" fill="{edge}"/>')
    write("w_left", r, r, f'<rect width="{r}" height="{r}" fill="{inside}"/><rect width="1" height="{r}" fill="{edge}"/>')
    write("w_right", r, r, f'<rect width="{r}" height="{r}" fill="{inside}"/><rect x="7" width="1" height="{r}" fill="{edge}"/>')


def main():
    OUT.mkdir(parents=True, exist_ok=True)
    toolbar_icons()
    step_pictures()
    tab_frame()


if __name__ == "__main__":
    main()
