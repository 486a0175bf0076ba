#!/usr/bin/env bash
# Installs what building, running and testing need on Debian 12. Runs apt-get
# only when something is missing, so repeated runs cost nothing.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  git   # scripts/check-format.sh lists the tracked files
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libpng-dev libtiff-dev   # PNG pictures and heightmaps; float TIFF heightmaps
  libopenexr-dev openexr   # EXR heightmaps; exrheader reads them back in the tests
  libgdal-dev gdal-bin python3-gdal   # imported rasters and GeoTIFFs (geo/); gdalinfo and osgeo in the tests
  admesh assimp-utils   # the mesh tests' independent readers (closed STL solids, every form)
  python3-shapely   # the shape tests' independent reader (validity; GDAL's view through gdal-bin)
  fonts-ipafont-gothic
  qt6-translations-l10n   # Qt's own dialogs in Japanese (qtbase_ja.qm)
  xvfb xauth openbox xdotool imagemagick   # the real-window smoke run
  clang-14 libclang-rt-14-dev   # libFuzzer, for scripts/fuzz.sh
  clang-format-14   # scripts/check-format.sh, part of scripts/test.sh
  python3   # the benchmark summary
  python3-dev pybind11-dev python3-numpy python3-pytest python3-distributed   # the Python module, its tests and batches
  desktop-file-utils appstream help2man   # installed files: validators, the CLI's man page
  dpkg-dev fakeroot file   # scripts/package.sh: CPack's Debian package and its library dependencies
  lintian   # scripts/package-test.sh: the package as Debian's checker sees it
  qt6-translations-l10n qt6-qpa-plugins   # the package's run-time needs, so its install test stays offline
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  as_root=()
  [ "$(id -u)" -eq 0 ] || as_root=(sudo)
  # Through env: sudo drops the caller's environment.
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
