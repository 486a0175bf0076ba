# Type hints of the package glenvar. The defaults are glenvar.PARAMETERS';
# tests/python checks that this stub names the same ones.
from os import PathLike
from typing import Any, Iterable, NamedTuple, Optional, Sequence, Tuple, Union

import numpy as np
import numpy.typing as npt

__version__: str
class Parameter(NamedTuple):
    keyword: str
    option: str
    kind: str  # "integer", "number" or "flag"
    default: Union[int, float, bool]
    description: str

PARAMETERS: Tuple[Parameter, ...]

class Setting(NamedTuple):
    keyword: str
    option: str
    type: str  # "integer", "number", "flag", "choice", "point" or "tiles"
    low: Optional[float]  # a number's range, else None
    high: Optional[float]
    default: Union[int, float, bool, str, None]
    description: str

SETTINGS: Tuple[Setting, ...]

_Path = Union[str, PathLike[str]]

class Map:
    @property
    def heights(self) -> npt.NDArray[np.float64]:
        """Altitudes 0..1 of the map (its stages', if any), (height, width);
        C-contiguous and read-only."""
    @property
    def regions(self) -> npt.NDArray[np.uint16]:
        """Nearest concentration point of each cell, (height, width);
        C-contiguous and read-only."""
    @property
    def points(self) -> npt.NDArray[np.int32]:
        """Concentration points as (x, y) rows, (P, 2); read-only."""
    @property
    def flow(self) -> Optional[npt.NDArray[np.uint32]]:
        """Cells draining through each cell, itself included, (height, width),
        read-only; None until a picture, info or save with rivers > 0 drained
        the map at its own water level."""
    @property
    def lakes(self) -> Optional[npt.NDArray[np.bool_]]:
        """Cells under a lake, (height, width), read-only; None as flow."""
    @property
    def rivers(self) -> Optional[npt.NDArray[np.bool_]]:
        """River cells at that drainage's threshold, (height, width),
        read-only; None as flow."""
    def picture(
        self,
        *,
        water_level: Optional[float] = None,
        regions: bool = False,
        shade: bool = False,
        rivers: int = 0,
    ) -> npt.NDArray[np.uint8]:
        """RGB picture (height, width, 3) at the map's water level or another;
        shade lights the land's relief from the north-west; rivers > 0 draws
        lakes and the land draining at least that many cells as river; at the
        map's own water level that drainage stays as flow, lakes and rivers."""
    def smooth(self, radius: int) -> Map:
        """A new map of the altitudes smoothed (the radius's range is
        glenvar.SETTINGS'); this one stays."""
    def erode(self, steps: int, *, erodibility: float = 0.01, thermal: int = 0) -> Map:
        """A new map eroded by `steps` of stream-power erosion down to the
        map's water level, then `thermal` steps of talus erosion (ranges and
        defaults as glenvar.SETTINGS gives them); this one stays."""
    def info(self, *, rivers: int = 0) -> dict[str, Any]:
        """What `glenvar-cli info --json [--rivers A]` prints for the map."""
    def save(
        self,
        path: _Path,
        *,
        heightmap: bool = False,
        regions: bool = False,
        shade: bool = False,
        rivers: int = 0,
    ) -> None:
        """Saves by extension as glenvar-cli writes it: .ld map file, .dat raw
        data file, .png picture (with heightmap=True a 16-bit heightmap), .r16,
        .tif, .exr heightmaps with their sidecar NAME.json. Recipes name
        regions, shade and rivers as glenvar-cli's name its options. A
        smoothed or eroded map has no map file. A file that cannot be written
        raises OSError; a name or a map the form refuses, ValueError; an
        encoder's refusal, RuntimeError."""

def generate(
    *,
    seed: int = 0,
    width: int = 1280,
    height: int = 1024,
    point_count: int = 4,
    process_amount: float = 0.009999999776482582,
    concentration_rate: float = 0.20000000298023224,
    concentration_amount: float = 0.4000000059604645,
    unit_amount: int = 150,
    water_level: float = 0.5,
    keep_random_state: bool = False,
    points: Optional[Iterable[Sequence[int]]] = None,
    threads: int = 1,
) -> Map:
    """Grows a map; out-of-range values raise ValueError naming the keyword
    and its range, values of another type TypeError naming the keyword."""

def load(path: _Path) -> Map:
    """Reads a map file (.ld) or raw data file (.dat); or rebuilds, from its
    recipe, the map a picture or heightmap (.png, .tif, .exr, or a
    heightmap's sidecar NAME.json) was written from, its stages run again.
    Refusals raise OSError or ValueError naming the file."""
