#!/usr/bin/env python3
"""Draws the pictures of the inspector's small controls as SVG files under
resources/bundle/Images/: the Auto toggle, the bevelled box's eight frame pieces, the toggle
button's three faces and the trash of the address-format editor."""

import pathlib

OUT = pathlib.Path(__file__).resolve().parent.parent / "resources" / "bundle" / "Images"


def write(name, width, height, body):
    (OUT / f"{name}.svg").write_text(
        f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
        f'viewBox="0 0 {width} {height}">{body}</svg>\n')


def auto_toggle():
    # A small "A" badge: grey while automatic mode is off, blue while it is on.
    for name, fill, ink in (("Auto_chek_1", "#d5d9de", "#59616b"), ("Auto_chek_2", "#3f8ee8", "#ffffff")):
        write(name, 18, 16, f'<rect x="0.5" y="0.5" width="17" height="15" rx="4" fill="{fill}" '
              f'stroke="#7b8794"/><path d="M5 12.5 L9 3.5 L13 12.5 M6.6 9 H11.4" fill="none" '
              f'stroke="{ink}" stroke-width="1.6" stroke-linejoin="round"/>')


def bevel():
    # Seven-point pieces: a dark line on the top and left, a light one on the bottom and right,
    # so that the box looks pressed into the window.
    s = 7
    dark, light = "#8a939d", "#ffffff"
    write("left_top", s, s, f'<path d="M0.5 7 V4 A3.5 3.5 0 0 1 4 0.5 H7" fill="none" stroke="{dark}"/>')
    write("top", s, s, f'<rect width="{s}" height="1" fill="{dark}"/>')
    write("right_top", s, s, f'<path d="M0 0.5 H3 A3.5 3.5 0 0 1 6.5 4 V7" fill="none" stroke="{dark}"/>'
          f'<rect x="6" y="5" width="1" height="2" fill="{light}"/>')
    write("left", s, s, f'<rect width="1" height="{s}" fill="{dark}"/>')
    write("right", s, s, f'<rect x="6" width="1" height="{s}" fill="{light}"/>')
    write("left_bottom", s, s, f'<path d="M0.5 0 V3 A3.5 3.5 0 0 0 4 6.5 H7" fill="none" stroke="{light}"/>'
          f'<rect width="1" height="2" fill="{dark}"/>')
    write("bottom", s, s, f'<rect y="6" width="{s}" height="1" fill="{light}"/>')
    write("right_bottom", s, s, f'<path d="M6.5 0 V3 A3.5 3.5 0 0 1 3 6.5 H0" fill="none" stroke="{light}"/>')


def toggle_faces():
    # Off: raised light grey; pressed: darker; on: a blue face.
    for name, top, bottom, edge in (("button_1", "#fdfdfd", "#dcdfe3", "#8a939d"),
                                    ("button_2", "#c4c9cf", "#aab1b9", "#6b737c"),
                                    ("button_3", "#8cc0f5", "#3f8ee8", "#2c6bb3")):
        write(name, 40, 18, f'<defs><linearGradient id="g" x1="0" y1="0" x2="0" y2="1">'
              f'<stop offset="0" stop-color="{top}"/><stop offset="1" stop-color="{bottom}"/>'
              f'</linearGradient></defs><rect x="0.5" y="0.5" width="39" height="17" rx="5" '
              f'fill="url(#g)" stroke="{edge}"/>')


def trash():
    # A bin with a lid and three ribs on a transparent ground.
    write("trash", 32, 32, '<rect x="5" y="6" width="22" height="3" rx="1" fill="#8a939d"/>'
          '<rect x="12" y="3" width="8" height="3" rx="1" fill="#8a939d"/>'
          '<path d="M7 10 H25 L23.5 29 H8.5 Z" fill="#d5d9de" stroke="#59616b"/>'
          '<path d="M12 13 V26 M16 13 V26 M20 13 V26" stroke="#59616b" stroke-width="1.4"/>')


def main():
    OUT.mkdir(parents=True, exist_ok=True)
    auto_toggle()
    bevel()
    toggle_faces()
    trash()


if __name__ == "__main__":
    main()
