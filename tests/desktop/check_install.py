#!/usr/bin/env python3
"""Installs the build into a scratch DESTDIR and checks what lands there.

Usage: check_install.py <build dir> <cmake>. The program, the desktop entry, the MIME type of
design files, both icons, the sample designs of the assistant, the clip-art collection and the masks (below share/parcelwick/Library)
must land below the chosen prefix and nowhere else; the desktop entry
must be valid (desktop-file-validate when installed, else the rules of the Desktop Entry
Specification that matter for launching and file association); the MIME package must compile
with update-mime-database when that is installed. Exits non-zero with the reasons on failure.
"""
import configparser
import os
import shutil
import stat
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

PREFIX = '/opt/pw-install-check'
MIME_NS = '{http://www.freedesktop.org/standards/shared-mime-info}'
SVG_NS = '{http://www.w3.org/2000/svg}'
EXPECTED = {
    'binary': 'bin/parcelwick',
    'entry': 'share/applications/parcelwick.desktop',
    'mime': 'share/mime/packages/parcelwick.xml',
    'app_icon': 'share/icons/hicolor/scalable/apps/parcelwick.svg',
    'mime_icon': 'share/icons/hicolor/scalable/mimetypes/application-x-parcelwick-design.svg',
}

# The assistant's sample designs: design files only, below this folder.
SAMPLES = 'share/parcelwick/Library/Parcelwick/Templates/en.lproj/'

# The clip-art collection: pictures, their JPEG thumbnails, the category and keyword indexes.
CLIPART = 'share/parcelwick/Library/ClipArt/'
CLIPART_KINDS = (
    ('Images/', ('.png', '.jpg', '.pdf', '.hpi')),
    ('Thumbnails/', ('.jpg',)),
    ('en.lproj/CategoriesIndex/', ('.idx',)),
)
# The postage art (one folder per category) and the basic shapes (one picture per shape kind).
POSTART = 'share/parcelwick/Library/PostArt/'
SHAPES = 'share/parcelwick/Library/BasicShapes/'
CLIPART_INDEX = (CLIPART + 'en.lproj/clipart.idx', CLIPART + 'en.lproj/clipart.idx.prop')

# The picture masks: grey PNG masks and their JPEG thumbnails.
MASKS = 'share/parcelwick/Library/Masks/'
MASK_KINDS = (('Images/', '.png'), ('Thumbnails/', '.jpg'))

failures = []


def clipart_kind(relative):
    """The folder of the collection a file belongs in, or None when it belongs nowhere."""
    if relative in CLIPART_INDEX:
        return 'index'
    for folder, extensions in CLIPART_KINDS:
        rest = relative[len(CLIPART + folder):] if relative.startswith(CLIPART + folder) else None
        if rest and '/' not in rest and rest.endswith(extensions):
            return folder
    return None


def mask_kind(relative):
    """The folder of the masks a file belongs in, or None."""
    for folder, extension in MASK_KINDS:
        rest = relative[len(MASKS + folder):] if relative.startswith(MASKS + folder) else None
        if rest and '/' not in rest and rest.endswith(extension):
            return folder
    return None


def fail(text):
    failures.append(text)


def check_entry(path, binary_name, app_icon, mime_types):
    with open(path, encoding='utf-8') as handle:
        text = handle.read()
    if not text.startswith('[Desktop Entry]'):
        fail('the desktop entry does not start with its [Desktop Entry] group')
    parser = configparser.ConfigParser(interpolation=None, strict=True)
    parser.optionxform = str
    parser.read_string(text)
    entry = parser['Desktop Entry']
    for key in ('Type', 'Name', 'Exec', 'Icon'):
        if key not in entry:
            fail(f'the desktop entry lacks {key}')
    if entry.get('Type') != 'Application':
        fail('the desktop entry is not of type Application')
    exec_words = entry.get('Exec', '').split()
    if not exec_words or exec_words[0] != binary_name:
        fail(f'Exec starts "{exec_words[:1]}", not the installed program "{binary_name}"')
    if '%F' not in exec_words and '%f' not in exec_words and '%U' not in exec_words:
        fail('Exec takes no file argument, so opening a design from the file manager starts an empty program')
    if entry.get('Icon') != app_icon:
        fail(f'Icon is "{entry.get("Icon")}", the installed icon is "{app_icon}"')
    for key in ('MimeType', 'Categories', 'Keywords'):
        if key in entry and not entry[key].endswith(';'):
            fail(f'{key} is a list and must end with ";"')
    listed = [t for t in entry.get('MimeType', '').split(';') if t]
    for mime_type in mime_types:
        if mime_type not in listed:
            fail(f'the desktop entry does not open {mime_type}')
    validator = shutil.which('desktop-file-validate')
    if validator:
        result = subprocess.run([validator, path], capture_output=True, text=True)
        if result.returncode != 0 or 'error' in result.stdout.lower():
            fail('desktop-file-validate: ' + (result.stdout + result.stderr).strip())
    else:
        print('desktop-file-validate is not installed; checked the entry by its rules here')


def check_mime(path, mime_icon):
    root = ET.parse(path).getroot()
    if root.tag != MIME_NS + 'mime-info':
        fail('the MIME package is not a shared-mime-info document')
        return []
    types = []
    for node in root.findall(MIME_NS + 'mime-type'):
        name = node.get('type')
        types.append(name)
        globs = [g.get('pattern') for g in node.findall(MIME_NS + 'glob')]
        if '*.pwdc' not in globs:
            fail(f'{name} does not claim *.pwdc files')
        icon = node.find(MIME_NS + 'generic-icon')
        icon_name = icon.get('name') if icon is not None else name.replace('/', '-')
        if icon_name != mime_icon:
            fail(f'{name} shows the icon "{icon_name}", the installed one is "{mime_icon}"')
        if node.find(MIME_NS + 'comment') is None:
            fail(f'{name} has no comment for file managers to show')
    if types != ['application/x-parcelwick-design']:
        fail(f'the MIME package declares {types}')
    return types


def check_mime_database(mime_dir, types):
    updater = shutil.which('update-mime-database')
    if not updater:
        print('update-mime-database is not installed; the MIME package was checked by its schema rules only')
        return
    with tempfile.TemporaryDirectory() as scratch:
        work = os.path.join(scratch, 'mime')
        shutil.copytree(mime_dir, work)
        result = subprocess.run([updater, work], capture_output=True, text=True)
        if result.returncode != 0:
            fail('update-mime-database: ' + result.stderr.strip())
            return
        for mime_type in types:
            if not os.path.isfile(os.path.join(work, mime_type + '.xml')):
                fail(f'update-mime-database made nothing for {mime_type}')
        with open(os.path.join(work, 'globs2'), encoding='utf-8') as globs:
            if not any(line.rstrip('\n').endswith(':application/x-parcelwick-design:*.pwdc') for line in globs):
                fail('the compiled MIME database does not map *.pwdc')


def check_svg(path):
    root = ET.parse(path).getroot()
    if root.tag != SVG_NS + 'svg' or not root.get('viewBox'):
        fail(f'{os.path.basename(path)} is not a scalable SVG picture')


def main():
    build, cmake = sys.argv[1], sys.argv[2]
    with tempfile.TemporaryDirectory() as dest:
        env = dict(os.environ, DESTDIR=dest)
        result = subprocess.run([cmake, '--install', build, '--prefix', PREFIX], env=env,
                                capture_output=True, text=True)
        if result.returncode != 0:
            print(result.stdout, result.stderr)
            return 1
        root = dest + PREFIX
        paths = {key: os.path.join(root, rel) for key, rel in EXPECTED.items()}
        for key, path in paths.items():
            if not os.path.isfile(path):
                fail(f'{EXPECTED[key]} was not installed')
        samples = 0
        clipart = {}
        postart = set()
        shapes = 0
        masks = {}
        for folder, _, files in os.walk(dest):
            for name in files:
                full = os.path.join(folder, name)
                relative = os.path.relpath(full, root)
                if not full.startswith(root + os.sep):
                    fail(f'{full} was installed outside the prefix')
                elif relative.startswith(SAMPLES) and relative.endswith('.pwdc'):
                    samples += 1
                elif relative.startswith(POSTART) and relative.count('/') == POSTART.count('/') + 1 \
                        and relative.endswith(('.png', '.pdf')):
                    postart.add(relative[len(POSTART):].split('/')[0])
                elif relative.startswith(SHAPES) and '/' not in relative[len(SHAPES):] and relative.endswith('.png'):
                    shapes += 1
                elif clipart_kind(relative):
                    clipart[clipart_kind(relative)] = clipart.get(clipart_kind(relative), 0) + 1
                elif mask_kind(relative):
                    masks[mask_kind(relative)] = masks.get(mask_kind(relative), 0) + 1
                elif relative not in EXPECTED.values():
                    fail(f'{relative} was installed and is not expected')
        if samples == 0:
            fail('no sample designs were installed below ' + SAMPLES)
        if len(postart) < 3 or 'Mailing Labels' not in postart:
            fail(f'the postage art installed below {POSTART} has the categories {sorted(postart)}')
        if shapes < 30:
            fail(f'{shapes} basic shapes were installed below {SHAPES}, fewer than 30')
        if clipart.get('Images/', 0) < 150:
            fail(f'{clipart.get("Images/", 0)} clip-art pictures were installed below {CLIPART}, fewer than 150')
        if clipart.get('Thumbnails/', 0) != clipart.get('Images/', 0):
            fail('not every installed clip-art picture has its thumbnail')
        if clipart.get('en.lproj/CategoriesIndex/', 0) < 8:
            fail('fewer than 8 clip-art category indexes were installed')
        if clipart.get('index', 0) != len(CLIPART_INDEX):
            fail('the clip-art keyword index was not installed whole')
        if masks.get('Images/', 0) < 12:
            fail(f'{masks.get("Images/", 0)} masks were installed below {MASKS}, fewer than 12')
        if masks.get('Thumbnails/', 0) != masks.get('Images/', 0):
            fail('not every installed mask has its thumbnail')
        if failures:
            print('\n'.join(failures))
            return 1
        if not os.stat(paths['binary']).st_mode & stat.S_IXUSR:
            fail('the program was installed without execute permission')
        app_icon = os.path.splitext(os.path.basename(paths['app_icon']))[0]
        mime_icon = os.path.splitext(os.path.basename(paths['mime_icon']))[0]
        types = check_mime(paths['mime'], mime_icon)
        check_entry(paths['entry'], os.path.basename(paths['binary']), app_icon, types)
        check_mime_database(os.path.dirname(os.path.dirname(paths['mime'])), types)
        check_svg(paths['app_icon'])
        check_svg(paths['mime_icon'])
    if failures:
        print('\n'.join(failures))
        return 1
    print('installed and checked:', ', '.join(sorted(EXPECTED.values())))
    return 0


if __name__ == '__main__':
    sys.exit(main())
