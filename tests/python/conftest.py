"""What the tests of the Python module share: glenvar-cli, the fixtures and
readers of the CLI's files, written here from the file layouts alone."""

import json
import os
import struct
import subprocess
import zlib
from pathlib import Path

import numpy as np
import pytest

CLI = os.environ["GLENVAR_CLI"]
FIXTURES = Path(os.environ["GLENVAR_FIXTURES"])


@pytest.fixture(scope="session")
def stencils(tmp_path_factory):
    return str(tmp_path_factory.mktemp("stencils") / "makeland.bin")


@pytest.fixture
def cli(stencils):
    """Runs glenvar-cli; generate gets the test's own stencil cache."""
    def run(*args, check=True):
        if args[0] == "generate":
            args = (*args, "--stencils", stencils)
        return subprocess.run([CLI, *map(str, args)], capture_output=True, check=check,
                              text=True)
    return run


def cli_info(cli, path, *options):
    return json.loads(cli("info", "--json", path, *options).stdout)


def read_raw(path):
    """A raw data file (.dat): heights, regions and points."""
    data = Path(path).read_bytes()
    width, height = struct.unpack_from("<ii", data, 4)
    cells = np.frombuffer(data, np.dtype([("altitude", "<f8"), ("region", "<u2"),
                                          ("reserved", "V6")]), width * height, 12)
    (count,) = struct.unpack_from("<i", data, 12 + 16 * width * height)
    points = np.frombuffer(data, "<i4", 2 * count, 16 + 16 * width * height).reshape(count, 2)
    return (cells["altitude"].reshape(height, width), cells["region"].reshape(height, width),
            points)


def read_float_tiff(path):
    """The samples of a little-endian, uncompressed, single-channel float TIFF."""
    data = Path(path).read_bytes()
    assert data[:4] == b"II*\0"
    (ifd,) = struct.unpack_from("<I", data, 4)
    (count,) = struct.unpack_from("<H", data, ifd)
    tags = {}
    for n in range(count):
        tag, kind, values, value = struct.unpack_from("<HHII", data, ifd + 2 + 12 * n)
        if tag not in (256, 257, 273, 279):
            continue
        if kind == 3 and values == 1:
            value &= 0xFFFF
        form, size = {3: ("<H", 2), 4: ("<I", 4)}[kind]
        tags[tag] = ([value] if values == 1 else
                     [struct.unpack_from(form, data, value + size * k)[0] for k in range(values)])
    width, height = tags[256][0], tags[257][0]
    samples = b"".join(data[o:o + n] for o, n in zip(tags[273], tags[279]))
    return np.frombuffer(samples, "<f4").reshape(height, width)


def read_rgb_png(path):
    """The pixels of an 8-bit RGB PNG as (height, width, 3)."""
    data = Path(path).read_bytes()
    offset, idat, header = 8, b"", None
    while offset < len(data):
        (length,) = struct.unpack_from(">I", data, offset)
        kind = data[offset + 4:offset + 8]
        body = data[offset + 8:offset + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        offset += 12 + length
    width, height, depth, colour = header[:4]
    assert (depth, colour) == (8, 2)
    raw = zlib.decompress(idat)
    stride = 3 * width
    rows = np.zeros((height + 1, stride + 3), np.int32)  # a zero row above, zero pixel left
    for y in range(height):
        line = raw[y * (stride + 1):(y + 1) * (stride + 1)]
        kind, row = line[0], np.frombuffer(line[1:], np.uint8).astype(np.int32)
        up = rows[y, 3:]
        if kind in (0, 2):
            rows[y + 1, 3:] = (row + (up if kind == 2 else 0)) & 255
            continue
        out = rows[y + 1]
        for x in range(stride):
            a, b, c = out[x], up[x], rows[y, x]
            if kind == 1:
                guess = a
            elif kind == 3:
                guess = (a + b) // 2
            else:  # Paeth
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                guess = a if pa <= pb and pa <= pc else b if pb <= pc else c
            out[x + 3] = (row[x] + guess) & 255
    return rows[1:, 3:].astype(np.uint8).reshape(height, width, 3)
