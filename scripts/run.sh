#!/usr/bin/env bash
# Installs what is missing, builds, and starts the desktop program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
if [ ! -x build/app/glenvar ]; then
  echo "The desktop program is not built yet. What exists so far: build/cli/glenvar-cli (if built) and the tests (scripts/test.sh)."
  exit 0
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found. Run the program under a virtual display:"
  echo "  xvfb-run -a build/app/glenvar"
  echo "or use the command-line tool: build/cli/glenvar-cli --help"
  exit 1
fi
exec build/app/glenvar
