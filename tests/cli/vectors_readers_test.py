#!/usr/bin/env python3
"""glenvar-cli's shapes as GIS reads them: every polygon valid for shapely
and for GDAL (ogrinfo's SQLite dialect), the lake polygons holding exactly
the cells of the lake layer and the land those of neither water nor lake,
the rivers' vertices exactly the river layer's cells, Strahler's law at every
confluence, and features cut at the wrapped edge where they reach it. The
layers are decoded here from their PNG bytes. A reader that is missing skips
its part with a message."""

import json
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib
from collections import defaultdict
from pathlib import Path

CLI, STENCILS = sys.argv[1], sys.argv[2]
W, H, CELL = 200, 150, 5.0
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)


def png_mask(path):
    """A black and white 8-bit RGB PNG as rows of 0/1 (filters undone here)."""
    data = Path(path).read_bytes()
    at, idat, width, height = 8, b"", 0, 0
    while at < len(data):
        length, kind = struct.unpack_from(">I4s", data, at)
        body = data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour = struct.unpack_from(">IIBB", body)
            assert depth == 8 and colour == 2, "an 8-bit RGB picture"
        elif kind == b"IDAT":
            idat += body
        at += 12 + length
    raw, stride, rows, previous = zlib.decompress(idat), 3 * width, [], bytearray(3 * width)
    for y in range(height):
        kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            left = line[i - 3] if i >= 3 else 0
            up, corner = previous[i], previous[i - 3] if i >= 3 else 0
            if kind == 1:
                line[i] = (line[i] + left) & 255
            elif kind == 2:
                line[i] = (line[i] + up) & 255
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                line[i] = (line[i] + (left if pa <= pb and pa <= pc else up if pb <= pc else corner)) & 255
        rows.append([1 if line[3 * x] else 0 for x in range(width)])
        previous = line
    return rows


def centre(x, y):
    return ((x + 0.5) * CELL, (H - y - 0.5) * CELL)


with tempfile.TemporaryDirectory() as scratch:
    d = Path(scratch)
    subprocess.run([CLI, "generate", "--width", str(W), "--height", str(H), "--stencils", STENCILS,
                    "--seed", "3", "--smooth", "2", "--rivers", "60", "--cell-size-m", str(CELL),
                    "--vectors", "v.geojson", "--layer", "rivers=r.png", "--layer", "lakes=l.png",
                    "--layer", "flow=f.tif"],
                   cwd=d, check=True, capture_output=True)
    document = json.loads((d / "v.geojson").read_text())
    features = document["features"]
    rivers, lakes = png_mask(d / "r.png"), png_mask(d / "l.png")
    kinds = defaultdict(list)
    for f in features:
        kinds[f["properties"]["kind"]].append(f)
    check(kinds["land"] and kinds["lake"] and kinds["river"], "land, lakes and rivers")

    # Rivers: the vertices at cells' centres are the river cells, no more, no fewer.
    cells = set()
    for f in kinds["river"]:
        for x, y in f["geometry"]["coordinates"]:
            gx, gy = x / CELL, H - y / CELL
            if gx % 1 == 0.5 and gy % 1 == 0.5:
                cells.add((int(gx), int(gy)))
    mask = {(x, y) for y in range(H) for x in range(W) if rivers[y][x]}
    check(cells == mask, f"river vertices cover the river layer's cells ({len(cells ^ mask)} differ)")

    # Strahler at each confluence: one more than the highest order flowing
    # in when two of that order meet, the highest otherwise.
    ending, starting = defaultdict(list), {}
    for f in kinds["river"]:
        line, p = f["geometry"]["coordinates"], f["properties"]
        if not p["cutAtMapEdge"]:
            ending[tuple(line[-1])].append(p["strahler"])
            starting[tuple(line[0])] = p["strahler"]
    for point, orders in ending.items():
        if point in starting:
            top = max(orders)
            check(starting[point] == top + (orders.count(top) >= 2), f"Strahler at {point}")
    check(any(p["properties"]["strahler"] > 1 for p in kinds["river"]), "rivers join")

    try:
        from shapely.geometry import Point, shape
        from shapely.ops import unary_union
        from shapely.prepared import prep
    except ImportError:
        print("skipped: shapely (python3-shapely) is not installed")
    else:
        for f in kinds["land"] + kinds["lake"]:
            check(shape(f["geometry"]).is_valid, f"shapely: a valid {f['properties']['kind']}")
        lake_area = prep(unary_union([shape(f["geometry"]) for f in kinds["lake"]]))
        land_area = prep(unary_union([shape(f["geometry"]) for f in kinds["land"]]))
        lake_wrong = land_in_lake = 0
        for y in range(H):
            for x in range(W):
                p = Point(*centre(x, y))
                lake_wrong += lake_area.contains(p) != bool(lakes[y][x])
                land_in_lake += land_area.contains(p) and lakes[y][x]
        check(lake_wrong == 0, f"lake polygons hold the lake layer's cells ({lake_wrong} differ)")
        check(land_in_lake == 0, "no land under a lake")
        # The wrap: what reaches an edge is cut there and says so.
        for f in kinds["land"]:
            xs = [x for ring in f["geometry"]["coordinates"] for x, _ in ring]
            ys = [y for ring in f["geometry"]["coordinates"] for _, y in ring]
            touches = min(xs) == 0 or max(xs) == W * CELL or min(ys) == 0 or max(ys) == H * CELL
            check(touches == f["properties"]["cutAtMapEdge"], "land cut at the map's edge says so")

    if shutil.which("ogrinfo"):
        sql = ("SELECT COUNT(*) AS n, SUM(NOT ST_IsValid(geometry)) AS bad FROM glenvar")
        done = subprocess.run(["ogrinfo", str(d / "v.geojson"), "-dialect", "sqlite", "-sql", sql],
                              capture_output=True, text=True)
        check(f"n (Integer) = {len(features)}" in done.stdout and "bad (Integer) = 0" in done.stdout,
              f"ogrinfo: every feature read and valid: {done.stdout[-300:]} {done.stderr[-300:]}")
    else:
        print("skipped: ogrinfo (gdal-bin) is not installed")

for failure in failures:
    print("FAIL:", failure)
sys.exit(1 if failures else 0)
