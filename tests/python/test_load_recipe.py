"""glenvar.load on pictures and heightmaps: the map rebuilt from the recipe
glenvar-cli wrote, checked against the file's own samples and pixels."""

import json

import numpy as np
import pytest

import glenvar
from conftest import read_float_tiff, read_rgb_png

SHAPED = ["--seed", 8, "--width", 120, "--height", 100, "--water-level", 0.4, "--point", "3,4",
          "--point", "70,60", "--smooth", 2, "--erode", 5, "--erodibility", 0.02, "--thermal", 3,
          "--shade", "--rivers", 40, "--height-range-m", 800]
HEIGHTMAPS = ["h.tif", "h16.png", "h.exr", "h.r16"]


@pytest.fixture
def written(cli, tmp_path):
    args = [*SHAPED, "-o", tmp_path / "p.png"]
    for name in HEIGHTMAPS:
        args += ["--heightmap", tmp_path / name]
    cli("generate", *args)
    return tmp_path


def test_the_rebuilt_heights_are_the_heightmaps_samples(written):
    m = glenvar.load(written / "h.tif")
    # The float TIFF holds the shaped heights as float32, read here without our code.
    assert np.array_equal(m.heights.astype(np.float32), read_float_tiff(written / "h.tif"))
    assert m.points.tolist() == [[3, 4], [70, 60]]
    assert m.info()["waterLevel"] == 0.4


@pytest.mark.parametrize("name", ["p.png", *HEIGHTMAPS[:3], "h.r16.json", "h16.png.json"])
def test_every_form_rebuilds_the_same_map(written, name):
    m = glenvar.load(written / name)
    assert np.array_equal(m.picture(shade=True, rivers=40), read_rgb_png(written / "p.png"))
    assert np.array_equal(m.heights, glenvar.load(written / "h.exr").heights)


@pytest.mark.parametrize("name, heightmap", [("p.png", False), ("h.tif", False),
                                             ("h16.png", True), ("h.exr", False),
                                             ("h.r16", False)])
def test_saving_again_writes_the_same_bytes(written, tmp_path, name, heightmap):
    source = written / (name + ".json" if name == "h.r16" else name)
    again = tmp_path / "again" / name
    again.parent.mkdir()
    glenvar.load(source).save(again, heightmap=heightmap, shade=True, rivers=40)
    assert again.read_bytes() == (written / name).read_bytes()
    if name != "p.png":
        assert (again.parent / (name + ".json")).read_bytes() == \
            (written / (name + ".json")).read_bytes()


def sidecar(path, recipe):
    path.write_text(json.dumps({"recipe": recipe}))
    return path


@pytest.mark.parametrize("recipe, words", [
    ("glenvar-cli generate --width 5", "--width: expected an integer from"),
    ("glenvar-cli generate --width 100 --height 100 --point 100,3", "--point: expected X,Y"),
    ("glenvar-cli generate --seed 1 -o elsewhere.png", "not a setting"),
    ("glenvar-cli render x.ld", ""),
], ids=["out of range", "point off the grid", "an output", "another command"])
def test_a_refused_recipe_names_the_file_and_writes_nothing(tmp_path, recipe, words):
    path = sidecar(tmp_path / "h.r16.json", recipe)
    with pytest.raises(ValueError) as refused:
        glenvar.load(path)
    assert str(refused.value).startswith(f"{path}: ") and words in str(refused.value)
    assert [p.name for p in tmp_path.iterdir()] == ["h.r16.json"]


def test_a_file_without_a_recipe_is_refused(tmp_path):
    raw = tmp_path / "m.dat"
    glenvar.generate(width=100, height=100).save(raw)
    glenvar.load(raw).save(tmp_path / "norecipe.png")  # a raw file's map has no recipe
    for name, words in [("norecipe.png", "holds no recipe"), ("m.r16", "nor a picture or "
                                                               "heightmap that carries a recipe")]:
        if name == "m.r16":
            (tmp_path / name).write_bytes(bytes(100 * 100 * 2))
        with pytest.raises(ValueError, match=f"^{tmp_path / name}: .*{words}"):
            glenvar.load(tmp_path / name)
