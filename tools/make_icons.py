#!/usr/bin/env python3
"""Draws the application icon and the design-file icon as SVG.

Writes resources/icons/parcelwick.svg (the application: an envelope with an address label and a
stamp on a rounded tile) and resources/icons/application-x-parcelwick-design.svg (a design file:
a page with a folded corner carrying the same envelope). Both are drawn on a 128 x 128 grid so
that they stay sharp at the sizes desktops show them. Run it again after changing a shape.
"""
import os

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT = os.path.join(ROOT, 'resources', 'icons')

INK = '#24323f'
PAPER = '#fdfcf7'
STAMP = '#d9534f'
TILE_TOP = '#3d8fd1'
TILE_BOTTOM = '#1f5f99'


def envelope(x, y, w, h, stroke=3.0):
    """An envelope seen from the front: body, flap folds, three address lines and a stamp."""
    flap_y = y + h * 0.46
    parts = [
        f'<rect x="{x}" y="{y}" width="{w}" height="{h}" rx="4" fill="{PAPER}" stroke="{INK}" '
        f'stroke-width="{stroke}"/>',
        f'<path d="M{x + 2} {y + 2} L{x + w / 2} {flap_y} L{x + w - 2} {y + 2}" fill="none" '
        f'stroke="{INK}" stroke-opacity="0.35" stroke-width="{stroke * 0.8}" stroke-linejoin="round"/>',
    ]
    # The address: three lines, the last one shorter, as a postcode and town line is.
    line_x = x + w * 0.30
    for index, length in enumerate((0.50, 0.50, 0.32)):
        line_y = y + h * (0.62 + index * 0.12)
        parts.append(f'<rect x="{line_x:.1f}" y="{line_y:.1f}" width="{w * length:.1f}" '
                     f'height="{h * 0.06:.1f}" rx="1.5" fill="{INK}"/>')
    sw, sh = w * 0.16, h * 0.26
    sx, sy = x + w - sw - w * 0.06, y + h * 0.08
    parts.append(f'<rect x="{sx:.1f}" y="{sy:.1f}" width="{sw:.1f}" height="{sh:.1f}" fill="{STAMP}" '
                 f'stroke="{PAPER}" stroke-width="1.5" stroke-dasharray="2 1.5"/>')
    return '\n  '.join(parts)


def svg(body, defs=''):
    return ('<?xml version="1.0" encoding="UTF-8"?>\n'
            '<svg xmlns="http://www.w3.org/2000/svg" width="128" height="128" viewBox="0 0 128 128">\n'
            + (f'  <defs>\n    {defs}\n  </defs>\n' if defs else '')
            + f'  {body}\n</svg>\n')


def application_icon():
    defs = (f'<linearGradient id="tile" x1="0" y1="0" x2="0" y2="1">'
            f'<stop offset="0" stop-color="{TILE_TOP}"/><stop offset="1" stop-color="{TILE_BOTTOM}"/>'
            f'</linearGradient>')
    body = '\n  '.join([
        '<rect x="6" y="6" width="116" height="116" rx="24" fill="url(#tile)"/>',
        # A label sheet peeking out behind the envelope: the rows of a sheet of address labels.
        f'<rect x="26" y="18" width="76" height="40" rx="3" fill="{PAPER}" fill-opacity="0.55"/>',
        f'<path d="M30 30 H98 M30 42 H98" stroke="{TILE_BOTTOM}" stroke-width="2" stroke-opacity="0.6"/>',
        envelope(16, 40, 96, 64),
    ])
    return svg(body, defs)


def design_file_icon():
    page = (f'<path d="M24 8 H84 L106 30 V120 H24 Z" fill="#ffffff" stroke="{INK}" stroke-width="3" '
            f'stroke-linejoin="round"/>')
    fold = (f'<path d="M84 8 V30 H106" fill="#e6ebf0" stroke="{INK}" stroke-width="3" '
            f'stroke-linejoin="round"/>')
    band = f'<rect x="24" y="98" width="82" height="22" fill="{TILE_TOP}"/>'
    body = '\n  '.join([page, band, f'<path d="M24 98 V120 H106 V98" fill="none" stroke="{INK}" '
                                    f'stroke-width="3" stroke-linejoin="round"/>',
                        fold, envelope(32, 42, 66, 44, stroke=2.5)])
    return svg(body)


def main():
    os.makedirs(OUT, exist_ok=True)
    for name, text in (('parcelwick.svg', application_icon()),
                       ('application-x-parcelwick-design.svg', design_file_icon())):
        with open(os.path.join(OUT, name), 'w', encoding='utf-8') as out:
            out.write(text)


if __name__ == '__main__':
    main()
