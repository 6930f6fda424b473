#!/usr/bin/env python3
"""The layer rule: every `#include "folder/..."` under src/ (and under
stand-ins/, when given) must follow an edge written in cmake/layers.txt.
Prints each offending file and line and exits 1.

    check_layers.py <layers.txt> <src folder> [<stand-ins folder>]
"""
import pathlib
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')
SOURCES = {".h", ".hpp", ".cpp", ".cc", ".c", ".inc"}


def read_layers(path):
    allowed = {}
    for number, raw in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        line = raw.split("#", 1)[0].strip()
        if not line:
            continue
        if ":" not in line:
            sys.exit(f"{path}:{number}: expected '<folder>: <folders>', got {raw!r}")
        folder, targets = line.split(":", 1)
        allowed.setdefault(folder.strip(), set()).update(targets.split())
    return allowed


def main():
    if len(sys.argv) not in (3, 4):
        sys.exit(__doc__)
    layers = pathlib.Path(sys.argv[1])
    src = pathlib.Path(sys.argv[2])
    allowed = read_layers(layers)
    folders = {p.name for p in src.iterdir() if p.is_dir()}
    # (root, name shown, prefix of the owner's name in layers.txt)
    roots = [(src, "src", "")]
    if len(sys.argv) == 4:
        roots.append((pathlib.Path(sys.argv[3]), "stand-ins", "stand-ins/"))
    faults = []
    checked = 0
    for root, shown, prefix in roots:
        for path in sorted(root.rglob("*")):
            if path.suffix not in SOURCES or not path.is_file():
                continue
            relative = path.relative_to(root)
            owner = prefix + relative.parts[0] if len(relative.parts) > 1 else ""
            text = path.read_text(encoding="utf-8", errors="replace")
            for number, line in enumerate(text.splitlines(), 1):
                match = INCLUDE.match(line)
                if not match:
                    continue
                checked += 1
                include = match.group(1)
                target = include.split("/", 1)
                if len(target) == 1 or target[0] not in folders or target[0] == owner:
                    continue  # the folder's own file, or not one of src/'s folders
                where = f"{shown}/{relative}:{number}"
                if owner not in allowed:
                    faults.append(f"{where}: folder '{owner}' is not in {layers.name}")
                elif target[0] not in allowed[owner] and include not in allowed[owner]:
                    faults.append(f"{where}: {owner} -> {target[0]} is not an allowed edge "
                                  f"({include}); see {layers.name}")
    for fault in faults:
        print(fault)
    print(f"{checked} includes checked, {len(faults)} outside the layer rule")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
