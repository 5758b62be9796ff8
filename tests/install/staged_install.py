#!/usr/bin/env python3
"""A packager's check of `cmake --install`: the tree is installed with DESTDIR into a staging folder,
and the staged program, started with a fresh HOME, must reach everything it reads at run time from
there: on first start it seeds the user's content library from the installed one, and a batch
export of an installed sample design gives a PDF. Arguments: the build folder and the cmake program.
"""
import os
import shutil
import subprocess
import sys
import tempfile


def files_below(folder):
    return sorted(os.path.relpath(os.path.join(top, name), folder)
                  for top, _, names in os.walk(folder) for name in names)


def main():
    build, cmake = sys.argv[1], sys.argv[2]
    work = tempfile.mkdtemp(prefix='pw-staged-install-')
    try:
        stage = os.path.join(work, 'stage')
        env = dict(os.environ, DESTDIR=stage)
        subprocess.run([cmake, '--install', build, '--prefix', '/usr'], env=env, check=True,
                       stdout=subprocess.DEVNULL)
        program = os.path.join(stage, 'usr/bin/parcelwick')
        shipped = os.path.join(stage, 'usr/share/parcelwick/Library')
        failures = []
        for path in ('usr/bin/parcelwick', 'usr/share/applications/parcelwick.desktop',
                     'usr/share/mime/packages/parcelwick.xml',
                     'usr/share/icons/hicolor/scalable/apps/parcelwick.svg'):
            if not os.path.isfile(os.path.join(stage, path)):
                failures.append('not installed: ' + path)
        templates = os.path.join(shipped, 'Parcelwick/Templates/en.lproj')
        designs = [f for f in files_below(templates) if f.endswith('.pwdc')] if os.path.isdir(templates) else []
        if not designs:
            failures.append('no sample design installed below ' + templates)
        for folder in ('ClipArt', 'Masks', 'BasicShapes', 'PostArt'):
            if not files_below(os.path.join(shipped, folder)):
                failures.append('no %s installed' % folder)
        if failures:
            print('\n'.join(failures))
            return 1

        home = os.path.join(work, 'home')
        run_env = dict(os.environ, HOME=home, XDG_DATA_HOME=os.path.join(home, 'data'),
                       XDG_CONFIG_HOME=os.path.join(home, 'config'), XDG_CACHE_HOME=os.path.join(home, 'cache'),
                       XDG_RUNTIME_DIR=os.path.join(home, 'runtime'), QT_QPA_PLATFORM='offscreen',
                       PW_EXIT_WHEN_SHOWN='1')
        for key in ('XDG_RUNTIME_DIR',):
            os.makedirs(run_env[key], mode=0o700)
        # Run from a folder of its own, away from the build tree, as an installed program is.
        started = subprocess.run([program], env=run_env, cwd=work, capture_output=True, text=True, timeout=240)
        if started.returncode != 0:
            print('the staged program did not start: exit %d\n%s%s' % (started.returncode, started.stdout,
                                                                       started.stderr))
            return 1
        seeded = os.path.join(home, 'data/Parcelwick/Library')
        for folder in ('ClipArt', 'Masks', 'BasicShapes'):
            want = files_below(os.path.join(shipped, folder))
            got = files_below(os.path.join(seeded, folder))
            missing = set(want) - set(got)
            if missing:
                failures.append('%s seeded without %d of its %d files' % (folder, len(missing), len(want)))

        design = os.path.join(templates, designs[0])
        out = os.path.join(work, 'sample.pdf')
        del run_env['PW_EXIT_WHEN_SHOWN']
        exported = subprocess.run([program, '--export', design, out], env=run_env, cwd=work,
                                  capture_output=True, text=True, timeout=240)
        if exported.returncode != 0 or not os.path.isfile(out):
            failures.append('export of %s failed: exit %d %s' % (designs[0], exported.returncode, exported.stderr))
        else:
            with open(out, 'rb') as pdf:
                head = pdf.read(5)
            if head != b'%PDF-' or os.path.getsize(out) < 1000:
                failures.append('export of %s wrote no PDF' % designs[0])
        if failures:
            print('\n'.join(failures))
            return 1
        print('staged install: %d sample designs; content seeded; %s exported' % (len(designs), designs[0]))
        return 0
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == '__main__':
    sys.exit(main())
