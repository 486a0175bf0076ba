#!/usr/bin/env bash
# Builds the benchmarks in Release into build-bench, prints their table and
# then a summary of the ratios the targets are about, all from the same run.
# Extra arguments go to the benchmark program (e.g. --benchmark_filter=Render).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DGLENVAR_BENCH=ON \
  -DGLENVAR_DESKTOP=OFF > /dev/null
cmake --build build-bench -j2 --target glenvar_bench
build-bench/bench/glenvar_bench --benchmark_report_aggregates_only=true \
  --benchmark_counters_tabular=true --benchmark_out=build-bench/bench.json \
  --benchmark_out_format=json "$@"
python3 scripts/bench_summary.py build-bench/bench.json
