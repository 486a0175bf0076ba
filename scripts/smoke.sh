#!/usr/bin/env bash
# Starts the real program on a virtual X display with a window manager,
# generates a default map through the menu bar with the keyboard, takes a
# screenshot of the whole screen, grows a 3000 x 3000 map while pressing
# Alt+I, checks that the 情報 box opens once the map is done, and exits
# through the File menu.
# Usage: scripts/smoke.sh [build folder, default build]
# Writes <build>/screenshots/smoke-start.png, smoke-map.png, smoke-busy.png
# and smoke-info.png.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
program="$build/app/glenvar"
if [ ! -x "$program" ]; then
  echo "smoke: $program is not built (bash scripts/build.sh)" >&2
  exit 1
fi
for tool in xvfb-run openbox xdotool import; do
  command -v "$tool" >/dev/null || { echo "smoke: $tool is missing (bash scripts/install-deps.sh)" >&2; exit 1; }
done
mkdir -p "$build/screenshots"
export GLENVAR_PROGRAM="$program" GLENVAR_SHOTS="$build/screenshots" LANG=C.UTF-8

exec timeout 60 xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
set -euo pipefail
scratch=$(mktemp -d)   # the stencil cache lands here, not in the checkout
trap "rm -rf \"$scratch\"" EXIT
openbox >/dev/null 2>&1 &
sleep 1
cd "$scratch"
"$GLENVAR_PROGRAM" &
pid=$!

wait_for() {  # wait_for <window name regex> : prints the window id
  local id=""
  for _ in $(seq 100); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  echo "smoke: no window named $1" >&2
  return 1
}
wait_gone() {  # wait_gone <window name regex> <seconds>
  for _ in $(seq $(( $2 * 10 ))); do
    xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  echo "smoke: window $1 did not go away" >&2
  return 1
}

main=$(wait_for "^Glenvar\$")
xdotool windowactivate --sync "$main" || true
sleep 1
import -window root "$GLENVAR_SHOTS/smoke-start.png"

xdotool key --clearmodifiers alt+m            # 生成(&M) on the menu bar
wait_for "^地図生成\$" >/dev/null              # the parameters dialog
sleep 0.5
xdotool key Return                            # OK has the focus
sleep 0.5
wait_for "^地図生成\$" >/dev/null              # "作成しますか？"
xdotool key Return                            # Yes
sleep 1
wait_gone "^作成中\$" 45                       # the progress window
sleep 1
import -window root "$GLENVAR_SHOTS/smoke-map.png"
# A rendered map has hundreds of colours; a black or empty window has a few.
colours=$(convert "$GLENVAR_SHOTS/smoke-map.png" -format %k info:)
if [ "$colours" -lt 200 ]; then
  echo "smoke: no map on the screen ($colours colours)" >&2
  exit 1
fi

# A key typed during a long operation acts on the frame once it is over.
xdotool key --clearmodifiers alt+m
wait_for "^地図生成\$" >/dev/null
sleep 0.5
xdotool key Tab Tab Tab ctrl+a                # OK, Cancel, seed, X長
xdotool type 3000
xdotool key Tab ctrl+a                        # Y長
xdotool type 3000
xdotool key Tab End                           # 処理量 at its most: a few seconds
xdotool key Return
sleep 0.5
wait_for "^地図生成\$" >/dev/null              # "作成しますか？"
xdotool key Return
wait_for "^作成中\$" >/dev/null
xdotool key --clearmodifiers alt+i            # 情報(&I) on the menu bar
if ! xdotool search --onlyvisible --name "^作成中\$" >/dev/null 2>&1; then
  echo "smoke: the 3000 x 3000 map was done before the key; nothing was tested" >&2
  exit 1
fi
import -window root "$GLENVAR_SHOTS/smoke-busy.png"
wait_gone "^作成中\$" 45
wait_for "^情報\$" >/dev/null
sleep 0.5
import -window root "$GLENVAR_SHOTS/smoke-info.png"
xdotool key Return                            # closes the box
wait_gone "^情報\$" 5
sleep 0.5
if xdotool search --onlyvisible --name "^情報\$" >/dev/null 2>&1; then
  echo "smoke: the key opened 情報 more than once" >&2
  exit 1
fi

xdotool key --clearmodifiers alt+f
sleep 0.5
xdotool key x                                 # ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)
for _ in $(seq 50); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
if kill -0 $pid 2>/dev/null; then
  echo "smoke: the program did not exit" >&2
  kill $pid
  exit 1
fi
wait $pid
echo "smoke: ok, screenshots in $GLENVAR_SHOTS"
'
