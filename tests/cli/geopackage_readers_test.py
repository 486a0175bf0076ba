#!/usr/bin/env python3
"""glenvar-cli's shapes as a GeoPackage, read by GDAL's OGR (osgeo.ogr) and
shapely against the GeoJSON of the same run: the layers land, lakes and
rivers holding the GeoJSON's features, geometries and properties, valid; the
same bytes on 1 and 2 threads. On an imported UTM 33N elevation model with a
NoData block: the shapes in the model's own coordinate system and place, the
block outside every polygon, and no vertex of the mesh over it. A reader
that is missing skips with a message."""

import json
import subprocess
import sys
import tempfile
from collections import defaultdict
from pathlib import Path

CLI, STENCILS = sys.argv[1], sys.argv[2]
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)


try:
    from osgeo import gdal, ogr, osr
    from shapely import wkb
    from shapely.geometry import Point, shape
    from shapely.ops import unary_union
except ImportError as missing:
    print(f"skipped: {missing.name} (python3-gdal, python3-shapely) is not installed")
    sys.exit(0)
gdal.UseExceptions()


def geojson_by_kind(path):
    kinds = defaultdict(list)
    for f in json.loads(Path(path).read_text())["features"]:
        kinds[f["properties"]["kind"]].append(f)
    return kinds


def gpkg_layers(path):
    source = ogr.Open(str(path))
    layers = {}
    for i in range(source.GetLayerCount()):
        layer = source.GetLayerByIndex(i)
        features = []
        for f in layer:
            properties = {k: f.GetField(k) for k in f.keys()}
            features.append((properties, wkb.loads(bytes(f.GetGeometryRef().ExportToWkb()))))
        srs = layer.GetSpatialRef()
        layers[layer.GetName()] = (features, srs)
    return layers


def same_as_geojson(path, kinds, what):
    layers = gpkg_layers(path)
    check(sorted(layers) == ["lakes", "land", "rivers"], f"{what}: layers {sorted(layers)}")
    for name, kind in (("land", "land"), ("lakes", "lake"), ("rivers", "river")):
        features = layers.get(name, ([], None))[0]
        expected = kinds[kind]
        check(len(features) == len(expected),
              f"{what}: {name} holds {len(features)} features, the GeoJSON {len(expected)}")
        for (properties, geometry), f in zip(features, expected):
            check(geometry.is_valid, f"{what}: a valid {kind}")
            check(geometry.equals_exact(shape(f["geometry"]), 0), f"{what}: {kind} as in GeoJSON")
            for key, value in f["properties"].items():
                got = properties.get(key)
                check(got == value or (isinstance(value, bool) and got == int(value)),
                      f"{what}: {kind} {key} {got} != {value}")
    return layers


with tempfile.TemporaryDirectory() as scratch:
    d = Path(scratch)

    # A grown map: metres from its south-west corner, no coordinate system.
    for threads, name in (("1", "a"), ("2", "b")):
        subprocess.run([CLI, "generate", "--width", "160", "--height", "120", "--stencils",
                        STENCILS, "--seed", "3", "--smooth", "2", "--rivers", "60",
                        "--cell-size-m", "5", "--threads", threads, "--vectors", name + ".geojson",
                        "--vectors", name + ".gpkg"], cwd=d, check=True, capture_output=True)
    kinds = geojson_by_kind(d / "a.geojson")
    check(kinds["land"] and kinds["lake"] and kinds["river"], "grown: land, lakes and rivers")
    same_as_geojson(d / "a.gpkg", kinds, "grown")
    check((d / "a.gpkg").read_bytes() == (d / "b.gpkg").read_bytes(),
          "grown: the same GeoPackage on 1 and 2 threads")

    # An island in UTM 33N, 30 m cells, with a NoData block on its slope.
    W, H, X0, Y0, CELL, NODATA = 60, 50, 500000.0, 5200000.0, 30.0, -9999
    hole = [(x, y) for y in range(18, 28) for x in range(22, 32)]
    model = gdal.GetDriverByName("GTiff").Create(str(d / "dem.tif"), W, H, 1, gdal.GDT_Int16)
    model.SetGeoTransform((X0, CELL, 0, Y0, 0, -CELL))
    utm = osr.SpatialReference()
    utm.ImportFromEPSG(32633)
    model.SetProjection(utm.ExportToWkt())
    band = model.GetRasterBand(1)
    band.SetNoDataValue(NODATA)
    rows = []
    for y in range(H):
        for x in range(W):
            r2 = ((x - W / 2) / (W / 2)) ** 2 + ((y - H / 2) / (H / 2)) ** 2
            rows.append(NODATA if (x, y) in hole else int(400 - 500 * r2 + 7 * ((x * 13 + y * 7) % 5)))
    import struct
    band.WriteRaster(0, 0, W, H, struct.pack(f"<{W * H}h", *rows), buf_type=gdal.GDT_Int16)
    model = None
    done = subprocess.run([CLI, "shape", "dem.tif", "--rivers", "20", "--vectors", "i.geojson",
                           "--vectors", "i.gpkg", "--mesh", "i.obj", "--mesh-error", "0"],
                          cwd=d, capture_output=True, text=True)
    check(done.returncode == 0, f"imported: shaped ({done.stderr[-300:]})")
    if done.returncode == 0:
        kinds = geojson_by_kind(d / "i.geojson")
        layers = same_as_geojson(d / "i.gpkg", kinds, "imported")
        srs = layers["land"][1]
        check(srs is not None and srs.GetAuthorityCode(None) == "32633",
              "imported: the GeoPackage in EPSG:32633")
        check(not any(f["properties"]["cutAtMapEdge"] for fs in kinds.values() for f in fs),
              "imported: open edges cut nothing")
        land = unary_union([shape(f["geometry"]) for f in kinds["land"]])
        x0, y0, x1, y1 = land.bounds
        check(X0 <= x0 and x1 <= X0 + W * CELL and Y0 - H * CELL <= y0 and y1 <= Y0,
              f"imported: land within the model's place, {land.bounds}")
        check(land.contains(Point(X0 + W / 2 * CELL + 3 * CELL, Y0 - (H / 2 - 12) * CELL)),
              "imported: land around the island's top")
        waters = unary_union([land] + [shape(f["geometry"]) for f in kinds["lake"]])
        inside = [(x, y) for x, y in hole
                  if waters.contains(Point(X0 + (x + 0.5) * CELL, Y0 - (y + 0.5) * CELL))]
        check(not inside, f"imported: NoData cells outside every polygon ({len(inside)} inside)")
        # The mesh: x east and z south from the first sample, one cell a vertex.
        vertices = [tuple(map(float, line.split()[1:4]))
                    for line in (d / "i.obj").read_text().splitlines() if line.startswith("v ")]
        check(vertices, "imported: a mesh")
        step = vertices[1][0] - vertices[0][0] if len(vertices) > 1 else 1
        over = [v for v in vertices if (round(v[0] / step), round(v[2] / step)) in set(hole)]
        check(not over, f"imported: no mesh vertex over NoData ({len(over)} are)")

for failure in failures:
    print("FAIL:", failure)
sys.exit(1 if failures else 0)
