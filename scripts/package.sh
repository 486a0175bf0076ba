#!/usr/bin/env bash
# Builds a Debian package of Glenvar (Release, installed under /usr) in
# build-package/ and prints its path.
# Usage: scripts/package.sh [build folder, default build-package]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-package}
bash scripts/install-deps.sh
# Debian's hardening: fortified calls, stack protector, read-only relocations bound at start.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
flags() { dpkg-buildflags --get "$1"; }
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  "-DCMAKE_CXX_FLAGS=$(flags CXXFLAGS) $(flags CPPFLAGS)" "-DCMAKE_EXE_LINKER_FLAGS=$(flags LDFLAGS)" \
  "-DCMAKE_MODULE_LINKER_FLAGS=$(flags LDFLAGS)" \
  -DGLENVAR_DESKTOP=ON -DGLENVAR_BENCH=OFF -DGLENVAR_FUZZ=OFF >/dev/null
# Only what gets installed: the tests are built and run elsewhere.
cmake --build "$build" -j2 --target glenvar glenvar-cli glenvar_cli_man glenvar_cli_completion glenvar_doc_files glenvar_icons \
  glenvar_python
rm -f "$build"/glenvar_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
ls "$build"/glenvar_*.deb
