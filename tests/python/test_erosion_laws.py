"""Erosion's further laws in Python: the same heights and figures as the
command line's, on one thread or two, and the figures present."""

from pathlib import Path

import numpy as np
import pytest

import glenvar
from conftest import cli_info


@pytest.mark.parametrize("threads", [1, 2])
def test_uplift_deposition_diffusion_and_droplets_equal_the_cli(cli, tmp_path, threads):
    options = ["--seed", "4", "--width", "160", "--height", "120", "--threads", threads]
    staged = ["--erode", 30, "--erodibility", "0.05", "--uplift", "0.0005", "--deposition", "1",
              "--diffusion", "0.5", "--droplets", 20000]
    made = tmp_path / "cli"
    cli("generate", *options, *staged, "-o", f"{made}.ld", "--heightmap", f"{made}.r16")
    m = glenvar.generate(seed=4, width=160, height=120, threads=threads)
    m = m.erode(30, erodibility=0.05, uplift=0.0005, deposition=1.0, diffusion=0.5,
                droplets=20000)
    m.save(tmp_path / "py.r16")
    for ending in (".r16", ".r16.json"):
        assert (tmp_path / f"py{ending}").read_bytes() == Path(f"{made}{ending}").read_bytes()
    info = m.info(rivers=50)
    assert info == cli_info(cli, f"{made}.ld", *staged, "--rivers", 50)
    for key in ("slopeAreaConcavity", "slopeAreaSteepness", "hackExponent", "drainageDensity"):
        assert isinstance(info[key], float), key


@pytest.mark.parametrize("threads", [1, 2])
def test_multiple_flow_directions_equal_the_cli(cli, tmp_path, threads):
    options = ["--seed", "5", "--width", "150", "--height", "110", "--threads", threads]
    staged = ["--erode", 25, "--erodibility", "0.05", "--flow-directions", "mfd"]
    made = tmp_path / "cli"
    cli("generate", *options, *staged, "-o", f"{made}.ld", "--heightmap", f"{made}.r16")
    plain = glenvar.generate(seed=5, width=150, height=110, threads=threads)
    m = plain.erode(25, erodibility=0.05, flow_directions="mfd")
    m.save(tmp_path / "py.r16")
    for ending in (".r16", ".r16.json"):
        assert (tmp_path / f"py{ending}").read_bytes() == Path(f"{made}{ending}").read_bytes()
    assert m.info(rivers=40) == cli_info(cli, f"{made}.ld", *staged, "--rivers", 40)
    # The keyword is heard: water shared among neighbours carves other heights.
    assert not np.array_equal(m.heights, plain.erode(25, erodibility=0.05).heights)


def test_flow_directions_refused_as_the_cli_refuses_them(cli, tmp_path):
    m = glenvar.generate(width=100, height=100)
    for word in ("MFD", "d4", ""):
        said = cli("render", "x.ld", "--flow-directions", word, "-o", "x.png", check=False).stderr
        expected = said.split("--flow-directions: expected ", 1)[1].strip()
        with pytest.raises(ValueError) as refused:
            m.erode(1, flow_directions=word)
        assert str(refused.value) == f"flow_directions must be {expected}"
    with pytest.raises(TypeError, match="^flow_directions must be a str$"):
        m.erode(1, flow_directions=None)
