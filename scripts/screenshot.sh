#!/usr/bin/env bash
# Starts Kalmira on a virtual display, types a value table, takes it over, fits a polynomial of
# order 4 and writes the window's picture to docs/screenshot.png (or the file given). With
# QT_SCALE_FACTOR set (2, 1.5 ...) the window is drawn at that display scale and so is the picture.
# Needs the build (bash scripts/run.sh or scripts/test.sh builds it) and xvfb, xdotool, imagemagick.
set -euo pipefail
cd "$(dirname "$0")/.."
out="$(realpath -m "${1:-docs/screenshot.png}")"
if [ -z "${KALMIRA_SHOT_INNER:-}" ]; then
  for tool in xvfb-run xdotool import; do
    command -v "$tool" >/dev/null || { echo "needs $tool (apt-get install xvfb xdotool imagemagick)"; exit 1; }
  done
  [ -x build/app/kalmira ] || { echo "build/app/kalmira is missing: build first"; exit 1; }
  mkdir -p "$(dirname "$out")"
  KALMIRA_SHOT_INNER=1 exec xvfb-run -a -s "-screen 0 2000x1600x24" bash "$0" "$out"
fi

app="$PWD/build/app/kalmira"
work="$(mktemp -d)"                       # closing writes cfit.asc here, not into the repository
trap 'rm -rf "$work"' EXIT
(cd "$work" && LC_ALL=C.UTF-8 exec "$app") &
pid=$!
win="$(xdotool search --sync --onlyvisible --name 'Kalmira' | head -1)"
sleep 1
eval "$(xdotool getwindowgeometry --shell "$win")"   # X Y WIDTH HEIGHT of the window
scale="${QT_SCALE_FACTOR:-1}"
logical() { awk -v v="$1" -v s="$scale" 'BEGIN { printf "%d", v / s + 0.5 }'; }
device() { awk -v v="$1" -v s="$scale" 'BEGIN { printf "%d", v * s + 0.5 }'; }
DW=$WIDTH DH=$HEIGHT
WIDTH=$(logical "$DW") HEIGHT=$(logical "$DH")         # the positions below are logical pixels
menu=$(( HEIGHT - 657 + 22 ))                         # the menu bar's height (the rest is fixed)
[ "$menu" -lt 18 ] && menu=22
panel2_x=$(( X + WIDTH - 270 ))
panel2_y=$(( Y + menu + 41 + 64 ))
buttons_y=$(( Y + HEIGHT - 38 ))                      # the bottom buttons keep their distance
click() { xdotool mousemove $(( X + $(device $(( $1 - X ))) )) $(( Y + $(device $(( $2 - Y ))) )) click 1; sleep 0.3; }

# the table: x = 1..10, a wavy rising series
click $(( panel2_x + 40 )) $(( panel2_y + 245 + 21 + 8 ))
for row in "0.5 1.2" "1.5 2.9" "2.5 3.1" "3.5 2.6" "4.5 3.4" "5.5 5.2" "6.5 6.9" "7.5 7.4" "8.5 6.8" "9.5 7.9"; do
  set -- $row
  xdotool type --delay 20 "$1"; xdotool key Tab
  xdotool type --delay 20 "$2"; xdotool key Tab
done
xdotool key Escape ctrl+Home
click $(( panel2_x + 112 + 70 )) $(( buttons_y + 12 ))        # Werte übernehmen
click $(( panel2_x + 8 + 40 )) $(( panel2_y + 86 + 13 ))      # Polynom
for _ in 1 2 3; do click $(( panel2_x + 100 + 50 )) $(( panel2_y + 87 + 6 )); done   # order up to 4
sleep 1
import -window root -crop "${DW}x${DH}+${X}+${Y}" +repage "$out"
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
echo "wrote $out"
