#!/usr/bin/env python3
"""Checks the message catalogs against the program's texts.

Usage: check_catalog.py SRC_DIR PO_FILE...

Every string literal in SRC_DIR that holds a Chinese character is a text the
program shows in the source language, so each must be a msgid of every
catalog, with a translation. Names that are never shown (font faces) and the
diagnostic lines (DebugLog, DebugLogF) are the exceptions. A catalog entry no literal uses any more is reported too,
so a renamed text does not leave its old translation behind.
"""
import os
import re
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "src", "i18n"))
import po_catalogs  # noqa: E402

# Font faces: names the system knows the fonts by, never shown.
NOT_SHOWN = {"微软雅黑", "宋体"}

CJK = re.compile("[\u3000-\u303f\u3400-\u9fff\uff00-\uffef]")
TOKEN = re.compile(r'//[^\n]*|/\*.*?\*/|(?:u8|L|u|U)?"((?:[^"\\\n]|\\.)*)"|\'(?:[^\'\\\n]|\\.)*\'',
                   re.S)
DIAGNOSTIC = re.compile(r"DebugLogF?\(\s*$")
ESCAPES = {"n": "\n", "t": "\t", '"': '"', "\\": "\\", "'": "'"}


def unescape(body):
    return re.sub(r"\\(.)", lambda m: ESCAPES.get(m.group(1), m.group(0)), body)


def literals(path):
    """The file's string literals, adjacent ones joined, with their lines."""
    text = open(path, encoding="utf-8").read()
    out, current, start, end = [], None, 0, 0
    for m in TOKEN.finditer(text):
        if m.group(0).startswith(("//", "/*")) or m.group(1) is None:
            if current is not None and not m.group(0).startswith(("//", "/*")):
                out.append((current, start))
                current = None
            continue
        gap = text[end:m.start()]
        if current is not None and gap.strip() == "":
            current += unescape(m.group(1))
        else:
            if current is not None:
                out.append((current, start))
            current, start = unescape(m.group(1)), text.count("\n", 0, m.start()) + 1
            if DIAGNOSTIC.search(text, max(0, m.start() - 40), m.start()):
                current = None
                continue
        end = m.end()
    if current is not None:
        out.append((current, start))
    return out


def shown_texts(src):
    texts = {}
    for root, _, files in os.walk(src):
        for name in sorted(files):
            if not name.endswith((".cpp", ".h")):
                continue
            path = os.path.join(root, name)
            for text, line in literals(path):
                if CJK.search(text) and text not in NOT_SHOWN:
                    texts.setdefault(text, f"{path}:{line}")
    return texts


def main():
    if len(sys.argv) < 3:
        raise SystemExit(__doc__)
    texts = shown_texts(sys.argv[1])
    faults = 0
    for po in sys.argv[2:]:
        entries = {e["id"]: e for e in po_catalogs.read_po(po) if e["id"]}
        for text, where in sorted(texts.items(), key=lambda t: t[1]):
            entry = entries.get(text)
            if entry is None or not entry["str"] or entry["fuzzy"]:
                print(f"{where}: no translation in {os.path.basename(po)}: {text!r}")
                faults += 1
        for msgid, entry in entries.items():
            if msgid not in texts:
                print(f"{po}:{entry['line']}: no text of the program: {msgid!r}")
                faults += 1
    print(f"{len(texts)} texts, {len(sys.argv) - 2} catalog(s), {faults} fault(s)")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
