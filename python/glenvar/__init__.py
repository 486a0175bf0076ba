"""Glenvar's seeded terrain maps as numpy arrays.

    import glenvar
    m = glenvar.generate(seed=7, width=512, height=256)
    m.heights          # float64 (256, 512), C-contiguous and read-only
    m.save("island.ld")
    m.save("island.png")
    glenvar.load("island.png")   # the same map, rebuilt from the picture's recipe

The same seed and parameters give the same map, byte for byte, as
glenvar-cli and the desktop program.

Failures raise, in glenvar-cli's words:

    OSError       a file cannot be read or written, as its errno subclass
                  (FileNotFoundError, PermissionError...) when there is one
    TypeError     a value of another type than its keyword takes
    ValueError    a value out of range; a file that is no map or is cut
                  short; a recipe refused or missing; a map too small for a
                  heightmap
    MemoryError   the memory runs short
    RuntimeError  libpng, libtiff or OpenEXR refused to encode
"""

import collections
import inspect
import numbers
import operator

from . import _glenvar
from ._glenvar import Map, load

__all__ = ["Map", "Parameter", "PARAMETERS", "Setting", "SETTINGS", "Biome", "BIOMES",
           "from_heights", "generate",
           "load"]
__version__ = _glenvar.__version__

Parameter = collections.namedtuple("Parameter", "keyword option kind default description")
Parameter.__doc__ = """A generation parameter: generate's keyword, glenvar-cli's option,
"integer", "number" or "flag", the default and what it changes."""

#: Every generation parameter, from the program's one parameter table.
PARAMETERS = tuple(Parameter(*row) for row in _glenvar.parameters())
_BY_KEYWORD = {p.keyword: p for p in PARAMETERS}

Setting = collections.namedtuple("Setting", "keyword option type low high default description")
Setting.__doc__ = """A stage or layout setting: its keyword, glenvar-cli's option, its type
("integer", "number", "flag", "choice", "point", "tiles" or "span"), the range of a
number (else None), the default and what it changes."""

#: Every stage and layout setting, from the program's one settings table.
SETTINGS = tuple(Setting(*row) for row in _glenvar.settings())

Biome = collections.namedtuple("Biome", "id key name name_ja rgb")
Biome.__doc__ = """A biome of Map.climate()'s 'biomes': its id, key, English and Japanese
names and its colour in biome pictures."""

#: Every biome, by id (0 is water).
BIOMES = tuple(Biome(*row) for row in _glenvar.biomes())


def _integer(keyword, value):
    if not isinstance(value, bool):
        try:
            return operator.index(value)
        except TypeError:
            pass
    raise TypeError(f"{keyword} must be an integer, got {type(value).__name__}")


def _number(keyword, value):
    if isinstance(value, numbers.Real) and not isinstance(value, bool):
        return float(value)
    raise TypeError(f"{keyword} must be a number, got {type(value).__name__}")


def _typed(keyword, value):
    kind = _BY_KEYWORD[keyword].kind
    if kind == "flag":
        if not isinstance(value, bool):
            raise TypeError(f"{keyword} must be a bool, got {type(value).__name__}")
        return value
    if kind == "integer":
        return _integer(keyword, value)
    return _number(keyword, value)


def _points(points):
    expected = "points must be None or (x, y) pairs of integers"
    if isinstance(points, (str, bytes)):
        raise TypeError(f"{expected}, got {type(points).__name__}")
    try:
        points = list(points)
    except TypeError:
        raise TypeError(f"{expected}, got {type(points).__name__}") from None
    pairs = []
    for point in points:
        try:
            if isinstance(point, (str, bytes)):
                raise TypeError
            x, y = (_integer("points", v) for v in point)
        except (TypeError, ValueError):
            raise TypeError(f"{expected}, got {point!r}") from None
        pairs.append((x, y))
    return pairs


def generate(**parameters) -> Map:
    """Grows a map. Every argument is a keyword: the parameters of
    glenvar.PARAMETERS (the options of `glenvar-cli generate`, with the same
    defaults and ranges), `points` (hand-placed concentration points, (x, y)
    pairs, or None to place them at random) and `threads` (1 or 2). A value
    out of range raises ValueError naming the keyword and its range ("width
    must be an integer from 16 to 8192, got 8"), one of another type
    TypeError naming the keyword. The GIL is released while the
    map grows."""
    return _glenvar.generate(_keywords(parameters))


def from_heights(heights, *, wrap=False, nodata=None, cell_size=1.0, water_level=None) -> Map:
    """Makes a map of any 2-D array of heights, copied (the array is never
    viewed). Heights within 0..1 are taken as Glenvar's (water level 0.5
    unless water_level says otherwise); any others as an elevation model's
    metres, scaled to 0..1 over their range, the water level 0 m unless
    water_level gives it in metres. Cells equal to nodata (NaN allowed) hold
    no height: they stay NoData and drain the land around them. Edges are
    open (water leaves over the border) unless wrap. cell_size is the metres
    a cell spans, for the TIFFs saved. Every stage and save works on the map;
    its recipe says it was made from an array, so nothing mistakes it for a
    rebuildable one. Refusals (not 2-D, smaller than 2 x 2, NaN or
    infinities, every cell NoData or one height) raise ValueError."""
    import numpy

    try:
        array = numpy.array(heights, dtype=numpy.float64, order="C", copy=True)
    except (TypeError, ValueError):
        raise TypeError(f"heights must be a 2-D array of numbers, got {type(heights).__name__}") from None
    if array.ndim != 2:
        raise ValueError(f"heights must be a 2-D array, got {array.ndim} dimensions")
    return _glenvar._from_heights(
        array,
        bool(wrap),
        None if nodata is None else _number("nodata", nodata),
        _number("cell_size", cell_size),
        None if water_level is None else _number("water_level", water_level),
    )


def _keywords(parameters):
    """generate's keywords, each of its type, for the extension to check."""
    parameters = dict(parameters)
    points = parameters.pop("points", None)
    threads = parameters.pop("threads", 1)
    keywords = {}
    for keyword, value in parameters.items():
        if keyword not in _BY_KEYWORD:
            raise TypeError(f"generate() got an unexpected keyword argument '{keyword}'")
        keywords[keyword] = _typed(keyword, value)
    if points is not None:
        keywords["points"] = _points(points)
    keywords["threads"] = _integer("threads", threads)
    return keywords


generate.__doc__ += "\n\n" + "\n".join(
    f"    {p.keyword} ({p.option}): {p.description}" for p in PARAMETERS)
generate.__signature__ = inspect.Signature(
    [inspect.Parameter(p.keyword, inspect.Parameter.KEYWORD_ONLY, default=p.default)
     for p in PARAMETERS]
    + [inspect.Parameter("points", inspect.Parameter.KEYWORD_ONLY, default=None),
       inspect.Parameter("threads", inspect.Parameter.KEYWORD_ONLY, default=1)],
    return_annotation=Map)
