"""Maps of heights Glenvar did not grow: glenvar.from_heights copies its
array, keeps an elevation model's metres, NoData and cell size in the TIFFs
it saves (as GDAL reads them back), and says in its recipe that no command
rebuilds it; glenvar.load opens an elevation model as shape does."""

import numpy as np
import pytest
from osgeo import gdal

import glenvar

gdal.UseExceptions()


def hills(width=60, height=40):
    y, x = np.mgrid[0:height, 0:width]
    return 300.0 - ((x - width / 2) ** 2 + (y - height / 2) ** 2) / 5 + 20 * np.sin(x / 3.0)


def test_the_array_is_copied_not_viewed():
    heights = np.linspace(0, 1, 12 * 9).reshape(9, 12)
    m = glenvar.from_heights(heights)
    kept = heights.copy()
    heights[:] = 0.25
    assert np.array_equal(m.heights, kept)
    assert m.heights.shape == (9, 12)


def test_an_elevation_model_keeps_its_metres_nodata_and_cells(tmp_path):
    z = hills()
    z[5:9, 10:15] = -9999.0
    m = glenvar.from_heights(z, nodata=-9999.0, cell_size=25.0)
    m.save(tmp_path / "out.tif", heightmap=True)
    ds = gdal.Open(str(tmp_path / "out.tif"))
    band = ds.GetRasterBand(1)
    back = band.ReadAsArray().astype(np.float64)
    assert band.GetNoDataValue() == -9999.0
    assert ds.GetGeoTransform()[1] == 25.0 and ds.GetGeoTransform()[5] == -25.0
    holes = z == -9999.0
    assert np.array_equal(back == -9999.0, holes)
    assert np.allclose(back[~holes], z[~holes], atol=1e-3)


def test_the_recipe_says_no_command_rebuilds_it(tmp_path, cli):
    m = glenvar.from_heights(hills())
    assert m.recipe.startswith("#") and "array" in m.recipe
    m.save(tmp_path / "p.png")
    refused = cli("generate", "--recipe", tmp_path / "p.png", "-o", tmp_path / "x.png",
                  check=False)
    assert refused.returncode != 0
    assert not (tmp_path / "x.png").exists()
    assert glenvar.generate(seed=3, width=100, height=100).recipe.startswith("glenvar-cli generate")


def test_load_opens_an_elevation_model_as_the_array_gives_it(tmp_path):
    z = np.round(hills()).astype(np.int16)
    driver = gdal.GetDriverByName("GTiff")
    ds = driver.Create(str(tmp_path / "dem.tif"), z.shape[1], z.shape[0], 1, gdal.GDT_Int16)
    ds.SetGeoTransform([1000, 30, 0, 2000, 0, -30])
    ds.GetRasterBand(1).WriteArray(z)
    ds = None
    loaded = glenvar.load(tmp_path / "dem.tif")
    made = glenvar.from_heights(z.astype(np.float64))
    assert np.array_equal(loaded.heights, made.heights)
    assert loaded.recipe.startswith("#")
    a = loaded.picture(rivers=20)
    b = made.picture(rivers=20)
    assert np.array_equal(a, b)
    assert np.array_equal(loaded.flow, made.flow)


@pytest.mark.parametrize("bad, words", [
    (np.zeros((5, 5)), "same height"),
    (np.ones((1, 9)), "2 x 2"),
    (np.array([[0.0, np.nan], [0.5, 1.0]]), "NaN"),
    (np.zeros((3, 3, 3)), "2-D"),
])
def test_bad_arrays_are_refused(bad, words):
    with pytest.raises(ValueError, match=words):
        glenvar.from_heights(bad)
