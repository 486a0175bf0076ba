"""The stage and layout settings as glenvar-cli, Python and the stub give them:
the same ranges, defaults and refusals, from the program's one settings table."""

import ast
import math
import re
from pathlib import Path

import pytest

import glenvar
from conftest import FIXTURES

NUMBERS = [s for s in glenvar.SETTINGS if s.type in ("integer", "number")]
STUB = Path(glenvar.__file__).with_name("__init__.pyi")


def cli_refusal(cli, option, text):
    """glenvar-cli render's (expected, got) for one value, or None when it takes it."""
    done = cli("render", FIXTURES / "DefaultTerrain.ld", f"{option}={text}", "-o",
               "never-written.png", check=False)
    told = re.fullmatch(rf"glenvar-cli: {re.escape(option)}: expected (.*), got (.*)\n",
                        done.stderr)
    return told and told.groups()


def bound(value):
    return str(int(value)) if value == int(value) else repr(value)


@pytest.mark.parametrize("setting", NUMBERS, ids=[s.keyword for s in NUMBERS])
def test_ranges_and_refusals_agree_with_the_cli(cli, setting):
    below = setting.low if setting.keyword == "height_range_m" else setting.low - 1
    for value in (setting.high + 1, below, math.nan, math.inf):
        keyword, expected, got = glenvar._glenvar.check_setting(setting.keyword, value)
        told = cli_refusal(cli, setting.option, repr(int(value)) if math.isfinite(value)
                           and setting.type == "integer" else repr(value))
        assert told is not None and told[0] == expected, (value, told)
        told_value = float(told[1].strip('"'))
        assert keyword == setting.keyword and (float(got) == told_value or
                                               math.isnan(float(got)) and math.isnan(told_value))
    assert f"from {bound(setting.low)} to" in expected or \
        f"greater than {bound(setting.low)}" in expected
    assert expected.endswith(f" {bound(setting.high)}")
    # Metres greater than 0: their low bound is outside.
    open_low = setting.keyword in ("height_range_m", "cell_size_m")
    for value in (setting.low if not open_low else 1, setting.high):
        assert glenvar._glenvar.check_setting(setting.keyword, value) is None


@pytest.mark.parametrize("text", ["0x10", "1e1", "NaN", "nan", "inf", " 1", "+1", "1.", ""])
def test_the_cli_takes_decimal_integers_only(cli, text):
    for setting in (s for s in NUMBERS if s.type == "integer"):
        assert cli_refusal(cli, setting.option, text) is not None, (setting.option, text)


def test_defaults_agree_with_the_help_and_the_stub(cli):
    help_text = cli("render", "--help").stdout
    for setting in NUMBERS:
        line = help_text[help_text.index(f"  {setting.option} "):]
        assert f"(default {setting.default:g}" in line.split("\n  -")[0], setting.option
    # The stub's method keywords carry the rows' defaults, of the rows' types.
    stub = ast.parse(STUB.read_text())
    rows = {s.keyword: s.default for s in glenvar.SETTINGS}
    methods = {n.name: n for n in ast.walk(stub) if isinstance(n, ast.FunctionDef)}
    for name, keywords in [("erode", {"erodibility", "thermal", "uplift", "deposition",
                                      "diffusion", "cross_lakes", "droplets",
                                      "flow_directions"}),
                           ("picture", {"water_level", "regions", "shade", "rivers"}),
                           ("info", {"rivers"}), ("save", {"heightmap", "regions", "shade",
                                                           "rivers"})]:
        method = methods[name]
        defaults = {a.arg: ast.literal_eval(d) for a, d in zip(method.args.kwonlyargs,
                                                              method.args.kw_defaults)}
        assert set(defaults) == keywords, name
        for keyword in keywords & set(rows):
            assert defaults[keyword] == rows[keyword], (name, keyword)
            assert type(defaults[keyword]) is type(rows[keyword]), (name, keyword)
    assert "@" not in STUB.read_text().replace("@property", "")


def test_python_refusals_name_the_keyword():
    m = glenvar.generate(width=100, height=100)
    with pytest.raises(ValueError, match=r"^erodibility must be a number from 0 to 1, got nan$"):
        m.erode(1, erodibility=math.nan)
    with pytest.raises(ValueError, match=r"^thermal must be an integer from 0 to 1000, got -1$"):
        m.erode(1, thermal=-1)
    with pytest.raises(ValueError, match=r"^points must be \(x, y\) pairs with 0 <= x < 100 "):
        glenvar.generate(width=100, height=100, points=[(100, 0)])
