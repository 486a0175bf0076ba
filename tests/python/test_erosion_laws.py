"""Erosion's further laws in Python: the same heights and figures as the
command line's, on one thread or two, and the figures present."""

from pathlib import Path

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
