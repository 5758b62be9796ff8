#!/usr/bin/env python3
"""Writes the pieces of the document window's tool bar: for each position of a segment (left,
mid, right) and each state (normal, pressed, on, on and pressed) one SVG background, and the icons
of the selection and text tools. Run from the project root."""
import os

OUT = os.path.join("resources", "bundle", "ModeCell")
W, H, R = 32, 24, 5

STATES = {
    "_normal": ("#fbfbfb", "#e4e4e4"),
    "_mouse": ("#d8d8d8", "#c4c4c4"),
    "_s2b": ("#7fa7d8", "#4f7fbf"),
    "_s2b_mouse": ("#5f8cc4", "#3e6aa6"),
}


def outline(position):
    # Rounded only at the outer ends of the bar.
    left = R if position == "left" else 0
    right = R if position == "right" else 0
    return (f"M{left + 0.5},0.5 H{W - right - 0.5} "
            + (f"A{right},{right} 0 0 1 {W - 0.5},{right + 0.5} " if right else "")
            + f"V{H - right - 0.5} "
            + (f"A{right},{right} 0 0 1 {W - right - 0.5},{H - 0.5} " if right else "")
            + f"H{left + 0.5} "
            + (f"A{left},{left} 0 0 1 0.5,{H - left - 0.5} " if left else "")
            + f"V{left + 0.5} "
            + (f"A{left},{left} 0 0 1 {left + 0.5},0.5 " if left else "")
            + "Z")


def background(position, top, bottom):
    return f"""<svg xmlns="http://www.w3.org/2000/svg" width="{W}" height="{H}" viewBox="0 0 {W} {H}">
<defs><linearGradient id="g" x1="0" y1="0" x2="0" y2="1">
<stop offset="0" stop-color="{top}"/><stop offset="1" stop-color="{bottom}"/></linearGradient></defs>
<path d="{outline(position)}" fill="url(#g)" stroke="#8a8a8a" stroke-width="1"/>
</svg>
"""


ICONS = {
    "select": """<svg xmlns="http://www.w3.org/2000/svg" width="16" height="16" viewBox="0 0 16 16">
<path d="M4,1.5 L4,13.5 L7,10.5 L9.2,15 L11,14.2 L8.8,9.8 L12.8,9.8 Z" fill="#202020" stroke="#ffffff" stroke-width="0.8" stroke-linejoin="round"/>
</svg>
""",
    "text": """<svg xmlns="http://www.w3.org/2000/svg" width="16" height="16" viewBox="0 0 16 16">
<path d="M2.5,2 H13.5 V5 H12.2 L11.8,3.6 H9 V13 L10.6,13.4 V14.5 H5.4 V13.4 L7,13 V3.6 H4.2 L3.8,5 H2.5 Z" fill="#202020"/>
</svg>
""",
}


def main():
    os.makedirs(OUT, exist_ok=True)
    for position in ("left", "mid", "right"):
        for suffix, (top, bottom) in STATES.items():
            with open(os.path.join(OUT, f"{position}{suffix}.svg"), "w", encoding="utf-8") as f:
                f.write(background(position, top, bottom))
    for name, text in ICONS.items():
        with open(os.path.join(OUT, f"{name}Tool.svg"), "w", encoding="utf-8") as f:
            f.write(text)


if __name__ == "__main__":
    main()
