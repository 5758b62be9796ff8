#!/usr/bin/env python3
"""Prints every file of corpus.tsv through a program's batch command under three locales (C.UTF-8,
en_US.UTF-8 and the file's own language's) and records each reading in the table as a column
LOCALE.LABEL ("C", "en", "own"):

  R  right: every word of the UTF-8 original is on the printed labels
  N  noted: not right, but the note names a code page that reads the file right (--encoding NAME)
  W  wrong: neither

followed by the exit status ("R0", "N0", "W1"). The table keeps the readings of two earlier builds,
each a Release program of its commit: old53 (53bbfc1) and lastmain (0a3ce8e6). Run from this
folder, e.g.
  python3 read_corpus.py --program BUILD/src/parcelwick --label lastmain
with the program's own sample design (BUILD/Library/.../Mailing1/Business/Classic.pwdc, an address
label that prints name, street and town), or --design PATH. --table OTHER.tsv writes the readings
to another table (the file list is still corpus.tsv's). The locales must be installed (localedef).
"""
import argparse
import concurrent.futures
import csv
import os
import re
import subprocess
import sys
import tempfile
from pathlib import Path

HERE = Path(__file__).resolve().parent
OWN_LOCALE = {"bg": "bg_BG", "ca": "ca_ES", "cs": "cs_CZ", "da": "da_DK", "de": "de_DE", "el": "el_GR",
              "en": "en_GB", "es": "es_ES", "fi": "fi_FI", "fr": "fr_FR", "hr": "hr_HR", "hu": "hu_HU",
              "is": "is_IS", "it": "it_IT", "nb": "nb_NO", "nl": "nl_NL", "pl": "pl_PL", "pt": "pt_PT",
              "ro": "ro_RO", "ru": "ru_RU", "sk": "sk_SK", "sl": "sl_SI", "sr": "sr_RS", "sv": "sv_SE",
              "tr": "tr_TR", "uk": "uk_UA"}
OPTION = re.compile(r"--encoding ([A-Za-z0-9_.-]+[A-Za-z0-9])")


def words(text):
    return set(w for w in re.split(r"[\s,]+", text) if w)


def read_one(program, design, row, locale):
    language = row["language"]
    name = {"C": "C.UTF-8", "en": "en_US.UTF-8", "own": OWN_LOCALE[language] + ".UTF-8"}[locale]
    original = (HERE / "utf8" / f"{language}-{row['kind']}.csv").read_text(encoding="utf-8")
    expected = words(original.split("\n", 1)[1])
    data = (HERE / "files" / row["file"]).read_bytes()
    with tempfile.TemporaryDirectory() as home:
        env = {k: v for k, v in os.environ.items() if not k.startswith(("LC_", "LANG", "QT_", "XDG_"))}
        env.update(HOME=home, XDG_CONFIG_HOME=home + "/config", XDG_DATA_HOME=home + "/data",
                   XDG_CACHE_HOME=home + "/cache", XDG_RUNTIME_DIR=home, TMPDIR=home, LC_ALL=name, LANG=name,
                   ASAN_OPTIONS="detect_leaks=0")
        env.pop("DISPLAY", None)
        out = home + "/out.pdf"
        run = subprocess.run([program, "--print", design, "--contacts", str(HERE / "files" / row["file"]),
                              "--output", out], env=env, capture_output=True, timeout=300)
        printed = ""
        if os.path.exists(out):
            printed = subprocess.run(["pdftotext", "-raw", out, "-"], capture_output=True).stdout.decode("utf-8", "replace")
    err = run.stderr.decode("utf-8", "replace")
    if expected <= words(printed):
        reading = "R"
    else:
        reading = "W"
        for option in OPTION.findall(err):
            try:
                if data.decode(option).replace("\r\n", "\n") == original:
                    reading = "N"
            except (LookupError, UnicodeDecodeError):
                pass
    return reading + str(run.returncode), err


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--label", required=True)
    parser.add_argument("--design")
    parser.add_argument("--table", default=str(HERE / "corpus.tsv"))
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--log")
    arguments = parser.parse_args()
    program = str(Path(arguments.program).resolve())
    design = arguments.design or str(Path(program).parent.parent / "Library/Parcelwick/Templates/en.lproj/Mailing1/Business/Classic.pwdc")
    with (HERE / "corpus.tsv").open(encoding="utf-8") as handle:
        rows = list(csv.DictReader(handle, delimiter="\t"))
    table = Path(arguments.table)
    if table.resolve() != (HERE / "corpus.tsv").resolve():
        kept = {}
        if table.exists():
            with table.open(encoding="utf-8") as handle:
                kept = {r["file"]: r for r in csv.DictReader(handle, delimiter="\t")}
        rows = [dict(kept.get(r["file"], {}), **r) for r in rows]
    jobs = [(row, locale) for row in rows for locale in ("C", "en", "own")]
    log = open(arguments.log, "w", encoding="utf-8") if arguments.log else None
    with concurrent.futures.ThreadPoolExecutor(arguments.jobs) as pool:
        results = pool.map(lambda job: read_one(program, design, *job), jobs)
        for (row, locale), (reading, err) in zip(jobs, results):
            row[f"{locale}.{arguments.label}"] = reading
            if log:
                log.write(f"{row['file']}\t{locale}\t{reading}\t{err.strip()!r}\n")
    columns = []
    for row in rows:
        columns += [c for c in row if c not in columns]
    with table.open("w", encoding="utf-8", newline="") as handle:
        writer = csv.DictWriter(handle, fieldnames=columns, delimiter="\t", lineterminator="\n", restval="")
        writer.writeheader()
        writer.writerows(rows)
    for locale in ("C", "en", "own"):
        counts = {k: sum(1 for r in rows if r[f"{locale}.{arguments.label}"][0] == k) for k in "RNW"}
        print(f"{arguments.label} under {locale}: right {counts['R']}, noted {counts['N']}, wrong {counts['W']}")


if __name__ == "__main__":
    sys.exit(main())
