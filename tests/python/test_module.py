"""glenvar against glenvar-cli: the same maps, files, reports and refusals."""

import ast
import os
import threading
import time
from pathlib import Path

import numpy as np
import pytest

import glenvar
from conftest import FIXTURES, cli_info, read_float_tiff, read_raw, read_rgb_png

SETS = {
    "defaults": dict(seed=3, width=200, height=150),
    "every parameter, two threads": dict(
        seed=18446744073709551615, width=333, height=101, unit_amount=40, process_amount=0.05,
        concentration_rate=0.5, concentration_amount=0.75, point_count=3,
        water_level=0.25, threads=2, smooth=3, shade=True),
    "hand-placed points": dict(seed=9, width=240, height=160, points=[(10, 20), (150, 90)]),
}


def cli_options(parameters):
    options = []
    for keyword, value in parameters.items():
        if keyword == "points":
            for x, y in value:
                options += ["--point", f"{x},{y}"]
        elif keyword == "threads":
            options += ["--threads", value]
        else:
            option = next(p.option for p in glenvar.PARAMETERS if p.keyword == keyword)
            options += [option, repr(value)]
    return options


@pytest.mark.parametrize("parameters", SETS.values(), ids=SETS.keys())
def test_arrays_files_and_report_equal_the_cli(cli, tmp_path, parameters):
    parameters = dict(parameters)
    radius, shade = parameters.pop("smooth", 0), parameters.pop("shade", False)
    stages = (["--smooth", radius] if radius else []) + (["--shade"] if shade else [])
    made = tmp_path / "cli"
    cli("generate", *cli_options(parameters), *stages, "--regions", "-o", f"{made}.ld", "-o",
        f"{made}.dat", "-o", f"{made}.png")
    # Apart: a recipe names every option of its command line, --regions and --shade too.
    cli("generate", *cli_options(parameters), *stages[:2], "--heightmap", f"{made}.tif",
        "--heightmap", f"{made}.r16", "--heightmap", f"{made}-height.png")
    seeds_map = glenvar.generate(**parameters)
    m = seeds_map.smooth(radius)

    heights, regions, points = read_raw(f"{made}.dat")  # map files hold the seed's map
    assert m.heights.dtype == np.float64 and m.heights.shape == heights.shape
    assert m.heights.flags.c_contiguous and not m.heights.flags.writeable
    assert np.array_equal(seeds_map.heights, heights) and np.array_equal(m.regions, regions)
    assert m.points.dtype == np.int32 and np.array_equal(m.points, points)
    assert np.array_equal(m.heights.astype(np.float32), read_float_tiff(f"{made}.tif"))
    assert np.array_equal(m.picture(regions=True, shade=shade), read_rgb_png(f"{made}.png"))
    assert seeds_map.info() == cli_info(cli, f"{made}.ld")

    ours = tmp_path / "py"
    for ending, keywords in [(".ld", {}), (".dat", {}), (".png", {"regions": True, "shade": shade}),
                             (".tif", {}), (".r16", {}), ("-height.png", {"heightmap": True})]:
        (m if ending != ".ld" and ending != ".dat" else seeds_map).save(f"{ours}{ending}",
                                                                         **keywords)
        assert Path(f"{ours}{ending}").read_bytes() == Path(f"{made}{ending}").read_bytes()
        if ending in (".tif", ".r16", "-height.png"):  # and the sidecar beside it
            assert Path(f"{ours}{ending}.json").read_bytes() == \
                Path(f"{made}{ending}.json").read_bytes()
    if radius:
        with pytest.raises(ValueError, match="seed's map"):
            m.save(tmp_path / "smoothed.ld")
        with pytest.raises(ValueError, match="^smooth must be an integer from 0 to 32, got 33$"):
            m.smooth(33)


def test_arrays_are_contiguous_and_cannot_change_the_map(tmp_path):
    m = glenvar.generate(seed=2, width=130, height=110).smooth(1)
    m.save(tmp_path / "before.png")
    for array in (m.heights, m.regions, m.points):
        assert array.flags.c_contiguous and not array.flags.writeable
        with pytest.raises(ValueError):
            array.flags.writeable = True
    with pytest.raises(ValueError):
        m.heights[1, 2] = 0.125
    with pytest.raises(ValueError):
        np.copyto(m.regions, 0)
    with pytest.raises(ValueError):
        m.points[0] = (1, 1)
    assert m.regions.dtype == np.uint16 and m.heights.strides == (8 * 130, 8)
    # A picture's recipe stays true: nothing written into the arrays reaches its file.
    m.save(tmp_path / "after.png")
    assert (tmp_path / "after.png").read_bytes() == (tmp_path / "before.png").read_bytes()


def test_drainage_arrays_equal_the_cli_layers(cli, tmp_path):
    m = glenvar.generate(seed=3, width=200, height=150)
    assert (m.flow, m.lakes, m.rivers) == (None, None, None)
    m.picture(water_level=0.6, rivers=50)  # not the map's own water
    assert m.flow is None
    m.picture(rivers=50)
    layers = {kind: tmp_path / f"{kind}{ending}"
              for kind, ending in [("rivers", ".png"), ("lakes", ".png"), ("flow", ".tif")]}
    cli("generate", "--seed", 3, "--width", 200, "--height", 150, "--rivers", 50,
        *[f"--layer={kind}={path}" for kind, path in layers.items()], "-o", tmp_path / "m.ld")
    assert m.rivers.dtype == m.lakes.dtype == np.bool_ and m.flow.dtype == np.uint32
    assert np.array_equal(m.rivers, (read_rgb_png(layers["rivers"]) == 255).all(axis=2))
    assert np.array_equal(m.lakes, (read_rgb_png(layers["lakes"]) == 255).all(axis=2))
    assert m.lakes.any() and m.rivers.any()
    assert np.array_equal(m.flow.astype(np.float32), read_float_tiff(layers["flow"]))
    for array in (m.flow, m.lakes, m.rivers):
        assert array.flags.c_contiguous and not array.flags.writeable

    # A finer threshold replaces the map's drainage; arrays taken before stay whole.
    rivers, flow = m.rivers, m.flow
    m.info(rivers=20)
    assert m.rivers.sum() > rivers.sum() and np.array_equal(m.flow, flow)
    del m
    assert np.array_equal(rivers, (read_rgb_png(layers["rivers"]) == 255).all(axis=2))


@pytest.mark.parametrize("keywords, words", [
    (dict(points=3), "points must be None or (x, y) pairs of integers, got int"),
    (dict(points=[(1, 2, 3)]), "points must be None or (x, y) pairs of integers, got (1, 2, 3)"),
    (dict(points=["ab"]), "points must be None or (x, y) pairs of integers, got 'ab'"),
    (dict(water_level="0.5"), "water_level must be a number, got str"),
    (dict(width=512.0), "width must be an integer, got float"),
    (dict(seed=True), "seed must be an integer, got bool"),
    (dict(threads="2"), "threads must be an integer, got str"),
    (dict(keep_random_state=1), "keep_random_state must be a bool, got int"),
])
def test_a_wrong_type_names_the_keyword_and_the_type(keywords, words):
    with pytest.raises(TypeError) as refused:
        glenvar.generate(**keywords)
    assert str(refused.value) == words


def test_numpy_values_are_taken():
    m = glenvar.generate(width=np.int64(120), height=100, water_level=np.float32(0.25),
                         points=np.array([[10, 20], [30, 40]]))
    assert m.heights.shape == (100, 120) and m.points.tolist() == [[10, 20], [30, 40]]


EROSION = {
    "smoothed and eroded, rivers": ((3, 10, 0.02, 0), 300, 1),
    "talus only, two threads": ((0, 0, 0.01, 5), 100, 2),
    "eroded unsmoothed, fine rivers": ((0, 4, 0.5, 2), 20, 1),
}


@pytest.mark.parametrize("stages, rivers, threads", EROSION.values(), ids=EROSION.keys())
def test_erosion_and_rivers_equal_the_cli(cli, tmp_path, stages, rivers, threads):
    radius, steps, k, thermal = stages
    options = ["--seed", "6", "--width", "240", "--height", "180", "--threads", threads]
    staged = (["--smooth", radius] if radius else []) + \
        (["--erode", steps, "--erodibility", repr(k)] if steps else []) + \
        (["--thermal", thermal] if thermal else [])
    made = tmp_path / "cli"
    cli("generate", *options, *staged, "--rivers", rivers, "--shade", "-o", f"{made}.ld",
        "-o", f"{made}.png")
    cli("generate", *options, *staged, "--heightmap", f"{made}.r16")
    m = glenvar.generate(seed=6, width=240, height=180, threads=threads)
    m = m.smooth(radius).erode(steps, erodibility=k, thermal=thermal)
    assert np.array_equal(m.picture(shade=True, rivers=rivers), read_rgb_png(f"{made}.png"))
    m.save(tmp_path / "py.png", shade=True, rivers=rivers)
    m.save(tmp_path / "py.r16")
    assert (tmp_path / "py.png").read_bytes() == Path(f"{made}.png").read_bytes()
    for ending in (".r16", ".r16.json"):
        assert (tmp_path / f"py{ending}").read_bytes() == Path(f"{made}{ending}").read_bytes()
    assert m.info(rivers=rivers) == cli_info(cli, f"{made}.ld", *staged, "--rivers", rivers)
    with pytest.raises(ValueError, match="^erode must be "):
        m.erode(1001)
    with pytest.raises(ValueError, match="^rivers must be "):
        m.picture(rivers=-1)


def test_picture_at_another_water_level_equals_the_cli(cli, tmp_path):
    m = glenvar.generate(seed=4, width=150, height=120)
    m.save(tmp_path / "m.ld")
    cli("render", tmp_path / "m.ld", "--water-level", "0.6", "-o", tmp_path / "high.png")
    assert np.array_equal(m.picture(water_level=0.6), read_rgb_png(tmp_path / "high.png"))
    assert m.info()["waterLevel"] == 0.5  # the map keeps its own level


REFUSED = {
    "width": ("--width", 50), "unit_amount": ("--unit-amount", 0),
    "process_amount": ("--process-amount", 0.6),
    "concentration_rate": ("--concentration-rate", 1.5),
    "point_count": ("--points", 256), "seed": ("--seed", -1),
    "water_level": ("--water-level", float("nan")), "threads": ("--threads", 3),
}


@pytest.mark.parametrize("keyword", REFUSED)
def test_out_of_range_values_give_the_cli_message(cli, keyword):
    option, value = REFUSED[keyword]
    with pytest.raises(ValueError) as refusal:
        glenvar.generate(**{keyword: value})
    told = cli("generate", option, repr(value), "-o", "unused.ld", check=False).stderr
    expected = told.split(": expected ", 1)[1].rsplit(", got ", 1)[0]
    assert str(refusal.value) == f"{keyword} must be {expected}, got {value!r}", told


@pytest.mark.parametrize("call", [
    lambda: glenvar.generate(7),
    lambda: glenvar.generate(colour="red"),
    lambda: glenvar.generate(width=512.0),
    lambda: glenvar.generate(seed=1).picture(0.5),
], ids=["positional", "unknown keyword", "float for an integer", "positional picture"])
def test_arguments_are_keywords_of_their_kind(call):
    with pytest.raises(TypeError):
        call()


@pytest.mark.parametrize("name, refusal", [
    ("CellCountNotWidthTimesHeight.ld", ValueError),
    ("RawNegativeSides.dat", ValueError),
    ("cut.ld", ValueError),
    ("DefaultTerrain.ld", ValueError),
    ("not-a-map.ld", ValueError),
    ("missing.ld", FileNotFoundError),
], ids=["cell count", "negative sides", "cut short", "no cells", "other marker", "missing"])
def test_load_refuses_in_the_cli_words(cli, tmp_path, name, refusal):
    glenvar.generate(width=120, height=100).save(tmp_path / "whole.ld")
    (tmp_path / "cut.ld").write_bytes((tmp_path / "whole.ld").read_bytes()[:5000])
    (tmp_path / "not-a-map.ld").write_bytes(b"PK\3\4 not a map")
    path = FIXTURES / name if (FIXTURES / name).exists() else tmp_path / name
    with pytest.raises(refusal) as refused:
        glenvar.load(path)
    told = cli("info", path, check=False).stderr
    if name == "not-a-map.ld":  # load also opens pictures and heightmaps; info does not
        told = told[:-1] + ", nor a picture or heightmap that carries a recipe\n"
    if refusal is ValueError:
        assert f"glenvar-cli: {refused.value}\n" == told
    else:
        assert refused.value.filename == str(path) and refused.value.strerror in told


@pytest.mark.parametrize("name, keywords, refusal", [
    ("missing/m.ld", {}, FileNotFoundError),
    ("m.gif", {}, ValueError),
    ("m.ld", {"heightmap": True}, ValueError),
])
def test_save_refuses_and_leaves_nothing(tmp_path, name, keywords, refusal):
    with pytest.raises(refusal):
        glenvar.generate(width=100, height=100).save(tmp_path / name, **keywords)
    assert list(tmp_path.iterdir()) == []


def test_a_heightmap_and_its_sidecar_change_together(tmp_path):
    # A legal name whose sidecar's name is too long: the heightmap stays as it was.
    path = tmp_path / ("h" * 251 + ".r16")
    path.write_bytes(b"old")
    with pytest.raises(OSError) as refused:
        glenvar.generate(width=100, height=100).save(path)
    assert refused.value.filename == str(path) + ".json"
    assert path.read_bytes() == b"old"
    assert [p.name for p in tmp_path.iterdir()] == [path.name]


@pytest.mark.parametrize("ending", [".ld", ".dat"])
def test_load_reads_what_the_cli_wrote(cli, tmp_path, ending):
    path = tmp_path / f"m{ending}"
    cli("generate", "--seed", 5, "--width", 210, "--height", 130, "--water-level", 0.3, "-o", path)
    m = glenvar.load(path)
    assert m.info() == cli_info(cli, path)
    m.save(tmp_path / f"again{ending}")
    assert (tmp_path / f"again{ending}").read_bytes() == path.read_bytes()


def test_two_threads_generate_side_by_side():
    parameters = [dict(seed=1, width=2400, height=2000), dict(seed=2, width=2400, height=2000)]
    serial = [glenvar.generate(**p).heights.copy() for p in parameters]
    results, calls, ticks = [None, None], [None, None], []

    def grow(k):
        started = time.perf_counter()
        results[k] = glenvar.generate(**parameters[k])
        calls[k] = (started, time.perf_counter())

    threads = [threading.Thread(target=grow, args=(k,)) for k in range(2)]
    for t in threads:
        t.start()
    while any(t.is_alive() for t in threads):
        time.sleep(0.001)
        ticks.append(time.perf_counter())
    for t in threads:
        t.join()
    assert all(np.array_equal(r.heights, s) for r, s in zip(results, serial))
    # This thread went on while each map grew: the GIL was not held meanwhile.
    assert all(sum(start < tick < end for tick in ticks) >= 3 for start, end in calls)


def test_the_stub_names_the_runtime_parameters():
    stub = ast.parse((Path(glenvar.__file__).parent / "__init__.pyi").read_text())
    function = next(f for f in stub.body if isinstance(f, ast.FunctionDef) and f.name == "generate")
    named = {a.arg: ast.literal_eval(d)
             for a, d in zip(function.args.kwonlyargs, function.args.kw_defaults)}
    expected = {p.keyword: p.default for p in glenvar.PARAMETERS}
    assert named == dict(expected, points=None, threads=1)
    assert not function.args.args


def test_a_heightmaps_recipe_names_the_options_as_the_cli_does(cli, tmp_path):
    cli("generate", "--seed", 8, "--width", 120, "--height", 100, "--smooth", 2, "--shade",
        "--rivers", 40, "--heightmap", tmp_path / "cli.tif")
    m = glenvar.generate(seed=8, width=120, height=100).smooth(2)
    m.save(tmp_path / "py.tif", shade=True, rivers=40)
    for ending in (".tif", ".tif.json"):
        assert (tmp_path / f"py{ending}").read_bytes() == (tmp_path / f"cli{ending}").read_bytes()
