#!/usr/bin/env python3
"""Writes resources/bundle/AddressRecognition.xml: the tables of the free-text address reader.

"Postal Codes": the shapes of the postal codes the reader knows by layout ("us", "uk", "ger",
"can"). In a shape, D stands for a decimal digit, L for a letter of any case, and any other
character for itself; a word matches a shape of its own length.

"Line Roles": which line of an address plays which part, by layout and by the lines holding digits.
Each row applies to its layouts when the number of digit lines ("Digit Lines": "1", "2", "3" or
"other" for none or more than three), the postal code ("found", "none" or "any") and the street
flag ("yes", "no" or "any") fit; the first row that fits gives the roles. A role reads
"<role> <line> [when <condition>, <condition>...]": the line is a sum of L (the number of lines),
D0, D1, D2 (the first, second and third digit line) and whole numbers; a condition compares two
such sums with >, >=, <, <=, = or !=, and all conditions must hold for the role to be given.

Run from the project root: python3 tools/make_address_recognition.py
"""
import plistlib
from pathlib import Path

BUNDLE = Path(__file__).resolve().parent.parent / "resources" / "bundle"

POSTAL_CODES = {
    # Five digits, or ZIP+4.
    "us": {"Code": ["DDDDD", "DDDDD-DDDD"]},
    # Outward and inward code written as one word with a hyphen, or as two words.
    "uk": {
        "One Word": ["LLD-DLL", "LDL-DLL", "LDD-DLL", "LLDD-DLL", "LLLD-DLL", "LLDL-DLL"],
        "Outward": ["LLDD", "LLDL", "LLLD", "LLD", "LDL", "LDD", "LD"],
        "Inward": ["DLL"],
    },
    # Five digits leading the line.
    "ger": {"Code": ["DDDDD"]},
    # Forward sortation area and local delivery unit, two words.
    "can": {"First": ["LDL"], "Second": ["DLD"]},
}

# The rows shared by the layouts whose postal line ends with the city, state and code, or starts
# with the code.
COMMON = [
    ("1", "found", "yes", [
        "streetZip D0",
        "country L-1 when L > 1, L-D0 > 1",
        "name 0 when L > 1, D0 >= 1",
        "company 1 when L > 1, D0 >= 2",
    ]),
    ("1", "found", "no", [
        "zip D0",
        "country L-1 when L > 1, L-D0 > 1",
        "name 0 when L > 1, D0 >= 1",
        "company 1 when L > 1, D0 >= 2",
    ]),
    ("1", "none", "any", [
        "street D0",
        "zip D0+1 when L > 1, L-D0 >= 2",
        "country D0+2 when L > 1, L-D0 > 2",
        "name 0 when L > 1, D0 >= 1",
        "company 1 when L > 1, D0 >= 2",
    ]),
    ("2", "found", "yes", [
        "company D0",
        "streetZip D1",
        "name 0 when L > 2, D0 != 0",
        "country D1+1 when L > 2, L-D1 > 1",
    ]),
    ("2", "found", "no", [
        "street D0",
        "zip D1",
        "country L-1 when L > 2, L-D1 > 1",
        "name 0 when L > 2, D0 >= 1",
        "company 1 when L > 2, D0 >= 2",
    ]),
    ("2", "none", "any", [
        "company D0",
        "street D1",
        "name 0 when L > 2, D0 != 0",
        "zip D1+1 when L > 2, L-D1 >= 2",
        "country D1+2 when L > 2, L-D1 > 2",
    ]),
    ("3", "any", "any", [
        "company D0",
        "street D1",
        "zip D2",
        "country L-1 when L > 3, L-D2 > 1",
        "name 0 when L > 3, D0 != 0",
    ]),
    ("other", "any", "any", [
        "name 0 when L >= 1",
        "company 1 when L >= 2",
        "zip 2 when L >= 3",
        "country 3 when L > 3",
    ]),
]

# British addresses may carry a locality and a county line between the street and the postcode.
UK = [
    ("1", "any", "yes", [
        "streetZip D0",
        "country L-1 when L > 1, L-D0 > 1",
        "name 0 when L > 1, D0 >= 1",
        "company 1 when L > 1, D0 >= 2",
    ]),
    ("1", "any", "no", [
        "zip D0",
        "country L-1 when L > 1, L-D0 > 1",
        "name 0 when L > 1, D0 >= 1",
        "company 1 when L > 1, D0 >= 2",
        "city 2 when L > 1, D0 >= 3",
        "state 3 when L > 1, D0 >= 4",
    ]),
    ("2", "any", "yes", [
        "company D0",
        "streetZip D1",
        "name 0 when L > 2, D0 != 0",
        "country D1+1 when L > 2, L-D1 > 1",
    ]),
    ("2", "any", "no", [
        "street D0",
        "zip D1",
        "name 0 when L > 2, D0 >= 1",
        "company 1 when L > 2, D0 >= 2",
        "country L-1 when L > 2, L-D1 > 1",
        "city D0+1 when L > 2, D1-D0 >= 2",
        "state D0+2 when L > 2, D1-D0 > 2",
    ]),
    ("3", "any", "any", [
        "company D0",
        "street D1",
        "zip D2",
        "country L-1 when L > 3, L-D2 > 1",
        "name 0 when L > 3, D0 != 0",
        "city D1+1 when L > 3, D2-D1 >= 2",
        "state D1+2 when L > 3, D2-D1 > 2",
    ]),
]


def rows(layouts, table):
    return [{"Layouts": layouts, "Digit Lines": digits, "Postal Code": code, "Street": street, "Roles": roles}
            for digits, code, street, roles in table]


def main():
    tables = {
        "Postal Codes": POSTAL_CODES,
        "Line Roles": rows(["us", "ger", "can"], COMMON) + rows(["uk"], UK),
    }
    (BUNDLE / "AddressRecognition.xml").write_bytes(plistlib.dumps(tables, fmt=plistlib.FMT_XML, sort_keys=False))
    print(f"{len(tables['Line Roles'])} role rows written")


if __name__ == "__main__":
    main()
