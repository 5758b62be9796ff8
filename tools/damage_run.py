#!/usr/bin/env python3
"""Every leaf of the sample designs damaged, each variant exported through the batch command.

For each design below TEMPLATES and each key at every depth, the value is removed, emptied, replaced
by a value of another kind, by -1 and by 1e30 (data also by two stray bytes). Each variant is
exported to PDF by PROGRAM (`PROGRAM --export DESIGN OUT`, the installed program: install the build
first, e.g. `cmake --install build --prefix /tmp/pw-stage`) with a private HOME, a deadline and a
memory limit, at most --jobs at a time, and classed:
  same     exit 0, and the PDF's words with their boxes and its pages drawn small are the undamaged
           design's
  named    exit 1: the read problems (or another reason) printed
  changed  exit 0, and the output differs: to be looked at by hand
  crashed  any other exit (a signal, a sanitizer's report, the memory limit)
  hung     past the deadline
--sample N takes N variants spread evenly (a seeded draw) over all of them, for a run that must be
short; the same seed draws the same variants, so that a run before a change and one after compare.
--each-kind takes instead the first variant of each damage of each key of each class (the class a
dictionary names by its "Class ID", else the design) in each kind of stock (the design's folder two
above it, without its number): every kind of leaf once. --only FILE runs the variants a report lists
again. The report (--report, JSON lines) holds one line
per variant: design, path, damage, class, exit and the first lines of what was printed.
Usage: damage_run.py PROGRAM TEMPLATES [--jobs 3] [--sample N] [--seed S] [--report FILE]
"""
import argparse
import collections
import concurrent.futures
import copy
import hashlib
import json
import os
import plistlib
import random
import re
import shutil
import subprocess
import sys
import tempfile
import threading

DEADLINE = 60
# Resident memory the sanitizer lets the program hold (it reserves far more address space than a
# limit on that could allow).
MEMORY_MB = 3000


def leaves(value, path=()):
    """Every key of every dictionary below value, with its path of keys and list indexes."""
    if isinstance(value, dict):
        for key, inner in value.items():
            yield path + (key,), inner
            yield from leaves(inner, path + (key,))
    elif isinstance(value, list):
        for index, inner in enumerate(value):
            yield from leaves(inner, path + (index,))


def damages(value):
    """The damages of a value: (name, new value), None to remove the key."""
    if isinstance(value, (dict, list)):
        return [('removed', None), ('emptied', type(value)()), ('another kind', '7')]
    found = [('removed', None), ('emptied', ''), ('another kind', ['1']), ('out of range', '-1'), ('far', '1e30')]
    if isinstance(value, bytes):
        found.append(('stray bytes', b'\x00\x01'))
    return found


def signature(design, path):
    """The class a path lies in (or the design) and its keys from there, whatever the list entries."""
    place, keys, value = 'design', [], design
    for step in path:
        value = value[step]
        keys.append('*' if isinstance(step, int) else step)
        if isinstance(value, dict) and isinstance(value.get('Class ID'), str):
            place, keys = value['Class ID'], []
    return place + ':' + '/'.join(keys)


def damaged(design, path, value):
    result = copy.deepcopy(design)
    holder = result
    for step in path[:-1]:
        holder = holder[step]
    if value is None:
        del holder[path[-1]]
    else:
        holder[path[-1]] = value
    return result


def printed(pdf, folder):
    """What a PDF shows: its words with their boxes, and its pages drawn small."""
    words = os.path.join(folder, 'words.html')
    subprocess.run(['pdftotext', '-bbox', pdf, words], capture_output=True, timeout=DEADLINE)
    pages = os.path.join(folder, 'page')
    subprocess.run(['pdftoppm', '-r', '24', '-gray', pdf, pages], capture_output=True, timeout=DEADLINE)
    digest = hashlib.sha256()
    for name in sorted(os.listdir(folder)):
        if name == 'words.html' or name.startswith('page'):
            with open(os.path.join(folder, name), 'rb') as part:
                content = part.read()
            if name == 'words.html':
                # The document's own facts (its date of making) are no part of what it shows.
                content = b'\n'.join(line for line in content.splitlines()
                                      if not line.strip().startswith((b'<meta', b'<title')))
            digest.update(name.encode() + content)
            os.remove(os.path.join(folder, name))
    return digest.hexdigest()


class Runner:
    def __init__(self, program, jobs):
        self.program = program
        self.work = tempfile.mkdtemp(prefix='pw-damage-')
        self.homes = []
        self.free = []
        self.lock = threading.Lock()
        for i in range(jobs):
            home = os.path.join(self.work, 'home%d' % i)
            os.makedirs(os.path.join(home, 'runtime'), mode=0o700)
            self.homes.append(home)
            self.free.append(i)

    def export(self, design_bytes):
        """(exit or 'hung', what was printed, digest of the output or None)."""
        with self.lock:
            slot = self.free.pop()
        try:
            home = self.homes[slot]
            folder = os.path.join(self.work, 'job%d' % slot)
            shutil.rmtree(folder, ignore_errors=True)
            os.makedirs(folder)
            source = os.path.join(folder, 'design.pwdc')
            with open(source, 'wb') as out:
                out.write(design_bytes)
            pdf = os.path.join(folder, 'design.pdf')
            env = dict(os.environ, HOME=home, XDG_DATA_HOME=os.path.join(home, 'data'),
                       XDG_CONFIG_HOME=os.path.join(home, 'config'), XDG_CACHE_HOME=os.path.join(home, 'cache'),
                       XDG_RUNTIME_DIR=os.path.join(home, 'runtime'), QT_QPA_PLATFORM='offscreen', LC_ALL='C',
                       ASAN_OPTIONS='detect_leaks=0:exitcode=99:hard_rss_limit_mb=%d' % MEMORY_MB,
                       UBSAN_OPTIONS='halt_on_error=1:exitcode=98:print_stacktrace=1')
            try:
                run = subprocess.run([self.program, '--export', source, pdf], env=env, cwd=folder,
                                     capture_output=True, text=True, errors='replace', timeout=DEADLINE)
            except subprocess.TimeoutExpired as expired:
                said = expired.stderr or ''
                return 'hung', said if isinstance(said, str) else said.decode(errors='replace'), None
            digest = None
            if run.returncode == 0 and os.path.isfile(pdf):
                os.remove(source)
                pictures = os.path.join(folder, 'drawn')
                os.makedirs(pictures)
                digest = printed(pdf, pictures)
            return run.returncode, run.stdout + run.stderr, digest
        finally:
            with self.lock:
                self.free.append(slot)


def classed(code, digest, reference):
    if code == 'hung':
        return 'hung'
    if code == 1:
        return 'named'
    if code != 0:
        return 'crashed'
    return 'same' if digest == reference else 'changed'


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('program')
    parser.add_argument('templates')
    parser.add_argument('--jobs', type=int, default=3)
    parser.add_argument('--sample', type=int, default=0)
    parser.add_argument('--seed', type=int, default=93)
    parser.add_argument('--report', default='damage_run.jsonl')
    parser.add_argument('--each-kind', action='store_true')
    parser.add_argument('--only', help='a report whose variants are run again')
    args = parser.parse_args()

    designs = sorted(os.path.join(top, name) for top, _, names in os.walk(args.templates)
                     for name in names if name.endswith('.pwdc'))
    loaded = {}
    variants = []
    for design in designs:
        with open(design, 'rb') as source:
            loaded[design] = plistlib.load(source)
        for path, value in leaves(loaded[design]):
            for name, new in damages(value):
                if new != value:
                    variants.append((design, path, name, new))
    total = len(variants)
    if args.only:
        with open(args.only) as listed:
            wanted = {(row['design'], tuple(row['path']), row['damage']) for row in map(json.loads, listed)}
        variants = [v for v in variants if (v[0], tuple(v[1]), v[2]) in wanted]
    elif args.each_kind:
        seen, kept = set(), []
        for design, path, name, new in variants:
            stock = re.sub(r'[0-9]+$', '', os.path.basename(os.path.dirname(os.path.dirname(design))))
            kind = (stock, signature(loaded[design], path), name)
            if kind not in seen:
                seen.add(kind)
                kept.append((design, path, name, new))
        variants = kept
    elif args.sample and args.sample < total:
        variants = sorted(random.Random(args.seed).sample(variants, args.sample),
                          key=lambda v: (v[0], json.dumps(v[1])))
    print('%d designs, %d variants in all, %d run' % (len(designs), total, len(variants)), flush=True)

    runner = Runner(args.program, max(1, min(args.jobs, 3)))
    references = {}
    with concurrent.futures.ThreadPoolExecutor(max_workers=max(1, min(args.jobs, 3))) as pool:
        wanted = sorted({v[0] for v in variants})
        for design, (code, said, digest) in zip(wanted, pool.map(
                lambda d: runner.export(plistlib.dumps(loaded[d], fmt=plistlib.FMT_XML, sort_keys=False)), wanted)):
            if code != 0 or digest is None:
                print('undamaged %s does not export (%s): its variants are left out\n%s' % (design, code, said[-400:]))
            else:
                references[design] = digest

        def one(variant):
            design, path, name, new = variant
            code, said, digest = runner.export(
                plistlib.dumps(damaged(loaded[design], path, new), fmt=plistlib.FMT_XML, sort_keys=False))
            return variant, code, said, digest

        counts = collections.Counter()
        runnable = [v for v in variants if v[0] in references]
        with open(args.report, 'w') as report:
            for done, (variant, code, said, digest) in enumerate(pool.map(one, runnable), 1):
                design, path, name, _ = variant
                kind = classed(code, digest, references[design])
                counts[kind] += 1
                report.write(json.dumps({'design': design, 'path': list(path), 'damage': name, 'class': kind,
                                         'exit': code, 'said': said.strip().splitlines()[:6]}) + '\n')
                if done % 200 == 0:
                    print('%d of %d: %s' % (done, len(runnable), dict(counts)), flush=True)
    shutil.rmtree(runner.work, ignore_errors=True)
    print(' '.join('%s %d' % (kind, counts[kind]) for kind in ('same', 'named', 'changed', 'crashed', 'hung')))
    return 0


if __name__ == '__main__':
    sys.exit(main())
