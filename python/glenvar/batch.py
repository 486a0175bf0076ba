"""python3 -m glenvar.batch: one map per seed on a Dask cluster.

    python3 -m glenvar.batch --seeds 0-999 --out DIR [--outputs ld,png] \\
        [--width 512 ...] [--scheduler ADDRESS]

Without --scheduler a local cluster of the machine's cores does the work.
Each seed's files are DIR/seed-N.EXT, byte for byte those of glenvar-cli
with the same options (safe saves: a file either is complete or is not
there), and DIR/index.json lists seed, land share and height histogram of
every map the folder holds. A stopped run resumes: seeds whose files are all
there and which the index holds are skipped. A run with other settings into
the same folder is refused (--force makes its maps again). Workers of a
remote scheduler need glenvar and the folder DIR.
"""

import argparse
import contextlib
import logging
import os
import signal
import sys
import time

import glenvar

from ._batch_folder import (INDEX, FolderError, differing_setting, read_index,
                            remove_left_behind, take_folder, write_index)
from ._seeds import INDEX_CAPACITY, SeedError, parse_seeds

# --outputs name: (file ending, save keywords)
OUTPUTS = {
    "ld": (".ld", {}),
    "dat": (".dat", {}),
    "png": (".png", {}),
    "regions.png": (".regions.png", {"regions": True}),
    "height.png": (".height.png", {"heightmap": True}),
    "r16": (".r16", {}),
    "tif": (".tif", {}),
}
INDEX_INTERVAL = 2.0  # seconds between rewrites of the index while running
WORKER_WAIT = 60.0  # seconds without any worker before the run fails


class BatchError(Exception):
    """A run refused or failed; the text is the whole message."""


class Stopped(Exception):
    """SIGINT or SIGTERM arrived."""

    def __init__(self, number):
        super().__init__(signal.Signals(number).name)
        self.number = number


class _Parser(argparse.ArgumentParser):
    def error(self, message):
        # One line, as the other refusals: argparse's usage adds nothing here.
        self.exit(2, f"glenvar.batch: {message.removeprefix('argument ')}\n")


def _kind(name, convert, accept=lambda value: True, expected=None):
    """An argparse type whose refusal says what was expected, in one line."""
    def parse(text):
        try:
            value = convert(text)
        except ValueError:
            value = None
        if value is None or not accept(value):
            raise argparse.ArgumentTypeError(f"expected {expected or name}, got {text!r}")
        return value
    parse.__name__ = name
    return parse


def _seeds(text):
    try:
        return parse_seeds(text)
    except SeedError as error:
        raise argparse.ArgumentTypeError(str(error)) from None


def parse_outputs(text):
    names = [name for name in text.split(",") if name]
    for name in names:
        if name not in OUTPUTS:
            raise argparse.ArgumentTypeError(
                f"unknown output {name!r}; choose from {', '.join(OUTPUTS)}")
    return names


def batch_parameters():
    """The generation parameters a batch takes: all but the seed, which it
    sets, and the flag that would draw on from one worker's earlier maps."""
    return [p for p in glenvar.PARAMETERS if p.keyword != "seed" and p.kind != "flag"]


# The stage settings a batch takes, from the program's one settings table.
SMOOTH = next(s for s in glenvar.SETTINGS if s.keyword == "smooth")
SHADE = next(s for s in glenvar.SETTINGS if s.keyword == "shade")

# The spelling of each setting in messages.
OPTIONS = dict({p.keyword: p.option for p in batch_parameters()},
               smooth=SMOOTH.option, shade=SHADE.option, threads="--threads")


def parse_arguments(argv):
    integer = _kind("integer", int, expected="an integer")
    number = _kind("number", float, expected="a number")
    parser = _Parser(
        prog="python3 -m glenvar.batch",
        description="Generates one map per seed on a Dask cluster.")
    parser.add_argument("--seeds", type=_seeds, required=True,
                        help="seeds as numbers and ranges, e.g. 5, 0-999 or 1,5,9-12 "
                             f"(at most {INDEX_CAPACITY} in a folder)")
    parser.add_argument("--out", required=True, help="folder for the maps and index.json")
    parser.add_argument("--outputs", type=parse_outputs, default=["ld"],
                        help=f"files per map, comma-separated: {', '.join(OUTPUTS)} "
                             "(default ld)")
    parser.add_argument("--scheduler", help="address of a running Dask scheduler")
    parser.add_argument("--workers", default=os.cpu_count(),
                        type=_kind("workers", int, lambda n: n > 0, "a positive integer"),
                        help="workers of the local cluster (default: the machine's cores; "
                             "fewer when the memory holds fewer maps at a time)")
    parser.add_argument("--force", action="store_true",
                        help="make every seed's maps again, also when the folder holds maps "
                             "of other settings")
    parser.add_argument("--worker-wait", type=_kind("seconds", float, lambda s: s > 0,
                                                    "a positive number of seconds"),
                        default=WORKER_WAIT, metavar="SECONDS",
                        help="fail when no worker is there for this long (default 60)")
    for p in batch_parameters():
        parser.add_argument(p.option, dest=p.keyword,
                            type=integer if p.kind == "integer" else number,
                            default=p.default, metavar="N" if p.kind == "integer" else "X",
                            help=f"{p.description} (default {p.default})")
    parser.add_argument(SMOOTH.option, dest="smooth", type=integer, default=SMOOTH.default,
                        metavar="R", help=f"{SMOOTH.description}, {SMOOTH.low:g}..{SMOOTH.high:g} "
                                          f"(default {SMOOTH.default})")
    parser.add_argument(SHADE.option, dest="shade", action="store_true", help=SHADE.description)
    parser.add_argument("--threads", type=integer, default=1, help="per map, 1 or 2 (default 1)")
    return parser.parse_args(argv)


def file_name(seed, output):
    return f"seed-{seed}{OUTPUTS[output][0]}"


def make_map(seed, parameters, stages, outputs, folder):
    """One seed: the map, its files and its index entry. Runs on a worker.
    As with glenvar-cli, map files hold the seed's map, the rest the shaped
    one, and every picture and heightmap the recipe of the command line
    (glenvar-cli generate ... --smooth R --shade -o seed-N.png --heightmap
    seed-N.tif; --regions for the regions picture)."""
    seeds_map = glenvar.generate(seed=seed, **parameters)
    shaped = seeds_map.smooth(stages["smooth"]) if stages["smooth"] else seeds_map
    for output in outputs:
        ending, keywords = OUTPUTS[output]
        if ending in (".ld", ".dat"):
            seeds_map.save(os.path.join(folder, file_name(seed, output)), **keywords)
        else:
            shaped.save(os.path.join(folder, file_name(seed, output)),
                        **dict(keywords, shade=stages["shade"]))
    info = shaped.info()
    return {"seed": seed, "landShare": info["landShare"],
            "histogram": [band["share"] for band in info["histogram"]]}


def finished(folder, seed, outputs, entries):
    return seed in entries and all(
        os.path.exists(os.path.join(folder, file_name(seed, output))) for output in outputs)


class Progress:
    """"done/total maps" on one line of stderr, rewritten as maps come in."""

    def __init__(self, done, total, stream=sys.stderr):
        self.done, self.total, self.stream = done, total, stream
        self.show()

    def add(self):
        self.done += 1
        self.show()

    def show(self):
        self.stream.write(f"\r{self.done}/{self.total} maps")
        if self.done == self.total:
            self.stream.write("\n")
        self.stream.flush()

    def end_line(self):
        """Ends the progress line early, for a message after it."""
        if self.done != self.total:
            self.stream.write("\n")


def _megabytes(count):
    return f"{count / 2**20:.0f} MB"


def worker_count(requested, need, available, todo):
    """The workers of a local cluster: as many as asked, no more than the
    memory holds maps at a time or there are maps to make; and the message
    when the memory lowered the count."""
    fits = available // need if need else requested
    if fits < 1:
        raise BatchError(f"a map of these options needs {_megabytes(need)}, "
                         f"and {_megabytes(available)} are available")
    note = None
    if requested > fits:
        note = (f"--workers {requested}: the memory holds {fits} maps at a time "
                f"({_megabytes(need)} each), so {fits} workers")
    return max(1, min(requested, fits, todo)), note


def describe(key, value):
    option = OPTIONS.get(key, f"--{key}")
    if value is None or value is False:
        return f"no {option}"
    return option if value is True else f"{option} {value}"


def merge_index(folder, settings, seeds, force):
    """The index entries this run keeps: every earlier map of the same
    settings (a new seed range adds to them); none with --force and other
    settings, else a refusal that names the setting."""
    before, entries = read_index(folder)
    key = differing_setting(before, settings) if before is not None else None
    if key is not None:
        if not force:
            raise BatchError(
                f"{os.path.join(folder, INDEX)}: its maps were made with "
                f"{describe(key, before.get(key))}, not {describe(key, settings.get(key))}; "
                "use another --out, or --force to make them again")
        entries = {}
    if force:
        entries = {seed: entry for seed, entry in entries.items() if seed not in set(seeds)}
    if len(set(entries) | set(seeds)) > INDEX_CAPACITY:
        raise BatchError(f"{os.path.join(folder, INDEX)}: with these seeds it would list "
                         f"{len(set(entries) | set(seeds))} maps, more than {INDEX_CAPACITY}")
    return entries


@contextlib.contextmanager
def connect(scheduler, workers):
    from distributed import Client, LocalCluster

    if scheduler:
        with Client(scheduler) as client:
            yield client
        return
    # As threads of this process: the module lets go of the GIL while it
    # grows, draws and saves, so they run side by side without the start-up
    # of worker processes. No memory limit per worker: each would measure the
    # whole process against its share and pause; worker_count keeps the maps
    # at a time within the memory instead.
    with LocalCluster(n_workers=workers, threads_per_worker=1, processes=False,
                      memory_limit=0, dashboard_address=None) as cluster, \
            Client(cluster) as client:
        yield client


def collect(client, futures, on_entry, worker_wait):
    """Hands each finished map's entry to on_entry; fails once no worker has
    been there for worker_wait seconds (a lost cluster would leave the run
    waiting for ever)."""
    from distributed import as_completed

    pending = as_completed(futures)
    alone_since, asked = None, None
    while not pending.is_empty():
        stop_here()
        ready = pending.next_batch(block=False)
        for future in ready:
            on_entry(future.result())
        if ready:
            continue
        now = time.monotonic()
        if asked is None or now - asked >= 1.0:
            asked = now
            if client.nthreads():
                alone_since = None
            elif alone_since is None:
                alone_since = now
        if alone_since is not None and now - alone_since >= worker_wait:
            raise BatchError(f"no worker for {worker_wait:g} s; the maps made so far are kept")
        time.sleep(0.05)


_stop_signal = None  # the ending signal that arrived, if any


def _stop(number, frame):
    # Noted only: raised from a signal handler, the exception could cut Dask's
    # own bookkeeping short anywhere. The run stops where it looks (stop_here).
    global _stop_signal
    if _stop_signal is None:
        _stop_signal = number


def stop_here():
    if _stop_signal is not None:
        raise Stopped(_stop_signal)


def refuse_settings(parameters, arguments):
    """Refuses a value out of its range as glenvar-cli words it."""
    keywords = glenvar._keywords(dict(parameters, threads=arguments.threads))
    refused = glenvar._glenvar.refusal(keywords) or \
        glenvar._glenvar.check_setting(SMOOTH.keyword, arguments.smooth)
    if refused:
        keyword, expected, got = refused
        raise BatchError(f"{OPTIONS[keyword]}: expected {expected}, got {got!r}")


def run(arguments, progress_stream=sys.stderr):
    folder = os.path.abspath(arguments.out)
    parameters = {p.keyword: getattr(arguments, p.keyword) for p in batch_parameters()}
    refuse_settings(parameters, arguments)  # before any work
    settings = dict(parameters, smooth=arguments.smooth, shade=arguments.shade)
    stages = {"smooth": arguments.smooth, "shade": arguments.shade}

    held = take_folder(folder)
    try:
        remove_left_behind(folder)
        entries = merge_index(folder, settings, arguments.seeds, arguments.force)
        todo = [seed for seed in arguments.seeds
                if arguments.force or not finished(folder, seed, arguments.outputs, entries)]
        progress = Progress(len(arguments.seeds) - len(todo), len(arguments.seeds),
                            progress_stream)
        try:
            stop_here()
            if todo:
                _make(arguments, folder, todo, entries, settings, stages, progress)
            stop_here()
        except BaseException:
            progress.end_line()
            raise
        finally:
            # Also when stopped or failed: what is finished stays finished.
            write_index(folder, settings, entries)
    finally:
        os.close(held)
    return 0


def _make(arguments, folder, todo, entries, settings, stages, progress):
    parameters = {p.keyword: settings[p.keyword] for p in batch_parameters()}
    parameters["threads"] = arguments.threads
    workers = arguments.workers
    if not arguments.scheduler:
        need = glenvar._glenvar.generation_bytes(glenvar._keywords(parameters))
        workers, note = worker_count(workers, need, glenvar._glenvar.available_bytes(),
                                     len(todo))
        if note:
            progress.end_line()
            print(f"glenvar.batch: {note}", file=sys.stderr)
    with connect(arguments.scheduler, workers) as client:
        futures = [client.submit(make_map, seed, parameters, stages, arguments.outputs,
                                 folder, key=f"glenvar-{seed}", pure=False)
                   for seed in todo]
        written = time.monotonic()

        def on_entry(entry):
            nonlocal written
            entries[entry["seed"]] = entry
            progress.add()
            if time.monotonic() - written > INDEX_INTERVAL:
                write_index(folder, settings, entries)
                written = time.monotonic()

        collect(client, futures, on_entry, arguments.worker_wait)


def _os_message(error):
    if error.filename is not None and error.strerror:
        return f"{error.filename}: {error.strerror}"
    return str(error)


def main(argv=None):
    arguments = parse_arguments(argv)
    # Dask's own reports of a cluster shutting down would bury the message.
    logging.getLogger("distributed").setLevel(logging.ERROR)
    logging.getLogger("asyncio").setLevel(logging.CRITICAL)
    previous = {number: signal.signal(number, _stop) for number in (signal.SIGINT,
                                                                    signal.SIGTERM)}
    try:
        return run(arguments)
    except Stopped as stop:
        print(f"glenvar.batch: stopped by {stop}; the maps made so far are kept",
              file=sys.stderr)
        return 128 + stop.number
    except (BatchError, FolderError, ValueError, MemoryError) as error:
        print(f"glenvar.batch: {error}", file=sys.stderr)
        return 1
    except OSError as error:
        print(f"glenvar.batch: {_os_message(error)}", file=sys.stderr)
        return 1
    except Exception as error:  # the cluster's own failures, such as a worker killed thrice
        print(f"glenvar.batch: {type(error).__name__}: {error}", file=sys.stderr)
        return 1
    finally:
        for number, handler in previous.items():
            signal.signal(number, handler)


if __name__ == "__main__":
    sys.exit(main())
