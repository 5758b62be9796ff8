#!/usr/bin/env python3
"""Writes the hand-made design files of bundle version 72 that the document tests read.

Each file is a design as an older version wrote it: every number as text, the persons either as
a vCard ("ABPerson To"/"ABPerson From") or in the stored form ("Person To"/"Person From"), and
plain texts under the class name "Text". Run from this folder: python3 make_old_documents.py
"""
import plistlib


def card(last, first, street, city, region, zip_code, country):
    return (
        "BEGIN:VCARD\r\nVERSION:3.0\r\n"
        f"N:{last};{first};;;\r\nFN:{first} {last}\r\n"
        f"ADR;TYPE=WORK:;;{street};{city};{region};{zip_code};{country}\r\n"
        "END:VCARD\r\n"
    ).encode()


def stored(vcard):
    return {"personData": vcard, "additionalPersonData": []}


def layout(columns, rows, **extra):
    entry = {"Manufacturer": "Generic", "ID": "Old", "Description": "", "Category": "",
             "Type": "", "PageSize": "", "Columns": str(columns), "Rows": str(rows)}
    entry.update(extra)
    return entry


envelope = {
    "Bundle Version": "72",
    "Document Type": "Envelope",
    "ISO Country Code To": "ca",
    "ISO Country Code From": "uk",
    "Address Source To": "1",
    "Address Source From": "2",
    "Card Width": "684.000",
    "Card Height": "297.000",
    "Horizontal": "YES",
    "Units": "1",
    "FIM Barcode Visible": "NO",
    "Custom Layout": layout(1, 1, **{"Has window": "NO"}),
    "Front Side": {"Components": [
        {"Class ID": "Text", "Bounds": "{{20, 30}, {100, 20}}", "Angle": "0.000"},
        {"Class ID": "Square Field", "Bounds": "{{300, 100}, {80, 40}}", "Angle": "0.000"},
    ]},
    "ABPerson To": card("Fromthecard", "Ann", "5 Bay St", "Toronto", "ON", "M5J 2N8", "Canada"),
    "Person To": stored(card("Fromthestoredform", "Bob", "9 Elm St", "Ottawa", "ON", "K1P 1J1", "Canada")),
    "ABPerson From": card("Smith", "Carol", "10 Downing St", "London", "", "SW1A 2AA", "United Kingdom"),
}

label = {
    "Bundle Version": "72",
    "Document Type": "Label",
    "ISO Country Code To": "us",
    "ISO Country Code From": "us",
    "Card Width": "189.000",
    "Card Height": "72.000",
    "Horizontal": "YES",
    "Predefined Layout": layout(3, 10, TopMargin="36.000", LeftMargin="13.500", HSpace="9.000"),
    "Front Side": {},
    "Person To": stored(card("Fromthestoredform", "Dan", "1 Main St", "Springfield", "IL", "62701", "USA")),
    "Person List Name": "Club members",
}

for name, design in (("version72-vcard-persons.pwdc", envelope), ("version72-stored-persons.pwdc", label)):
    with open(name, "wb") as out:
        plistlib.dump(design, out, fmt=plistlib.FMT_XML, sort_keys=False)
