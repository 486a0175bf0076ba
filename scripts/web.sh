#!/usr/bin/env bash
# The web page: WebAssembly module (Debian's emscripten) + page scripts
# (esbuild, fast-png and pako from npm), made into build-web/site/.
#   bash scripts/web.sh build   install what is missing, build the site
#   bash scripts/web.sh [serve] build, then serve it on http://localhost:${PORT:-8000}/
#   bash scripts/web.sh test    build the site and build/cli/glenvar-cli, then the browser tests
#   bash scripts/web.sh bench   build, then time the page against the native generator
set -euo pipefail
cd "$(dirname "$0")/.."
command=${1:-serve}
site=build-web/site

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)

install_packages() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  ((${#missing[@]})) || return 0
  echo "Installing: ${missing[*]}"
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -q --no-install-recommends "${missing[@]}"
}

install_tools() {
  install_packages cmake ninja-build python3 emscripten node-acorn
  # A node that came with its own npm (nodesource) must not be replaced by Debian's.
  command -v npm >/dev/null || install_packages npm
  if [ ! -f web/node_modules/.package-lock.json ] ||
     [ web/package-lock.json -nt web/node_modules/.package-lock.json ]; then
    (cd web && npm ci --no-audit --no-fund)
  fi
}

build_site() {
  install_tools
  # Debian's emscripten finds its optimizer's acorn here.
  export NODE_PATH=/usr/share/nodejs
  emcmake cmake -S . -B build-web -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build build-web -j2 --target glenvar_web
  rm -rf "$site"
  mkdir -p "$site"
  local esbuild=web/node_modules/.bin/esbuild
  # The page as modules: the 3D view (three.js) is a chunk of its own, fetched when first shown.
  "$esbuild" web/src/main.js --bundle --minify --format=esm --splitting --log-level=warning \
    --outdir="$site" --entry-names=app --chunk-names='chunk-[hash]'
  "$esbuild" web/src/worker.js --bundle --minify --format=iife --log-level=warning --outfile="$site/worker.js"
  cp web/index.html web/style.css web/manifest.webmanifest build-web/web/glenvar.js \
    build-web/web/glenvar.wasm "$site/"
  cp web/icons/icon-192.png web/icons/icon-512.png web/icons/icon-maskable-512.png "$site/"
  # The service worker stores every file above; its store is named after their contents.
  local files version
  files=$(cd "$site" && printf '"./"'; for f in *; do printf ',"%s"' "$f"; done)
  version=$(cd "$site" && cat -- * | sha256sum | cut -c1-16)
  "$esbuild" web/src/sw.js --minify --log-level=warning --define:FILES="[$files]" \
    --define:VERSION="\"$version\"" --outfile="$site/sw.js"
  echo "Site: $site ($(du -sh "$site" | cut -f1), $(tar -C "$site" -cf - . | gzip -9 | wc -c) bytes gzipped)"
}

browser_env() {
  install_packages chromium fonts-ipafont-gothic
  export CHROMIUM=${CHROMIUM:-/usr/bin/chromium}
  export GLENVAR_SITE=$PWD/$site
  export GLENVAR_CLI=${GLENVAR_CLI:-$PWD/build/cli/glenvar-cli}
}

# The same work natively (Release, one thread), for the benchmark's ratios.
native_timing() {
  cmake -S . -B build-web-native -G Ninja -DCMAKE_BUILD_TYPE=Release -DGLENVAR_DESKTOP=OFF >/dev/null
  cmake --build build-web-native -j2 --target glenvar_core glenvar_landform
  local libraries
  mapfile -t libraries < <(find build-web-native -maxdepth 3 -name 'libglenvar_*.a')
  # The export/ pieces the module compiles in (web/CMakeLists.txt), not the library with its codecs.
  g++ -std=c++20 -O3 -DNDEBUG -ffp-contract=off -Wall -Wextra -Wpedantic -I. \
    web/bench/NativeTiming.cpp web/bindings/WebMap.cpp export/{EngineProfile,HeightLayout}.cpp \
    export/{HeightWindow,RecipeText,Sidecar}.cpp \
    -Wl,--start-group "${libraries[@]}" -Wl,--end-group -pthread \
    -o build-web-native/native-timing
  export GLENVAR_NATIVE_TIMING=$PWD/build-web-native/native-timing
}

case "$command" in
  build) build_site ;;
  deps) install_tools ;;
  serve)
    build_site
    echo "Serving on http://localhost:${PORT:-8000}/ (Ctrl+C stops)"
    python3 -m http.server --bind 127.0.0.1 --directory "$site" "${PORT:-8000}"
    ;;
  test)
    build_site
    browser_env
    # The page is compared with the CLI of these very sources, never a stale one.
    if [ "$GLENVAR_CLI" = "$PWD/build/cli/glenvar-cli" ]; then
      [ -f build/build.ninja ] || cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
      cmake --build build -j2 --target glenvar-cli
    fi
    [ -x "$GLENVAR_CLI" ] || { echo "Needs $GLENVAR_CLI" >&2; exit 1; }
    # Screenshots of the page at a phone's, a small window's and a desktop's size, and of the 3D view.
    export GLENVAR_SCREENSHOTS=${GLENVAR_SCREENSHOTS:-$PWD/build-web/screenshots}
    node --test --test-concurrency=1 web/tests/busy.test.mjs web/tests/units.test.mjs \
      web/tests/page.test.mjs web/tests/reach.test.mjs web/tests/cancel.test.mjs \
      web/tests/settings.test.mjs web/tests/tool.test.mjs web/tests/biomes.test.mjs \
      web/tests/heights.test.mjs web/tests/erosionlaws.test.mjs web/tests/meshes.test.mjs
    ;;
  bench)
    build_site
    browser_env
    native_timing
    node web/bench/bench.mjs
    ;;
  *) echo "usage: bash scripts/web.sh [build|serve|test|bench|deps]" >&2; exit 2 ;;
esac
