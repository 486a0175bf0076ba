#!/usr/bin/env python3
"""glenvar-cli's meshes as other programs read them: the Khronos glTF
validator, admesh (a closed STL solid), assimp (every form, with the vertex
and face counts of the grid), and the .glb's own arrays parsed here: heights
in metres that agree with the .r16 heightmap, and tiles whose shared edges
hold the very same vertices. A reader that is missing skips its part with a
message."""

import json
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
from pathlib import Path

import numpy as np

CLI, STENCILS = sys.argv[1], sys.argv[2]
VALIDATOR = os.environ.get("GLTF_VALIDATOR", sys.argv[3] if len(sys.argv) > 3 else "")
W, H = 200, 150
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)


def run(directory, *args):
    base = ["--width", str(W), "--height", str(H), "--stencils", STENCILS]
    subprocess.run([CLI, "generate", *base, *args], cwd=directory, check=True,
                   capture_output=True)


def glb(path):
    """{mesh name: (positions, normals, indices)} and the JSON."""
    data = Path(path).read_bytes()
    magic, version, length = struct.unpack_from("<4sII", data, 0)
    check(magic == b"glTF" and version == 2 and length == len(data), f"{path}: header")
    json_length, json_type = struct.unpack_from("<II", data, 12)
    document = json.loads(data[20:20 + json_length])
    bin_at = 20 + json_length
    bin_length, bin_type = struct.unpack_from("<II", data, bin_at)
    check(json_type == 0x4E4F534A and bin_type == 0x004E4942, f"{path}: chunk types")
    binary = data[bin_at + 8:bin_at + 8 + bin_length]

    def accessor(index):
        a = document["accessors"][index]
        view = document["bufferViews"][a["bufferView"]]
        dtype = np.float32 if a["componentType"] == 5126 else np.uint32
        width = {"VEC3": 3, "VEC2": 2, "SCALAR": 1}[a["type"]]
        values = np.frombuffer(binary, dtype, a["count"] * width, view.get("byteOffset", 0))
        return values.reshape(a["count"], width) if width > 1 else values

    meshes = {}
    for mesh in document["meshes"]:
        primitive = mesh["primitives"][0]
        meshes[mesh["name"]] = (accessor(primitive["attributes"]["POSITION"]),
                                accessor(primitive["attributes"]["NORMAL"]),
                                accessor(primitive["indices"]))
    return meshes, document


def validator_errors(path):
    script = ("const v=require(process.argv[1]);const fs=require('fs');"
              "v.validateBytes(new Uint8Array(fs.readFileSync(process.argv[2])))"
              ".then(r=>console.log(JSON.stringify(r.issues)));")
    done = subprocess.run(["node", "-e", script, VALIDATOR, str(path)], capture_output=True,
                          check=True, text=True)
    issues = json.loads(done.stdout)
    return issues["numErrors"], [m for m in issues["messages"] if m["severity"] == 0]


def assimp_counts(path):
    done = subprocess.run(["assimp", "info", str(path), "-r"], capture_output=True, text=True)
    counts = dict(re.findall(r"^(Vertices|Faces):\s+(\d+)", done.stdout, re.M))
    return int(counts.get("Vertices", -1)), int(counts.get("Faces", -1))


def closed_solid(path):
    report = subprocess.run(["admesh", str(path)], capture_output=True, text=True).stdout
    for field in ("Total disconnected facets", "Facets reversed", "Backwards edges",
                  "Degenerate facets"):
        found = re.search(field + r"\s*:\s*(\d+)", report)
        check(found and found.group(1) == "0", f"admesh {path.name}: {field}")
    parts = re.search(r"Number of parts\s*:\s*(\d+)", report)
    check(parts and parts.group(1) == "1", f"admesh {path.name}: one part")
    volume = re.search(r"Volume\s*:\s*([-\d.]+)", report)
    check(volume and float(volume.group(1)) > 0, f"admesh {path.name}: faces outward")


def whole_forms(directory):
    run(directory, "--smooth", "3", "--rivers", "300", "--height-range-m", "800",
        "--cell-size-m", "2.5", "--mesh", "m.glb", "--mesh", "m.stl", "--mesh", "m.obj",
        "--heightmap", "h.r16")
    grid = 2 * (W - 1) * (H - 1)
    meshes, document = glb(directory / "m.glb")
    positions, normals, indices = meshes["land"]
    check(len(positions) == W * H and len(indices) == 3 * grid, "glb: one vertex a cell")
    samples = np.fromfile(directory / "h.r16", "<u2").astype(np.float64) / 65535
    check(np.abs(positions[:, 1] / 800 - samples).max() <= 0.51 / 65535 + 1e-6,
          "glb heights are the heightmap's altitudes times the height range")
    check(positions[:, 0].max() == np.float32((W - 1) * 2.5) and
          positions[:, 2].max() == np.float32((H - 1) * 2.5), "glb: cells 2.5 m apart")
    check(np.abs(np.linalg.norm(normals, axis=1) - 1).max() < 1e-5 and normals[:, 1].min() > 0,
          "glb: unit normals pointing up")
    water = meshes.get("water")
    check(water is not None and len(water[0]) == 4, "glb: the water is a mesh of its own")
    check(document["images"][0]["mimeType"] == "image/png", "glb: the picture is its texture")
    # Counter-clockwise from above (y up): every face's normal points up.
    p = positions.astype(np.float64)
    a, b, c = p[indices[0::3]], p[indices[1::3]], p[indices[2::3]]
    check((np.cross(b - a, c - a)[:, 1] > 0).all(), "glb: faces wind up")

    if VALIDATOR and shutil.which("node") and Path(VALIDATOR).exists():
        errors, messages = validator_errors(directory / "m.glb")
        check(errors == 0, f"glTF validator: {messages[:3]}")
    else:
        print("skipped: the glTF validator (npm gltf-validator under web/) is not installed")

    if shutil.which("admesh"):
        closed_solid(directory / "m.stl")
        # Simplified, the solid still closes: the edges keep every sample.
        run(directory, "--smooth", "3", "--mesh-error", "1", "--mesh", "s.stl")
        closed_solid(directory / "s.stl")
    else:
        print("skipped: admesh is not installed")

    if shutil.which("assimp"):
        edge = 2 * (W + H) - 4
        check(assimp_counts(directory / "m.glb") == (W * H + 4, grid + 2), "assimp: glb counts")
        check(assimp_counts(directory / "m.obj")[1] == grid, "assimp: obj faces")
        check(assimp_counts(directory / "m.stl")[1] == grid + 3 * edge, "assimp: stl faces")
    else:
        print("skipped: assimp (assimp-utils) is not installed")
    check((directory / "m.mtl").read_text().strip().endswith("map_Kd m_texture.png") and
          (directory / "m_texture.png").exists(), "obj: its material names its texture")


def tiles_meet(directory):
    run(directory, "--smooth", "2", "--tiles", "2x2", "--edge", "repeat", "--mesh-error", "0.5",
        "--mesh", "t.glb")
    tiles = {}
    for column in range(2):
        for row in range(2):
            tiles[column, row] = glb(directory / f"t_x{column}_y{row}.glb")[0]["land"][0]

    def edge(positions, axis, value):
        kept = positions[positions[:, axis] == value]
        return sorted(map(tuple, kept.tolist()))

    # The closed grid is (W + 1) x (H + 1) samples; tiles share a column and a row.
    for row in range(2):
        left, right = tiles[0, row], tiles[1, row]
        seam = left[:, 0].max()
        check(edge(left, 0, seam) == edge(right, 0, seam) and len(edge(left, 0, seam)) > 1,
              f"tiles of row {row} meet exactly")
    for column in range(2):
        top, bottom = tiles[column, 0], tiles[column, 1]
        seam = top[:, 2].max()
        check(edge(top, 2, seam) == edge(bottom, 2, seam), f"tiles of column {column} meet")
    check(max(t[:, 0].max() for t in tiles.values()) == W, "--edge repeat: W + 1 samples a row")


with tempfile.TemporaryDirectory() as scratch:
    for part in (whole_forms, tiles_meet):
        directory = Path(scratch) / part.__name__
        directory.mkdir()
        part(directory)

for failure in failures:
    print("FAIL:", failure)
sys.exit(1 if failures else 0)
