#!/usr/bin/env python3
"""Lists include cycles among the program's classes (a header and its source count as one unit).
Exits 1 when there is one. Usage: scripts/include-cycles.py [SOURCE_ROOT]"""
import os
import re
import sys

root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), '..', 'qt')
include = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
units = {}
for folder, _, files in os.walk(root):
    for name in files:
        if name.endswith(('.h', '.cpp')):
            path = os.path.join(folder, name)
            unit = os.path.splitext(os.path.relpath(path, root))[0]
            with open(path, encoding='utf-8') as f:
                units.setdefault(unit, set()).update(
                    os.path.splitext(i)[0] for i in include.findall(f.read()))
graph = {u: {d for d in deps if d in units and d != u} for u, deps in units.items()}

# Tarjan's strongly connected components.
index, low, stack, on_stack, cycles = {}, {}, [], set(), []
def visit(u):
    index[u] = low[u] = len(index)
    stack.append(u)
    on_stack.add(u)
    for v in sorted(graph[u]):
        if v not in index:
            visit(v)
            low[u] = min(low[u], low[v])
        elif v in on_stack:
            low[u] = min(low[u], index[v])
    if low[u] == index[u]:
        component = []
        while True:
            v = stack.pop()
            on_stack.discard(v)
            component.append(v)
            if v == u:
                break
        if len(component) > 1:
            cycles.append(sorted(component))
sys.setrecursionlimit(10000)
for u in sorted(graph):
    if u not in index:
        visit(u)
for c in cycles:
    print('include cycle: ' + ' <-> '.join(c), file=sys.stderr)
print('%d include cycles among %d classes' % (len(cycles), len(units)))
sys.exit(1 if cycles else 0)
