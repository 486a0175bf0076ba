#!/usr/bin/env bash
# Builds the libFuzzer targets (clang++-14, ASan + UBSan) into build-fuzz/ and
# runs each for SECONDS (default 60), two at a time, one process each.
# New inputs go to build-fuzz/corpus/<target>/ (the committed seeds in
# fuzz/corpus/<target>/ are read, never written); crashes to
# build-fuzz/artifacts/<target>/, logs to build-fuzz/logs/<target>.log.
# A crash found makes the script fail: turn the input into a regression file
# in fuzz/corpus/<target>/ and fix the cause.
# Usage: scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(map_file stencil_cache cli_args recipe height_import)

bash scripts/install-deps.sh
build=build-fuzz
cmake -S . -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DGLENVAR_FUZZ=ON -DGLENVAR_DESKTOP=OFF -DGLENVAR_BENCH=OFF >/dev/null
cmake --build "$build" -j2 --target "${targets[@]/#/fuzz_}"

# Map grids and stencil tables churn through large blocks: a small quarantine
# keeps the memory in bounds.
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=64:malloc_context_size=5}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}

run() {
  local t=$1
  mkdir -p "$build/corpus/$t" "$build/artifacts/$t" "$build/logs"
  "$build/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=30 -print_final_stats=1 \
    -artifact_prefix="$build/artifacts/$t/" "$build/corpus/$t" "fuzz/corpus/$t" \
    >"$build/logs/$t.log" 2>&1
}

pids=()
status=0
for t in "${targets[@]}"; do
  if [ ${#pids[@]} -ge 2 ]; then
    wait "${pids[0]}" || status=1
    pids=("${pids[@]:1}")
  fi
  echo "fuzz: $t for ${seconds}s"
  run "$t" &
  pids+=($!)
done
for p in "${pids[@]}"; do wait "$p" || status=1; done

for t in "${targets[@]}"; do
  log="$build/logs/$t.log"
  execs=$(grep -o 'stat::number_of_executed_units: [0-9]*' "$log" | grep -o '[0-9]*$' || echo '?')
  last=$(grep -E '^#[0-9]+' "$log" | tail -n1 | grep -oE 'cov: [0-9]+ ft: [0-9]+' || echo 'cov: ? ft: ?')
  # Slow units are worth a look but are no failure; crashes, leaks, timeouts
  # and running out of memory are.
  findings=$(find "$build/artifacts/$t" -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \))
  slow=$(find "$build/artifacts/$t" -type f -name 'slow-unit-*' | wc -l)
  echo "fuzz: $t: $execs executions, $last, $(printf '%s' "$findings" | grep -c . || true) finding(s), $slow slow unit(s)"
  if [ -n "$findings" ]; then
    printf '  %s\n' $findings
    status=1
  fi
done
exit $status
