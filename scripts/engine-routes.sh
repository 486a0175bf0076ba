#!/usr/bin/env bash
# Measures what precision arrives in the 3D programs installed here (Debian's
# godot3 headless, blender in background mode) from each heightmap form:
# the largest distance from the exact 16-bit samples, in 16-bit steps. The
# README's engine table quotes its output. Usage: scripts/engine-routes.sh [build-dir]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cli=${1:-$root/build}/cli/glenvar-cli
size=257
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# --edge repeat: 256 x 256 cells give the 257 x 257 samples engines want.
"$cli" generate --width 256 --height 256 --smooth 3 --edge repeat --stencils "$work/s.bin" \
  --heightmap "$work/h.png" --heightmap "$work/h.r16" --heightmap "$work/h.tif" \
  --heightmap "$work/h.exr"
export ROUTES_DIR=$work ROUTES_SIZE=$size
if command -v godot3 >/dev/null; then
  cp "$root/docs/godot/GlenvarR16.gd" "$work/"
  ROUTES_LOADER=$work/GlenvarR16.gd xvfb-run -a godot3 --no-window --path "$work" \
    -s "$root/scripts/engine-routes/godot3_read.gd" 2>/dev/null | grep '^godot3'
else
  echo "godot3: not installed (apt-get install godot3)"
fi
if command -v blender >/dev/null; then
  blender -b --factory-startup --python "$root/scripts/engine-routes/blender_read.py" 2>/dev/null |
    grep '^blender'
else
  echo "blender: not installed (apt-get install blender)"
fi
