#!/usr/bin/env python3
"""Draws the pictures of the picture panes as SVG files under resources/bundle/Images/: the plate
under each thumbnail ("clipart_plashka"), the placeholder of a picture still arriving ("loading")
and the pieces of the search bar (white bar, coloured progress over it, stop button up and
pressed, and the left end without the mode menu's arrow)."""

import pathlib

OUT = pathlib.Path(__file__).resolve().parent.parent / "resources" / "bundle" / "Images"


def svg(width, height, body):
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
            f'viewBox="0 0 {width} {height}">{body}</svg>\n')


def write(name, width, height, body):
    (OUT / f"{name}.svg").write_text(svg(width, height, body))


def catalogue_pictures():
    # The plate fills a whole cell (74 by 90): a soft card with a lighter picture well over the
    # caption band, so that white pictures still show their edges.
    write("clipart_plashka", 74, 90,
          '<defs><linearGradient id="g" x1="0" y1="0" x2="0" y2="1">'
          '<stop offset="0" stop-color="#f7f8fa"/><stop offset="1" stop-color="#e3e6ea"/></linearGradient></defs>'
          '<rect x="0.5" y="0.5" width="73" height="89" rx="6" fill="url(#g)" stroke="#c3c8cf"/>'
          '<rect x="4.5" y="4.5" width="65" height="66" rx="3" fill="#ffffff" stroke="#d9dde2"/>')
    # Eight dots in a ring, darker towards the top: the usual sign of work under way.
    dots = []
    for i in range(8):
        import math
        a = math.pi * 2 * i / 8 - math.pi / 2
        x = 24 + 14 * math.cos(a)
        y = 24 + 14 * math.sin(a)
        shade = 0x40 + i * 0x16
        dots.append(f'<circle cx="{x:.2f}" cy="{y:.2f}" r="3.6" fill="#{shade:02x}{shade:02x}{shade:02x}"/>')
    write("loading", 48, 48, "".join(dots))


def bar_piece(fill, stroke, kind):
    # One piece of the 21-high capsule: "left", "middle", "right" (an end) or a middle strip.
    if kind == "left":
        return (f'<path d="M24 0.5 H11 A10 10 0 0 0 11 20.5 H24" fill="{fill}" stroke="{stroke}"/>')
    if kind == "right":
        return (f'<path d="M0 0.5 H13 A10 10 0 0 1 13 20.5 H0" fill="{fill}" stroke="{stroke}"/>')
    return (f'<rect x="0" y="0" width="32" height="21" fill="{fill}"/>'
            f'<rect x="0" y="0" width="32" height="1" fill="{stroke}"/>'
            f'<rect x="0" y="20" width="32" height="1" fill="{stroke}"/>')


def magnifier(colour, with_arrow):
    glass = (f'<circle cx="10" cy="9.5" r="4" fill="none" stroke="{colour}" stroke-width="1.6"/>'
             f'<path d="M13 12.5 L16.5 16" stroke="{colour}" stroke-width="2" stroke-linecap="round"/>')
    if with_arrow:
        glass += f'<path d="M17.5 8 H22 L19.75 10.5 Z" fill="{colour}"/>'
    return glass


def stop_button(pressed, fill, stroke):
    disc = "#6d747c" if pressed else "#9aa1a9"
    return (bar_piece(fill, stroke, "right") +
            f'<circle cx="10" cy="10.5" r="6" fill="{disc}"/>'
            '<path d="M7.5 8 L12.5 13 M12.5 8 L7.5 13" stroke="#ffffff" stroke-width="1.6" stroke-linecap="round"/>')


def search_pictures():
    white, white_edge = "#ffffff", "#9ca3ab"
    colour, colour_edge = "#a9cdf5", "#5d93cf"
    write("search_white_left", 24, 21, bar_piece(white, white_edge, "left") + magnifier("#59616a", True))
    write("search_white_left_simple", 24, 21, bar_piece(white, white_edge, "left") + magnifier("#59616a", False))
    write("search_white_middle", 32, 21, bar_piece(white, white_edge, "middle"))
    write("search_white_right", 24, 21, bar_piece(white, white_edge, "right"))
    write("search_white_unpr_del", 24, 21, stop_button(False, white, white_edge))
    write("search_white_pr_del", 24, 21, stop_button(True, white, white_edge))
    # The progress pieces are translucent so that the text and the glass stay readable under them.
    write("search_color_left", 24, 21,
          f'<g opacity="0.6">{bar_piece(colour, colour_edge, "left")}</g>' + magnifier("#2f5f96", True))
    write("search_color_middle", 32, 21, f'<g opacity="0.6">{bar_piece(colour, colour_edge, "middle")}</g>')
    write("search_color_right", 24, 21, f'<g opacity="0.6">{bar_piece(colour, colour_edge, "right")}</g>')
    write("search_color_unpr_del", 24, 21, f'<g opacity="0.6">{stop_button(False, colour, colour_edge)}</g>')
    write("search_color_pr_del", 24, 21, f'<g opacity="0.6">{stop_button(True, colour, colour_edge)}</g>')


def main():
    OUT.mkdir(parents=True, exist_ok=True)
    catalogue_pictures()
    search_pictures()


if __name__ == "__main__":
    main()
