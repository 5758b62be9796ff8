#!/usr/bin/env python3
"""Makes the re-encoded vCard fixtures from the hand-written UTF-8 ones beside this script:
vcard30-folded-utf16le-bom.vcf and vcard30-folded-utf16be-bom.vcf (UTF-16 with a byte-order
mark and CRLF line ends, as desktop address books export), vcard30-folded-utf16le-nobom.vcf
(the same without the mark) and vcard30-mixed-utf8-latin1-cards.vcf (a UTF-8 file with a
byte-order mark, one of whose cards is Latin-1 bytes that are no valid UTF-8).
Run from this folder: python3 make_encoded_variants.py
"""
from pathlib import Path

here = Path(__file__).resolve().parent
text = (here / "vcard30-folded.vcf").read_text(encoding="utf-8").replace("\n", "\r\n")
(here / "vcard30-folded-utf16le-bom.vcf").write_bytes(b"\xff\xfe" + text.encode("utf-16-le"))
(here / "vcard30-folded-utf16be-bom.vcf").write_bytes(b"\xfe\xff" + text.encode("utf-16-be"))
(here / "vcard30-folded-utf16le-nobom.vcf").write_bytes(text.encode("utf-16-le"))


def card(name):
    return f"BEGIN:VCARD\r\nVERSION:3.0\r\nN:{name}\r\nEND:VCARD\r\n"


(here / "vcard30-mixed-utf8-latin1-cards.vcf").write_bytes(
    b"\xef\xbb\xbf" + card("Łukasiewicz;Zoë;;;").encode("utf-8") + card("Lefèvre;Hélène;;;").encode("latin-1")
    + card("Müller;Jürgen;;;").encode("utf-8"))
