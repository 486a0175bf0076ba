#!/usr/bin/env bash
# Installs what is missing, builds, checks the formatting, and runs every test; then the real program
# in a virtual X window, the Debian package installed and run, and the tests
# under AddressSanitizer/UBSan and the threaded ones under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
bash scripts/check-format.sh
# npm packages first: the mesh tests read .glb files with the glTF validator.
bash scripts/web.sh deps
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure -j2
unset QT_QPA_PLATFORM
# The real program in a real (virtual) X window: generate through the menu, exit.
bash scripts/smoke.sh build
# The Debian package: built, installed, run, checked and removed again.
bash scripts/package-test.sh
# The web page in headless chromium against glenvar-cli.
bash scripts/web.sh test
bash scripts/sanitizers.sh
