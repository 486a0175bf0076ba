"""The seed lists of glenvar.batch: numbers and upward ranges, comma-separated."""

import re

#: Seeds are unsigned 64-bit numbers.
LARGEST_SEED = 2**64 - 1
#: The most maps one index lists: beyond, its rewrites and the run's futures
#: would cost more than the maps.
INDEX_CAPACITY = 100_000

_PART = re.compile(r"([0-9]+)(?:-([0-9]+))?")


class SeedError(ValueError):
    """A seed list refused; the text says why."""


def _ranges(text):
    ranges = []
    for part in text.split(","):
        match = _PART.fullmatch(part.strip())
        if not match:
            raise SeedError(f"expected seeds such as 5, 0-999 or 1,5,9-12, got {part.strip()!r}")
        low = int(match[1])
        high = int(match[2]) if match[2] else low
        if high > LARGEST_SEED:
            raise SeedError(f"seeds go from 0 to {LARGEST_SEED}, got {high}")
        if high < low:
            raise SeedError(f"a range goes upwards, got {part.strip()!r}")
        ranges.append((low, high))
    return ranges


def _count(ranges):
    """Seeds in the union of the ranges, counted without listing them."""
    total, reached = 0, -1
    for low, high in sorted(ranges):
        low = max(low, reached + 1)
        if high >= low:
            total += high - low + 1
            reached = high
    return total


def parse_seeds(text):
    """The seeds "5", "3-3" or "1,5,9-12" name, sorted and each once."""
    ranges = _ranges(text)
    count = _count(ranges)
    if count > INDEX_CAPACITY:
        raise SeedError(f"{count} seeds; a batch's index holds at most {INDEX_CAPACITY}")
    seeds = set()
    for low, high in ranges:
        seeds.update(range(low, high + 1))
    return sorted(seeds)
