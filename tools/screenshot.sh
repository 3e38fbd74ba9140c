#!/usr/bin/env bash
# Takes a picture of the main window in a given skin, for looking at skins without a desktop.
#
#   tools/screenshot.sh SKIN closed|open OUT.png
#
# Starts <build>/bin/Vantrel (build/ or $VANTREL_BUILD_DIR) on a private X server with the skin
# chosen in a throw-away settings folder, waits for the window to settle and writes the window
# (with a margin of desktop) as a PNG. The update checks ask an update server of its own with
# an empty folder, which has nothing new, so no message covers the window. "open" waits for the
# panels to slide out; "closed" then folds both in again with their arrows.
set -euo pipefail

# Runs inside the private X server: start, wait for the window, let it settle, capture.
capture() {
  local program=$1 panels=$2 out=$3 pid window="" geometry x y w h
  "$program" &
  pid=$!
  for _ in $(seq 1 100); do
    window=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -n 1 ||
             xdotool search --onlyvisible --name '^Vantrel' 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] && break
    sleep 0.1
  done
  if [ -z "$window" ]; then
    kill "$pid" 2>/dev/null || true
    echo "the program showed no window" >&2
    return 1
  fi
  # Start-up: the panels slide out one second apart, then the window is enabled.
  sleep 4
  if [ "$panels" = closed ]; then
    # The arrows sit on the panels' outer edges once they have slid out (window coordinates).
    # The pointer rests before the click, so that the button has seen it arrive.
    xdotool mousemove --window "$window" 320 718 sleep 0.3 click 1
    sleep 1.5
    xdotool mousemove --window "$window" 1001 213 sleep 0.3 click 1
    sleep 1.5
    xdotool mousemove --window "$window" 400 300
  fi
  geometry=$(xwininfo -id "$window")
  x=$(awk '/Absolute upper-left X/ {print $4}' <<<"$geometry")
  y=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$geometry")
  w=$(awk '/Width:/ {print $2}' <<<"$geometry")
  h=$(awk '/Height:/ {print $2}' <<<"$geometry")
  x=$((x > 16 ? x - 16 : 0)) y=$((y > 16 ? y - 16 : 0))
  import -window root -crop "$((w + 32))x$((h + 32))+$x+$y" +repage "$out"
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}
if [ "${1:-}" = --inside-x ]; then
  shift
  capture "$@"
  exit
fi

if [ $# -ne 3 ] || { [ "$2" != closed ] && [ "$2" != open ]; }; then
  echo "usage: $0 SKIN closed|open OUT.png" >&2
  exit 64
fi
skin=$1 panels=$2 out=$(realpath -m "$3")
cd "$(dirname "$0")/.."
program=${VANTREL_BUILD_DIR:-build}/bin/Vantrel
server=${VANTREL_BUILD_DIR:-build}/bin/vantrel-update-server
for file in "$program" "$server"; do
  [ -x "$file" ] || { echo "$file is not built" >&2; exit 1; }
done
for tool in xvfb-run xdotool xwininfo import; do
  command -v "$tool" >/dev/null || { echo "$tool is missing: run tools/install-deps.sh" >&2; exit 1; }
done

work=$(mktemp -d)
server_pid=""
cleanup() {
  [ -z "$server_pid" ] || kill "$server_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
config=$work/config
mkdir -p "$config/Vantrel Applications" "$work/server"
"$server" --root "$work/server" --port 0 >"$work/server.log" 2>&1 &
server_pid=$!
base=""
for _ in $(seq 1 100); do
  base=$(awk '/^serving / { print $NF; exit }' "$work/server.log")
  [ -n "$base" ] && break
  sleep 0.1
done
[ -n "$base" ] || { echo "the update server did not start: $(cat "$work/server.log")" >&2; exit 1; }
printf '[Skins]\nCurrent%%20Skin=%s\n\n[Update]\nServer=%s\n' "$skin" "$base" \
  > "$config/Vantrel Applications/$(basename "$program").conf"

XDG_CONFIG_HOME=$config xvfb-run -a -s "-screen 0 1400x900x24" \
  bash "$(realpath "$0")" --inside-x "$(realpath "$program")" "$panels" "$out"
echo "$out"
