#!/usr/bin/env bash
# Renders the main window (empty, with a map, with regions), its menus, every
# dialog and box, the open and save dialogs and the question before a file is
# replaced, on Qt's offscreen platform into <build>/screenshots/.
# Usage: scripts/screenshots.sh [build folder, default build]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
if [ ! -f "$build/build.ninja" ]; then
  bash scripts/build.sh
fi
cmake --build "$build" -j2 --target glenvar_screenshots
mkdir -p "$build/screenshots"
QT_QPA_PLATFORM=offscreen "$build/tests/app/glenvar_screenshots" "$build/screenshots"
