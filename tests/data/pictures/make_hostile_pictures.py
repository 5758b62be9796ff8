#!/usr/bin/env python3
"""Writes the picture fixtures that a renderer must not hang or run out of memory on.

eps-endless-loop.eps       four lines of PostScript that loop for ever
pdf-vast-image.pdf         a one-page PDF whose image claims 100000 x 100000 pixels in a few bytes
"""
import os
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))


def write_eps():
    text = b"%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 100 100\n{ } loop\nshowpage\n"
    with open(os.path.join(HERE, "eps-endless-loop.eps"), "wb") as f:
        f.write(text)


def write_pdf():
    pixels = zlib.compress(b"\x80" * 64)
    content = b"q 100 0 0 100 0 0 cm /Im0 Do Q"
    objects = [
        b"<< /Type /Catalog /Pages 2 0 R >>",
        b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 100 100] /Resources << /XObject << /Im0 5 0 R >> >> "
        b"/Contents 4 0 R >>",
        b"<< /Length %d >>\nstream\n" % len(content) + content + b"\nendstream",
        b"<< /Type /XObject /Subtype /Image /Width 100000 /Height 100000 /ColorSpace /DeviceGray "
        b"/BitsPerComponent 8 /Filter /FlateDecode /Length %d >>\nstream\n" % len(pixels) + pixels + b"\nendstream",
    ]
    out = bytearray(b"%PDF-1.4\n")
    offsets = []
    for number, body in enumerate(objects, start=1):
        offsets.append(len(out))
        out += b"%d 0 obj\n" % number + body + b"\nendobj\n"
    xref = len(out)
    out += b"xref\n0 %d\n0000000000 65535 f \n" % (len(objects) + 1)
    for offset in offsets:
        out += b"%010d 00000 n \n" % offset
    out += b"trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (len(objects) + 1, xref)
    with open(os.path.join(HERE, "pdf-vast-image.pdf"), "wb") as f:
        f.write(out)


if __name__ == "__main__":
    write_eps()
    write_pdf()
