"""Map.mesh and Map.save_mesh against glenvar-cli's --mesh: the same files
byte for byte, arrays holding the heights in metres and the grid's
triangles, refusals in Python's words with nothing written."""

import struct
from pathlib import Path

import numpy as np
import pytest

import glenvar

SIZE = ("--seed", 5, "--width", 120, "--height", 100)


@pytest.fixture(scope="module")
def small():
    return glenvar.generate(seed=5, width=120, height=100).smooth(2)


def test_saved_meshes_equal_the_cli(small, cli, tmp_path):
    options = dict(error_m=0.5, cell_size_m=2.5, height_range_m=300.0, base_mm=3.0,
                   print_size_mm=80.0, shade=True, rivers=40)
    cli("generate", *SIZE, "--smooth", 2, "--mesh-error", 0.5, "--cell-size-m", 2.5,
        "--height-range-m", 300, "--base-mm", 3, "--print-size-mm", 80, "--shade", "--rivers", 40,
        "--mesh", tmp_path / "c.glb", "--mesh", tmp_path / "c.stl", "--mesh", tmp_path / "c.obj")
    for form in ("glb", "stl", "obj"):
        small.save_mesh(tmp_path / f"p.{form}", **options)
    for form in ("glb", "stl", "_texture.png"):
        name = form if form.startswith("_") else "." + form
        assert (tmp_path / f"p{name}").read_bytes() == (tmp_path / f"c{name}").read_bytes(), form
    # An .obj names its material file, and the material its texture, by the file's own name.
    assert ((tmp_path / "p.obj").read_bytes().replace(b"mtllib p.mtl", b"mtllib c.mtl") ==
            (tmp_path / "c.obj").read_bytes())
    assert ((tmp_path / "p.mtl").read_text().replace("p_texture", "c_texture") ==
            (tmp_path / "c.mtl").read_text())


def test_arrays_are_the_heights_in_metres(small):
    vertices, triangles = small.mesh(cell_size_m=2.0, height_range_m=500.0)
    assert vertices.dtype == np.float32 and vertices.shape == (120 * 100, 3)
    assert triangles.dtype == np.uint32 and triangles.shape == (2 * 119 * 99, 3)
    assert not vertices.flags.writeable
    grid = vertices.reshape(100, 120, 3)
    assert np.array_equal(grid[..., 1], (small.heights * 500.0).astype(np.float32))
    assert np.array_equal(grid[0, :, 0], np.arange(120, dtype=np.float32) * 2)
    assert np.array_equal(grid[:, 0, 2], np.arange(100, dtype=np.float32) * 2)
    simple, kept = small.mesh(error_m=1.0, cell_size_m=2.0, height_range_m=500.0)
    assert len(kept) < len(triangles) and simple.shape[1] == 3
    assert kept.max() < len(simple)


def test_refusals_name_the_keyword_and_write_nothing(small, tmp_path):
    with pytest.raises(ValueError, match=r"print_size_mm.*greater than 0"):
        small.save_mesh(tmp_path / "m.stl", print_size_mm=0)
    with pytest.raises(ValueError, match=r"error_m"):
        small.mesh(error_m=-1)
    with pytest.raises(ValueError, match=r"\.glb, \.stl or \.obj"):
        small.save_mesh(tmp_path / "m.fbx")
    with pytest.raises(TypeError):
        small.mesh(base_mm=2.0)  # a print's base means nothing to the arrays
    assert list(tmp_path.iterdir()) == []
