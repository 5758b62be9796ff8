#!/usr/bin/python3
"""Writes the workbook fixtures of the spreadsheet contact source into tests/data/spreadsheets/.

contacts.xlsx (openpyxl) and contacts.xls (xlwt) hold the same address list on their first sheet
and a second sheet that must not be read; inline.xlsx is written part by part with zipfile, in the
shapes openpyxl does not write: shared strings, rich-text runs with a phonetic reading, cells
without a reference, a boolean, a formula's cached text and a gap between columns.
excel95-hidden-first-sheet.xls is an Excel 5.0/95 (BIFF5) workbook, which no library here writes,
made record by record: a hidden first sheet, then the people on a sheet whose name and texts are
in the workbook's code page. The others are damaged in ways a reader must refuse.

Needs Debian's python3-openpyxl and python3-xlwt (scripts/install-deps.sh installs them); run it
with the system Python: /usr/bin/python3 tools/make_spreadsheet_fixtures.py
"""
import os
import struct
import zipfile

import openpyxl
import xlwt

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "tests", "data", "spreadsheets")

HEADER = ["First Name", "Last Name", "Company", "Home Street", "Home City", "Home Postal Code",
          "Home Country", "E-mail Address"]
ROWS = [
    ["Johanna", "Ashgrove", "Harbour Freight, Ltd.", "22 Elm Row\nFlat 3", "Edinburgh", "EH1 3AA",
     "United Kingdom", "jo@home.example"],
    ["Zoë", "O'Neil", 'The "Quay" Works', "1 Quay Street", "Portland", 97201, "USA", "zoe@home.example"],
    ["Kenji", "Tanaka", "東京 Trading", "3-1 Marunouchi", "Tokyo", "100-0005", "Japan", "kenji@home.example"],
]


def write_xlsx(path):
    book = openpyxl.Workbook()
    sheet = book.active
    sheet.title = "Contacts"
    sheet.append(HEADER)
    for row in ROWS:
        sheet.append(row)
    other = book.create_sheet("Other")
    other.append(["Not", "Read"])
    book.save(path)


def write_xls(path):
    book = xlwt.Workbook(encoding="utf-8")
    sheet = book.add_sheet("Contacts")
    for c, text in enumerate(HEADER):
        sheet.write(0, c, text)
    for r, row in enumerate(ROWS, start=1):
        for c, value in enumerate(row):
            sheet.write(r, c, value)
    other = book.add_sheet("Other")
    other.write(0, 0, "Not read")
    book.save(path)


INLINE_SHEET = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">
<sheetData>
<row r="1"><c r="A1" t="inlineStr"><is><t>First Name</t></is></c><c r="B1" t="s"><v>0</v></c><c r="D1" t="inlineStr"><is><t>Home City</t></is></c><c t="inlineStr"><is><t>Note</t></is></c></row>
<row r="2"><c r="A2" t="inlineStr"><is><r><t>Ma</t></r><r><rPr><b/></rPr><t xml:space="preserve">ri </t></r><r><t>Ann</t></r><rPh sb="0" eb="1"><t>PHONETIC</t></rPh></is></c><c r="B2" t="s"><v>1</v></c><c r="D2" t="str"><f>UPPER("leeds")</f><v>LEEDS</v></c><c t="b"><v>1</v></c></row>
<row r="3"><c r="A3" t="inlineStr"><is><t>Bo</t></is></c><c r="B3" t="s"><v>2</v></c><c r="D3"><v>1.5E+3</v></c><c><v>0.25</v></c></row>
</sheetData>
</worksheet>
"""

INLINE_SHARED = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" count="3" uniqueCount="3">
<si><t>Last Name</t></si><si><r><t>Gre</t></r><r><t>en</t></r></si><si><t>White &amp; Sons</t></si>
</sst>
"""

INLINE_WORKBOOK = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"
 xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">
<sheets><sheet name="People" sheetId="7" r:id="rId3"/><sheet name="Spare" sheetId="1" r:id="rId1"/></sheets>
</workbook>
"""

INLINE_RELS = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/>
<Relationship Id="rId3" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="/xl/worksheets/people.xml"/>
</Relationships>
"""

SPARE_SHEET = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">
<sheetData><row r="1"><c r="A1" t="inlineStr"><is><t>Not read</t></is></c></row></sheetData>
</worksheet>
"""


def write_inline(path):
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("xl/workbook.xml", INLINE_WORKBOOK)
        z.writestr("xl/_rels/workbook.xml.rels", INLINE_RELS)
        z.writestr("xl/sharedStrings.xml", INLINE_SHARED)
        z.writestr("xl/worksheets/people.xml", INLINE_SHEET)
        z.writestr("xl/worksheets/sheet1.xml", SPARE_SHEET)


def write_damaged(folder):
    """Workbooks whose zip is whole but whose parts do not fit together."""
    def sheet(cells):
        return ('<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>'
                '<row r="1">' + cells + '</row></sheetData></worksheet>')
    cases = {
        # A shared-string index past the end of the table.
        "bad-shared-index.xlsx": sheet('<c r="A1" t="s"><v>9</v></c>'),
        # A cell reference beyond the last column a worksheet has.
        "bad-reference.xlsx": sheet('<c r="ZZZZ1" t="inlineStr"><is><t>x</t></is></c>'),
        # A worksheet that breaks off inside an element.
        "broken-sheet.xlsx": sheet('<c r="A1" t="inlineStr"><is><t>x</t></is></c>')[:-40],
    }
    for name, content in cases.items():
        with zipfile.ZipFile(os.path.join(folder, name), "w", zipfile.ZIP_DEFLATED) as z:
            z.writestr("xl/workbook.xml", INLINE_WORKBOOK)
            z.writestr("xl/_rels/workbook.xml.rels", INLINE_RELS)
            z.writestr("xl/sharedStrings.xml", INLINE_SHARED)
            z.writestr("xl/worksheets/people.xml", content)
    # A zip without the workbook part.
    with zipfile.ZipFile(os.path.join(folder, "no-workbook.xlsx"), "w") as z:
        z.writestr("xl/worksheets/sheet1.xml", SPARE_SHEET)


def biff_record(kind, data):
    return struct.pack("<HH", kind, len(data)) + data


def biff5_label(row, column, text):
    raw = text.encode("cp1252")
    return biff_record(0x0204, struct.pack("<HHHH", row, column, 0x0F, len(raw)) + raw)


def biff5_sheet(rows):
    """A worksheet's records: its beginning, dimensions, one text cell per value, its end."""
    columns = max(len(row) for row in rows)
    body = biff_record(0x0809, struct.pack("<HHHH", 0x0500, 0x0010, 0x0DBB, 0x07CC))
    body += biff_record(0x0200, struct.pack("<HHHHH", 0, len(rows), 0, columns, 0))
    for r, row in enumerate(rows):
        for c, text in enumerate(row):
            body += biff5_label(r, c, text)
    return body + biff_record(0x000A, b"")


def biff5_stream(sheets):
    """The "Book" stream of an Excel 5.0/95 workbook: the globals (code page 1252, the window
    with the second sheet active, one sheet record each: position, visibility, kind, then the name
    as a byte-counted 8-bit text), then the sheets."""
    def globals_with(offsets):
        body = biff_record(0x0809, struct.pack("<HHHH", 0x0500, 0x0005, 0x0DBB, 0x07CC))
        body += biff_record(0x0042, struct.pack("<H", 1252))
        body += biff_record(0x003D, struct.pack("<HHHHHHHHH", 0, 0, 0x3000, 0x2000, 0x0038, 1, 0, 1, 0x0258))
        for (name, hidden, _), offset in zip(sheets, offsets):
            raw = name.encode("cp1252")
            body += biff_record(0x0085, struct.pack("<IBBB", offset, 1 if hidden else 0, 0, len(raw)) + raw)
        return body + biff_record(0x000A, b"")
    bodies = [biff5_sheet(rows) for _, _, rows in sheets]
    start = len(globals_with([0] * len(sheets)))
    offsets = []
    for body in bodies:
        offsets.append(start)
        start += len(body)
    stream = globals_with(offsets) + b"".join(bodies)
    # At 4096 bytes and more a stream lives in regular sectors; the zeros after the last record
    # read as its end.
    return stream + b"\0" * max(0, 4096 - len(stream))


def compound_file(stream_name, stream):
    """A compound file of 512-byte sectors holding one stream: the allocation table in sector 0,
    the directory in sector 1, the stream from sector 2 on."""
    sector = 512
    free, end_of_chain, fat_sector = 0xFFFFFFFF, 0xFFFFFFFE, 0xFFFFFFFD
    stream += b"\0" * (-len(stream) % sector)
    count = len(stream) // sector
    fat = [fat_sector, end_of_chain] + [2 + i + 1 for i in range(count - 1)] + [end_of_chain]
    fat += [free] * (sector // 4 - len(fat))
    header = b"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1" + b"\0" * 16
    header += struct.pack("<HHHHH", 0x3E, 3, 0xFFFE, 9, 6) + b"\0" * 6
    header += struct.pack("<IIIIIIIII", 0, 1, 1, 0, 4096, end_of_chain, 0, end_of_chain, 0)
    header += struct.pack("<109I", 0, *([free] * 108))

    def entry(name, kind, child, start, size):
        encoded = (name + "\0").encode("utf-16-le") if name else b""
        return (encoded.ljust(64, b"\0") + struct.pack("<HBB", len(encoded), kind, 1)
                + struct.pack("<III", free, free, child) + b"\0" * 16 + b"\0" * 4 + b"\0" * 16
                + struct.pack("<III", start, size, 0))
    directory = entry("Root Entry", 5, 1, end_of_chain, 0) + entry(stream_name, 2, free, 2, len(stream))
    directory += entry("", 0, free, free, 0) * 2
    return header + struct.pack("<128I", *fat) + directory + stream


def write_biff5(path):
    sheets = [
        ("Old", True, [["Not", "read"]]),
        ("\u00dcbersicht", False, [["First Name", "Last Name", "Home City"],
                                   ["Zo\u00eb", "Abbott", "K\u00f6ln"],
                                   ["Bo", "Baker", "Leeds"]]),
    ]
    with open(path, "wb") as out:
        out.write(compound_file("Book", biff5_stream(sheets)))


def main():
    os.makedirs(OUT, exist_ok=True)
    write_xlsx(os.path.join(OUT, "contacts.xlsx"))
    write_xls(os.path.join(OUT, "contacts.xls"))
    write_inline(os.path.join(OUT, "inline.xlsx"))
    write_damaged(OUT)
    write_biff5(os.path.join(OUT, "excel95-hidden-first-sheet.xls"))


if __name__ == "__main__":
    main()
