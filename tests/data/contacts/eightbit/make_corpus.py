#!/usr/bin/env python3
"""Writes the 8-bit contacts files of files/ and their UTF-8 originals utf8/ from the lists of
names/ (first name, last name, street, town of real persons' names and real places, one language a
file), and corpus.tsv, which names each file with its language, what it holds and every code page
that gives its bytes.

Each language's persons go into files of one, three, five and all of them, and into all-capital
files of one and of all (capitals as the language writes them: a Turkish dotted capital I, Greek
capitals without accents), each written in every 8-bit code page that holds all of its letters
(Windows 125x, ISO 8859, KOI8); where two code pages give the same bytes the file is written once.
The UTF-8 original (utf8/LANGUAGE-KIND.csv) is what a reading must give back. The readings that
earlier builds gave each file are columns of corpus.tsv that read_corpus.py fills; this script
keeps them.

Run from this folder: python3 make_corpus.py
"""
import csv
import unicodedata
from pathlib import Path

HERE = Path(__file__).resolve().parent
CODE_PAGES = ["windows-1252", "windows-1250", "windows-1251", "windows-1253", "windows-1254", "windows-1257",
              "ISO-8859-1", "ISO-8859-15", "ISO-8859-2", "ISO-8859-5", "ISO-8859-7", "ISO-8859-9", "ISO-8859-13",
              "ISO-8859-16", "KOI8-R", "KOI8-U"]
HEADER = "First Name,Last Name,Street,City\n"
KINDS = [("one1", slice(0, 1)), ("one2", slice(1, 2)), ("one3", slice(2, 3)), ("three", slice(3, 6)),
         ("five", slice(6, 11)), ("long", slice(0, None))]
CAPITAL_KINDS = [("caps-one", slice(0, 1)), ("caps-long", slice(0, None))]


def capitals(text, language):
    if language == "tr":
        text = text.replace("i", "İ")
    text = text.upper()
    if language == "el":
        text = unicodedata.normalize("NFC", "".join(
            c for c in unicodedata.normalize("NFD", text) if c not in "\u0301\u0344"))
    return text


def main():
    files = HERE / "files"
    originals = HERE / "utf8"
    for folder in (files, originals):
        folder.mkdir(exist_ok=True)
        for old in folder.glob("*.csv"):
            old.unlink()
    kept = {}
    table = HERE / "corpus.tsv"
    if table.exists():
        with table.open(encoding="utf-8") as handle:
            for row in csv.DictReader(handle, delimiter="\t"):
                kept[row["file"]] = row
    rows = []
    for names in sorted((HERE / "names").glob("*.txt")):
        language = names.stem
        persons = names.read_text(encoding="utf-8").splitlines()
        kinds = [(kind, "\n".join(persons[part]) + "\n") for kind, part in KINDS]
        kinds += [(kind, capitals("\n".join(persons[part]), language) + "\n") for kind, part in CAPITAL_KINDS]
        for kind, text in kinds:
            written = {}
            for page in CODE_PAGES:
                try:
                    body = text.encode(page)
                except UnicodeEncodeError:
                    continue
                if body.decode(page) != text:
                    continue
                if body in written:
                    written[body].append(page)
                else:
                    written[body] = [page]
            if all(b < 0x80 for b in text.encode("utf-8")):
                continue
            (originals / f"{language}-{kind}.csv").write_bytes((HEADER + text).encode("utf-8"))
            for body, pages in written.items():
                name = f"{language}-{kind}-{pages[0]}.csv"
                (files / name).write_bytes(HEADER.encode("ascii") + body)
                row = {"file": name, "language": language, "kind": kind, "codepages": ",".join(pages),
                       "persons": str(text.count("\n"))}
                for column, value in kept.get(name, {}).items():
                    row.setdefault(column, value)
                rows.append(row)
    columns = ["file", "language", "kind", "codepages", "persons"]
    for row in rows:
        columns += [c for c in row if c not in columns]
    with table.open("w", encoding="utf-8", newline="") as handle:
        writer = csv.DictWriter(handle, fieldnames=columns, delimiter="\t", lineterminator="\n", restval="")
        writer.writeheader()
        writer.writerows(rows)
    print(f"{len(rows)} files")


if __name__ == "__main__":
    main()
