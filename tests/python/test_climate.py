"""The climate in Python: arrays that obey the lapse rate within a row and
match the CLI's float TIFFs, pictures coloured by the BIOMES table, and the
climate keywords refused as glenvar-cli refuses its options."""

import numpy as np
import pytest

import glenvar
from conftest import read_float_tiff, read_raw


def test_land_of_one_row_differs_by_the_lapse_rate_only():
    m = glenvar.generate(width=160, height=120, seed=11)
    c = m.climate(lapse_rate=9.0, height_range_m=2500.0)
    level = m.info()["waterLevel"]
    heights = np.asarray(m.heights)
    metres = np.where(heights > level, (heights - level) * 2500.0, 0.0)
    t = c["temperature"].astype(np.float64)
    for y in range(0, 120, 7):
        expected = t[y, 0] - 9.0 * (metres[y] - metres[y, 0]) / 1000.0
        assert np.allclose(t[y], expected, rtol=0, atol=1e-4), y
    assert c["temperature"].dtype == np.float32 and not c["temperature"].flags.writeable
    assert c["biomes"].dtype == np.uint8 and c["biomes"].max() < len(glenvar.BIOMES)


def test_arrays_are_the_clis_layers(cli, tmp_path):
    cli("generate", "--seed", "4", "--width", "128", "--height", "112", "--wind-from", "SW",
        "--latitudes", "60,10", "-o", tmp_path / "m.dat", "--layer",
        f"temperature={tmp_path / 't.tif'}", "--layer", f"precipitation={tmp_path / 'p.tif'}")
    heights, _, _ = read_raw(tmp_path / "m.dat")
    m = glenvar.load(tmp_path / "m.dat")
    assert np.array_equal(np.asarray(m.heights).reshape(heights.shape), heights)
    c = m.climate(wind_from="SW", latitudes=(60, 10))
    assert np.array_equal(c["temperature"], read_float_tiff(tmp_path / "t.tif"))
    assert np.array_equal(c["precipitation"], read_float_tiff(tmp_path / "p.tif"))


def test_biome_picture_paints_land_in_the_tables_colours():
    m = glenvar.generate(width=128, height=112, seed=2)
    biomes = m.climate()["biomes"]
    picture = m.biome_picture()
    colours = np.array([b.rgb for b in glenvar.BIOMES], np.uint8)
    land = biomes != 0
    assert land.any()
    assert np.array_equal(picture[land], colours[biomes[land]])
    assert np.array_equal(picture[~land], m.picture()[~land])


@pytest.mark.parametrize("keywords, words", [
    ({"latitudes": (10, 20)}, "latitudes must be N,S with -90 <= S <= N <= 90"),
    ({"latitudes": (91, 0)}, "latitudes must be N,S with -90 <= S <= N <= 90"),
    ({"lapse_rate": 15.5}, "lapse_rate must be degrees Celsius per km from 0 to 15"),
    ({"wind_from": "up"}, "wind_from must be bands, N, NE"),
])
def test_bad_climate_keywords_raise_value_error_with_the_range(keywords, words):
    m = glenvar.generate(width=100, height=100)
    with pytest.raises(ValueError, match="^" + words):
        m.climate(**keywords)
    with pytest.raises(TypeError):
        m.climate(latitudes=45)


def test_climate_keywords_are_the_calls_alone(tmp_path):
    m = glenvar.generate(width=128, height=112, seed=6)
    windy = m.climate(wind_from="W", latitudes=(50, 20))["precipitation"].copy()
    m.save(tmp_path / "p.png")
    assert b"--wind-from" not in (tmp_path / "p.png").read_bytes()
    shares = {b["biome"]: b["cells"] for b in m.info()["biomes"]}
    counts = np.bincount(m.climate()["biomes"].ravel(), minlength=len(glenvar.BIOMES))
    assert all(shares[b.key] == counts[b.id] for b in glenvar.BIOMES[1:])
    assert np.array_equal(m.climate(wind_from="W", latitudes=(50, 20))["precipitation"], windy)
