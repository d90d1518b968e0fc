#!/usr/bin/env python3
"""Checks the libraries of qt/ against the rooms' include rules: a library links only libraries whose
headers its room may include (an interface library counts as what it links), the links form no
cycle, and a library reaches none of the Qt modules denied to it.
Usage: scripts/library-layers.py SOURCE_ROOT RULES DENIED
RULES: lines "room=entry entry ..." (entry: folder/ or file.h); DENIED: lines "library=target ..."."""
import os
import re
import sys

root, rules_text, denied_text = sys.argv[1], sys.argv[2], sys.argv[3]
rules = {k: v.split() for k, v in (l.split('=', 1) for l in rules_text.splitlines() if '=' in l)}
denied = {k: set(v.split()) for k, v in (l.split('=', 1) for l in denied_text.splitlines() if '=' in l)}
keywords = {'PUBLIC', 'PRIVATE', 'INTERFACE', 'STATIC', 'SHARED', 'OBJECT'}

libraries = {}  # name -> (room, headers)
links = {}      # name -> targets
for folder, _, files in os.walk(root):
    if 'CMakeLists.txt' not in files:
        continue
    room = os.path.relpath(folder, root)
    text = re.sub(r'#.*', '', open(os.path.join(folder, 'CMakeLists.txt'), encoding='utf-8').read())
    for name, body in re.findall(r'add_library\(\s*(\S+)([^)]*)\)', text):
        headers = [os.path.normpath(os.path.join(room, w)) for w in body.split() if w.endswith('.h')]
        libraries[name] = (room, headers)
    for name, body in re.findall(r'(?:target_link_libraries|dornvale_library_links)\(\s*(\S+)([^)]*)\)', text):
        links.setdefault(name, []).extend(w for w in body.split() if w not in keywords)

def may_include(room, header):
    return any(header.startswith(e) if e.endswith('/') else header == e for e in rules.get(room, []))

def may_link(room, lib):
    _, headers = libraries[lib]
    if headers:
        return any(may_include(room, h) for h in headers)
    return all(may_link(room, b) for b in links.get(lib, []) if b in libraries)

status = 0
for lib, (room, _) in sorted(libraries.items()):
    if room not in rules:
        continue  # a folder's interface library stands for the rooms below it
    for b in links.get(lib, []):
        if b in libraries and not may_link(room, b):
            print('layer violation: %s (in %s) links %s, above it' % (lib, room, b), file=sys.stderr)
            status = 1

def reach(lib, seen):
    for b in links.get(lib, []):
        if b not in seen:
            seen.add(b)
            if b in libraries:
                reach(b, seen)
    return seen

for lib in sorted(libraries):
    if lib in reach(lib, set()):
        print('layer violation: %s links itself around a loop' % lib, file=sys.stderr)
        status = 1
for lib, targets in sorted(denied.items()):
    if lib not in libraries:
        print('layer violation: %s, which must not reach %s, is gone' % (lib, ' '.join(sorted(targets))),
              file=sys.stderr)
        status = 1
        continue
    bad = reach(lib, set()) & targets
    if bad:
        print('layer violation: %s reaches %s' % (lib, ' '.join(sorted(bad))), file=sys.stderr)
        status = 1
sys.exit(status)
