#!/usr/bin/env bash
# Sanitizer runs:
#  - build-asan: the whole project, desktop included, with AddressSanitizer and
#    UndefinedBehaviorSanitizer (any undefined behaviour fails the test), and
#    the whole CTest suite;
#  - build-tsan: the model without the desktop under ThreadSanitizer, and the
#    generation and rendering tests, which run every case on one and on two
#    threads.
# Usage: scripts/sanitizers.sh [asan|tsan]   (both without an argument)
set -euo pipefail
cd "$(dirname "$0")/.."
which=${1:-all}
bash scripts/install-deps.sh

# -O1 keeps the instrumented tests quick without the compile time of -O2;
# Debug keeps the assertions.
common=(-G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g"
        -DGLENVAR_BENCH=OFF -DGLENVAR_FUZZ=OFF)

if [ "$which" = all ] || [ "$which" = asan ]; then
  flags="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
  cmake -S . -B build-asan "${common[@]}" -DGLENVAR_DESKTOP=ON \
    -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
  cmake --build build-asan -j2
  export QT_QPA_PLATFORM=offscreen
  # The sweep over 256 cut stencil caches rebuilds the table 256 times, minutes
  # under ASan; the plain run has it, and here the other cache cases and the
  # fuzz corpus replay read damaged caches.
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-asan --output-on-failure -j2 \
      -E '^StencilCacheFault\.CutAtEveryFourByteBoundaryOfTheFirstKilobyte$'
fi

if [ "$which" = all ] || [ "$which" = tsan ]; then
  cmake -S . -B build-tsan "${common[@]}" -DGLENVAR_DESKTOP=OFF \
    -DCMAKE_CXX_FLAGS="-fsanitize=thread" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread" >/dev/null
  cmake --build build-tsan -j2 --target glenvar_generation_tests render_tests glenvar_landform_tests
  # Their tests carry the label "threaded"; a program given that label must be
  # built above too, or its tests are silently left out.
  TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
    ctest --test-dir build-tsan --output-on-failure -j2 --no-tests=error -L threaded
fi
