#!/usr/bin/env python3
# Fails when a source file includes a header from a folder above its own.
# The floors are read from docs/architecture.md (the "floor" table), so the
# document and the check cannot drift apart.
import os
import re
import sys

root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
doc = open(os.path.join(root, "docs", "architecture.md"), encoding="utf-8").read()
floor = {}
for m in re.finditer(r"^\| *(\d+) *\| *([^|]+)\|", doc, re.M):
    for folder in re.findall(r"`([a-z]+)/`", m.group(2)):
        floor[folder] = int(m.group(1))
if not floor:
    sys.exit("check_includes: no floor table in docs/architecture.md")

include = re.compile(r'^\s*#\s*include\s+"([a-z_]+)/')
bad = []
for folder in sorted(floor):
    for dirpath, _, files in os.walk(os.path.join(root, folder)):
        for name in files:
            if not name.endswith((".h", ".cpp")):
                continue
            path = os.path.join(dirpath, name)
            with open(path, encoding="utf-8") as f:
                for number, line in enumerate(f, 1):
                    m = include.match(line)
                    if not m or m.group(1) not in floor:
                        continue
                    target = m.group(1)
                    if target != folder and floor[target] >= floor[folder]:
                        bad.append(f"{os.path.relpath(path, root)}:{number}: {folder}/ (floor {floor[folder]}) "
                                   f"includes {target}/ (floor {floor[target]})")
for line in bad:
    print(line)
if bad:
    sys.exit(f"check_includes: {len(bad)} include(s) go up or sideways")
print(f"check_includes: {len(floor)} folders, every include goes down")
