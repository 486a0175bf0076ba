"""python3 -m glenvar.batch: one map per seed on a Dask cluster.

    python3 -m glenvar.batch --seeds 0-999 --out DIR [--outputs ld,png] \\
        [--width 512 ...] [--scheduler ADDRESS]

Without --scheduler a local cluster of the machine's cores does the work.
Each seed's files are DIR/seed-N.EXT, written by the module's own savers
(safe saves: a file either is complete or is not there), and DIR/index.json
lists seed, land share and height histogram of every map. A stopped run
resumes: seeds whose files are all there and which the index holds are
skipped. Workers of a remote scheduler need glenvar and the folder DIR.
"""

import argparse
import json
import os
import sys
import tempfile
import time

import glenvar

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
INDEX = "index.json"
INDEX_INTERVAL = 2.0  # seconds between rewrites of the index while running


def parse_seeds(text):
    seeds = []
    for part in text.split(","):
        first, _, last = part.partition("-")
        low = int(first)
        high = int(last) if last else low
        if high < low:
            raise argparse.ArgumentTypeError(f"empty seed range {part!r}")
        seeds.extend(range(low, high + 1))
    return sorted(set(seeds))


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


def parse_arguments(argv):
    parser = argparse.ArgumentParser(
        prog="python3 -m glenvar.batch",
        description="Generates one map per seed on a Dask cluster.")
    parser.add_argument("--seeds", type=parse_seeds, required=True,
                        help="seeds as ranges and lists, e.g. 0-999 or 1,5,9-12")
    parser.add_argument("--out", required=True, help="folder for the maps and index.json")
    parser.add_argument("--outputs", type=parse_outputs, default=["ld"],
                        help=f"files per map, comma-separated: {', '.join(OUTPUTS)} "
                             "(default ld)")
    parser.add_argument("--scheduler", help="address of a running Dask scheduler")
    parser.add_argument("--workers", type=int, default=os.cpu_count(),
                        help="workers of the local cluster (default: the machine's cores)")
    for p in batch_parameters():
        parser.add_argument(p.option, dest=p.keyword, type=int if p.kind == "integer" else float,
                            default=p.default, metavar="N" if p.kind == "integer" else "X",
                            help=f"{p.description} (default {p.default})")
    parser.add_argument("--smooth", type=int, default=0, metavar="R",
                        help="smoothing radius of pictures and heightmaps, 0..32 (default 0)")
    parser.add_argument("--shade", action="store_true", help="pictures with relief shading")
    parser.add_argument("--threads", type=int, default=1, help="per map, 1 or 2 (default 1)")
    return parser.parse_args(argv)


def file_name(seed, output):
    return f"seed-{seed}{OUTPUTS[output][0]}"


def make_map(seed, parameters, stages, outputs, folder):
    """One seed: the map, its files and its index entry. Runs on a worker.
    As with glenvar-cli, map files hold the seed's map, the rest the shaped one."""
    seeds_map = glenvar.generate(seed=seed, **parameters)
    shaped = seeds_map.smooth(stages["smooth"]) if stages["smooth"] else seeds_map
    for output in outputs:
        ending, keywords = OUTPUTS[output]
        if ending == ".png" or "regions" in keywords:
            keywords = dict(keywords, shade=stages["shade"])
        target = seeds_map if ending in (".ld", ".dat") else shaped
        target.save(os.path.join(folder, file_name(seed, output)), **keywords)
    info = shaped.info()
    return {"seed": seed, "landShare": info["landShare"],
            "histogram": [band["share"] for band in info["histogram"]]}


def read_index(folder):
    try:
        with open(os.path.join(folder, INDEX), encoding="utf-8") as f:
            return {entry["seed"]: entry for entry in json.load(f)["maps"]}
    except (OSError, ValueError, KeyError, TypeError):
        return {}


def write_index(folder, parameters, entries):
    document = {"parameters": parameters,
                "maps": [entries[seed] for seed in sorted(entries)]}
    # Replaced in one rename, so a stopped run never leaves half an index.
    fd, temporary = tempfile.mkstemp(prefix=".index.", dir=folder)
    with os.fdopen(fd, "w", encoding="utf-8") as f:
        json.dump(document, f, indent=1)
        f.write("\n")
    os.replace(temporary, os.path.join(folder, INDEX))


def finished(folder, seed, outputs, entries):
    return seed in entries and all(
        os.path.exists(os.path.join(folder, file_name(seed, output))) for output in outputs)


def show_progress(done, total, stream=sys.stderr):
    stream.write(f"\r{done}/{total} maps")
    if done == total:
        stream.write("\n")
    stream.flush()


def connect(scheduler, workers):
    from distributed import Client, LocalCluster

    if scheduler:
        return Client(scheduler)
    # One worker per core, as threads of this process: the module lets go of
    # the GIL while it grows, draws and saves, so they run side by side
    # without the start-up of worker processes.
    cluster = LocalCluster(n_workers=workers, threads_per_worker=1, processes=False,
                           dashboard_address=None)
    return Client(cluster)


def run(arguments):
    from distributed import as_completed

    folder = os.path.abspath(arguments.out)
    os.makedirs(folder, exist_ok=True)
    parameters = {p.keyword: getattr(arguments, p.keyword) for p in batch_parameters()}
    parameters["threads"] = arguments.threads
    glenvar._glenvar.check(glenvar._arguments(parameters))  # refuses bad values before any work
    stages = {"smooth": arguments.smooth, "shade": arguments.shade}
    glenvar.generate(width=100, height=100).smooth(arguments.smooth)  # refuses a bad radius
    entries = {seed: entry for seed, entry in read_index(folder).items()
               if seed in arguments.seeds}
    todo = [seed for seed in arguments.seeds
            if not finished(folder, seed, arguments.outputs, entries)]
    done = len(arguments.seeds) - len(todo)
    show_progress(done, len(arguments.seeds))
    if not todo:
        write_index(folder, dict(parameters, **stages), entries)
        return 0
    try:
        with connect(arguments.scheduler, arguments.workers) as client:
            futures = [client.submit(make_map, seed, parameters, stages, arguments.outputs,
                                     folder, key=f"glenvar-{seed}", pure=False)
                       for seed in todo]
            written = time.monotonic()
            for future in as_completed(futures):
                entry = future.result()
                entries[entry["seed"]] = entry
                done += 1
                show_progress(done, len(arguments.seeds))
                if time.monotonic() - written > INDEX_INTERVAL:
                    write_index(folder, dict(parameters, **stages), entries)
                    written = time.monotonic()
    finally:
        # Also when stopped (Ctrl-C) or failed: what is finished stays finished.
        write_index(folder, dict(parameters, **stages), entries)
    return 0


def main(argv=None):
    arguments = parse_arguments(argv)
    try:
        return run(arguments)
    except (ValueError, OSError) as error:
        print(f"glenvar.batch: {error}", file=sys.stderr)
        return 1


if __name__ == "__main__":
    sys.exit(main())
