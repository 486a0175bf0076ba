"""Prints a JSON file's values one a line, for the C++ tests to compare:
"<path> s <hex of the UTF-8 bytes>" for strings, "<path> n <repr>" for numbers,
paths joined with dots ("tiles.0.file"). Exits 1 on a file that is no JSON
object or repeats a key."""
import json
import sys


def unique(pairs):
    keys = [k for k, _ in pairs]
    if len(keys) != len(set(keys)):
        raise ValueError("a key appears twice")
    return dict(pairs)


def show(path, value):
    if isinstance(value, dict):
        for key, item in value.items():
            show(path + [key], item)
    elif isinstance(value, list):
        for index, item in enumerate(value):
            show(path + [str(index)], item)
    elif isinstance(value, str):
        print(".".join(path), "s", value.encode("utf-8").hex())
    elif isinstance(value, bool) or value is None:
        print(".".join(path), "o", json.dumps(value))
    else:
        print(".".join(path), "n", repr(value))


with open(sys.argv[1], encoding="utf-8") as f:
    document = json.load(f, object_pairs_hook=unique)
if not isinstance(document, dict):
    sys.exit(1)
show([], document)
