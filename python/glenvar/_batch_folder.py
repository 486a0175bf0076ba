"""The folder of a glenvar.batch run: its index of the maps, what killed
workers left behind, and one run at a time."""

import fcntl
import json
import numbers
import os
import re
import secrets
import signal

from ._seeds import INDEX_CAPACITY, LARGEST_SEED

INDEX = "index.json"
# An index of INDEX_CAPACITY maps takes some 40 MB; a larger file is no index.
_INDEX_BYTES = 256 << 20
# Temporary files of the savers (".NAME.XXXXXX") and of the index, this
# version's and the earlier mkstemp's (".index.XXXXXXXX").
_LEFT_BEHIND = re.compile(
    r"\.(seed-[0-9]+\..+|index\.json)\.[A-Za-z0-9]{6}|\.index\.[a-z0-9_]{8}")
# Not a setting of the maps: one thread or two give the same bytes.
_NOT_SETTINGS = {"threads"}


class FolderError(Exception):
    """A refusal of the folder or its index; the text names the file."""


def take_folder(path):
    """Creates the folder if needed and holds it for this run (a descriptor
    to keep open): a second run into it would remove the first one's
    temporary files as left behind."""
    if os.path.lexists(path) and not os.path.isdir(path):
        raise FolderError(f"--out {path}: not a folder")
    os.makedirs(path, exist_ok=True)
    fd = os.open(path, os.O_RDONLY | os.O_DIRECTORY | os.O_CLOEXEC)
    try:
        fcntl.flock(fd, fcntl.LOCK_EX | fcntl.LOCK_NB)
    except BlockingIOError:
        os.close(fd)
        raise FolderError(f"{path}: another batch is writing into this folder") from None
    return fd


def remove_left_behind(folder):
    """Removes the temporary files of saves that never finished (a worker
    killed while saving); returns how many."""
    removed = 0
    for name in os.listdir(folder):
        if _LEFT_BEHIND.fullmatch(name):
            try:
                os.unlink(os.path.join(folder, name))
                removed += 1
            except FileNotFoundError:
                pass
    return removed


def _is_number(value):
    return isinstance(value, numbers.Real) and not isinstance(value, bool)


def _is_entry(entry):
    return (isinstance(entry, dict) and isinstance(entry.get("seed"), int)
            and not isinstance(entry["seed"], bool) and 0 <= entry["seed"] <= LARGEST_SEED
            and _is_number(entry.get("landShare"))
            and isinstance(entry.get("histogram"), list)
            and all(_is_number(share) for share in entry["histogram"]))


def read_index(folder):
    """(settings, entries by seed) of the folder's index, (None, {}) when it
    has none. Anything else under the index's name is refused, never replaced."""
    path = os.path.join(folder, INDEX)
    try:
        with open(path, "rb") as f:
            data = f.read(_INDEX_BYTES + 1)
    except FileNotFoundError:
        return None, {}
    refusal = f"{path}: not the index of a batch; use another --out, or move the file away"
    if len(data) > _INDEX_BYTES:
        raise FolderError(refusal)
    try:
        document = json.loads(data)
    except ValueError:  # UnicodeDecodeError included
        raise FolderError(refusal) from None
    if not (isinstance(document, dict) and isinstance(document.get("parameters"), dict)
            and isinstance(document.get("maps"), list)
            and all(_is_entry(entry) for entry in document["maps"])):
        raise FolderError(refusal)
    entries = {entry["seed"]: entry for entry in document["maps"]}
    if len(entries) != len(document["maps"]) or len(entries) > INDEX_CAPACITY:
        raise FolderError(refusal)
    return document["parameters"], entries


def differing_setting(before, now):
    """The first setting whose value differs between two runs, or None."""
    for key in [*now, *before]:
        if key not in _NOT_SETTINGS and before.get(key, None) != now.get(key, None):
            return key
    return None


def _exclusive_temporary(folder):
    # Opened with the usual mode, so the umask gives the index the maps' mode.
    while True:
        path = os.path.join(folder, f".{INDEX}.{secrets.token_hex(3)}")
        try:
            return path, os.open(path, os.O_WRONLY | os.O_CREAT | os.O_EXCL | os.O_CLOEXEC, 0o666)
        except FileExistsError:
            continue


def write_index(folder, settings, entries):
    """Replaces the index in one rename. The ending signals wait until it is
    done, so that a stop never leaves half an index or its temporary file."""
    document = {"parameters": settings, "maps": [entries[seed] for seed in sorted(entries)]}
    text = json.dumps(document, indent=1) + "\n"
    held = signal.pthread_sigmask(signal.SIG_BLOCK, {signal.SIGINT, signal.SIGTERM})
    try:
        temporary, fd = _exclusive_temporary(folder)
        try:
            with os.fdopen(fd, "w", encoding="utf-8") as f:
                f.write(text)
                f.flush()
                os.fsync(f.fileno())
            os.replace(temporary, os.path.join(folder, INDEX))
        except BaseException:
            try:
                os.unlink(temporary)
            except OSError:
                pass
            raise
    finally:
        signal.pthread_sigmask(signal.SIG_SETMASK, held)
