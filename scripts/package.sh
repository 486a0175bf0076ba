#!/usr/bin/env bash
# Builds a Debian package of Glenvar (Release, installed under /usr) in
# build-package/ and prints its path.
# Usage: scripts/package.sh [build folder, default build-package]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-package}
bash scripts/install-deps.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DGLENVAR_DESKTOP=ON -DGLENVAR_BENCH=OFF -DGLENVAR_FUZZ=OFF >/dev/null
# Only what gets installed: the tests are built and run elsewhere.
cmake --build "$build" -j2 --target glenvar glenvar-cli glenvar_cli_man glenvar_cli_completion glenvar_icons \
  glenvar_python
rm -f "$build"/glenvar_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
ls "$build"/glenvar_*.deb
