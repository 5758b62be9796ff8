#!/usr/bin/env python3
"""Draws the shipped picture masks as SVG files: a white shape on black, where white keeps the
picture and black hides it (grey keeps it partly). pw_make_masks renders them as grey PNG masks
with JPEG thumbnails.

    make_mask_drawings.py <output folder>
"""
import math
import os
import sys

SIZE = 300
C = SIZE / 2


def svg(body, defs=''):
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{SIZE}" height="{SIZE}" viewBox="0 0 {SIZE} {SIZE}">'
            f'<defs>{defs}</defs><rect width="{SIZE}" height="{SIZE}" fill="black"/>{body}</svg>\n')


def polygon(points):
    return '<polygon fill="white" points="' + ' '.join(f'{x:.2f},{y:.2f}' for x, y in points) + '"/>'


def regular(count, radius, start=-math.pi / 2):
    return [(C + radius * math.cos(start + 2 * math.pi * i / count), C + radius * math.sin(start + 2 * math.pi * i / count))
            for i in range(count)]


def star(points, outer, inner):
    result = []
    for i in range(points * 2):
        radius = outer if i % 2 == 0 else inner
        angle = -math.pi / 2 + math.pi * i / points
        result.append((C + radius * math.cos(angle), C + radius * math.sin(angle)))
    return result


def circles(centres, radius, fill='white'):
    return ''.join(f'<circle cx="{x:.2f}" cy="{y:.2f}" r="{radius:.2f}" fill="{fill}"/>' for x, y in centres)


def scallop():
    ring = regular(16, 118)
    return f'<circle cx="{C}" cy="{C}" r="118" fill="white"/>' + circles(ring, 24)


def stamp_edge():
    # A stamp's perforated border: holes bitten along every edge of a rectangle.
    left, top, right, bottom = 20, 20, SIZE - 20, SIZE - 20
    holes = []
    steps = 13
    for i in range(steps + 1):
        t = left + (right - left) * i / steps
        holes += [(t, top), (t, bottom)]
        u = top + (bottom - top) * i / steps
        holes += [(left, u), (right, u)]
    body = f'<rect x="{left}" y="{top}" width="{right - left}" height="{bottom - top}" fill="white"/>'
    return body + circles(holes, 8, 'black')


def ticket():
    body = '<rect x="20" y="60" width="260" height="180" fill="white"/>'
    return body + circles([(20, 60), (280, 60), (20, 240), (280, 240), (20, 150), (280, 150)], 22, 'black')


def cloud():
    return circles([(95, 170), (150, 125), (205, 160), (120, 195), (190, 200), (150, 180)], 58)


def soft_oval():
    # An oval whose edge fades out: rings from dark grey outside to white inside.
    rings = []
    steps = 12
    for i in range(steps + 1):
        level = round(255 * i / steps)
        scale = 1 - 0.4 * i / steps
        rings.append(f'<ellipse cx="{C}" cy="{C}" rx="{140 * scale:.1f}" ry="{110 * scale:.1f}" '
                     f'fill="rgb({level},{level},{level})"/>')
    return ''.join(rings)


MASKS = {
    'Oval': svg(f'<ellipse cx="{C}" cy="{C}" rx="135" ry="100" fill="white"/>'),
    'Circle': svg(f'<circle cx="{C}" cy="{C}" r="130" fill="white"/>'),
    'Heart': svg('<path fill="white" d="M150 265 C 60 200 15 150 25 95 C 35 45 100 25 150 80 '
                 'C 200 25 265 45 275 95 C 285 150 240 200 150 265 Z"/>'),
    'Star': svg(polygon(star(5, 140, 58))),
    'Burst': svg(polygon(star(16, 140, 105))),
    'Scallop': svg(scallop()),
    'Rounded Rectangle': svg('<rect x="20" y="50" width="260" height="200" rx="40" ry="40" fill="white"/>'),
    'Stamp Edge': svg(stamp_edge()),
    'Diamond': svg(polygon([(C, 15), (285, C), (C, 285), (15, C)])),
    'Hexagon': svg(polygon(regular(6, 138, 0))),
    'Octagon': svg(polygon(regular(8, 138, math.pi / 8))),
    'Arch': svg('<path fill="white" d="M40 285 L40 150 A110 110 0 0 1 260 150 L260 285 Z"/>'),
    'Ticket': svg(ticket()),
    'Cloud': svg(cloud()),
    'Soft Oval': svg(soft_oval()),
    'Speech Bubble': svg('<ellipse cx="150" cy="125" rx="130" ry="95" fill="white"/>'
                         + polygon([(95, 190), (60, 285), (160, 205)])),
}


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for name, text in MASKS.items():
        with open(os.path.join(out, name + '.svg'), 'w', encoding='utf-8') as handle:
            handle.write(text)


if __name__ == '__main__':
    main()
