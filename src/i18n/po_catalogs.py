#!/usr/bin/env python3
"""Compiles gettext .po files into the program's message table.

Usage: po_catalogs.py OUT.cpp LANG.po...

Each file becomes one Catalog (i18n/i18n.h) named after the file ("en.po" ->
"en"), its pairs sorted by msgid bytes so the program can search them. The
header entry (msgid "") gives the language's own name ("X-Language-Name").
Fuzzy entries and empty translations are left out: the program then shows the
source text. A duplicate msgid, or a translation whose "%s" count differs from
its msgid's, stops the build.
"""
import os
import sys

ESCAPES = {"n": "\n", "t": "\t", '"': '"', "\\": "\\"}


def unquote(text, where):
    text = text.strip()
    if len(text) < 2 or text[0] != '"' or text[-1] != '"':
        raise SystemExit(f"{where}: expected a quoted string")
    out, i, body = [], 0, text[1:-1]
    while i < len(body):
        c = body[i]
        if c == "\\":
            i += 1
            if i >= len(body) or body[i] not in ESCAPES:
                raise SystemExit(f"{where}: unknown escape")
            out.append(ESCAPES[body[i]])
        else:
            out.append(c)
        i += 1
    return "".join(out)


def read_po(path):
    """The entries of one .po file: (msgid, msgstr, fuzzy, line)."""
    entries, current, field, fuzzy = [], None, None, False

    def finish():
        nonlocal current
        if current is not None:
            entries.append(current)
        current = None

    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            where = f"{path}:{number}"
            line = line.rstrip("\n")
            if not line.strip():
                finish()
                fuzzy = False
                continue
            if line.startswith("#"):
                if line.startswith("#,") and "fuzzy" in line:
                    fuzzy = True
                continue
            if line.startswith("msgid "):
                finish()
                current = {"id": unquote(line[6:], where), "str": "", "fuzzy": fuzzy, "line": number}
                field = "id"
                fuzzy = False
            elif line.startswith("msgstr "):
                if current is None:
                    raise SystemExit(f"{where}: msgstr without msgid")
                current["str"] = unquote(line[7:], where)
                field = "str"
            elif line.startswith('"'):
                if current is None:
                    raise SystemExit(f"{where}: text outside an entry")
                current[field] += unquote(line, where)
            else:
                raise SystemExit(f"{where}: not a line of a .po file")
    finish()
    return entries


def literal(text):
    out = []
    for c in text:
        if c in '"\\':
            out.append("\\" + c)
        elif c == "\n":
            out.append("\\n")
        elif c == "\t":
            out.append("\\t")
        elif ord(c) < 0x20:
            out.append("\\%03o" % ord(c))
        else:
            out.append(c)
    return '"' + "".join(out) + '"'


def main():
    if len(sys.argv) < 3:
        raise SystemExit(__doc__)
    out_path, po_paths = sys.argv[1], sorted(sys.argv[2:])
    parts = ["// Generated from resources/i18n/*.po by po_catalogs.py; do not edit.",
             '#include "i18n/i18n.h"', "", "namespace kestrune::i18n {", "namespace {"]
    names = []
    for index, path in enumerate(po_paths):
        language = os.path.splitext(os.path.basename(path))[0]
        name, pairs, seen = language, [], {}
        for entry in read_po(path):
            if entry["id"] == "":
                for header in entry["str"].split("\n"):
                    if header.startswith("X-Language-Name:"):
                        name = header.split(":", 1)[1].strip()
                continue
            where = f"{path}:{entry['line']}"
            if entry["id"] in seen:
                raise SystemExit(f"{where}: msgid already at line {seen[entry['id']]}")
            seen[entry["id"]] = entry["line"]
            if entry["fuzzy"] or not entry["str"]:
                continue
            if entry["id"].count("%s") != entry["str"].count("%s"):
                raise SystemExit(f"{where}: the translation has a different number of %s")
            pairs.append((entry["id"], entry["str"]))
        pairs.sort(key=lambda p: p[0].encode("utf-8"))
        parts.append(f"const Message kMessages{index}[] = {{")
        parts += [f"    {{{literal(i)}, {literal(s)}}}," for i, s in pairs]
        if not pairs:
            parts.append('    {"", ""},')
        parts.append("};")
        parts.append(f'const Catalog kCatalog{index} = {{{literal(language)}, {literal(name)}, '
                     f"kMessages{index}, {len(pairs)}}};")
        names.append(f"&kCatalog{index}")
    parts += ["}  // namespace", ""]
    parts.append(f"extern const Catalog* const kCatalogs[] = {{{', '.join(names) or 'nullptr'}}};")
    parts.append(f"extern const size_t kCatalogCount = {len(names)};")
    parts += ["", "}  // namespace kestrune::i18n", ""]
    text = "\n".join(parts)
    try:
        with open(out_path, encoding="utf-8") as f:
            if f.read() == text:
                return
    except OSError:
        pass
    with open(out_path, "w", encoding="utf-8") as f:
        f.write(text)


if __name__ == "__main__":
    main()
