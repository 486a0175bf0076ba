"""Ctrl-C while the module works without the GIL: KeyboardInterrupt soon
after, in the middle of the work, and nothing written."""

import os
import signal
import subprocess
import sys

SCRIPT = """
import sys
import glenvar
m = glenvar.generate(seed=3, width=1024, height=1024)
print("eroding", flush=True)
try:
    m = m.erode(1000)
except KeyboardInterrupt:
    print("interrupted", flush=True)
    raise
m.save(sys.argv[1])
print("finished", flush=True)
"""


LOAD_SCRIPT = """
import sys
import glenvar
print("eroding", flush=True)
try:
    m = glenvar.load(sys.argv[1])
except KeyboardInterrupt:
    print("interrupted", flush=True)
    raise
print("finished", flush=True)
"""


def interrupted(tmp_path, script, argument):
    """Runs the script, sends SIGINT a second into its work; its output."""
    child = subprocess.Popen([sys.executable, "-c", script, str(argument)],
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                             cwd=tmp_path)
    try:
        assert child.stdout.readline() == "eroding\n"
        # Well into the erosion (a thousand steps take tens of seconds here).
        try:
            child.wait(timeout=1.0)
        except subprocess.TimeoutExpired:
            pass
        child.send_signal(signal.SIGINT)
        out, err = child.communicate(timeout=60)
    finally:
        child.kill()
    assert child.returncode != 0
    assert "KeyboardInterrupt" in err
    assert "finished" not in out
    assert "interrupted" in out, "the signal came while the work ran"


def test_ctrl_c_stops_a_long_erosion(tmp_path):
    interrupted(tmp_path, SCRIPT, tmp_path / "eroded.png")
    assert os.listdir(tmp_path) == []


def test_ctrl_c_stops_rebuilding_a_heightmaps_map(tmp_path):
    sidecar = tmp_path / "h.r16.json"
    sidecar.write_text('{"recipe": "glenvar-cli generate --seed 3 --width 1024 --height 1024 '
                       '--erode 1000"}')
    interrupted(tmp_path, LOAD_SCRIPT, sidecar)
    assert os.listdir(tmp_path) == ["h.r16.json"]
