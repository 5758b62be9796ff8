#!/usr/bin/env python3
"""Two properties of the installed program's batch export (`PROGRAM --export DESIGN OUT.pdf`).

clean    Every sample design the Library ships (*.pwdc in its Templates folders) and the older-form
         fixtures of tests/data (version72-*.pwdc), each whole and with each key of each component
         dictionary (one naming its "Class ID", the fields of panels among them) left out in turn,
         export with exit 0. Each run is counted as exit 0, exit 1 with a reason named, or other (a
         signal, another status, past the deadline); a variant exported with exit 0 has its pages
         drawn (pdftoppm, when installed) and compared with the whole design's: same or differs.
         --cap N takes at most N variants of each design, spread evenly over its keys.
bounded  Designs made of a sample's own items, its address panel and its shortest text, repeated: the
         most the program exports is found by doubling and bisection on its answer (exit 0 with a
         PDF, or exit 1 refused), then that design and one with one item more are run in four forms:
         plain XML, shared binary (one item object referred to from every place), every key in a
         CDATA section, and every space of a key as the character reference &#32;. Each must export
         within 2 GB and 60 s, or be refused at once (exit 1 with a reason naming its size).

Every child runs with a private HOME, XDG folders and TMPDIR, under a deadline, and its peak
resident size and wall time are measured: the high-water mark of its own memory, polled, and
wait4's ru_maxrss (which cannot fall below this script's own resident size: a child starts from
its parent's memory). A JSON line per run goes to --report.
Usage: batch_properties.py PROGRAM LIBRARY [--data tests/data] [--only clean|bounded] [--cap N]
       [--jobs 3] [--report batch_properties.jsonl]
"""
import argparse
import concurrent.futures
import copy
import hashlib
import json
import os
import plistlib
import re
import resource
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time

CLASS_KEY = 'Class ID'
PANEL_CLASS = 'Address Panel'
TEXT_CLASS = 'Text'
# What an exported design may take, and how long a refusal may take to be "at once".
MOST_MB = 2048
MOST_SECONDS = 60
REFUSAL_SECONDS = 5
# The child is stopped past these: far enough beyond the bounds that a run over them is measured.
KILL_SECONDS = 180
KILL_MB = 6144
SIZE_WORDS = ('MB', 'memory', 'components', 'seconds')


class Runner:
    """Runs the program on design bytes, each run in a fresh private home, and measures it."""

    def __init__(self, program, report):
        self.program = program
        self.work = tempfile.mkdtemp(prefix='pw-properties-')
        self.report = open(report, 'w')
        self.lock = threading.Lock()
        self.counter = 0
        self.most_mb = 0.0
        self.most_rusage_mb = 0.0
        self.most_seconds = 0.0

    def close(self):
        self.report.close()
        shutil.rmtree(self.work, ignore_errors=True)

    def export(self, design_bytes, label, draw=False):
        """A dict: code (exit status, 'signal N' or 'hung'), said, seconds, peak_mb, pages."""
        with self.lock:
            self.counter += 1
            job = os.path.join(self.work, 'job%d' % self.counter)
        home = os.path.join(job, 'home')
        for sub in ('config', 'data', 'cache', 'runtime', 'tmp'):
            os.makedirs(os.path.join(home, sub), mode=0o700)
        source = os.path.join(job, 'design.pwdc')
        with open(source, 'wb') as out:
            out.write(design_bytes)
        pdf = os.path.join(job, 'design.pdf')
        env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=os.path.join(home, 'config'),
                   XDG_DATA_HOME=os.path.join(home, 'data'), XDG_CACHE_HOME=os.path.join(home, 'cache'),
                   XDG_RUNTIME_DIR=os.path.join(home, 'runtime'), TMPDIR=os.path.join(home, 'tmp'),
                   PW_INSTANCE_SOCKET=os.path.join(home, 'runtime', 'instance'),
                   QT_QPA_PLATFORM='offscreen', LC_ALL='C')
        said_path = os.path.join(job, 'said.txt')
        with open(said_path, 'wb') as said_file:
            start = time.monotonic()
            child = subprocess.Popen([self.program, '--export', source, pdf], env=env, cwd=job,
                                     stdin=subprocess.DEVNULL, stdout=said_file, stderr=subprocess.STDOUT,
                                     start_new_session=True)
            code, usage, high_water, stopped = self._wait(child, start)
            seconds = time.monotonic() - start
        with open(said_path, 'rb') as said_file:
            said = said_file.read(4000).decode(errors='replace')
        result = {'label': label, 'code': code, 'seconds': round(seconds, 2),
                  'peak_mb': round(high_water, 1), 'rusage_mb': round(usage.ru_maxrss / 1024.0, 1),
                  'said': said.strip().splitlines()[:6], 'pdf': os.path.isfile(pdf) and os.path.getsize(pdf) > 0,
                  'stopped': stopped, 'bytes': len(design_bytes)}
        if draw and code == 0 and result['pdf']:
            result['pages'] = drawn(pdf, job)
        shutil.rmtree(job, ignore_errors=True)
        with self.lock:
            self.most_mb = max(self.most_mb, result['peak_mb'])
            self.most_rusage_mb = max(self.most_rusage_mb, result['rusage_mb'])
            self.most_seconds = max(self.most_seconds, seconds)
            self.report.write(json.dumps(result) + '\n')
            self.report.flush()
        return result

    def _wait(self, child, start):
        """The child's exit, its rusage, its own high-water resident size in MB (polled: wait4's
        ru_maxrss also holds the resident size of this process, whose memory the child starts
        from before it runs the program), and why it was stopped (None when it ended itself)."""
        stopped = None
        high_water = 0.0
        while True:
            pid, status, usage = os.wait4(child.pid, os.WNOHANG)
            if pid == child.pid:
                break
            resident, water = resident_mb(child.pid)
            high_water = max(high_water, water)
            if stopped is None:
                if time.monotonic() - start > KILL_SECONDS:
                    stopped = 'hung'
                elif resident > KILL_MB:
                    stopped = 'memory'
                if stopped:
                    os.killpg(child.pid, signal.SIGKILL)
            time.sleep(0.01)
        child.returncode = os.waitstatus_to_exitcode(status)
        if stopped:
            return stopped, usage, high_water, stopped
        if os.WIFSIGNALED(status):
            return 'signal %d' % os.WTERMSIG(status), usage, high_water, None
        return os.WEXITSTATUS(status), usage, high_water, None


def resident_mb(pid):
    """The process's resident size and its high-water mark, in MB."""
    found = {}
    try:
        with open('/proc/%d/status' % pid) as status:
            for line in status:
                if line.startswith(('VmRSS:', 'VmHWM:')):
                    found[line[:5]] = int(line.split()[1]) / 1024.0
    except (OSError, ValueError):
        pass
    return found.get('VmRSS', 0.0), found.get('VmHWM', 0.0)


def drawn(pdf, folder):
    """A digest of the PDF's pages drawn in grey at 36 dpi; None without pdftoppm."""
    if not shutil.which('pdftoppm'):
        return None
    pages = os.path.join(folder, 'page')
    subprocess.run(['pdftoppm', '-r', '36', '-gray', pdf, pages], capture_output=True, timeout=MOST_SECONDS)
    digest = hashlib.sha256()
    for name in sorted(os.listdir(folder)):
        if name.startswith('page'):
            with open(os.path.join(folder, name), 'rb') as page:
                digest.update(name.encode() + page.read())
    return digest.hexdigest()


def component_keys(value, path=()):
    """(path of the component dictionary, key) for each key of each dictionary naming its class."""
    if isinstance(value, dict):
        if isinstance(value.get(CLASS_KEY), str):
            for key in value:
                yield path, key
        for key, inner in value.items():
            yield from component_keys(inner, path + (key,))
    elif isinstance(value, list):
        for index, inner in enumerate(value):
            yield from component_keys(inner, path + (index,))


def without(design, path, key):
    result = copy.deepcopy(design)
    holder = result
    for step in path:
        holder = holder[step]
    del holder[key]
    return result


def spread(items, most):
    if not most or len(items) <= most:
        return items
    return [items[i * len(items) // most] for i in range(most)]


def classed(result):
    if result['code'] == 0:
        return 'exit 0'
    if result['code'] == 1 and result['said']:
        return 'exit 1 named'
    return 'other'


def clean(runner, designs, cap, jobs):
    counts = {'exit 0': 0, 'exit 1 named': 0, 'other': 0}
    pixels = {'same': 0, 'differs': 0, 'not compared': 0}
    others = []
    capped = []
    rewritten = []
    for name, path in designs:
        with open(path, 'rb') as source:
            raw = source.read()
        design = plistlib.loads(raw)
        fmt = plistlib.FMT_BINARY if raw.startswith(b'bplist') else plistlib.FMT_XML
        # The file as shipped, and as this script writes it again: the variants are written so,
        # and their pages are compared with the second.
        for label, data in (('whole', raw), ('whole rewritten', plistlib.dumps(design, fmt=fmt, sort_keys=False))):
            whole = runner.export(data, '%s %s' % (name, label), draw=True)
            counts[classed(whole)] += 1
            if classed(whole) != 'exit 0':
                others.append((name, label, whole['code'], whole['said'][:2]))
            if label == 'whole':
                shipped = whole.get('pages')
        if shipped != whole.get('pages'):
            rewritten.append(name)
        holders = list(component_keys(design))
        chosen = spread(holders, cap)
        if len(chosen) < len(holders):
            capped.append((name, len(chosen), len(holders)))

        def one(entry):
            where, key = entry
            variant = plistlib.dumps(without(design, where, key), fmt=fmt, sort_keys=False)
            return entry, runner.export(variant, '%s without %s/%s' % (name, '/'.join(map(str, where)), key),
                                        draw=True)

        with concurrent.futures.ThreadPoolExecutor(max_workers=jobs) as pool:
            for (where, key), result in pool.map(one, chosen):
                kind = classed(result)
                counts[kind] += 1
                if kind == 'other':
                    others.append((name, '/'.join(map(str, where)) + '/' + key, result['code'], result['said'][:2]))
                if kind == 'exit 0':
                    if result.get('pages') is None or whole.get('pages') is None:
                        pixels['not compared'] += 1
                    else:
                        pixels['same' if result['pages'] == whole['pages'] else 'differs'] += 1
    return counts, pixels, others, capped, rewritten


def with_items(design, item, count):
    """The design whose front side lists the item count times (the same object at every place)."""
    result = copy.copy(design)
    side = dict(result['Front Side'])
    side['Components'] = [item] * count
    side.pop('Back Components', None)
    result['Front Side'] = side
    return result


def forms(design):
    plain = plistlib.dumps(design, fmt=plistlib.FMT_XML, sort_keys=False)
    text = plain.decode('utf-8')
    cdata = re.sub(r'<key>([^<]*)</key>', lambda m: '<key><![CDATA[%s]]></key>' % unescaped(m.group(1)), text)
    references = re.sub(r'<key>([^<]*)</key>', lambda m: '<key>%s</key>' % m.group(1).replace(' ', '&#32;'), text)
    return [('plain', plain), ('shared binary', plistlib.dumps(design, fmt=plistlib.FMT_BINARY, sort_keys=False)),
            ('cdata keys', cdata.encode('utf-8')), ('referenced spaces', references.encode('utf-8'))]


def unescaped(text):
    return text.replace('&lt;', '<').replace('&gt;', '>').replace('&amp;', '&')


def answer(runner, design, item, count, label):
    result = runner.export(forms(with_items(design, item, count))[0][1], '%s x%d plain' % (label, count))
    return result['code'] == 0 and result['pdf'], result


def most_taken(runner, design, item, label):
    """The most repeats the program exports: doubling, then bisection on its answer."""
    low, high = 0, 1
    while True:
        taken, result = answer(runner, design, item, high, label)
        if not taken:
            if result['code'] != 1:
                raise RuntimeError('%s x%d: neither exported nor refused: %s' % (label, high, result))
            break
        low, high = high, high * 2
    while high - low > 1:
        middle = (low + high) // 2
        taken, _ = answer(runner, design, item, middle, label)
        if taken:
            low = middle
        else:
            high = middle
    return low


def stored_words(item):
    """The words of a text's stored string (the first string of its keyed archive), or None."""
    stored = item.get('Text Storage 2')
    if not isinstance(stored, bytes) or not stored.startswith(b'bplist'):
        return None
    try:
        objects = plistlib.loads(stored).get('$objects', [])
    except Exception:  # a stored value this script cannot read is no candidate
        return None
    strings = [value for value in objects if isinstance(value, str) and value != '$null']
    return strings[0].split() if strings else None


def bounded_items(designs):
    """The first sample's address panel, and the shortest text of one word among the samples (by
    its stored size; the shortest text of all when none holds one word)."""
    panel = text = None
    for name, path in designs:
        with open(path, 'rb') as source:
            design = plistlib.load(source)
        for item in design.get('Front Side', {}).get('Components', []):
            if not isinstance(item, dict):
                continue
            if item.get(CLASS_KEY) == PANEL_CLASS and panel is None:
                panel = (name, design, item)
            if item.get(CLASS_KEY) == TEXT_CLASS:
                words = stored_words(item)
                rank = (words is None or len(words) != 1, len(plistlib.dumps(item, fmt=plistlib.FMT_BINARY)))
                if text is None or rank < text[3]:
                    text = (name, design, item, rank, ' '.join(words or []))
    found = []
    if panel:
        found.append(('address panel of ' + panel[0], panel[1], panel[2]))
    if text:
        found.append(('text "%s" of %s' % (text[4], text[0]), text[1], text[2]))
    return found


def bounded(runner, designs):
    rows, problems = [], []
    for label, design, item in bounded_items(designs):
        most = most_taken(runner, design, item, label)
        for count in (most, most + 1):
            for form, data in forms(with_items(design, item, count)):
                result = runner.export(data, '%s x%d %s' % (label, count, form))
                exported = result['code'] == 0 and result['pdf']
                refused = result['code'] == 1 and not result['pdf'] and any(
                    word in ' '.join(result['said']) for word in SIZE_WORDS)
                if count == most:
                    ok = exported and result['peak_mb'] <= MOST_MB and result['seconds'] <= MOST_SECONDS
                else:
                    ok = refused and result['seconds'] <= REFUSAL_SECONDS
                rows.append((label, count, form, len(data), result['code'], result['seconds'], result['peak_mb'], ok))
                if not ok:
                    problems.append((label, count, form, result['code'], result['seconds'], result['peak_mb'],
                                     result['said'][:2]))
    return rows, problems


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('program')
    parser.add_argument('library')
    parser.add_argument('--data', default=os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'tests', 'data'))
    parser.add_argument('--only', choices=('clean', 'bounded'))
    parser.add_argument('--cap', type=int, default=0, help='at most this many variants of each design')
    parser.add_argument('--jobs', type=int, default=3, help='clean runs at a time (bounded runs one at a time)')
    parser.add_argument('--report', default='batch_properties.jsonl')
    args = parser.parse_args()

    samples = sorted((os.path.relpath(os.path.join(top, name), args.library), os.path.join(top, name))
                     for top, _, names in os.walk(args.library)
                     for name in names if name.endswith('.pwdc')
                     and 'Templates' in os.path.relpath(top, args.library).split(os.sep))
    older = sorted((os.path.relpath(os.path.join(top, name), args.data), os.path.join(top, name))
                   for top, _, names in os.walk(args.data)
                   for name in names if name.startswith('version72-') and name.endswith('.pwdc'))
    if not samples:
        sys.exit('no sample designs in a Templates folder below %s' % args.library)
    runner = Runner(os.path.abspath(args.program), args.report)
    failed = False
    try:
        if args.only in (None, 'clean'):
            counts, pixels, others, capped, rewritten = clean(runner, samples + older, args.cap, args.jobs)
            print('clean: %d sample designs, %d older-form fixtures' % (len(samples), len(older)))
            print('  runs: ' + ', '.join('%s %d' % item for item in counts.items()))
            print('  keys left out, exit 0, pages drawn: ' + ', '.join('%s %d' % item for item in pixels.items()))
            for name, chosen, total in capped:
                print('  capped: %s, %d of %d variants' % (name, chosen, total))
            for name in rewritten:
                print('  drawn otherwise once rewritten by this script: %s' % name)
            for other in others[:40]:
                print('  other: %s %s: %s %s' % other)
            failed = failed or bool(others) or counts['exit 1 named'] > 0
        if args.only in (None, 'bounded'):
            rows, problems = bounded(runner, samples)
            print('bounded:')
            for label, count, form, size, code, seconds, peak, ok in rows:
                print('  %-40s x%-6d %-17s %6.1f MB  exit %-8s %6.1f s %7.1f MB  %s' % (
                    label, count, form, size / 1048576.0, code, seconds, peak, 'ok' if ok else 'FAILS'))
            for problem in problems:
                print('  problem: %s x%d %s: exit %s, %.1f s, %s MB %s' % problem)
            failed = failed or bool(problems)
        print('largest peak %.1f MB (wait4 ru_maxrss %.1f MB, this script\'s own peak %.1f MB), longest run %.1f s'
              % (runner.most_mb, runner.most_rusage_mb, resource.getrusage(resource.RUSAGE_SELF).ru_maxrss / 1024.0,
                 runner.most_seconds))
    finally:
        runner.close()
    sys.exit(1 if failed else 0)


if __name__ == '__main__':
    main()
