#!/usr/bin/env python3
"""The Python module's speed: glenvar.generate against the same generation
made in C++ in the same process (alternating, medians), the cost of the
array views, and a batch of 64 default maps on the local cluster against 64
serial glenvar-cli runs.

Usage: /usr/bin/python3 scripts/python_bench.py [build folder, default build]
"""

import os
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

build = Path(sys.argv[1] if len(sys.argv) > 1 else "build").resolve()
sys.path.insert(0, str(build / "python"))
import glenvar  # noqa: E402
import numpy as np  # noqa: E402

CLI = build / "cli" / "glenvar-cli"
ROUNDS = 30
BATCH = 64


def generation_ratio():
    arguments = glenvar._keywords({})
    glenvar.generate()  # the stencil table, built once
    native, python = [], []
    for _ in range(ROUNDS):
        native += glenvar._glenvar.generation_seconds(arguments, 1)
        start = time.perf_counter()
        m = glenvar.generate()
        python.append(time.perf_counter() - start)
        del m
    c, p = statistics.median(native), statistics.median(python)
    print(f"generate, default map: C++ {c * 1e3:.2f} ms, Python {p * 1e3:.2f} ms, "
          f"ratio {p / c:.3f} (target at most 1.05)")


def array_access():
    m = glenvar.generate()
    start = time.perf_counter()
    heights = m.heights  # the first copies the altitudes out of the cells, once
    first = time.perf_counter() - start
    start = time.perf_counter()
    for _ in range(1000):
        heights = m.heights
    view = (time.perf_counter() - start) / 1000
    start = time.perf_counter()
    copy = np.array(heights)
    copied = time.perf_counter() - start
    print(f"m.heights: {first * 1e3:.2f} ms the first time, then {view * 1e6:.1f} us a view; "
          f"views share memory: "
          f"{np.shares_memory(heights, m.heights)} (a copy would take {copied * 1e3:.2f} ms, "
          f"{copy.nbytes >> 20} MiB)")


def batch_ratio(output):
    """64 maps in one form: serial glenvar-cli runs against glenvar.batch."""
    with tempfile.TemporaryDirectory() as scratch:
        serial, batch = Path(scratch, "serial"), Path(scratch, "batch")
        serial.mkdir()
        subprocess.run([CLI, "generate", "--seed", "0", "-o", serial / "warm.ld"],
                       cwd=scratch, check=True)  # the stencil cache, as a user has it
        start = time.perf_counter()
        for seed in range(BATCH):
            subprocess.run([CLI, "generate", "--seed", str(seed), "-o",
                            serial / f"seed-{seed}.{output}"], cwd=scratch, check=True)
        cli = time.perf_counter() - start
        start = time.perf_counter()
        subprocess.run([sys.executable, "-m", "glenvar.batch", "--seeds", f"0-{BATCH - 1}",
                        "--out", batch, "--outputs", output, "--workers", "2"], cwd=scratch,
                       check=True, stderr=subprocess.DEVNULL,
                       env=dict(os.environ, PYTHONPATH=str(build / "python")))
        dask = time.perf_counter() - start
        same = all((serial / f"seed-{s}.{output}").read_bytes() ==
                   (batch / f"seed-{s}.{output}").read_bytes() for s in range(BATCH))
        print(f"{BATCH} default maps as .{output}: serial glenvar-cli {cli:.2f} s, glenvar.batch "
              f"on 2 workers {dask:.2f} s, ratio {dask / cli:.2f} (target at most 0.6); "
              f"same bytes: {same}")


print(f"load average {os.getloadavg()[0]:.1f} on {os.cpu_count()} cores")
generation_ratio()
array_access()
# A picture is mostly drawing and encoding; a map file mostly writing 21 MB to
# the disk, which two workers share.
batch_ratio("png")
batch_ratio("ld")
