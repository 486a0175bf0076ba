#!/usr/bin/env bash
# Makes the README's pictures in docs/images/:
#  - gallery/: one seed, one generation parameter varied per row, grown by
#    glenvar-cli at the default size and shrunk to thumbnails; the water level
#    and region rows redraw one map;
#  - glenvar-map.jpg: the real program's window with a map (scripts/smoke.sh);
#  - generate-dialog.png: the generation dialog (scripts/screenshots.sh);
#  - relief-r0.jpg, relief-r3.jpg: a part of the default map lit from the
#    north-west (--shade), as generated and smoothed with radius 3;
#  - rivers-e0.jpg, rivers-e10.jpg: another part of it smoothed, with rivers
#    and lakes, before and after 10 steps of erosion;
#  - rivers-law-*.jpg: that part after 100 steps of erosion crossing lakes,
#    with deposition, and with droplets.
# Prints the gallery's Markdown table for the README.
# Usage: scripts/gallery.sh [build folder, default build]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
cli="$build/cli/glenvar-cli"
[ -x "$cli" ] || bash scripts/build.sh
out=docs/images
mkdir -p "$out/gallery"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

thumb() {  # thumb SOURCE.png NAME
  convert "$1" -resize 256x -strip -quality 82 "$out/gallery/$2.jpg"
}

# The default map appears once in every row.
"$cli" generate --stencils "$scratch/makeland.bin" -o "$scratch/map.ld" -o "$scratch/map.png" \
  >/dev/null
thumb "$scratch/map.png" default
# rivers-law-{plain,deposition,droplets}.jpg: 100 steps of erosion with water
# crossing lakes, then with deposition, then with droplets after it.
erosion_laws() {
  local plain=(--erode 100 --erodibility 0.05 --cross-lakes)
  local name
  for name in plain deposition droplets; do
    local laws=("${plain[@]}")
    [ $name = deposition ] && laws+=(--deposition 1)
    [ $name = droplets ] && laws+=(--droplets 300000)
    "$cli" render "$scratch/map.ld" --shade --rivers 300 "${laws[@]}" \
      -o "$scratch/rivers-law-$name.png"
    convert "$scratch/rivers-law-$name.png" -crop 512x320+600+420 +repage -strip -quality 80 \
      "$out/rivers-law-$name.jpg"
  done
}
cell() {  # cell NAME CAPTION
  echo -n " ![$2](docs/images/gallery/$1.jpg)<br>$2 |"
}

# label | option | values, the default marked with * (the dialog shows 処理量 in
# thousandths and the two concentration sliders in per cent)
rows=(
  "シード値 seed|--seed|0* 1 2 3"
  "処理量 processing amount|--process-amount|0.003 0.01* 0.05 0.2"
  "集中率 concentration rate|--concentration-rate|0 0.2* 0.6 1"
  "集中量 concentration amount|--concentration-amount|0 0.4* 0.7 1"
  "単位量 unit amount|--unit-amount|40 80 150* 200"
  "集中pt concentration points|--points|0 1 4* 16"
  "水面 water level|--water-level|0.3 0.5* 0.6 0.7"
)
echo "| parameter | | | | |"
echo "|---|---|---|---|---|"
for row in "${rows[@]}"; do
  IFS='|' read -r label option values <<<"$row"
  line="| $label<br>\`$option\` |"
  for v in $values; do
    if [[ $v == *\* ]]; then
      line+=$(cell default "${v%\*} (default)")
      continue
    fi
    name="${option#--}-$v"
    if [ "$option" = --water-level ]; then
      "$cli" render "$scratch/map.ld" --water-level "$v" -o "$scratch/$name.png"
    else
      "$cli" generate --stencils "$scratch/makeland.bin" "$option" "$v" -o "$scratch/$name.png" \
        >/dev/null
    fi
    thumb "$scratch/$name.png" "$name"
    line+=$(cell "$name" "$v")
  done
  echo "$line"
done
"$cli" render "$scratch/map.ld" --regions -o "$scratch/regions.png"
thumb "$scratch/regions.png" regions
"$cli" generate --stencils "$scratch/makeland.bin" --points 16 --regions -o "$scratch/regions16.png" \
  >/dev/null
thumb "$scratch/regions16.png" regions-16-points
echo "| エリア regions<br>\`--regions\` |$(cell regions "4 points (default)")$(cell regions-16-points "16 points") | |"

for r in 0 3; do
  "$cli" render "$scratch/map.ld" --shade --smooth "$r" -o "$scratch/relief-r$r.png"
  convert "$scratch/relief-r$r.png" -crop 512x320+352+300 +repage -strip -quality 80 \
    "$out/relief-r$r.jpg"
done
for e in 0 10; do
  "$cli" render "$scratch/map.ld" --shade --smooth 3 --rivers 300 --erode "$e" \
    -o "$scratch/rivers-e$e.png"
  convert "$scratch/rivers-e$e.png" -crop 512x320+600+420 +repage -strip -quality 80 \
    "$out/rivers-e$e.jpg"
done
erosion_laws  # the same part after erosion with and without deposition and droplets

# The window pictures need the desktop program.
if [ -x "$build/app/glenvar" ]; then
  bash scripts/smoke.sh "$build" >/dev/null
  convert "$build/screenshots/smoke-map.png" -resize 800x -strip -quality 85 "$out/glenvar-map.jpg"
  bash scripts/screenshots.sh "$build" >/dev/null
  convert "$build/screenshots/dialog-generate.png" -strip "$out/generate-dialog.png"
fi
