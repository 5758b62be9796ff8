#!/usr/bin/env python3
"""Builds the keyed-archive fixtures of this folder with Python's plistlib, in the standard
keyed-archive layout ($archiver, $version, $top, $objects with UID references and $class
descriptions). Run it from anywhere; it rewrites the .plist files beside it.

Well-formed archives: a colour in each colour space, a catalogue colour, a colour in the newer
component form, a font, a styled text of several runs, a text storage with one run, and an array
holding an object of an unknown class. The "malformed-" archives must each be refused, as must
the "fuzz-crash-" files beside them: inputs the keyed-archive fuzzer found, kept as it found them.
"""
import os
import plistlib
import struct
from plistlib import UID

HERE = os.path.dirname(os.path.abspath(__file__))


class Archive:
    """A table of objects; add() answers the UID of the object it appended."""

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

    def colour(self, space, key=None, text=None, **extra):
        fields = {'NSColorSpace': space}
        if key:
            fields[key] = text
        fields.update(extra)
        return self.obj(fields, 'NSColor')

    def font(self, name, size, flags=16):
        return self.obj({'NSName': self.add(name), 'NSSize': size, 'NSfFlags': flags}, 'NSFont')

    def array(self, items):
        return self.obj({'NS.objects': list(items)}, 'NSArray')

    def dictionary(self, pairs):
        return self.obj({'NS.keys': [self.add(k) for k, _ in pairs], 'NS.objects': [v for _, v in pairs]},
                        'NSDictionary')

    def data(self, root):
        return plistlib.dumps({'$version': 100000, '$archiver': 'NSKeyedArchiver', '$top': {'root': root},
                               '$objects': self.objects}, fmt=plistlib.FMT_BINARY)


def write(name, data):
    with open(os.path.join(HERE, name), 'wb') as out:
        out.write(data)


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


def colours():
    cases = {
        'colour-calibrated-rgb.plist': (1, 'NSRGB', b'1 0.5 0.25\x00'),
        'colour-device-rgb-alpha.plist': (2, 'NSRGB', b'0 0.25 1 0.5\x00'),
        'colour-calibrated-white.plist': (3, 'NSWhite', b'0.75\x00'),
        'colour-device-white-alpha.plist': (4, 'NSWhite', b'0.25 0.5\x00'),
        'colour-cmyk.plist': (5, 'NSCMYK', b'0.125 0.25 0.5 0.75 1\x00'),
    }
    for name, (space, key, text) in cases.items():
        archive = Archive()
        write(name, archive.data(archive.colour(space, key, text)))

    archive = Archive()
    root = archive.reserve()
    fallback = archive.colour(1, 'NSRGB', b'0.5 0.25 0\x00')
    archive.objects[root] = {'NSColorSpace': 6, 'NSCatalogName': archive.add('Crayons'),
                             'NSColorName': archive.add('Cantaloupe'), 'NSColor': fallback,
                             '$class': archive.klass('NSColor', 'NSObject')}
    write('colour-catalogue.plist', archive.data(UID(root)))

    # The newer form: exact components and a custom colour space beside the older text.
    archive = Archive()
    space = archive.obj({'NSID': 7}, 'NSColorSpace')
    write('colour-components.plist', archive.data(archive.colour(
        1, 'NSRGB', b'0.98 0 0.03\x00', NSComponents=b'1 0 0 1', NSCustomColorSpace=space)))


def font():
    archive = Archive()
    write('font-helvetica-boldoblique.plist', archive.data(archive.font('Helvetica-BoldOblique', 14.5)))


def paragraph(archive, alignment, tabs=(), **numbers):
    fields = {'NSAlignment': alignment}
    if tabs:
        fields['NSTabStops'] = archive.array(
            [archive.obj({'NSLocation': location, 'NSTabStopType': kind}, 'NSTextTab') for location, kind in tabs])
    fields.update(numbers)
    return archive.obj(fields, 'NSMutableParagraphStyle', 'NSParagraphStyle')


def styled_text():
    # "Bold red, plain\ntabbed" in four runs: bold red Helvetica centred; blue underlined Times
    # with kerning; the newline; a right-aligned paragraph with tab stops, spacing, indents,
    # a baseline offset, strikethrough, superscript and an attribute of the text engine's own.
    archive = Archive()
    root = archive.reserve()
    text = 'Bold red, plain\ntabbed'
    centred = paragraph(archive, 2, NSLineSpacing=2.0, NSParagraphSpacing=6.0)
    right = paragraph(archive, 1, tabs=[(36.0, 0), (72.0, 2), (144.0, 1)], NSParagraphSpacingBefore=3.0,
                      NSHeadIndent=10.0, NSFirstLineHeadIndent=20.0, NSTailIndent=-5.0, NSLineBreakMode=4,
                      NSMinLineHeight=12.0, NSMaxLineHeight=30.0, NSLineHeightMultiple=1.5)
    first = archive.dictionary([
        ('NSFont', archive.font('Helvetica-Bold', 18.0)),
        ('NSColor', archive.colour(1, 'NSRGB', b'1 0 0\x00')),
        ('NSParagraphStyle', centred),
    ])
    second = archive.dictionary([
        ('NSFont', archive.font('TimesNewRomanPSMT', 12.0)),
        ('NSColor', archive.colour(2, 'NSRGB', b'0 0 1\x00')),
        ('NSBackgroundColor', archive.colour(3, 'NSWhite', b'0.5\x00')),
        ('NSUnderline', archive.add(1)),
        ('NSKern', archive.add(1.5)),
        ('NSParagraphStyle', centred),
    ])
    third = archive.dictionary([
        ('NSFont', archive.font('Helvetica', 10.0)),
        ('NSParagraphStyle', right),
        ('NSBaselineOffset', archive.add(-2.0)),
        ('NSStrikethrough', archive.add(1)),
        ('NSSuperScript', archive.add(1)),
        ('CCDataField', archive.add('Company')),
        ('NSAttachment', archive.obj({'NSFileWrapper': UID(0)}, 'NSTextAttachment')),
    ])
    attributes = archive.array([first, second, third])
    info = archive.obj({'NS.data': varints([(9, 0), (7, 1), (6, 2)])}, 'NSMutableData', 'NSData')
    archive.objects[root] = {'NSString': archive.obj({'NS.string': text}, 'NSMutableString', 'NSString'),
                             'NSAttributes': attributes, 'NSAttributeInfo': info,
                             '$class': archive.klass('NSMutableAttributedString', 'NSAttributedString', 'NSObject')}
    write('styled-text.plist', archive.data(UID(root)))

    # A text storage of one run: one attribute dictionary and no run table.
    archive = Archive()
    root = archive.reserve()
    attributes = archive.dictionary([('NSFont', archive.font('Courier', 9.0))])
    archive.objects[root] = {'NSString': archive.add('fixed'), 'NSAttributes': attributes,
                             '$class': archive.klass('NSTextStorage', 'NSMutableAttributedString',
                                                     'NSAttributedString', 'NSObject')}
    write('text-storage.plist', archive.data(UID(root)))


def unknown_class():
    archive = Archive()
    widget = archive.obj({'title': archive.add('ignored')}, 'PWMysteryWidget')
    root = archive.array([archive.add('before'), widget, archive.add(42)])
    write('unknown-class.plist', archive.data(root))


def malformed():
    archive = Archive()
    good = archive.data(archive.colour(1, 'NSRGB', b'1 0 0\x00'))
    write('malformed-truncated.plist', good[:len(good) // 2])

    archive = Archive()
    root = archive.colour(1, 'NSRGB', b'1 0 0\x00')
    archive.objects[root.data]['NSRGB'] = UID(99)
    write('malformed-uid-out-of-range.plist', archive.data(root))

    archive = Archive()
    write('malformed-colour-space-text.plist', archive.data(archive.colour('one', 'NSRGB', b'1 0 0\x00')))

    archive = Archive()
    write('malformed-colour-components.plist', archive.data(archive.colour(1, 'NSRGB', b'1 zero\x00')))

    # Finite in double precision, not in the single precision of colour components.
    archive = Archive()
    write('malformed-colour-component-overflow.plist', archive.data(archive.colour(2, 'NSRGB', b'1e300 0 0\x00')))

    archive = Archive()
    write('malformed-font-name-number.plist',
          archive.data(archive.obj({'NSName': archive.add(12), 'NSSize': 12.0}, 'NSFont')))

    # An array holding a dictionary that holds the array.
    archive = Archive()
    root = archive.reserve()
    inner = archive.dictionary([('back', UID(root))])
    archive.objects[root] = {'NS.objects': [inner], '$class': archive.klass('NSArray', 'NSObject')}
    write('malformed-cycle.plist', archive.data(UID(root)))

    # A catalogue colour whose fallback colour is itself.
    archive = Archive()
    root = archive.reserve()
    archive.objects[root] = {'NSColorSpace': 6, 'NSCatalogName': archive.add('System'),
                             'NSColorName': archive.add('loop'), 'NSColor': UID(root),
                             '$class': archive.klass('NSColor', 'NSObject')}
    write('malformed-colour-cycle.plist', archive.data(UID(root)))

    # Catalogue colours nested far deeper than any real one.
    archive = Archive()
    inner = archive.colour(3, 'NSWhite', b'0\x00')
    for level in range(200):
        inner = archive.obj({'NSColorSpace': 6, 'NSCatalogName': archive.add('Deep'),
                             'NSColorName': archive.add('level'), 'NSColor': inner}, 'NSColor')
    write('malformed-deep-nesting.plist', archive.data(inner))

    archive = Archive()
    runs = archive.add(varints([(3, 0), (9, 0)]))
    root = archive.obj({'NSString': archive.add('short'), 'NSAttributes': archive.array([archive.dictionary([])]),
                        'NSAttributeInfo': runs}, 'NSAttributedString')
    write('malformed-runs-past-end.plist', archive.data(root))

    archive = Archive()
    runs = archive.add(varints([(5, 3)]))
    root = archive.obj({'NSString': archive.add('short'), 'NSAttributes': archive.array([archive.dictionary([])]),
                        'NSAttributeInfo': runs}, 'NSAttributedString')
    write('malformed-run-index.plist', archive.data(root))

    archive = Archive()
    root = archive.colour(1, 'NSRGB', b'1 0 0\x00')
    data = plistlib.dumps({'$version': 100000, '$archiver': 'SomethingElse', '$top': {'root': root},
                           '$objects': archive.objects}, fmt=plistlib.FMT_BINARY)
    write('malformed-wrong-archiver.plist', data)

    archive = Archive()
    root = archive.colour(1, 'NSRGB', b'1 0 0\x00')
    archive.objects[root.data]['$class'] = UID(0)
    write('malformed-class-not-described.plist', archive.data(root))


def main():
    colours()
    font()
    styled_text()
    unknown_class()
    malformed()


if __name__ == '__main__':
    main()
