"""The map's methods take their arguments as generate takes its keywords: a
wrong type is a one-line TypeError naming the keyword and the type, a value
out of range a ValueError in the settings rows' words, and nothing is written."""

import numpy as np
import pytest

import glenvar

WRONG_TYPES = {
    "radius as float": (lambda m: m.smooth(1.5), "smooth must be an integer, got float"),
    "radius as bool": (lambda m: m.smooth(True), "smooth must be an integer, got bool"),
    "steps as str": (lambda m: m.erode("3"), "erode must be an integer, got str"),
    "erodibility as str": (lambda m: m.erode(1, erodibility="0.1"),
                           "erodibility must be a number, got str"),
    "thermal as float": (lambda m: m.erode(1, thermal=2.0),
                         "thermal must be an integer, got float"),
    "water level as str": (lambda m: m.picture(water_level="0.5"),
                           "water_level must be None or a number, got str"),
    "regions as int": (lambda m: m.picture(regions=1), "regions must be a bool, got int"),
    "rivers as None": (lambda m: m.picture(rivers=None),
                       "rivers must be an integer, got NoneType"),
    "info's rivers as float": (lambda m: m.info(rivers=2.5),
                               "rivers must be an integer, got float"),
    "path as int": (lambda m: m.save(7), "path must be a str or os.PathLike, got int"),
    "shade as str": (lambda m: m.save("m.png", shade="yes"), "shade must be a bool, got str"),
    "heightmap as int": (lambda m: m.save("m.png", heightmap=1),
                         "heightmap must be a bool, got int"),
    "load's path as None": (lambda m: glenvar.load(None),
                            "path must be a str or os.PathLike, got NoneType"),
}

OUT_OF_RANGE = {
    "a huge radius": (lambda m: m.smooth(10**30),
                      "smooth must be an integer from 0 to 32, got 1000000000000000000000000000000"),
    "numpy's negative steps": (lambda m: m.erode(np.int64(-1)),
                               "erode must be an integer from 0 to 1000, got -1"),
    "erodibility above 1": (lambda m: m.erode(1, erodibility=1.5),
                            "erodibility must be a number from 0 to 1, got 1.5"),
    "water level above 1": (lambda m: m.picture(water_level=1.5),
                            "water_level must be a number from 0 to 1, got 1.5"),
    "negative rivers in info": (lambda m: m.info(rivers=-1),
                                "rivers must be a cell count from 0 to 268435456, got -1"),
    "too many rivers in save": (lambda m: m.save("m.png", rivers=2**28 + 1),
                                "rivers must be a cell count from 0 to 268435456, got 268435457"),
}


@pytest.fixture(scope="module")
def small():
    return glenvar.generate(seed=4, width=100, height=100)


@pytest.mark.parametrize("call, words", WRONG_TYPES.values(), ids=WRONG_TYPES.keys())
def test_a_wrong_type_names_the_keyword_and_the_type(small, tmp_path, monkeypatch, call, words):
    monkeypatch.chdir(tmp_path)
    with pytest.raises(TypeError) as refused:
        call(small)
    assert str(refused.value) == words
    assert list(tmp_path.iterdir()) == []


@pytest.mark.parametrize("call, words", OUT_OF_RANGE.values(), ids=OUT_OF_RANGE.keys())
def test_a_value_out_of_range_is_the_rows_refusal(small, tmp_path, monkeypatch, call, words):
    monkeypatch.chdir(tmp_path)
    with pytest.raises(ValueError) as refused:
        call(small)
    assert str(refused.value) == words
    assert list(tmp_path.iterdir()) == []


def test_numpy_scalars_are_taken_as_their_python_values(small, tmp_path):
    typed = small.erode(np.int64(2), erodibility=np.float32(0.5), thermal=np.int8(1))
    plain = small.erode(2, erodibility=float(np.float32(0.5)), thermal=1)
    assert np.array_equal(typed.heights, plain.heights)
    assert np.array_equal(small.picture(water_level=np.float64(0.25), rivers=np.uint16(30),
                                        shade=True),
                          small.picture(water_level=0.25, rivers=30, shade=True))
    typed.save(str(tmp_path / "typed.png").encode(), rivers=np.int32(30))
    plain.save(tmp_path / "plain.png", rivers=30)
    assert (tmp_path / "typed.png").read_bytes() == (tmp_path / "plain.png").read_bytes()
