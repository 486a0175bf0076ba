#!/usr/bin/env bash
# Builds the Debian package, installs it on this machine, runs what it
# installed, checks its files and validates the desktop entry and AppStream
# metainfo of a `cmake --install` into a scratch prefix. Afterwards the package,
# and anything its installation pulled in, is removed again.
# Usage: scripts/package-test.sh [build folder, default build-package]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-package}
id=example.glenvar.Glenvar
as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
apt_root=("${as_root[@]}" env DEBIAN_FRONTEND=noninteractive)

if dpkg-query -W -f='${db:Status-Abbrev}' glenvar 2>/dev/null | grep -q '^ii'; then
  echo "package-test: a glenvar package is installed here already; left alone, test skipped"
  exit 0
fi

deb=$(bash scripts/package.sh "$build" | tail -n1)
dpkg-deb -f "$deb" Recommends | grep -qw bash-completion ||
  { echo "package-test: the package does not recommend bash-completion" >&2; exit 1; }
# Debian's own checker: any error or warning fails the test.
lintian --fail-on error,warning "$deb"
scratch=$(mktemp -d)
# What the installation would newly install besides the package, so that
# exactly that is removed again (upgrades, "Inst name [old] (new)", are kept).
pulled=$(apt-get install -s -q --no-install-recommends "./$deb" |
  sed -n 's/^Inst \([^ ]*\) (.*/\1/p' | grep -vx glenvar || true)
cleanup() {
  "${apt_root[@]}" dpkg --purge glenvar >/dev/null || true
  [ -z "$pulled" ] || "${apt_root[@]}" apt-get purge -y -q $pulled >/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT
# apt-get rather than dpkg -i: it brings in any dependency still missing.
"${apt_root[@]}" apt-get install -y -q --no-install-recommends "./$deb" >/dev/null

files=(/usr/bin/glenvar /usr/bin/glenvar-cli /usr/libexec/glenvar/glenvar-launcher
  /usr/share/applications/$id.desktop /usr/share/metainfo/$id.metainfo.xml
  /usr/share/man/man1/glenvar.1.gz /usr/share/man/man1/glenvar-cli.1.gz
  /usr/share/doc/glenvar/copyright /usr/share/doc/glenvar/changelog.gz
  /usr/share/bash-completion/completions/glenvar-cli)
for size in 16 22 24 32 48 64 128 256; do
  files+=("/usr/share/icons/hicolor/${size}x$size/apps/$id.png")
done
for f in "${files[@]}"; do
  [ -s "$f" ] || { echo "package-test: $f is missing" >&2; exit 1; }
done

# The installed command-line tool grows a small map.
mkdir "$scratch/work"
(cd "$scratch/work" && /usr/bin/glenvar-cli generate --seed 3 --width 200 --height 160 \
  -o map.ld -o map.png >/dev/null && /usr/bin/glenvar-cli info map.ld >/dev/null)
file "$scratch/work/map.png" | grep -q "PNG image data, 200 x 160" ||
  { echo "package-test: glenvar-cli made no 200 x 160 picture" >&2; exit 1; }

# Debian's python3 imports the installed module and grows a map with it.
shape=$(cd "$scratch/work" && /usr/bin/python3 -c \
  "import glenvar; m = glenvar.generate(seed=7, width=512, height=256); print(m.heights.dtype, m.heights.shape)")
[ "$shape" = "float64 (256, 512)" ] ||
  { echo "package-test: the Python module printed '$shape'" >&2; exit 1; }
# Its stub is the one the build wrote, every keyword line filled in from the settings rows.
stub=$(/usr/bin/python3 -c \
  "import glenvar, pathlib; print(pathlib.Path(glenvar.__file__).with_name('__init__.pyi'))")
grep -q "^    seed: int = " "$stub" && ! grep -q "@[A-Z_]*_KEYWORDS@" "$stub" ||
  { echo "package-test: the installed stub $stub was not written from the settings rows" >&2; exit 1; }

# The launcher starts the program in ~/Glenvar, creating it.
home="$scratch/home"
mkdir "$home"
HOME="$home" QT_QPA_PLATFORM=offscreen /usr/libexec/glenvar/glenvar-launcher &
pid=$!
cwd=""
for _ in $(seq 100); do
  [ "$(readlink "/proc/$pid/exe" || true)" = /usr/bin/glenvar ] && cwd=$(readlink "/proc/$pid/cwd")
  [ -n "$cwd" ] && break
  sleep 0.1
done
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
[ "$cwd" = "$home/Glenvar" ] ||
  { echo "package-test: the launcher ran the program in '$cwd', not $home/Glenvar" >&2; exit 1; }

# The completion offers files by the extensions each place takes.
touch "$scratch/work/a.r16" "$scratch/work/b.tif" "$scratch/work/c.dat"
completions=$(cd "$scratch/work" && bash -c '
  source /usr/share/bash-completion/completions/glenvar-cli
  complete_words() { COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _glenvar_cli; echo "${COMPREPLY[*]}"; }
  complete_words glenvar-cli generate --heightmap ""
  complete_words glenvar-cli info ""
  complete_words glenvar-cli info --j')
# info reads every form shape reads: maps and heightmaps alike.
expected=$'a.r16 b.tif map.png\na.r16 b.tif c.dat map.ld map.png\n--json'
[ "$(sort_words() { for w in $1; do echo "$w"; done | sort | xargs; }
  while read -r line; do sort_words "$line"; done <<<"$completions")" = "$expected" ] ||
  { echo "package-test: completions were:"$'\n'"$completions" >&2; exit 1; }

# Both validators on an install into a scratch prefix.
cmake --install "$build" --prefix "$scratch/prefix" >/dev/null
desktop-file-validate "$scratch/prefix/share/applications/$id.desktop"
appstreamcli validate --no-net "$scratch/prefix/share/metainfo/$id.metainfo.xml"
echo "package-test: ok, $deb installed, ran and was removed again"
