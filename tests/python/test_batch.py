"""python3 -m glenvar.batch on a two-worker local cluster: the bytes of
serial glenvar-cli runs, the index, stopped and repeated runs, refusals."""

import json
import re
import signal
import subprocess
import sys

import pytest

from conftest import cli_info
from glenvar._seeds import INDEX_CAPACITY, SeedError, parse_seeds

SEEDS = range(8)
SIZE = ["--width", "300", "--height", "200"]
SMALL = ["--width", "100", "--height", "100"]


def batch(out, *more, seeds="0-7", check=True):
    done = subprocess.run([sys.executable, "-m", "glenvar.batch", "--seeds", seeds, "--out", out,
                           "--workers", "2", *more], capture_output=True, text=True,
                          timeout=300)
    if check:
        assert done.returncode == 0, done.stderr
    return done


def index_of(out):
    return json.loads((out / "index.json").read_text())


def test_batch_equals_serial_runs_and_resumes(cli, tmp_path):
    out = tmp_path / "batch"
    stages = ["--smooth", "2", "--shade"]
    batch(out, "--outputs", "ld,png,tif", *SIZE, *stages)
    index = index_of(out)
    assert [entry["seed"] for entry in index["maps"]] == list(SEEDS)
    for entry in index["maps"]:
        seed = entry["seed"]
        serial = tmp_path / f"serial-{seed}"
        cli("generate", "--seed", seed, *SIZE, *stages, "-o", f"{serial}.ld", "-o",
            f"{serial}.png", "--heightmap", f"{serial}.tif")
        for ending in (".ld", ".png", ".tif", ".tif.json"):  # recipes included
            assert (out / f"seed-{seed}{ending}").read_bytes() == \
                (serial.parent / f"serial-{seed}{ending}").read_bytes()
        info = cli_info(cli, f"{serial}.ld", "--smooth", "2")
        assert entry["landShare"] == info["landShare"]
        assert entry["histogram"] == [band["share"] for band in info["histogram"]]
    # The index has the mode the umask gives every other file, not mkstemp's 0600.
    assert (out / "index.json").stat().st_mode == (out / "seed-0.ld").stat().st_mode

    # Resumed: only the seed whose file went missing is made again.
    (out / "seed-5.png").unlink()
    before = {p.name: p.stat().st_mtime_ns for p in out.iterdir() if p.name != "index.json"}
    batch(out, "--outputs", "ld,png,tif", *SIZE, *stages)
    after = {p.name: p.stat().st_mtime_ns for p in out.iterdir() if p.name != "index.json"}
    changed = sorted(name for name in after if before.get(name) != after[name])
    assert changed == ["seed-5.ld", "seed-5.png", "seed-5.tif", "seed-5.tif.json"]


def test_a_new_seed_range_keeps_the_earlier_maps_in_the_index(tmp_path):
    out = tmp_path / "b"
    batch(out, *SMALL, seeds="0-1")
    batch(out, *SMALL, seeds="5")
    assert [entry["seed"] for entry in index_of(out)["maps"]] == [0, 1, 5]


def test_a_rerun_removes_what_killed_workers_left(tmp_path):
    out = tmp_path / "b"
    batch(out, *SMALL, seeds="0")
    left = [".seed-0.ld.Ab3xY9", ".seed-7.tif.json.q0W2e4", ".index.json.1a2b3c",
            ".index.k2_x9z0a"]
    for name in left:
        (out / name).write_bytes(b"half")
    (out / ".notes.txt").write_text("mine")
    batch(out, *SMALL, seeds="0")
    assert sorted(p.name for p in out.iterdir() if p.name.startswith(".")) == [".notes.txt"]


def test_a_rerun_with_other_settings_is_refused_or_forced(cli, tmp_path):
    out = tmp_path / "b"
    batch(out, *SMALL, seeds="0-1")
    kept = index_of(out)
    done = batch(out, "--width", "120", "--height", "100", seeds="2", check=False)
    assert done.returncode == 1
    assert done.stderr.splitlines()[-1] == (
        f"glenvar.batch: {out / 'index.json'}: its maps were made with --width 100, "
        "not --width 120; use another --out, or --force to make them again")
    assert index_of(out) == kept
    assert "no --shade" in batch(out, *SMALL, "--shade", seeds="0", check=False).stderr

    batch(out, "--width", "120", "--height", "100", "--force", seeds="1")
    assert [entry["seed"] for entry in index_of(out)["maps"]] == [1]
    cli("generate", "--seed", 1, "--width", 120, "--height", 100, "-o", tmp_path / "m.ld")
    assert (out / "seed-1.ld").read_bytes() == (tmp_path / "m.ld").read_bytes()


@pytest.mark.parametrize("text", ['{"maps": 3}', '[1]', "\xff\xfe", '{"parameters": {}, '
                                  '"maps": [{"seed": -1, "landShare": 0, "histogram": []}]}'],
                         ids=["maps not a list", "a list", "not UTF-8", "negative seed"])
def test_a_file_that_is_no_index_is_refused_not_replaced(tmp_path, text):
    out = tmp_path / "b"
    out.mkdir()
    (out / "index.json").write_bytes(text.encode("latin-1"))
    done = batch(out, *SMALL, seeds="0", check=False)
    assert done.returncode == 1 and "index.json: not the index of a batch" in done.stderr
    assert (out / "index.json").read_bytes() == text.encode("latin-1")
    assert sorted(p.name for p in out.iterdir()) == ["index.json"]


@pytest.mark.parametrize("more, words", [
    (["--width", "50"], "--width: expected an integer from 100"),
    (["--outputs", "gif"], "--outputs: unknown output 'gif'"),
    (["--workers", "0"], "--workers: expected a positive integer, got '0'"),
    (["--workers=-2"], "--workers: expected a positive integer, got '-2'"),
    (["--seeds", "4-2"], "--seeds: a range goes upwards, got '4-2'"),
    (["--seeds", "0-99999999999"], f"--seeds: 100000000000 seeds; a batch's index holds at "
                                   f"most {INDEX_CAPACITY}"),
    (["--seeds", "1,x"], "--seeds: expected seeds such as 5, 0-999 or 1,5,9-12, got 'x'"),
    (["--width", "wide"], "--width: expected an integer, got 'wide'"),
], ids=["width", "output", "no workers", "negative workers", "downward range", "huge range",
        "not a seed", "not a number"])
def test_batch_refuses_before_any_work_in_one_line(tmp_path, more, words):
    done = subprocess.run([sys.executable, "-m", "glenvar.batch", "--seeds", "0-3", "--out",
                           tmp_path / "b", *more], capture_output=True, text=True,
                          timeout=60)
    assert done.returncode != 0
    assert done.stderr.count("\n") == 1 and words in done.stderr, done.stderr
    assert not (tmp_path / "b" / "index.json").exists()


def test_out_naming_a_file_is_refused_in_one_line(tmp_path):
    (tmp_path / "b").write_text("mine")
    done = batch(tmp_path / "b", *SMALL, seeds="0", check=False)
    assert (done.returncode, done.stderr.splitlines()[-1]) == (
        1, f"glenvar.batch: --out {tmp_path / 'b'}: not a folder")


def test_seed_grammar():
    assert parse_seeds("5") == [5]
    assert parse_seeds("3-3") == [3]
    assert parse_seeds("1,5,9-12") == [1, 5, 9, 10, 11, 12]
    assert parse_seeds("9-12,10-11,12") == [9, 10, 11, 12]
    assert parse_seeds("18446744073709551615") == [2**64 - 1]
    assert len(parse_seeds(f"0-{INDEX_CAPACITY - 1},10-20")) == INDEX_CAPACITY
    for text in ["4-2", "", "1-", "-3", "1,,2", "0x10", "1.5", "18446744073709551616",
                 f"0-{INDEX_CAPACITY}", "0-18446744073709551615"]:
        with pytest.raises(SeedError):
            parse_seeds(text)


def test_workers_beyond_the_memory_are_capped_with_a_message(tmp_path):
    done = batch(tmp_path / "b", *SMALL, "--workers", "1000000", seeds="0-1")
    assert "glenvar.batch: --workers 1000000: the memory holds" in done.stderr
    assert [entry["seed"] for entry in index_of(tmp_path / "b")["maps"]] == [0, 1]


@pytest.mark.parametrize("name", ["SIGINT", "SIGTERM"])
def test_a_signal_ends_the_batch_with_a_line_and_no_temporary_file(tmp_path, name):
    out = tmp_path / "b"
    child = subprocess.Popen([sys.executable, "-m", "glenvar.batch", "--seeds", "0-199", "--out",
                              out, "--workers", "2", "--outputs", "ld,png,tif", "--width", "600",
                              "--height", "400"], stderr=subprocess.PIPE)
    shown = b""
    while b"2/200" not in shown:
        shown += child.stderr.read(1)
        assert child.poll() is None
    number = getattr(signal, name)
    child.send_signal(number)
    rest = child.communicate(timeout=120)[1].decode()
    assert child.returncode == 128 + number
    # Nothing but the progress line and the message: no traceback, no Dask report.
    lines = (shown.decode() + rest).replace("\r", "\n").splitlines()
    assert lines[-1] == f"glenvar.batch: stopped by {name}; the maps made so far are kept"
    assert all(re.fullmatch(r"[0-9]+/200( maps)?|", line) for line in lines[:-1]), lines
    assert [p.name for p in out.iterdir() if p.name.startswith(".")] == []
    for entry in index_of(out)["maps"]:  # every map the index lists is whole
        for ending in (".ld", ".png", ".tif", ".tif.json"):
            assert (out / f"seed-{entry['seed']}{ending}").exists()


@pytest.mark.filterwarnings("ignore::DeprecationWarning")  # tornado, inside distributed
def test_no_worker_for_the_wait_fails_the_batch(tmp_path):
    from distributed import LocalCluster

    with LocalCluster(n_workers=0, processes=False, protocol="tcp://",
                      dashboard_address=None) as empty:
        done = batch(tmp_path / "b", *SMALL, "--scheduler", empty.scheduler_address,
                     "--worker-wait", "1", seeds="0-1", check=False)
    assert (done.returncode, done.stderr.splitlines()[-1]) == (
        1, "glenvar.batch: no worker for 1 s; the maps made so far are kept")
    assert index_of(tmp_path / "b")["maps"] == []


def test_worker_count_keeps_within_the_memory():
    from glenvar.batch import BatchError, worker_count

    assert worker_count(8, need=10, available=35, todo=100)[0] == 3
    assert "--workers 8: the memory holds 3 maps at a time" in \
        worker_count(8, need=10, available=35, todo=100)[1]
    assert worker_count(2, need=10, available=100, todo=1) == (1, None)
    with pytest.raises(BatchError, match="needs"):
        worker_count(1, need=2 << 20, available=1 << 20, todo=1)


def test_the_index_capacity_counts_the_earlier_maps(tmp_path, monkeypatch):
    from glenvar import batch as module
    from glenvar._batch_folder import write_index

    settings = {"width": 100}
    entry = {"landShare": 0.5, "histogram": [1.0]}
    write_index(tmp_path, settings, {seed: dict(entry, seed=seed) for seed in (0, 1)})
    monkeypatch.setattr(module, "INDEX_CAPACITY", 3)
    assert sorted(module.merge_index(tmp_path, settings, [1, 2], False)) == [0, 1]
    with pytest.raises(module.BatchError, match="would list 4 maps, more than 3"):
        module.merge_index(tmp_path, settings, [2, 3], False)
