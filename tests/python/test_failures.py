"""Each kind of failure the libraries below the module know reaches Python as
the exception the package documents (glenvar's docstring), in glenvar-cli's
words."""

import errno
import struct
import subprocess
import sys

import pytest

import glenvar
from glenvar import _glenvar


@pytest.mark.parametrize("kind, exception, words", [
    ("recipe", ValueError, '"-o", which is not a setting'),
    ("setting", ValueError, "the smoothing radius is outside 0..32"),
    ("layout", ValueError, "the map's cells do not form a grid of its size"),
    ("encoding", RuntimeError, "a picture needs at least one pixel"),
    ("file", FileNotFoundError, "No such file or directory"),
    ("device", OSError, "/dev/null: not a regular file"),
    ("out-of-memory", MemoryError, "out of memory"),
])
def test_each_kind_becomes_its_documented_exception(kind, exception, words):
    with pytest.raises(Exception) as raised:
        _glenvar._provoke_failure(kind)
    assert type(raised.value) is exception
    assert words in str(raised.value)


def write_raw(path, width, height):
    """A raw data file (.dat) of flat land and no points, from its layout alone."""
    cell = struct.pack("<dH6x", 0.75, 0)
    path.write_bytes(b"LD" + struct.pack("<Hii", 1, width, height) + cell * (width * height)
                     + struct.pack("<i", 0))


def test_a_map_too_narrow_for_a_heightmap_is_a_value_error(tmp_path):
    write_raw(tmp_path / "narrow.dat", 1, 3)
    narrow = glenvar.load(tmp_path / "narrow.dat")
    with pytest.raises(ValueError, match="fewer than two samples a side"):
        narrow.save(tmp_path / "h.png", heightmap=True)
    assert sorted(p.name for p in tmp_path.iterdir()) == ["narrow.dat"]


def test_a_full_disk_is_an_os_error_with_its_errno(tmp_path):
    # A file-size limit in a child of its own, as on a full disk.
    script = f"""
import resource, signal, glenvar
signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
m = glenvar.generate(width=200, height=150)
resource.setrlimit(resource.RLIMIT_FSIZE, (4096, 4096))
try:
    m.save({str(tmp_path / "m.png")!r})
except OSError as e:
    print(type(e).__name__, e.errno, e.filename)
"""
    told = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True,
                          check=True).stdout.split()
    assert told == ["OSError", str(errno.EFBIG), str(tmp_path / "m.png")]
    assert list(tmp_path.iterdir()) == []
