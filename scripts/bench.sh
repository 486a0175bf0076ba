#!/usr/bin/env bash
# Builds the benchmarks in Release into build-bench and prints their table.
# Extra arguments go to the benchmark program (e.g. --benchmark_filter=Default).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DGLENVAR_BENCH=ON \
  -DGLENVAR_DESKTOP=OFF > /dev/null
cmake --build build-bench -j2 --target glenvar_bench
build-bench/bench/glenvar_bench --benchmark_report_aggregates_only=true \
  --benchmark_counters_tabular=true "$@"
