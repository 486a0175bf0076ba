#!/usr/bin/env bash
# Installs what is missing, builds, and starts the desktop program.
set -euo pipefail
cd "$(dirname "$0")/.."
# Asked for explicitly: an earlier configure of build/ without it stays in the cache.
bash scripts/build.sh -DGLENVAR_DESKTOP=ON
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found. Run the program under a virtual display:"
  echo "  xvfb-run -a build/app/glenvar"
  echo "or use the command-line tool: build/cli/glenvar-cli --help"
  exit 1
fi
exec build/app/glenvar
