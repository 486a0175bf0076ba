#!/usr/bin/env python3
"""glenvar-cli info --json: valid JSON for a strict parser, holding the map's
parameters and the very figures of the text report, for a map file and a raw
data file of a few generated maps."""

import json
import subprocess
import sys
import tempfile
from pathlib import Path

CLI, STENCILS = sys.argv[1], sys.argv[2]
failures = []


def run(*args):
    done = subprocess.run([CLI, *args], capture_output=True, check=True)
    return done.stdout.decode("utf-8")


def reject_constant(name):
    raise ValueError(f"not JSON: {name}")


def check(condition, what):
    if not condition:
        failures.append(what)


def text_figures(text):
    """The percentages and counts of the text report, in order."""
    shares, counts = [], []
    for line in text.splitlines():
        if line.endswith("％"):
            shares.append(line.rsplit(" ", 1)[1][:-1])
        elif line.endswith("個"):
            counts.append(int(line.rsplit(" ", 1)[1][:-1]))
    return shares, counts


def check_map(path, params, raw):
    report = json.loads(run("info", "--json", str(path)), parse_constant=reject_constant)
    shares, counts = text_figures(run("info", str(path)))
    where = f"{path.name}: "
    check(len(shares) == 11 and len(counts) == 2, where + "text report shape")
    check(f"{report['landShare']:.1f}" == shares[0], where + "land share")
    bands = report["histogram"]
    check(len(bands) == 10, where + "ten bands")
    for k, band in enumerate(bands):
        check(f"{band['share']:.1f}" == shares[k + 1], where + f"band {k} share")
        check(band["from"] == k / 10 and band["to"] == (k + 1) / 10, where + f"band {k} bounds")
    check(sum(b["cells"] for b in bands) == report["cells"] == report["width"] * report["height"],
          where + "band cells add up to the grid")
    check([report["lowestCells"], report["highestCells"]] == counts, where + "lowest and highest")
    check(report["file"] == ("raw" if raw else "map"), where + "file kind")
    check(report["width"] == params["width"] and report["height"] == params["height"], where + "size")
    check(len(report["points"]) == params["points"], where + "points")
    if not raw:
        for key in ("seed", "unitAmount", "processAmount", "waterLevel",
                    "concentrationRate", "concentrationAmount"):
            check(report[key] == params[key], where + key)
        check(report["concentrationPointCount"] == params["points"], where + "point count")


with tempfile.TemporaryDirectory() as scratch:
    maps = [
        dict(width=200, height=150, seed=18446744073709551615, unitAmount=40, processAmount=0.05,
             waterLevel=0.25, concentrationRate=0.5, concentrationAmount=0.75, points=3),
        dict(width=333, height=101, seed=7, unitAmount=150, processAmount=0.009999999776482582,
             waterLevel=1.0, concentrationRate=0.20000000298023224,
             concentrationAmount=0.4000000059604645, points=0),
    ]
    for n, p in enumerate(maps):
        base = Path(scratch) / f"m{n}"
        run("generate", "--stencils", STENCILS, "--width", str(p["width"]), "--height", str(p["height"]),
            "--seed", str(p["seed"]), "--unit-amount", str(p["unitAmount"]),
            "--process-amount", repr(p["processAmount"]), "--water-level", repr(p["waterLevel"]),
            "--concentration-rate", repr(p["concentrationRate"]),
            "--concentration-amount", repr(p["concentrationAmount"]), "--points", str(p["points"]),
            "-o", f"{base}.ld", "-o", f"{base}.dat")
        check_map(Path(f"{base}.ld"), p, raw=False)
        check_map(Path(f"{base}.dat"), p, raw=True)

    # At the stream-power law's steady state channels have S = (U / K) A^-1/2: the
    # report's slope-area fit must find that concavity and steepness.
    steady = Path(scratch) / "steady.ld"
    run("generate", "--stencils", STENCILS, "--seed", "3", "--width", "128", "--height", "128",
        "-o", str(steady))
    laws = json.loads(run("info", "--json", str(steady), "--uplift", "0.001", "--erodibility",
                          "0.2", "--erode", "800", "--rivers", "30"), parse_constant=reject_constant)
    check(abs(laws["slopeAreaConcavity"] - 0.5) < 0.003, "steady state: concavity 0.5")
    check(abs(laws["slopeAreaSteepness"] / 0.005 - 1) < 0.02, "steady state: steepness U / K")
    check(0.3 < laws["hackExponent"] < 0.8, "steady state: Hack's exponent")
    check(0 < laws["drainageDensity"] < 1, "steady state: drainage density")
    check(laws["lakeCount"] == 0, "steady state: rivers crossed every lake")

for failure in failures:
    print("FAILED:", failure)
sys.exit(1 if failures else 0)
