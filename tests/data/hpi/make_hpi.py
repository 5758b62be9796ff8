#!/usr/bin/env python3
"""Writes the "hpi" clip-art container fixtures of the image-utility tests into this folder.

An "hpi" file is an 8-byte signature 0x89 'H' 'P' 'I' 0x0D 0x0A 0x1A 0x0A, four bytes nobody
reads, then unsigned 32-bit little-endian offset and length of a colour picture and offset and
length of its grey mask picture. Both pictures here are PNG files written by hand (no imaging
library needed), so the tests know every pixel:

- the colour picture is 20 x 10: red on the left half, blue on the right half;
- the mask is 10 x 5, grey by column: 255 (opaque) for x < 3, 0 (transparent) for 3 <= x < 6,
  128 (about half) for x >= 6.

Cases: valid.hpi; wrong-signature.hpi (the PNG signature in place of the hpi one);
empty-mask.hpi (mask length 0); undecodable-mask.hpi (the mask block is not a picture).
Run: python3 make_hpi.py
"""
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
SIGNATURE = b"\x89HPI\r\n\x1a\n"
HEADER_SIZE = 28


def png(width, height, colour_type, rows):
    """colour_type 2 (RGB) or 0 (grey); rows of bytes without the filter byte."""
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = b"".join(b"\x00" + row for row in rows)
    header = struct.pack(">IIBBBBB", width, height, 8, colour_type, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def colour_picture():
    row = b"\xff\x00\x00" * 10 + b"\x00\x00\xff" * 10
    return png(20, 10, 2, [row] * 10)


def mask_picture():
    row = bytes(255 if x < 3 else 0 if x < 6 else 128 for x in range(10))
    return png(10, 5, 0, [row] * 5)


def container(colour, mask, signature=SIGNATURE, colour_offset=None, mask_length=None):
    offset = HEADER_SIZE if colour_offset is None else colour_offset
    mask_offset = HEADER_SIZE + len(colour)
    header = signature + b"\x00\x00\x00\x01" + struct.pack(
        "<IIII", offset, len(colour), mask_offset, len(mask) if mask_length is None else mask_length)
    assert len(header) == HEADER_SIZE
    return header + colour + mask


def write(name, data):
    with open(os.path.join(HERE, name), "wb") as out:
        out.write(data)


def main():
    colour = colour_picture()
    mask = mask_picture()
    valid = container(colour, mask)
    write("valid.hpi", valid)
    write("wrong-signature.hpi", container(colour, mask, signature=b"\x89PNG\r\n\x1a\n"))
    write("empty-mask.hpi", container(colour, b"", mask_length=0))
    write("undecodable-mask.hpi", container(colour, b"this is not a picture"))


if __name__ == "__main__":
    main()
