#!/usr/bin/env python3
"""Prints the ratios the speed and memory targets are about, from the JSON
file of one glenvar_bench run (medians where repeated), so that every ratio
compares figures measured under the same load."""

import json
import os
import re
import statistics
import sys

UNIT_SECONDS = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}
DECORATION = re.compile(r"^(repeats|iterations|min_time|threads_used):|^(real|manual|process)_time$")


def key_of(name):
    return "/".join(p for p in name.split("/") if not DECORATION.match(p))


def load(path):
    with open(path) as f:
        data = json.load(f)
    medians, singles = {}, {}
    for run in data.get("benchmarks", []):
        if run.get("error_occurred"):
            continue
        key = key_of(run.get("run_name", run["name"]))
        if run.get("run_type") == "aggregate":
            if run.get("aggregate_name") == "median":
                medians[key] = run
        else:
            singles.setdefault(key, []).append(run)
    runs = dict(medians)
    for key, group in singles.items():
        if key not in runs:
            # No aggregate: the run nearest the median time, counters and all.
            middle = statistics.median_low(r["real_time"] for r in group)
            runs[key] = next(r for r in group if r["real_time"] == middle)
    return data.get("context", {}), runs


def seconds(runs, key):
    run = runs.get(key)
    return None if run is None else run["real_time"] * UNIT_SECONDS[run.get("time_unit", "ns")]


def ratio(runs, numerator, denominator):
    a, b = seconds(runs, numerator), seconds(runs, denominator)
    return None if a is None or b is None or b == 0 else a / b


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: bench_summary.py BENCH.json")
    context, runs = load(sys.argv[1])
    load_avg = context.get("load_avg")

    rows = []  # (what, measured, goal, holds)

    def target(what, value, at_least=None, at_most=None):
        if value is None:
            rows.append((what, "not run", "", ""))
            return
        goal = f">= {at_least:g}x" if at_least is not None else f"<= {at_most:g}x"
        holds = value >= at_least if at_least is not None else value <= at_most
        rows.append((what, f"{value:.2f}x", goal, "holds" if holds else "MISSED"))

    for t in (1, 2):
        target(f"largest generate+render, reference / program, {t} thread(s)",
               ratio(runs, f"BM_GenerateRenderLargestReference/threads:{t}", f"BM_GenerateRenderLargest/threads:{t}"),
               at_least=100)
    for t in (1, 2):
        target(f"default generate+render, reference / program, {t} thread(s)",
               ratio(runs, f"BM_GenerateRenderReference/threads:{t}", f"BM_GenerateRender/threads:{t}"),
               at_least=8)
    target("region labels, 255 / 4 points, labels alone",
           ratio(runs, "BM_Labels/points:255", "BM_Labels/points:4"), at_most=2)
    target("region labels, 255 / 4 points, stored into the grid",
           ratio(runs, "BM_LabelsIntoGrid/points:255", "BM_LabelsIntoGrid/points:4"), at_most=2)
    for regions in (0, 1):
        for t in (1, 2):
            target(f"render 3000x3000 {'regions' if regions else 'plain  '} / one plain pass, {t} thread(s)",
                   ratio(runs, f"BM_RenderLargest/threads:{t}/regions:{regions}", "BM_PlainPassLargest"),
                   at_most=3)
    for t in (1, 2):
        run = runs.get(f"BM_LargestPeakMemory/threads:{t}")
        value = None if run is None else run.get("peak_per_budget")
        target(f"peak memory / budget, largest, {t} thread(s)", value, at_most=1.2)
        if run is not None:
            rows[-1] = rows[-1][:1] + (f"{value:.2f}x ({run['peak_MB']:.0f} of {run['budget_MB']:.0f} MiB)",) + rows[-1][2:]

    for t in (1, 2):
        big, small = runs.get(f"BM_GenerateScale/size:8192/threads:{t}"), runs.get(f"BM_GenerateScale/size:3000/threads:{t}")
        value = None if big is None or small is None else big["ns_per_cell"] / small["ns_per_cell"]
        target(f"time per cell, 8192x8192 / 3000x3000, {t} thread(s)", value, at_most=1.3)
        if value is not None:
            rows[-1] = rows[-1][:1] + (f"{value:.2f}x ({big['ns_per_cell']:.0f} / {small['ns_per_cell']:.0f} ns)",) + rows[-1][2:]
            # The same from the process's CPU time, which other work on the machine disturbs less.
            cpu = [r["cpu_time"] * UNIT_SECONDS[r.get("time_unit", "ns")] * 1e9 / n ** 2
                   for r, n in ((big, 8192), (small, 3000))]
            target(f"CPU time per cell, 8192x8192 / 3000x3000, {t} thread(s)", cpu[0] / cpu[1], at_most=1.3)
            rows[-1] = rows[-1][:1] + (f"{cpu[0] / cpu[1]:.2f}x ({cpu[0]:.0f} / {cpu[1]:.0f} ns)",) + rows[-1][2:]
    for t in (1, 2):
        run = runs.get(f"BM_ScalePeakMemory/threads:{t}/size:8192")
        value = None if run is None else run.get("peak_per_budget")
        target(f"peak memory / budget, 8192x8192, {t} thread(s)", value, at_most=1.2)
        if run is not None:
            rows[-1] = rows[-1][:1] + (f"{value:.2f}x ({run['peak_MB']:.0f} of {run['budget_MB']:.0f} MiB)",) + rows[-1][2:]

    for radius in (3, 32):
        for t in (1, 2):
            target(f"smoothing 4096x4096 radius {radius}, one pass / one grid copy, {t} thread(s)",
                   ratio(runs, f"BM_SmoothPass/threads:{t}/radius:{radius}", "BM_AltitudeGridCopy"), at_most=2)

    def figure(what, value, holds):
        rows.append((what, value, "", "" if holds is None else "holds" if holds else "MISSED"))

    for radius in (0, 3):
        run = runs.get(f"BM_HeightLevels/radius:{radius}")
        seams = runs.get(f"BM_SeamSteps/radius:{radius}")
        goal = radius == 3
        if run is None:
            continue
        figure(f"default map radius {radius}: distinct 16-bit levels (goal >= 10000)",
               f"{run['levels']:.0f}", run["levels"] >= 10000 if goal else None)
        figure(f"default map radius {radius}: equal 4-neighbours (goal < 1 %)",
               f"{run['equal_share'] * 100:.2f} %", run["equal_share"] < 0.01 if goal else None)
        figure(f"default map radius {radius}: seam step / interior (near cuts, middle cut)",
               f"{run['seam_per_inner']:.2f} ({run['seam_per_near']:.2f}, {run['middle_per_inner']:.2f})", None)
        if seams is not None:
            figure(f"seeds 1-8 radius {radius}: seam step / interior (middle cut) (goal 0.9-1.1)",
                   f"{seams['seam_per_inner']:.2f} ({seams['middle_per_inner']:.2f})",
                   abs(seams["seam_per_inner"] - 1) <= 0.1 if goal else None)

    def per_cell(what, name, at_most):
        run = runs.get(name)
        if run is None or "per_cell" not in run:
            rows.append((what, "not run", "", ""))
            return
        ns = run["per_cell"] * 1e9
        # The process's CPU time, which other work on the machine disturbs less.
        cpu = ns * run["cpu_time"] / run["real_time"]
        rows.append((what, f"{ns:.0f} ns (CPU {cpu:.0f} ns)", f"<= {at_most:g} ns",
                     "holds" if ns <= at_most else "MISSED"))

    per_cell("drainage per cell, 4096x4096, 1 thread", "BM_Drainage/threads:1", 150)
    per_cell("stream-power step per cell, 4096x4096, 1 thread", "BM_StreamPowerStep/threads:1", 40)
    for t in (1, 2):
        for diagonal, wind in ((0, "banded winds"), (1, "a diagonal wind")):
            target(f"climate+biomes / drainage, 4096x4096, {wind}, {t} thread(s)",
                   ratio(runs, f"BM_Climate/threads:{t}/diagonal:{diagonal}", f"BM_Drainage/threads:{t}"),
                   at_most=2)
    for stage in ("Drainage", "DrainageRouting", "StreamPowerStep", "ThermalStep"):
        target(f"{stage}, 4096x4096, 1 thread / 2 threads",
               ratio(runs, f"BM_{stage}/threads:1", f"BM_{stage}/threads:2"), at_least=1)

    stages = []  # (stage, threads, reference / program)
    pairs = [
        ("generate, default", "BM_GenerateReference/threads:{t}", "BM_Generate/threads:{t}"),
        ("generate, largest", "BM_GenerateLargestReference/threads:{t}", "BM_GenerateLargest/threads:{t}"),
        ("region labels, default", "BM_LabelsStageReference/threads:{t}", "BM_LabelsStage/threads:{t}"),
        ("region labels, largest", "BM_LabelsStageLargestReference/threads:{t}", "BM_LabelsStageLargest/threads:{t}"),
        ("render plain, default", "BM_RenderReference/regions:0", "BM_Render/threads:{t}/regions:0"),
        ("render regions, default", "BM_RenderReference/regions:1", "BM_Render/threads:{t}/regions:1"),
        ("render plain, largest", "BM_RenderLargestReference/regions:0", "BM_RenderLargest/threads:{t}/regions:0"),
        ("render regions, largest", "BM_RenderLargestReference/regions:1", "BM_RenderLargest/threads:{t}/regions:1"),
        ("generate+render, default", "BM_GenerateRenderReference/threads:{t}", "BM_GenerateRender/threads:{t}"),
        ("generate+render, largest", "BM_GenerateRenderLargestReference/threads:{t}", "BM_GenerateRenderLargest/threads:{t}"),
    ]
    for stage, reference, program in pairs:
        cells = []
        for t in (1, 2):
            r = ratio(runs, reference.format(t=t), program.format(t=t))
            p = seconds(runs, program.format(t=t))
            cells.append("not run" if r is None else f"{r:6.1f}x ({p * 1e3:.1f} ms)")
        stages.append((stage, *cells))

    print()
    # Other work on the machine slows the two-thread runs most; both loads say
    # whether it changed during the run.
    start = f"{', '.join(f'{v:.2f}' for v in load_avg)} at the start, " if load_avg else ""
    end = ", ".join(f"{v:.2f}" for v in os.getloadavg())
    print(f"Summary: ratios of medians from this one run (load average {start}{end} at the end)")
    width = max(len(r[0]) for r in rows)
    print(f"{'target':<{width}}  {'measured':<26}  {'goal':<8}  verdict")
    for what, measured, goal, verdict in rows:
        print(f"{what:<{width}}  {measured:<26}  {goal:<8}  {verdict}")
    print()
    print("Stages, reference / program (the program's median time)")
    width = max(len(s[0]) for s in stages)
    print(f"{'stage':<{width}}  {'1 thread':<24}  2 threads")
    for stage, one, two in stages:
        print(f"{stage:<{width}}  {one:<24}  {two}")
    print("The literal renderer has one mode. The largest reference generation is estimated from")
    print("1 % of the stamps and 30000 cells' labels; its labels alone from 30000 cells.")


if __name__ == "__main__":
    main()
