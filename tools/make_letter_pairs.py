#!/usr/bin/env python3
"""Writes resources/bundle/LetterPairs.txt: how often each letter follows another in the words of a
language, for the languages whose names and addresses the 8-bit code pages of contacts files hold.

The counts are measured on the translations installed on a Debian system (the gettext catalogues
under /usr/share/locale/LANG/LC_MESSAGES/*.mo: the messages of coreutils, glib, apt and the like,
and the names of countries, regions and languages of iso-codes): real text of each language,
written by its speakers, and no list of names (English: the catalogues' originals). Only the translated texts count, each text once;
printf and markup codes are left out. Letters are folded to small ones by their simple case
mapping (as the reader folds them), the Greek final sigma to sigma, and the Romanian s and t
with a comma below to the cedilla forms the 8-bit code pages write.

Each language is one line: its code, its script, then "PAIR:COUNT" entries, where PAIR is two
letters or "_" for a word's start or end; the counts are scaled so that a language's pairs add up
to 1,000,000, and pairs that scale to below 1 are left out.

Run from the project root: python3 tools/make_letter_pairs.py
"""
import collections
import gettext
import glob
import re
import sys
import unicodedata
from pathlib import Path

# Language code as the reader names it, the catalogue folders of its text, its script.
LANGUAGES = [
    ("ca", ["ca"], "Latn"), ("cs", ["cs"], "Latn"), ("da", ["da"], "Latn"), ("de", ["de"], "Latn"),
    ("en", ["=fr"], "Latn"), ("es", ["es"], "Latn"), ("et", ["et"], "Latn"), ("eu", ["eu"], "Latn"),
    ("fi", ["fi"], "Latn"), ("fr", ["fr"], "Latn"), ("ga", ["ga"], "Latn"), ("gl", ["gl"], "Latn"),
    ("hr", ["hr"], "Latn"), ("hu", ["hu"], "Latn"), ("is", ["is"], "Latn"), ("it", ["it"], "Latn"),
    ("nb", ["nb", "nn"], "Latn"), ("nl", ["nl"], "Latn"), ("pl", ["pl"], "Latn"), ("pt", ["pt", "pt_BR"], "Latn"),
    ("ro", ["ro"], "Latn"), ("sk", ["sk"], "Latn"), ("sl", ["sl"], "Latn"), ("sq", ["sq"], "Latn"),
    ("sr-Latn", ["sr@latin"], "Latn"), ("sv", ["sv"], "Latn"), ("tr", ["tr"], "Latn"),
    ("be", ["be"], "Cyrl"), ("bg", ["bg"], "Cyrl"), ("mk", ["mk"], "Cyrl"), ("ru", ["ru"], "Cyrl"),
    ("sr", ["sr"], "Cyrl"), ("uk", ["uk"], "Cyrl"),
    ("el", ["el"], "Grek"),
]

CODES = re.compile(r"%(\d+\$)?[-+ #0'I]*(\*|\d+)?(\.(\*|\d+))?(hh|h|ll|l|L|q|j|z|t)?[a-zA-Z]|<[^>]*>|&[a-z]+;|\$\{[^}]*\}|\\[nt]")
FOLD = {"ς": "σ", "ș": "ş", "ț": "ţ"}
SCALE = 1_000_000


def script_of(ch):
    name = unicodedata.name(ch, "")
    if name.startswith("LATIN"):
        return "Latn"
    if name.startswith("CYRILLIC"):
        return "Cyrl"
    if name.startswith("GREEK"):
        return "Grek"
    return None


def fold(ch):
    small = ch.lower()[0]  # the simple mapping: "İ" is "i", as QChar::toLower has it
    return FOLD.get(small, small)


def texts(folders):
    for folder in folders:
        # "=LANG": the English originals of that language's catalogues.
        originals = folder.startswith("=")
        folder = folder.lstrip("=")
        for path in sorted(glob.glob(f"/usr/share/locale/{folder}/LC_MESSAGES/*.mo")):
            try:
                with open(path, "rb") as handle:
                    catalogue = gettext.GNUTranslations(handle)._catalog
            except Exception:  # a damaged catalogue is left out
                continue
            for key, text in catalogue.items():
                original = key[0] if isinstance(key, tuple) else key
                if originals and original:
                    yield unicodedata.normalize("NFC", original)
                elif not originals and original and text and text != original:
                    yield unicodedata.normalize("NFC", text)


def count(folders, script):
    pairs = collections.Counter()
    seen = set()
    for text in texts(folders):
        if text in seen:
            continue
        seen.add(text)
        text = CODES.sub(" ", text)
        word = []
        foreign = False
        for ch in text + " ":
            if unicodedata.category(ch) in ("Lu", "Ll", "Lt"):
                # A word holding a letter of another script is no word of the language.
                if script_of(ch) == script:
                    word.append(fold(ch))
                else:
                    foreign = True
                continue
            if word and not foreign:
                pairs["_" + word[0]] += 1
                for a, b in zip(word, word[1:]):
                    pairs[a + b] += 1
                pairs[word[-1] + "_"] += 1
            word = []
            foreign = False
    return pairs


def main():
    root = Path(__file__).resolve().parent.parent
    lines = [
        "# Made by tools/make_letter_pairs.py from the translations installed with Debian 12; do not edit.",
        "# LANGUAGE SCRIPT PAIR:COUNT ... ('_' is a word's start or end; counts per 1,000,000 pairs)",
    ]
    for code, folders, script in LANGUAGES:
        pairs = count(folders, script)
        total = sum(pairs.values())
        if total < 40_000:
            sys.exit(f"too little text for {code}: {total} pairs")
        scaled = {pair: round(n * SCALE / total) for pair, n in pairs.items()}
        entries = [f"{pair}:{n}" for pair, n in sorted(scaled.items()) if n >= 1]
        lines.append(" ".join([code, script] + entries))
        print(f"{code}: {total} pairs measured, {len(entries)} kept", file=sys.stderr)
    (root / "resources/bundle/LetterPairs.txt").write_text("\n".join(lines) + "\n", encoding="utf-8")


if __name__ == "__main__":
    main()
