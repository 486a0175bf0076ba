"""Glenvar's seeded terrain maps as numpy arrays.

    import glenvar
    m = glenvar.generate(seed=7, width=512, height=256)
    m.heights          # float64 (256, 512), C-contiguous and read-only
    m.save("island.ld")

The same seed and parameters give the same map, byte for byte, as
glenvar-cli and the desktop program.

Failures raise, in glenvar-cli's words:

    OSError       a file cannot be read or written, as its errno subclass
                  (FileNotFoundError, PermissionError...) when there is one
    ValueError    a value out of range; a file that is no map or is cut
                  short; a recipe refused; a map too small for a heightmap
    MemoryError   the memory runs short
    RuntimeError  libpng, libtiff or OpenEXR refused to encode
"""

import collections
import inspect
import numbers
import operator

from . import _glenvar
from ._glenvar import Map, load

__all__ = ["Map", "Parameter", "PARAMETERS", "generate", "load"]
__version__ = _glenvar.__version__

Parameter = collections.namedtuple("Parameter", "keyword option kind default description")
Parameter.__doc__ = """A generation parameter: generate's keyword, glenvar-cli's option,
"integer", "number" or "flag", the default and what it changes."""

#: Every generation parameter, from the program's one parameter table.
PARAMETERS = tuple(Parameter(*row) for row in _glenvar.parameters())
_BY_KEYWORD = {p.keyword: p for p in PARAMETERS}


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


def _option_arguments(keyword, value):
    _, option, kind, _, _ = _BY_KEYWORD[keyword]
    if kind == "flag":
        if not isinstance(value, bool):
            raise TypeError(f"{keyword} must be a bool, got {type(value).__name__}")
        return [option] if value else []
    if kind == "integer":
        return [option, str(_integer(keyword, value))]
    # repr gives the shortest digits that read back as the same double.
    return [option, repr(_number(keyword, value))]


def _point_arguments(points):
    expected = "points must be None or (x, y) pairs of integers"
    if isinstance(points, (str, bytes)):
        raise TypeError(f"{expected}, got {type(points).__name__}")
    try:
        points = list(points)
    except TypeError:
        raise TypeError(f"{expected}, got {type(points).__name__}") from None
    arguments = []
    for point in points:
        try:
            if isinstance(point, (str, bytes)):
                raise TypeError
            x, y = (_integer("points", v) for v in point)
        except (TypeError, ValueError):
            raise TypeError(f"{expected}, got {point!r}") from None
        arguments += ["--point", f"{x},{y}"]
    return arguments


def generate(**parameters) -> Map:
    """Grows a map. Every argument is a keyword: the parameters of
    glenvar.PARAMETERS (the options of `glenvar-cli generate`, with the same
    defaults and ranges), `points` (hand-placed concentration points, (x, y)
    pairs, or None to place them at random) and `threads` (1 or 2). A value
    out of range raises ValueError with glenvar-cli's message, one of
    another type TypeError naming the keyword. The GIL is released while the
    map grows."""
    return _glenvar.generate(_arguments(parameters))


def _arguments(parameters):
    """glenvar-cli generate's options for generate's keywords."""
    parameters = dict(parameters)
    arguments = []
    points = parameters.pop("points", None)
    threads = parameters.pop("threads", 1)
    for keyword, value in parameters.items():
        if keyword not in _BY_KEYWORD:
            raise TypeError(f"generate() got an unexpected keyword argument '{keyword}'")
        arguments += _option_arguments(keyword, value)
    if points is not None:
        arguments += _point_arguments(points)
    arguments += ["--threads", str(_integer("threads", threads))]
    return arguments


generate.__doc__ += "\n\n" + "\n".join(
    f"    {p.keyword} ({p.option}): {p.description}" for p in PARAMETERS)
generate.__signature__ = inspect.Signature(
    [inspect.Parameter(p.keyword, inspect.Parameter.KEYWORD_ONLY, default=p.default)
     for p in PARAMETERS]
    + [inspect.Parameter("points", inspect.Parameter.KEYWORD_ONLY, default=None),
       inspect.Parameter("threads", inspect.Parameter.KEYWORD_ONLY, default=1)],
    return_annotation=Map)
