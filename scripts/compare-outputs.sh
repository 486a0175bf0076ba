#!/usr/bin/env bash
# Runs the same glenvar-cli commands with two builds, each in a folder of its own, and compares
# every file they write or print with cmp: "same", "DIFFERS" or "NEW" a line.
#   bash scripts/compare-outputs.sh OLD_CLI NEW_CLI OUTDIR
set -u
[ $# -eq 3 ] || { echo "usage: $0 OLD_CLI NEW_CLI OUTDIR" >&2; exit 2; }
old=$(realpath "$1"); new=$(realpath "$2"); out=$3
# Never over an existing folder's files: the runs write many.
if [ -e "$out" ] && [ -n "$(ls -A "$out")" ]; then echo "$0: $out is not empty" >&2; exit 2; fi
mkdir -p "$out/old" "$out/new"
run() { # name args...
  local name=$1; shift
  for side in old new; do
    local bin=$old; [ $side = new ] && bin=$new
    ( cd "$out/$side" && mkdir -p "$name" && cd "$name" && "$bin" "$@" > stdout.txt 2> stderr.txt; echo $? > rc.txt )
  done
}
run default generate -o m.ld -o m.dat -o m.png --heightmap h.png --heightmap h.r16 --heightmap h.tif
run regions generate --seed 9 --width 301 --height 200 --regions -o m.png -o m.ld --threads 2
run smooth generate --seed 7 --width 320 --height 200 --smooth 3 --shade --edge repeat --heightmap w.png --heightmap w.exr --tiles 2x2 -o relief.png
run engine generate --seed 7 --width 504 --height 504 --smooth 3 --edge repeat --engine unreal --heightmap w.png -o p.png
run rivers generate --seed 5 --width 300 --height 200 --smooth 3 --erode 10 --erodibility 0.02 --thermal 2 --rivers 300 --shade -o r.png --layer flow=f.tif --layer rivers=rm.png --layer lakes=lm.png --heightmap h.r16
run erode generate --seed 3 --width 256 --height 256 --smooth 2 --erode 20 --heightmap h.r16 -o e.png
run info generate --seed 11 --width 200 --height 150 -o i.ld
( cd "$out/old/info" && "$old" info i.ld > info.txt; "$old" info --json i.ld > info.json; "$old" info --json --smooth 3 --rivers 200 i.ld > info-rivers.json )
( cd "$out/new/info" && "$new" info i.ld > info.txt; "$new" info --json i.ld > info.json; "$new" info --json --smooth 3 --rivers 200 i.ld > info-rivers.json )
for h in "" generate render info; do
  "$old" $h --help > "$out/old/help-$h.txt" 2>&1; "$new" $h --help > "$out/new/help-$h.txt" 2>&1
done
cd "$out/old"
find . -type f | sort | while read -r f; do
  if cmp -s "$f" "../new/$f"; then echo "same    $f"; else echo "DIFFERS $f"; fi
done
( cd ../new; find . -type f | sort ) | while read -r f; do [ -e "$f" ] || echo "NEW     $f"; done
