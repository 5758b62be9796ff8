#!/usr/bin/env python3
"""Builds the flattened-RTFD fixtures of this folder from the publicly described layout of a
serialized file wrapper, independently of the C++ reader: 32-bit little-endian numbers, "rtfd"
and 0, then a record; a directory record is 3, the entry count, the names (length and bytes),
the records' lengths and the records; a file record is 1, the length and the bytes, or 1,
0x80000000, the length, a padding length and the padding before the bytes. Run it from anywhere.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def u32(value):
    return struct.pack('<I', value)


def file_record(data, padding=None):
    if padding is None:
        return u32(1) + u32(len(data)) + data
    return u32(1) + u32(0x80000000) + u32(len(data)) + u32(padding) + b'\0' * padding + data


def directory_record(entries):
    """entries: list of (name bytes, record bytes), kept in order."""
    out = u32(3) + u32(len(entries))
    for name, _ in entries:
        out += u32(len(name)) + name
    for _, record in entries:
        out += u32(len(record))
    for _, record in entries:
        out += record
    return out


def attributes(names):
    # The "." entry: per named entry a 16-byte attribute record, as observed in published dumps.
    out = u32(len(names))
    for name in names:
        out += u32(len(name)) + name + u32(16) + u32(0) + u32(0o644) + u32(2) + u32(1)
    return out


def write(name, data):
    with open(os.path.join(HERE, name), 'wb') as out:
        out.write(data)


PNG = bytes.fromhex('89504e470d0a1a0a0000000d49484452000000010000000108060000001f15c489')
TEXT = (b'{\\rtf1\\ansi\\ansicpg1252{\\fonttbl\\f0\\fswiss\\fcharset0 Helvetica;}\n'
        b'\\pard\\qc\\f0\\fs24 Logo: {{\\NeXTGraphic pic.png \\width200 \\height200\n}\\\'ac} done}')


def main():
    # A text with one attachment, with the metadata entries a real archive carries and the
    # text in the padded form.
    write('logo-attachment.rtfd', b'rtfd' + u32(0) + directory_record([
        (b'.', file_record(attributes([b'TXT.rtf', b'pic.png']))),
        (b'TXT.rtf', file_record(TEXT, padding=12)),
        (b'pic.png', file_record(PNG)),
        (b'__@UTF8PreferredName@__', file_record('Entwurf ü.rtfd'.encode('utf-8'))),
    ]))

    # A nested directory whose file is itself a serialized regular file (its bytes under "..").
    regular = directory_record([
        (b'..', file_record(b'GIF89a-bytes')),
        (b'__@PreferredName@__', file_record(b'anim.gif')),
        (b'__@UTF8PreferredName@__', file_record(b'anim.gif')),
        (b'.', file_record(attributes([b'..']))),
    ])
    write('nested-directory.rtfd', b'rtfd' + u32(0) + directory_record([
        (b'TXT.rtf', file_record(b'{\\rtf1 nested}')),
        (b'Images', directory_record([(b'anim.gif', regular), (b'notes.txt', file_record(b'hello'))])),
    ]))

    # The serialized empty directory "Test1", byte for byte as published.
    write('empty-directory-published.rtfd', bytes.fromhex(
        '72746664000000000300000002000000130000005f5f40507265666572726564'
        '4e616d65405f5f170000005f5f405554463850726566657272656'
        '44e616d65405f5f0d0000000d00000001000000050000005465737431010000'
        '00050000005465737431'))


if __name__ == '__main__':
    main()
