#!/usr/bin/env python3
"""Converts Natural Earth's 1:50m land and country borders, as the npm package world-atlas ships them
(TopoJSON, public domain), into the compact file the map draws as its offline basemap.
Usage: scripts/make-basemap.py [countries-50m.json] [output]
Without arguments it fetches world-atlas@2.0.2 with `npm pack` into a temporary folder and writes
qt/tiles/natural_earth_50m.bin.
Output: qCompress'ed (4-byte big-endian length, then zlib) little-endian records:
  "DVBM", u32 version 1, f64 scale_x, scale_y, translate_x, translate_y,
  u32 ring count, u32 line count, then each ring (land; holes are rings too, filled even-odd) and
  each line (a border between two countries) as u32 point count and that many i32 (dx, dy) steps of
  the quantized grid from (0, 0); longitude = x * scale_x + translate_x, latitude likewise. A shape
  crossing the antimeridian runs on past 180 degrees."""
import json
import os
import struct
import subprocess
import sys
import tempfile
import zlib

root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def fetch():
    folder = tempfile.mkdtemp()
    subprocess.run(['npm', 'pack', '--silent', 'world-atlas@2.0.2'], cwd=folder, check=True,
                   stdout=subprocess.DEVNULL)
    subprocess.run(['tar', 'xzf', 'world-atlas-2.0.2.tgz'], cwd=folder, check=True)
    return os.path.join(folder, 'package', 'countries-50m.json')


source = sys.argv[1] if len(sys.argv) > 1 else fetch()
output = sys.argv[2] if len(sys.argv) > 2 else os.path.join(root, 'qt', 'tiles', 'natural_earth_50m.bin')
topology = json.load(open(source, encoding='utf-8'))

# Arcs: delta-encoded quantized points; decoded to absolute grid points.
arcs = []
for arc in topology['arcs']:
    x = y = 0
    points = []
    for dx, dy in arc:
        x += dx
        y += dy
        points.append((x, y))
    arcs.append(points)


def ring_points(indices):
    points = []
    for i in indices:
        arc = arcs[i] if i >= 0 else arcs[~i][::-1]
        points.extend(arc if not points else arc[1:])
    return points


def polygons(geometry):
    if geometry['type'] == 'Polygon':
        return [geometry['arcs']]
    if geometry['type'] == 'MultiPolygon':
        return geometry['arcs']
    return []


# The grid's width of 360 degrees of longitude.
turn = round(360 / topology['transform']['scale'][0])


def unwrapped(points):
    """A shape that steps across the antimeridian (179.9 E to 179.9 W, Chukotka) goes on past 180
    degrees instead; the map draws it once more a world to the west or east."""
    out = [points[0]]
    shift = 0
    for (x0, _), (x1, y1) in zip(points, points[1:]):
        if x1 - x0 > turn // 2:
            shift -= turn
        elif x0 - x1 > turn // 2:
            shift += turn
        out.append((x1 + shift, y1))
    return out


def ring_unwrapped(points):
    """A ring that goes once around the pole (Antarctica's coast) is closed along the pole's line,
    as the flat map shows it."""
    out = unwrapped(points)
    if out[-1] == out[0]:
        return out
    south = sum(y for _, y in points) / len(points) < (0 - t['translate'][1]) / t['scale'][1]
    pole = round(((-90 if south else 90) - t['translate'][1]) / t['scale'][1])
    return out + [(out[-1][0], pole), (out[0][0], pole), out[0]]


t = topology['transform']
pole_line = round((-89.99 - t['translate'][1]) / t['scale'][1])
# The line along the south pole that the sphere's ring leaves is no land of its own.
rings = [ring_unwrapped(r) for r in
         (ring_points(ring) for g in topology['objects']['land']['geometries']
          for polygon in polygons(g) for ring in polygon)
         if max(y for _, y in r) > pole_line]

# A border is an arc that two different countries use.
users = {}
for n, g in enumerate(topology['objects']['countries']['geometries']):
    for polygon in polygons(g):
        for ring in polygon:
            for i in ring:
                users.setdefault(i if i >= 0 else ~i, set()).add(n)
lines = [unwrapped(arcs[i]) for i in sorted(users) if len(users[i]) > 1]


def record(points):
    out = [struct.pack('<I', len(points))]
    px = py = 0
    for x, y in points:
        out.append(struct.pack('<ii', x - px, y - py))
        px, py = x, y
    return b''.join(out)


body = b'DVBM' + struct.pack('<I', 1) + struct.pack('<4d', *t['scale'], *t['translate'])
body += struct.pack('<II', len(rings), len(lines))
body += b''.join(record(r) for r in rings) + b''.join(record(l) for l in lines)
with open(output, 'wb') as f:
    f.write(struct.pack('>I', len(body)) + zlib.compress(body, 9))
print(f'{output}: {len(rings)} rings, {len(lines)} border lines, '
      f'{sum(map(len, rings)) + sum(map(len, lines))} points')
