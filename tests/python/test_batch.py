"""python3 -m glenvar.batch on a two-worker local cluster: the bytes of
serial glenvar-cli runs, the index, and a stopped run resumed."""

import json
import os
import subprocess
import sys

import pytest

from conftest import cli_info

SEEDS = range(8)
SIZE = ["--width", "300", "--height", "200"]


def batch(out, *more):
    subprocess.run([sys.executable, "-m", "glenvar.batch", "--seeds", "0-7", "--out", out,
                    "--outputs", "ld,png,tif", "--workers", "2", *SIZE, *more],
                   check=True, capture_output=True)


def test_batch_equals_serial_runs_and_resumes(cli, tmp_path):
    out = tmp_path / "batch"
    batch(out)
    index = json.loads((out / "index.json").read_text())
    assert [entry["seed"] for entry in index["maps"]] == list(SEEDS)
    for entry in index["maps"]:
        seed = entry["seed"]
        serial = tmp_path / f"serial-{seed}"
        cli("generate", "--seed", seed, *SIZE, "-o", f"{serial}.ld", "-o", f"{serial}.png",
            "--heightmap", f"{serial}.tif")
        for ending in (".ld", ".png", ".tif"):
            assert (out / f"seed-{seed}{ending}").read_bytes() == \
                (serial.parent / f"serial-{seed}{ending}").read_bytes()
        info = cli_info(cli, f"{serial}.ld")
        assert entry["landShare"] == info["landShare"]
        assert entry["histogram"] == [band["share"] for band in info["histogram"]]

    # Resumed: only the seed whose file went missing is made again.
    (out / "seed-5.png").unlink()
    before = {p.name: p.stat().st_mtime_ns for p in out.iterdir() if p.name != "index.json"}
    batch(out)
    after = {p.name: p.stat().st_mtime_ns for p in out.iterdir() if p.name != "index.json"}
    changed = sorted(name for name in after if before.get(name) != after[name])
    assert changed == ["seed-5.ld", "seed-5.png", "seed-5.tif", "seed-5.tif.json"]


@pytest.mark.parametrize("more, words", [
    (["--width", "50"], "--width: expected an integer from 100"),
    (["--outputs", "gif"], "unknown output 'gif'"),
])
def test_batch_refuses_before_any_work(tmp_path, more, words):
    done = subprocess.run([sys.executable, "-m", "glenvar.batch", "--seeds", "0-3", "--out",
                           tmp_path / "b", *more], capture_output=True, text=True)
    assert done.returncode != 0 and words in done.stderr
    assert not (tmp_path / "b" / "index.json").exists()
