#!/usr/bin/env python3
"""Writes the delimited text fixtures of the contact import tests: the shapes spreadsheet and
webmail exports take. Run from anywhere; the files land beside this script."""
from pathlib import Path

HERE = Path(__file__).resolve().parent

# A spreadsheet's comma export: a header, quoted fields holding commas, doubled quotes and a
# two-line street, CRLF line ends, a blank line and a trailing empty field.
COMMA = (
    'First Name,Last Name,Company,Home Street,Home City,Home Postal Code,Home Country,'
    'E-mail Address,Business Phone,Homepage\r\n'
    'Johanna,Ashgrove,"Harbour Freight, Ltd.","12 Elm Row\r\nFlat 3",Edinburgh,EH1 3AA,'
    'United Kingdom,jo@home.example,+44 131 555 0101,https://jo.example\r\n'
    '\r\n'
    'Tomas,"O""Reilly",,"7 Quay Street",Galway,H91,Ireland,tomas@example.ie,,\r\n'
)

# A semicolon export as spreadsheets of continental locales write it, with a quoted
# multi-line address and a ragged row (fewer fields than the header).
SEMICOLON = (
    'First Name;Last Name;Company;Street;City;ZIP;Country\n'
    'Greta;Lindqvist;"Nord; Söder AB";"Storgatan 5\nLäge 2";Malmö;211 34;Sweden\n'
    'Pieter;de Vries;;Keizersgracht 1;Amsterdam\n'
)

# Tab-separated, as a webmail address export, with a work and a home address.
TABS = (
    'First Name\tLast Name\tWork Street\tWork City\tHome Street\tHome City\tEmail Work\tEmail Home\tMobile Phone\n'
    'Ada\tQuill\t1 Mill Lane\tLeeds\t9 Brook Rd\tYork\tada@work.example\tada@home.example\t+44 7700 900123\n'
)

UTF16 = (
    'First Name,Last Name,City,Country\r\n'
    'Zoë,Ærøskøbing,Århus,Danmark\r\n'
    'Ōta,Jirō,東京,日本\r\n'
)

LATIN1 = (
    'First Name;Last Name;City\n'
    'René;Müller;Zürich\n'
    'Ángel;Niño;Málaga\n'
)


def main():
    (HERE / 'spreadsheet-comma-multiline.csv').write_bytes(COMMA.encode('utf-8'))
    (HERE / 'spreadsheet-semicolon-ragged.csv').write_bytes(SEMICOLON.encode('utf-8'))
    (HERE / 'webmail-tab-separated.tsv').write_bytes(TABS.encode('utf-8'))
    (HERE / 'utf16le-bom.csv').write_bytes(b'\xff\xfe' + UTF16.encode('utf-16-le'))
    (HERE / 'latin1-semicolon.csv').write_bytes(LATIN1.encode('latin-1'))
    # A picture chosen by mistake: a PNG signature and header with their zero bytes.
    (HERE / 'binary-picture.png').write_bytes(
        b'\x89PNG\r\n\x1a\n\x00\x00\x00\rIHDR\x00\x00\x00\x01\x00\x00\x00\x01\x08\x06\x00\x00\x00\x1f\x15\xc4\x89')


if __name__ == '__main__':
    main()
