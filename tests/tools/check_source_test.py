#!/usr/bin/env python3
"""The source check refuses a member defined outside the folder of its class, a number of an
archive read without the archive's ranged getters, and two test files of one folder defining one name."""
import importlib.util
import os
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
SPEC = importlib.util.spec_from_file_location(
    'check_source', os.path.join(HERE, '..', '..', 'tools', 'check_source.py'))
check_source = importlib.util.module_from_spec(SPEC)
SPEC.loader.exec_module(check_source)


def write(root, rel, text):
    path = os.path.join(root, rel)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, 'w', encoding='utf-8') as handle:
        handle.write(text)


class DefinitionsTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.root = self.folder.name
        write(self.root, 'kernel/base/CDDArchive.h',
              'class CDDPicture;\nclass CDDArchive {\npublic:\n    bool SetData(int key) const;\n};\n')
        write(self.root, 'kernel/base/CDDArchive.cpp',
              '#include "kernel/base/CDDArchive.h"\n\nbool CDDArchive::SetData(int) const { return true; }\n')

    def tearDown(self):
        self.folder.cleanup()

    def test_members_defined_beside_their_class_pass(self):
        self.assertEqual(check_source.check_definitions(self.root), [])

    def test_member_defined_in_another_folder_is_refused(self):
        write(self.root, 'kernel/drawing/CDDArchivePictures.cpp',
              'static int helper(int a) { return a; }\n'
              'bool CDDArchive::GetData(const QString &key, CDDPicture &picture) const\n{\n}\n'
              'std::shared_ptr<T> CDDArchive::make(int kind)\n{\n}\n')
        problems = check_source.check_definitions(self.root)
        self.assertEqual(len(problems), 2, problems)
        self.assertTrue(problems[0].startswith('kernel/drawing/CDDArchivePictures.cpp:2: defines a member of CDDArchive'))
        self.assertIn('declared in kernel/base', problems[0])
        self.assertIn(':5:', problems[1])

    def test_forward_declaration_does_not_count_as_the_class(self):
        # CDDPicture is only forward-declared in foundation; its members belong to where it is defined.
        write(self.root, 'kernel/drawing/CDDPicture.h', 'class CDDPicture {\n};\n')
        write(self.root, 'kernel/drawing/CDDPicture.cpp', 'CDDPicture::CDDPicture()\n{\n}\n')
        self.assertEqual(check_source.check_definitions(self.root), [])


class ArchiveNumbersTest(unittest.TestCase):
    HEADER = ('class CDDArchive {\npublic:\n'
              '    bool GetData(const QString &key, int *value) const = delete;\n'
              '    bool GetData(const QString &key, int *value, CDDNumberRange range) const;\n};\n')
    READER = ('// A reader.\nbool CFTPicture::Serialize(const CDDArchive &archive,\n'
              '                           std::vector<CFTComponent *> *list)\n{\n'
              '    archive.GetData(key_Opacity, &mfOpacity, CDDRanges::kOpacity);\n%s}\n\n'
              'double elsewhere(const PWPlist &value)\n{\n    return value.toReal();\n}\n')

    def problems_with(self, rel, text):
        with tempfile.TemporaryDirectory() as root:
            write(root, 'kernel/base/CDDArchive.h', self.HEADER)
            write(root, 'kernel/base/CDDArchive.cpp', 'double number(const PWPlist &v) { return v.toReal(); }\n')
            write(root, rel, text)
            return check_source.check_archive_numbers(root)

    def test_ranged_reads_pass(self):
        self.assertEqual(self.problems_with('kernel/drawing/CFTPicture.cpp', self.READER % ''), [])

    def test_each_unranged_read_is_refused(self):
        cases = [
            ('plist number', 'kernel/drawing/CFTPicture.cpp', self.READER % '    mfOpacity = archive.value(key_Opacity).toReal();\n', 6),
            ('number of a text', 'kernel/drawing/CFTPicture.cpp',
             self.READER % '    mfOpacity = archive.value(key_Opacity).toString().toFloat();\n', 6),
            ('archive reader file', 'kernel/drawing/CDDArchivePictures.cpp', 'int n = stored.toInteger();\n', 1),
            ('getter without a range', 'kernel/base/CDDArchive.h',
             self.HEADER.replace('*value) const = delete;', '*value) const;'), 3),
        ]
        for name, rel, text, line in cases:
            with self.subTest(name):
                problems = self.problems_with(rel, text)
                self.assertEqual(len(problems), 1, problems)
                self.assertTrue(problems[0].startswith(f'{rel}:{line}: '), problems)


class TestNamesTest(unittest.TestCase):
    HELPER = 'namespace {\n\nQByteArray card(const QString &name)\n{\n    return name.toUtf8();\n}\n\n} // namespace\n'
    ALLOWED = ('namespace {\n\nstd::ostream &operator<<(std::ostream &out, const Case &c)\n{\n    return out;\n}\n\n'
               'void PrintTo(const Case &c, std::ostream *out)\n{\n}\n\n} // namespace\n\n'
               'void Fixture::SetUp()\n{\n}\n\nTEST(Suite, Case)\n{\n    EXPECT_TRUE(true);\n}\n'
               'struct Forward;\n')

    def problems_with(self, files):
        with tempfile.TemporaryDirectory() as root:
            for rel, text in files:
                write(root, rel, text)
            return check_source.check_test_names(root)

    def test_a_name_defined_twice_in_one_folder_is_refused(self):
        cases = [
            ('helper in one folder', [('app/pictures/A.cpp', self.HELPER), ('app/pictures/B.cpp', self.HELPER)],
             'tests/app/pictures/B.cpp:3: card is also defined in tests/app/pictures/A.cpp'),
            ('overload in one folder', [('platform/A.cpp', self.HELPER),
                                        ('platform/B.cpp', self.HELPER.replace('const QString &name', 'int n'))],
             'tests/platform/B.cpp:3: card is also defined in tests/platform/A.cpp'),
            ('signature over two lines', [('platform/A.cpp', self.HELPER), ('platform/B.cpp', self.HELPER.replace(
                'QByteArray card(', '// Made up.\nQByteArray\ncard('))],
             'tests/platform/B.cpp:4: card is also defined in tests/platform/A.cpp'),
            ('type in one folder', [('kernel/text/A.cpp', 'struct Case\n{\n};\n'),
                                    ('kernel/text/B.cpp', 'struct Case {\n    int n;\n};\n')],
             'tests/kernel/text/B.cpp:1: Case is also defined in tests/kernel/text/A.cpp'),
        ]
        for name, files, expected in cases:
            with self.subTest(name):
                problems = self.problems_with(files)
                self.assertEqual(len(problems), 1, problems)
                self.assertTrue(problems[0].startswith(expected), problems)

    def test_names_of_other_folders_and_allowed_repeats_pass(self):
        self.assertEqual(self.problems_with([
            ('app/pictures/A.cpp', self.HELPER), ('app/canvas/B.cpp', self.HELPER),
            ('support/C.h', self.HELPER), ('support/D.cpp', self.HELPER),
            ('app/pictures/E.cpp', self.ALLOWED), ('app/pictures/F.cpp', self.ALLOWED)]), [])


if __name__ == '__main__':
    sys.exit(unittest.main())
