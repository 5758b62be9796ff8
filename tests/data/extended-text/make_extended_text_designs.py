#!/usr/bin/env python3
"""Writes the hand-made designs of bundle version 72 holding "Extended Text" components that the
text and document tests read.

An extended text is one styled text (a keyed-archived text storage under "Text Storage 2") that
flowed through several blocks ("Blocks", block origins relative to the extended text). Every
paragraph is short enough to take one line, and each block is 36 points high, room for two
12-point lines and not three, so each block shows two paragraphs whatever font stands in.

- version72-extended-text-two-blocks.pwdc: two linked blocks, a bold red first paragraph.
- version72-extended-text-three-blocks.pwdc: three blocks, the second turned, data fields
  ("FTTextTag" 3, 5, 3), a numbered list whose markers share one list object, and a last
  paragraph that fits in no block.

Run from this folder: python3 make_extended_text_designs.py
"""
import plistlib
from plistlib import UID


class Archive:
    def __init__(self):
        self.objects = ['$null']
        self.classes = {}

    def reserve(self):
        self.objects.append(None)
        return len(self.objects) - 1

    def add(self, value):
        self.objects.append(value)
        return UID(len(self.objects) - 1)

    def klass(self, *chain):
        if chain[0] not in self.classes:
            self.classes[chain[0]] = self.add({'$classname': chain[0], '$classes': list(chain)})
        return self.classes[chain[0]]

    def obj(self, fields, *chain):
        index = self.reserve()
        self.objects[index] = dict(fields, **{'$class': self.klass(*chain, 'NSObject')})
        return UID(index)

    def font(self, name, size):
        return self.obj({'NSName': self.add(name), 'NSSize': size, 'NSfFlags': 16}, 'NSFont')

    def colour(self, rgb):
        return self.obj({'NSColorSpace': 1, 'NSRGB': rgb}, 'NSColor')

    def dictionary(self, pairs):
        return self.obj({'NS.keys': [self.add(k) for k, _ in pairs], 'NS.objects': [v for _, v in pairs]},
                        'NSDictionary')

    def data(self, root):
        return plistlib.dumps({'$version': 100000, '$archiver': 'NSKeyedArchiver', '$top': {'root': root},
                               '$objects': self.objects}, fmt=plistlib.FMT_BINARY)


def varints(pairs):
    out = bytearray()
    for length, index in pairs:
        for value in (length, index):
            while True:
                byte = value & 0x7f
                value >>= 7
                out.append(byte | (0x80 if value else 0))
                if not value:
                    break
    return bytes(out)


def text_storage(runs, build):
    """runs: (text, attribute-pairs builder index); build(archive) answers the attribute tables."""
    archive = Archive()
    root = archive.reserve()
    tables = build(archive)
    text = ''.join(t for t, _ in runs)
    attributes = archive.obj({'NS.objects': tables}, 'NSArray')
    info = archive.obj({'NS.data': varints([(len(t), i) for t, i in runs])}, 'NSMutableData', 'NSData')
    archive.objects[root] = {
        'NSString': archive.obj({'NS.string': text}, 'NSMutableString', 'NSString'),
        'NSAttributes': attributes, 'NSAttributeInfo': info,
        '$class': archive.klass('NSTextStorage', 'NSMutableAttributedString', 'NSAttributedString', 'NSObject')}
    return archive.data(UID(root))


def block(x, y, width, height, angle=0.0, fill=False):
    return {'Class ID': 'Extended Text Block', 'Bounds': f'{{{{{x}, {y}}}, {{{width}, {height}}}}}',
            'Angle': f'{angle:.3f}', 'Fill Background': 'YES' if fill else 'NO',
            'Horizontal Alignment': '0', 'Dont AutoResize': 'NO', 'Inset Offset': '0.000'}


def extended(x, y, storage, blocks, angle=0.0):
    return {'Class ID': 'Extended Text', 'Bounds': f'{{{{{x}, {y}}}, {{400, 400}}}}', 'Angle': f'{angle:.3f}',
            'Text Storage 2': storage, 'Blocks': blocks}


def design(components):
    return {
        'Bundle Version': '72',
        'Document Type': 'Label',
        'ISO Country Code To': 'us',
        'ISO Country Code From': 'us',
        'Card Width': '500.000',
        'Card Height': '500.000',
        'Horizontal': 'YES',
        'Predefined Layout': {'Manufacturer': 'Generic', 'ID': 'Old', 'Description': '', 'Category': '',
                              'Type': '', 'PageSize': '', 'Columns': '1', 'Rows': '1'},
        'Front Side': {'Components': components},
    }


def two_blocks():
    def build(archive):
        plain = archive.font('Helvetica', 12.0)
        bold = archive.font('Helvetica-Bold', 12.0)
        return [archive.dictionary([('NSFont', bold), ('NSColor', archive.colour(b'1 0 0\x00'))]),
                archive.dictionary([('NSFont', plain)])]
    storage = text_storage([('Dear friends,', 0), ('\nSee you soon\nat the harbour\non Sunday', 1)], build)
    return design([extended(50, 50, storage, [block(10, 10, 300, 36), block(10, 100, 300, 36)])])


def three_blocks():
    def build(archive):
        plain = archive.font('Helvetica', 12.0)
        numbered = archive.obj({'$0': 1}, 'CCTextList')
        return [archive.dictionary([('NSFont', plain)]),
                archive.dictionary([('NSFont', plain), ('FTTextTag', archive.add(3))]),
                archive.dictionary([('NSFont', plain), ('FTTextTag', archive.add(5))]),
                archive.dictionary([('NSFont', plain), ('FTTextList', numbered)])]
    runs = [('Hello ', 0), ('NAME', 1), ('\nfrom ', 0), ('CITY', 2), ('\n', 0),
            ('\t1.\t', 3), ('apples\n', 0), ('\t2.\t', 3), ('pears\n', 0),
            ('Regards ', 0), ('NAME', 1), ('\nSee you\nThe overflow line', 0)]
    storage = text_storage(runs, build)
    blocks = [block(10, 10, 300, 36), block(10, 100, 300, 36, angle=0.5, fill=True), block(200, 10, 150, 36)]
    return design([extended(50, 50, storage, blocks)])


for name, made in (('version72-extended-text-two-blocks.pwdc', two_blocks()),
                   ('version72-extended-text-three-blocks.pwdc', three_blocks())):
    with open(name, 'wb') as out:
        plistlib.dump(made, out, fmt=plistlib.FMT_XML, sort_keys=False)
