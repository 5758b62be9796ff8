#!/usr/bin/env python3
"""Writes the paper catalogues resources/bundle/Labels.xml, Envelopes.xml and Postcards.xml.

Label sheets come from the sheet database of Debian's glabels-data package (MIT licence, see
resources/README): rectangular and round labels on US Letter and A4 with one regular grid.
Discs, ellipses, business cards, sheets of mixed shapes and layouts that overlap or run off the
page are left out. Label-printer rolls, envelopes and postcards are written here by hand from
published sizes.

The catalogues hold one element per template, one child element per field. Lengths are a number
of digits and dots in inches, or followed by "mm" in millimetres; each template keeps the unit
its source gave.

    cd /tmp && apt-get download glabels-data && dpkg-deb -x glabels-data_*.deb gl
    python3 tools/make_templates.py /tmp/gl/usr/share/libglabels-3.0/templates
"""
import re
import sys
import xml.etree.ElementTree as ET
from pathlib import Path
from xml.sax.saxutils import escape

OUT = Path(__file__).resolve().parent.parent / "resources" / "bundle"

PAGES = {  # page name in the source -> (our name, width pt, height pt of the paper sheets print on)
    "US-Letter": ("Letter", 612.0, 792.0),
    "A4": ("A4", 594.72, 841.68),
}

# Figures the maker publishes for its most used sheets, where the database splits the white space
# differently or rounds the label size (to whole points, so that a sheet two labels of 105 mm wide
# no longer fits its A4): (maker, base part) -> (unit, width, height, columns, rows, left margin,
# top margin, horizontal gap, vertical gap).
PUBLISHED = {
    ("Avery", "5160"): ("in", 2.625, 1.0, 3, 10, 0.1875, 0.5, 0.125, 0.0),
    ("Avery", "7160"): ("mm", 63.5, 38.1, 3, 7, 7.21, 15.15, 2.54, 0.0),
    ("Avery", "7162"): ("mm", 99.1, 33.9, 2, 8, 4.65, 12.9, 2.5, 0.0),
    ("Avery", "7163"): ("mm", 99.1, 38.1, 2, 7, 4.65, 15.15, 2.5, 0.0),
    ("Avery", "7165"): ("mm", 99.1, 67.7, 2, 4, 4.65, 13.1, 2.5, 0.0),
    ("Herma", "4620"): ("mm", 105.0, 37.0, 2, 8, 0.0, 0.0, 0.0, 0.0),
}

FIELD_ORDER = ["Manufacturer", "ID", "Category", "Type", "Description", "PageSize", "Columns", "Rows",
               "LabelWidth", "EnvelopeWidth", "LabelHeight", "EnvelopeHeight", "CornerRadius",
               "PrintableWidth", "PrintableHeight", "TopMargin", "LeftMargin", "HSpace", "VSpace",
               "WinWidth", "WinHeight", "WinBottomOffset", "WinLeftOffset",
               "DYMOPaperWidth", "DYMOPaperHeight", "DYMOOffsetX", "DYMOOffsetY"]

LENGTH_FIELDS = {"LabelWidth", "EnvelopeWidth", "LabelHeight", "EnvelopeHeight", "CornerRadius",
                 "PrintableWidth", "PrintableHeight", "TopMargin", "LeftMargin", "HSpace", "VSpace",
                 "WinWidth", "WinHeight", "WinBottomOffset", "WinLeftOffset",
                 "DYMOPaperWidth", "DYMOPaperHeight", "DYMOOffsetX", "DYMOOffsetY"}


def points(text):
    """A length of the source database in points."""
    m = re.fullmatch(r"\s*([0-9.]+)\s*(pt|in|mm|cm|pc)?\s*", text or "0")
    if not m:
        raise ValueError(f"length {text!r}")
    value = float(m.group(1))
    return value * {"pt": 1.0, None: 1.0, "in": 72.0, "mm": 72.0 / 25.4, "cm": 720.0 / 25.4,
                    "pc": 12.0}[m.group(2)]


def source_unit(text, size):
    """The unit the source wrote; plain points are shown in the unit of the page."""
    if text and re.search(r"(mm|cm)\s*$", text):
        return "mm"
    if text and re.search(r"in\s*$", text):
        return "in"
    return "mm" if size == "A4" else "in"


def length_text(pt, unit):
    """A catalogue length: digits and a dot only, never a sign or an exponent."""
    if pt < 0:
        raise ValueError("negative length")
    if unit == "mm":
        text = f"{pt * 25.4 / 72.0:.3f}".rstrip("0").rstrip(".")
        return (text or "0") + "mm"
    text = f"{pt / 72.0:.5f}".rstrip("0").rstrip(".")
    return text or "0"


def label_category(description, shape):
    d = description.lower()
    if "return address" in d:
        return "Return Address Labels"
    if "shipping" in d:
        return "Shipping Labels"
    if "address" in d or "mailing" in d:
        return "Mailing Labels"
    if "file folder" in d or "filing" in d or "lever arch" in d or "arch file" in d:
        return "File Folder Labels"
    if shape == "round":
        return "Round Labels"
    return "Multipurpose Labels"


SKIPPED_WORDS = ("cd", "dvd", "business card", "diskette", "floppy", "video", "tent card", "index card",
                 "name badge", "divider", "binder", "inlet", "photo", "greeting")


def read_database(folder):
    """(brand, part) -> template element, in file order, with equivalent parts resolved."""
    templates = {}
    order = []
    for path in sorted(Path(folder).glob("*-templates.xml")):
        root = ET.parse(path).getroot()
        for t in root.findall("Template"):
            key = (t.get("brand"), t.get("part"))
            templates[key] = t
            order.append(key)
    resolved = []
    for key in order:
        t = templates[key]
        base = t
        seen = set()
        while base.get("equiv") and (key[0], base.get("equiv")) not in seen:
            seen.add((key[0], base.get("equiv")))
            base = templates.get((key[0], base.get("equiv")))
            if base is None:
                break
        if base is not None and not base.get("equiv"):
            resolved.append((key, base))
    return resolved


def sheet_label(brand, part, base):
    size = base.get("size")
    if size not in PAGES:
        return None
    description = base.get("_description") or base.get("description") or ""
    if any(word in description.lower() for word in SKIPPED_WORDS):
        return None
    categories = {m.get("category") for m in base.findall("Meta")}
    if categories & {"media", "business-card", "photo", "foldable", "name-badge"}:
        return None
    shapes = [c for c in base if c.tag.startswith("Label-")]
    if len(shapes) != 1 or shapes[0].tag not in ("Label-rectangle", "Label-round"):
        return None
    shape = shapes[0]
    layouts = shape.findall("Layout")
    if len(layouts) != 1:
        return None
    layout = layouts[0]
    if shape.tag == "Label-round":
        unit = source_unit(shape.get("radius"), size)
        w = h = 2.0 * points(shape.get("radius"))
        radius = w / 2.0
        kind = "round"
    else:
        unit = source_unit(shape.get("width"), size)
        w = points(shape.get("width"))
        h = points(shape.get("height"))
        radius = min(points(shape.get("round", "0")), min(w, h) / 2.0)
        kind = "rect"
    nx, ny = int(layout.get("nx")), int(layout.get("ny"))
    x0, y0 = points(layout.get("x0")), points(layout.get("y0"))
    dx, dy = points(layout.get("dx", "0")), points(layout.get("dy", "0"))
    hs = dx - w if nx > 1 else 0.0
    vs = dy - h if ny > 1 else 0.0
    published = PUBLISHED.get((brand, base.get("part")))
    if published:
        unit = published[0]
        f = 72.0 if unit == "in" else 72.0 / 25.4
        w, h, nx, ny = published[1] * f, published[2] * f, published[3], published[4]
        x0, y0, hs, vs = (v * f for v in published[5:])
    page_name, pw, ph = PAGES[size]
    if w <= 0 or h <= 0 or nx < 1 or ny < 1 or hs < -0.01 or vs < -0.01 or x0 < 0 or y0 < 0:
        return None
    hs, vs = max(hs, 0.0), max(vs, 0.0)
    if x0 + nx * w + (nx - 1) * hs > pw + 1.0 or y0 + ny * h + (ny - 1) * vs > ph + 1.0:
        return None
    ident = part
    # Four-digit stock numbers of this maker's US sheets are listed with a leading zero.
    if brand == "Avery" and size == "US-Letter" and re.fullmatch(r"\d{4}", part):
        ident = "0" + part
    fields = {
        "Manufacturer": brand, "ID": ident, "Category": label_category(description, kind),
        "Description": description, "PageSize": page_name, "Columns": nx, "Rows": ny,
        "LabelWidth": w, "LabelHeight": h, "CornerRadius": radius, "PrintableWidth": w,
        "PrintableHeight": h, "TopMargin": y0, "LeftMargin": x0, "HSpace": hs, "VSpace": vs,
    }
    return fields, unit


INCH = 72.0
MM = 72.0 / 25.4

# Label-printer rolls: (maker, ID, description, category, label width x length in mm).
ROLLS = [
    ("Dymo", "30252", "Address Labels", "Mailing Labels", 28, 89),
    ("Dymo", "30320", "Address Labels", "Mailing Labels", 28, 89),
    ("Dymo", "30321", "Large Address Labels", "Mailing Labels", 36, 89),
    ("Dymo", "30323", "Shipping Labels", "Shipping Labels", 54, 101),
    ("Dymo", "30256", "Large Shipping Labels", "Shipping Labels", 59, 102),
    ("Dymo", "30330", "Return Address Labels", "Return Address Labels", 19, 51),
    ("Dymo", "30327", "File Folder Labels", "File Folder Labels", 14, 87),
    ("Dymo", "99010", "Standard Address Labels", "Mailing Labels", 28, 89),
    ("Dymo", "99012", "Large Address Labels", "Mailing Labels", 36, 89),
    ("Dymo", "99014", "Shipping Labels", "Shipping Labels", 54, 101),
    ("Dymo", "11352", "Return Address Labels", "Return Address Labels", 25, 54),
    ("Brother", "DK-11201", "Standard Address Labels", "Mailing Labels", 29, 90),
    ("Brother", "DK-11208", "Large Address Labels", "Mailing Labels", 38, 90),
    ("Brother", "DK-11202", "Shipping Labels", "Shipping Labels", 62, 100),
    ("Brother", "DK-11203", "File Folder Labels", "File Folder Labels", 17, 87),
]


def roll(maker, ident, description, category, width_mm, length_mm):
    w, h = width_mm * MM, length_mm * MM
    return ({
        "Manufacturer": maker, "ID": ident, "Category": category, "Description": description,
        "PageSize": "Label Roll", "Columns": 1, "Rows": 1, "LabelWidth": w, "LabelHeight": h,
        "CornerRadius": 2 * MM, "PrintableWidth": w, "PrintableHeight": h,
        # The liner is wider than the label and labels sit a little apart on it; the printer
        # starts printing a little in from the liner's edges.
        "DYMOPaperWidth": w + 4 * MM, "DYMOPaperHeight": h + 3 * MM,
        "DYMOOffsetX": 2 * MM, "DYMOOffsetY": 1.5 * MM,
    }, "mm")


# Envelopes: (ID, category, type, description, long side, short side, unit, window or None).
# A window is (width, height, from the left, from the bottom) in the envelope's unit.
ENVELOPES = [
    ("10", "Commercial/Official", "US", "Commercial #10", 9.5, 4.125, "in", None),
    ("10 Window", "Commercial/Official", "US", "Commercial #10 with window", 9.5, 4.125, "in",
     (4.5, 1.125, 0.875, 0.5)),
    ("9", "Commercial/Official", "US", "Commercial #9", 8.875, 3.875, "in", None),
    ("6 3/4", "Commercial/Official", "US", "Commercial #6-3/4", 6.5, 3.625, "in", None),
    ("11", "Commercial/Official", "US", "Commercial #11", 10.375, 4.5, "in", None),
    ("12", "Commercial/Official", "US", "Commercial #12", 11.0, 4.75, "in", None),
    ("14", "Commercial/Official", "US", "Commercial #14", 11.5, 5.0, "in", None),
    ("Monarch", "Commercial/Official", "US", "Monarch", 7.5, 3.875, "in", None),
    ("A2", "Announcement", "US", "A2 announcement", 5.75, 4.375, "in", None),
    ("A6", "Announcement", "US", "A6 announcement", 6.5, 4.75, "in", None),
    ("A7", "Announcement", "US", "A7 announcement", 7.25, 5.25, "in", None),
    ("A9", "Announcement", "US", "A9 announcement", 8.75, 5.75, "in", None),
    ("6 x 9", "Catalog", "US", "Catalog 6 x 9", 9.0, 6.0, "in", None),
    ("9 x 12", "Catalog", "US", "Catalog 9 x 12", 12.0, 9.0, "in", None),
    ("10 x 13", "Catalog", "US", "Catalog 10 x 13", 13.0, 10.0, "in", None),
    ("DL", "International", "ISO", "DL", 220.0, 110.0, "mm", None),
    ("DL Window", "International", "ISO", "DL with window", 220.0, 110.0, "mm", (90.0, 45.0, 20.0, 15.0)),
    ("C6", "International", "ISO", "C6", 162.0, 114.0, "mm", None),
    ("C6/5", "International", "ISO", "C6/5", 229.0, 114.0, "mm", None),
    ("C5", "International", "ISO", "C5", 229.0, 162.0, "mm", None),
    ("C5 Window", "International", "ISO", "C5 with window", 229.0, 162.0, "mm", (90.0, 45.0, 20.0, 90.0)),
    ("C4", "International", "ISO", "C4", 324.0, 229.0, "mm", None),
    ("B6", "International", "ISO", "B6", 176.0, 125.0, "mm", None),
    ("B5", "International", "ISO", "B5", 250.0, 176.0, "mm", None),
    ("B4", "International", "ISO", "B4", 353.0, 250.0, "mm", None),
]


def envelope(ident, category, kind, description, long_side, short_side, unit, window):
    f = INCH if unit == "in" else MM
    fields = {
        "ID": ident, "Category": category, "Type": kind, "Description": description,
        "EnvelopeWidth": long_side * f, "EnvelopeHeight": short_side * f,
        "PrintableWidth": long_side * f, "PrintableHeight": short_side * f,
    }
    if window:
        fields.update({"WinWidth": window[0] * f, "WinHeight": window[1] * f,
                       "WinLeftOffset": window[2] * f, "WinBottomOffset": window[3] * f})
    return fields, unit


# Postcards: (maker, ID, description, page, columns, rows, width, height, unit, left, top, hgap, vgap)
# Single cards have no page grid: they are fed one at a time.
POSTCARDS = [
    ("", "4 x 6", "Postcard 4 x 6 in", "4 x 6 in", 0, 0, 6.0, 4.0, "in", 0, 0, 0, 0),
    ("", "4.25 x 6", "Postcard 4-1/4 x 6 in", "4.25 x 6 in", 0, 0, 6.0, 4.25, "in", 0, 0, 0, 0),
    ("", "3.5 x 5", "Postcard 3-1/2 x 5 in", "3.5 x 5 in", 0, 0, 5.0, 3.5, "in", 0, 0, 0, 0),
    ("", "5 x 7", "Postcard 5 x 7 in", "5 x 7 in", 0, 0, 7.0, 5.0, "in", 0, 0, 0, 0),
    ("", "A6", "Postcard A6", "A6", 0, 0, 148.0, 105.0, "mm", 0, 0, 0, 0),
    ("", "DL", "Postcard DL", "DL", 0, 0, 210.0, 99.0, "mm", 0, 0, 0, 0),
    # Four cards fill a Letter sheet, standing in two columns and two rows; the designs lie (a
    # predefined layout is designed on its long side) and the sheet turns each onto its place.
    ("Avery", "08387", "Postcards, 4 per sheet", "Letter", 2, 2, 4.25, 5.5, "in", 0, 0, 0, 0),
    ("Avery", "03380", "Postcards, 4 per sheet", "Letter", 2, 2, 4.25, 5.5, "in", 0, 0, 0, 0),
    ("", "A6 on A4", "Postcards A6, 4 per sheet", "A4", 2, 2, 105.0, 148.0, "mm", 0, 0.5, 0, 0),
    ("", "A6 on A4 landscape", "Postcards A6, 4 per sheet", "A4", 1, 2, 148.0, 105.0, "mm", 31.0, 43.5, 0, 0),
]


def postcard(maker, ident, description, page, nx, ny, w, h, unit, left, top, hs, vs):
    f = INCH if unit == "in" else MM
    fields = {"Manufacturer": maker, "ID": ident, "Description": description, "PageSize": page,
              "LabelWidth": w * f, "LabelHeight": h * f, "PrintableWidth": w * f, "PrintableHeight": h * f}
    if nx and ny:
        fields.update({"Columns": nx, "Rows": ny, "TopMargin": top * f, "LeftMargin": left * f,
                       "HSpace": hs * f, "VSpace": vs * f})
    return fields, unit


def write_catalogue(name, element, entries):
    lines = ['<?xml version="1.0" encoding="UTF-8"?>',
             "<!-- Made by tools/make_templates.py; edit the script, not this file. -->",
             f"<{name}>"]
    for fields, unit in entries:
        lines.append(f"  <{element}>")
        for key in FIELD_ORDER:
            if key not in fields:
                continue
            value = fields[key]
            if key in LENGTH_FIELDS:
                if value == 0 and key not in ("LabelWidth", "LabelHeight", "EnvelopeWidth", "EnvelopeHeight"):
                    continue
                text = length_text(value, unit)
            elif isinstance(value, int):
                text = str(value)
            else:
                if not value:
                    continue
                text = escape(value)
            lines.append(f"    <{key}>{text}</{key}>")
        lines.append(f"  </{element}>")
    lines.append(f"</{name}>")
    (OUT / f"{name}.xml").write_text("\n".join(lines) + "\n", encoding="utf-8")
    print(f"{name}.xml: {len(entries)} templates")


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    sheets = []
    seen = set()
    for (brand, part), base in read_database(sys.argv[1]):
        made = sheet_label(brand, part, base)
        if made and (brand, made[0]["ID"]) not in seen:
            seen.add((brand, made[0]["ID"]))
            sheets.append(made)
    page_rank = {"Letter": 0, "A4": 1}

    def natural(text):
        return [int(p) if p.isdigit() else p for p in re.split(r"(\d+)", text)]

    sheets.sort(key=lambda e: (e[0]["Manufacturer"].lower(), page_rank[e[0]["PageSize"]], natural(e[0]["ID"])))
    labels = sheets + [roll(*r) for r in ROLLS]
    write_catalogue("Labels", "Label", labels)
    write_catalogue("Envelopes", "Envelope", [envelope(*e) for e in ENVELOPES])
    write_catalogue("Postcards", "Postcard", [postcard(*p) for p in POSTCARDS])


if __name__ == "__main__":
    main()
