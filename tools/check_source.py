#!/usr/bin/env python3
"""Source checks run by CTest.

layers: every #include of a project header points to the same layer or one below it, and
nothing under src/kernel or src/platform includes a widget or printing header.
definitions: a source file defines members only of classes declared in its own folder, so that no
class hides a dependency on a higher layer by having its members defined up there.
sizes: no source file passes the size budget; prints the ratio of test lines to source lines.
archive numbers: every number of a design is read through the archive's ranged getters. The archive
declares no getter of a number without a range, and no reader of an archive (a function that takes
one, or a file of the archive's own readers) reads a number from a stored value itself.
test names: the test files of one folder are compiled together, so no two of them define a function
or a type of the same name at file scope: two helpers of one name would otherwise be overloads, and a
call could take the other file's.
"""
import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SRC = os.path.join(ROOT, 'src')

# Lowest first. A file may include headers of its own layer and of the layers before it.
LAYERS = [
    'platform',
    'kernel/base',       # values, strings, geometry, the archive, the environment
    'kernel/render',     # the drawer, shadows, barcode bars, the text model and its layout
    'kernel/component',  # the component, the core document, guidelines, the class registry, the core view
    'kernel/drawing',
    'kernel/text',
    'kernel/address',
    'kernel/document',
    'kernel/printing',
    'kernel/merge',      # the mail merge: application document, document map, filters, page loop
    'kernel',            # the kernel's start-up, above every kernel folder
    'app/document',
    'app/printing',
    'app/contacts',
    'app/pictures',
    'app/canvas',
    'app/inspector',
    'app/printsheet',    # the print sheet window: its editing tab is a canvas
    'app/shell',
    'app/command',       # the command line, batch jobs and the running-instance door
    '',                  # src/main.cpp
]

WIDGET_MODULES = ('QtWidgets', 'QtPrintSupport')
WIDGET_HEADERS = re.compile(r'^Q(Application|Widget|Dialog|Action|Menu|MainWindow|Printer|PrintDialog|MessageBox|'
                            r'AbstractButton|PushButton|Label|LineEdit|GraphicsView|GraphicsScene|Style|Layout)\b')
INCLUDE = re.compile(r'^\s*#\s*include\s+([<"])([^>"]+)[>"]')
MAX_LINES = 800


def layer_of(rel):
    folder = os.path.dirname(rel)
    best = None
    for index, name in enumerate(LAYERS):
        if folder == name or (name and folder.startswith(name + '/')):
            if best is None or len(name) > len(LAYERS[best]):
                best = index
    return best


def sources(top, exts=('.h', '.cpp')):
    for folder, _, files in os.walk(top):
        for name in sorted(files):
            if name.endswith(exts):
                yield os.path.join(folder, name)


def check_layers():
    problems = []
    for path in sources(SRC):
        rel = os.path.relpath(path, SRC)
        own = layer_of(rel)
        headless = rel.startswith(('kernel/', 'platform/'))
        with open(path, encoding='utf-8') as handle:
            for number, line in enumerate(handle, 1):
                match = INCLUDE.match(line)
                if not match:
                    continue
                quote, target = match.groups()
                where = f'{rel}:{number}'
                if quote == '"':
                    if not os.path.exists(os.path.join(SRC, target)):
                        problems.append(f'{where}: "{target}" is not spelled from src/')
                        continue
                    theirs = layer_of(target)
                    if theirs is None or own is None or theirs > own:
                        problems.append(f'{where}: {LAYERS[own]} includes "{target}" of a higher layer')
                elif headless:
                    module = target.split('/')[0]
                    leaf = target.split('/')[-1]
                    if module in WIDGET_MODULES or WIDGET_HEADERS.match(leaf):
                        problems.append(f'{where}: <{target}> is a widget header in headless code')
    return problems


CLASS_DECLARATION = re.compile(r'^\s*(?:class|struct)\s+(?:\w+\s+)?([A-Z]\w*)\b(?!\s*;)')
MEMBER_DEFINITION = re.compile(r'^(?:[\w:<>,*&]+\s+)*?[*&]*\b([A-Z]\w*)::(~?\w+|operator\W+)\s*\(')


def declaring_folders(top):
    folders = {}
    for path in sources(top, ('.h',)):
        folder = os.path.dirname(os.path.relpath(path, top))
        with open(path, encoding='utf-8') as handle:
            for line in handle:
                match = CLASS_DECLARATION.match(line)
                if match:
                    folders.setdefault(match.group(1), set()).add(folder)
    return folders


def check_definitions(top=SRC):
    problems = []
    declared = declaring_folders(top)
    for path in sources(top, ('.cpp',)):
        rel = os.path.relpath(path, top)
        own = os.path.dirname(rel)
        with open(path, encoding='utf-8') as handle:
            for number, line in enumerate(handle, 1):
                match = MEMBER_DEFINITION.match(line)
                if match and match.group(1) in declared and own not in declared[match.group(1)]:
                    where = ', '.join(sorted(declared[match.group(1)]))
                    problems.append(f'{rel}:{number}: defines a member of {match.group(1)}, declared in {where}')
    return problems


def count_lines(top):
    total = 0
    for path in sources(top):
        with open(path, encoding='utf-8') as handle:
            total += sum(1 for _ in handle)
    return total


def check_sizes():
    problems = []
    for top in ('src', 'tests', 'bench', 'fuzz'):
        for path in sources(os.path.join(ROOT, top)):
            with open(path, encoding='utf-8') as handle:
                lines = sum(1 for _ in handle)
            if lines > MAX_LINES:
                problems.append(f'{os.path.relpath(path, ROOT)}: {lines} lines, over the budget of {MAX_LINES}')
    code = count_lines(SRC)
    tests = count_lines(os.path.join(ROOT, 'tests'))
    print(f'test lines / source lines: {tests} / {code} = {tests / code:.2f}')
    return problems


# The one place that turns stored values into numbers, and its declarations.
ARCHIVE_READER = 'kernel/base/CDDArchive.cpp'
ARCHIVE_HEADER = 'kernel/base/CDDArchive.h'
# A number taken from a stored value: as a number of the property list, or from its text.
STORED_NUMBER = re.compile(r'\.(?:toReal|toInteger|isNumber|isReal|isInteger)\(\)'
                           r'|\.toString\(\)(?:\.trimmed\(\))?\.to(?:Double|Float|Int|UInt|Long|LongLong|ULongLong)\('
                           r'|\bPWLeading(?:Integer|Real)\b|\bstrto(?:d|f|l|ll|ul|ull)\s*\(|\bato[fil]\s*\(')
UNRANGED_GETTER = re.compile(r'\bGetData\(\s*const QString &\w*\s*,\s*(?:int|long|float|double)\s*\*\s*\w*\s*\)\s*const\s*(=\s*delete)?')


def functions(lines):
    """(signature, body lines with their numbers, line of the signature) of each function defined at
    the left margin: its signature runs from the last blank, comment or closing line to a lone '{'."""
    signature = []
    first = 0
    body = None
    for number, line in enumerate(lines, 1):
        text = line.rstrip()
        if body is not None:
            if text.startswith('}'):
                yield ' '.join(signature), body, first
                signature, body = [], None
            else:
                body.append((number, text))
        elif text == '{':
            body = []
        elif not text or text.startswith(('//', '#', '}')) or text.endswith((';', '{')):
            signature = []
        else:
            if not signature:
                first = number
            signature.append(text)


def check_archive_numbers(top=SRC):
    problems = []
    header = os.path.join(top, ARCHIVE_HEADER)
    if os.path.exists(header):
        with open(header, encoding='utf-8') as handle:
            for number, line in enumerate(handle, 1):
                match = UNRANGED_GETTER.search(line)
                if match and not match.group(1):
                    problems.append(f'{ARCHIVE_HEADER}:{number}: a getter of a number without a range')
    for path in sources(top):
        rel = os.path.relpath(path, top)
        if rel.startswith('platform/') or rel == ARCHIVE_READER:
            continue
        with open(path, encoding='utf-8') as handle:
            lines = handle.readlines()
        if os.path.basename(rel).startswith('CDDArchive'):
            readers = [list(enumerate((line.rstrip() for line in lines), 1))]
        else:
            readers = [body for signature, body, _ in functions(lines) if 'CDDArchive' in signature]
        for body in readers:
            for number, text in body:
                if STORED_NUMBER.search(text.split('//')[0]):
                    problems.append(f'{rel}:{number}: reads a number of an archive without the archive\'s '
                                    f'ranged getters')
    return problems


TESTS = os.path.join(ROOT, 'tests')
# Folders whose files are support, not a test program's own.
TEST_SUPPORT_FOLDERS = ('support', 'plugins', 'tools', 'desktop', 'install', 'data')
TYPE_DEFINITION = re.compile(r'^(?:struct|class)\s+(\w+)\b[^;]*$')
FUNCTION_NAME = re.compile(r'(~?[A-Za-z_]\w*)\s*\(')


def test_program_folder(rel):
    """The folder of tests/ whose files make one test program, or None for support files."""
    parts = rel.split('/')
    if parts[0] in TEST_SUPPORT_FOLDERS or len(parts) < 2:
        return None
    return '/'.join(parts[:2]) if parts[0] in ('kernel', 'app') and len(parts) > 2 else parts[0]


def file_scope_names(lines):
    """(line number, name) of each function and type a file defines at the left margin."""
    for signature, _, number in functions(lines):
        match = FUNCTION_NAME.search(signature)
        if not match or match.group(1).isupper() or match.group(1) in ('operator', 'PrintTo'):
            continue
        if signature[:match.start()].rstrip().endswith('::'):
            continue
        yield number, match.group(1)
    for number, line in enumerate(lines, 1):
        match = TYPE_DEFINITION.match(line.rstrip())
        if match:
            yield number, match.group(1)


def check_test_names(top=TESTS):
    problems = []
    defined = {}
    for path in sorted(sources(top, ('.cpp',))):
        rel = os.path.relpath(path, top)
        folder = test_program_folder(rel)
        if folder is None:
            continue
        with open(path, encoding='utf-8') as handle:
            lines = handle.readlines()
        for number, name in file_scope_names(lines):
            first = defined.setdefault((folder, name), (rel, number))
            if first[0] != rel:
                problems.append(f'tests/{rel}:{number}: {name} is also defined in tests/{first[0]}; the files of '
                                f'{folder} compile together, so each name at file scope is one of its own')
    return problems


def main():
    checks = {'layers': check_layers, 'definitions': check_definitions, 'sizes': check_sizes,
              'archive_numbers': check_archive_numbers, 'test_names': check_test_names}
    wanted = sys.argv[1:] or list(checks)
    problems = []
    for name in wanted:
        problems += checks[name]()
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == '__main__':
    sys.exit(main())
