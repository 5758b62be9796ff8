#!/usr/bin/env python3
"""Writes the property-list fixtures of the platform tests into this folder.

Well-formed files come from Python's plistlib, so that our reader is checked against another
writer. Malformed binary files are assembled by hand from the published layout of the format
(header, objects, offset table, 32-byte trailer). Run it again after changing a case; the tests
read the files it leaves here, not the script.
"""

import datetime
import os
import plistlib

HERE = os.path.dirname(os.path.abspath(__file__))


def write(name, data):
    with open(os.path.join(HERE, name), "wb") as out:
        out.write(data)


def all_types(binary):
    # The XML form has whole seconds only and no UID kind: it writes the UID the way keyed
    # archives spell it in XML, a dictionary holding only "CF$UID".
    return {
        "string": "Parcel label",
        "unicode": "Grüße aus 東京 — 📦",
        "empty string": "",
        "zero": 0,
        "negative": -42,
        "large negative": -4294967297,
        "int64 min": -(2 ** 63),
        "int64 max": 2 ** 63 - 1,
        "real": 3.25,
        "negative real": -0.1,
        "true": True,
        "false": False,
        "date": datetime.datetime(2024, 2, 29, 12, 30, 15, 250000 if binary else 0),
        "data": b"\x00\x01\xfe\xff label",
        "uid": plistlib.UID(7) if binary else {"CF$UID": 7},
        "array": [1, "two", [3.5, False], {}],
        "nested": {"level 1": {"level 2": {"numbers": [-1, -2, -3], "name": "deep"}}},
        "empty array": [],
        "empty dict": {},
    }


KEY_ORDER = {"zulu": 1, "alpha": 2, "mike": 3, "bravo": 4, "Échelle": 5}

DISTANT_DATES = [
    datetime.datetime(1, 1, 1),
    datetime.datetime(1900, 1, 1),
    datetime.datetime(1969, 12, 31, 23, 59, 59),
    datetime.datetime(2069, 1, 20),
    datetime.datetime(4001, 1, 1),
    datetime.datetime(9999, 12, 31, 23, 59, 59),
]


def dump(value, fmt):
    return plistlib.dumps(value, fmt=fmt, sort_keys=False)


# --- Hand-made binary property lists -----------------------------------------------------------

def bplist(objects, top=0, offset_size=1, ref_size=1, offsets=None, count=None, declared_offset_size=None):
    """Header, the given encoded objects, an offset table and the trailer."""
    body = bytearray(b"bplist00")
    found = []
    for encoded in objects:
        found.append(len(body))
        body += encoded
    table = len(body)
    for offset in offsets if offsets is not None else found:
        body += offset.to_bytes(offset_size, "big")
    declared = offset_size if declared_offset_size is None else declared_offset_size
    body += bytes(6) + bytes([declared, ref_size])
    body += (len(objects) if count is None else count).to_bytes(8, "big")
    body += top.to_bytes(8, "big") + table.to_bytes(8, "big")
    return bytes(body)


def array(*refs):
    return bytes([0xA0 | len(refs)] + list(refs))


def dictionary(keys, values):
    return bytes([0xD0 | len(keys)] + list(keys) + list(values))


def integer(value):
    return bytes([0x10, value])


def ascii(text):
    return bytes([0x50 | len(text)]) + text.encode("ascii")


def malformed_binary():
    cases = {}
    whole = dump(all_types(True), plistlib.FMT_BINARY)
    cases["truncated"] = whole[: len(whole) // 2]
    # An array of one integer whose integer lies, by the offset table, beyond the objects.
    cases["offset-out-of-range"] = bplist([array(1), integer(5)], offsets=[8, 200])
    cases["ref-out-of-range"] = bplist([array(1, 5), integer(5)])
    cases["self-cycle"] = bplist([array(0)])
    # dictionary {"a": [dictionary]}: object 0 -> 2 -> 0.
    cases["indirect-cycle"] = bplist([dictionary([1], [2]), ascii("a"), array(0)])
    # Forty arrays, each holding the next one twice: 2^40 values once expanded.
    levels = 40
    bomb = [array(i + 1, i + 1) for i in range(levels)] + [integer(1)]
    cases["shared-ref-bomb"] = bplist(bomb)
    # Three hundred arrays nested in one another, deeper than the default limit of 256; with
    # that many objects, references and offsets take two bytes.
    depth = 300
    deep = [bytes([0xA1]) + (i + 1).to_bytes(2, "big") for i in range(depth - 1)] + [bytes([0xA0])]
    cases["too-deep"] = bplist(deep, ref_size=2, offset_size=2)
    cases["non-string-key"] = bplist([dictionary([1], [1]), integer(3)])
    # Keys holding a NUL character, in both string encodings.
    cases["nul-in-key"] = bplist([dictionary([1], [2]), bytes([0x53]) + b"a\x00b", integer(1)])
    cases["nul-in-utf16-key"] = bplist([dictionary([1], [2]), bytes([0x62]) + "é".encode("utf-16-be") + b"\x00\x00",
                                        integer(1)])
    # Unsigned 64-bit numbers need the 16-byte form; they do not fit our signed integers.
    cases["integer-too-large"] = dump([2 ** 64 - 1], plistlib.FMT_BINARY)
    cases["bad-trailer"] = bplist([integer(1)], declared_offset_size=0)
    cases["top-out-of-range"] = bplist([integer(1)], top=4)
    cases["count-too-large"] = bplist([integer(1)], count=1 << 40)
    # A string that claims 200 characters in a file of a few dozen bytes.
    cases["length-overrun"] = bplist([bytes([0x5F, 0x10, 200]) + b"short"])
    cases["unknown-marker"] = bplist([bytes([0x70, 0x00])])
    return cases


def malformed_xml():
    header = ('<?xml version="1.0" encoding="UTF-8"?>\n<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" '
              '"http://www.apple.com/DTDs/PropertyList-1.0.dtd">\n')
    cases = {
        "wrong-tags": header + '<plist version="1.0">\n<dict>\n\t<key>a</key>\n\t<strin>x</strin>\n</dict>\n</plist>\n',
        "mismatched-tags": header + '<plist version="1.0">\n<array>\n\t<string>x</string>\n</dict>\n</plist>\n',
        "unclosed": header + '<plist version="1.0">\n<array>\n\t<string>x</string>\n',
        "bad-date": header + '<plist version="1.0">\n<date>yesterday</date>\n</plist>\n',
        "key-in-array": header + '<plist version="1.0">\n<array>\n\t<key>x</key>\n</array>\n</plist>\n',
        "integer-too-large": header + '<plist version="1.0">\n<array>\n\t<integer>18446744073709551615</integer>\n'
                             '</array>\n</plist>\n',
        "too-deep": header + '<plist version="1.0">\n' + "<array>" * 300 + "</array>" * 300 + "\n</plist>\n",
    }
    return {name: text.encode("utf-8") for name, text in cases.items()}


def main():
    for binary, fmt, form in ((False, plistlib.FMT_XML, "xml"), (True, plistlib.FMT_BINARY, "binary")):
        write(f"all-types.{form}.plist", dump(all_types(binary), fmt))
        write(f"key-order.{form}.plist", dump(KEY_ORDER, fmt))
        write(f"distant-dates.{form}.plist", dump(DISTANT_DATES, fmt))
    # One string object referenced a hundred times: sharing is normal and must be accepted.
    write("shared-refs.binary.plist", bplist([bytes([0xAF, 0x10, 100]) + bytes([1] * 100), ascii("same")]))
    # Small numbers in the 16-byte integer form, sign-extended: read as the numbers they are.
    wide = [bytes([0x14]) + ((-5) % 2 ** 128).to_bytes(16, "big"), bytes([0x14]) + (7).to_bytes(16, "big")]
    write("wide-integers.binary.plist", bplist([array(1, 2)] + wide))
    for name, data in malformed_binary().items():
        write(f"malformed-{name}.binary.plist", data)
    for name, data in malformed_xml().items():
        write(f"malformed-{name}.xml.plist", data)
    write("malformed-garbage.plist", b"This is not a property list.\n\x00\x01\x02")


if __name__ == "__main__":
    main()
