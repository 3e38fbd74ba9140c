#!/usr/bin/env bash
# Installs what is missing, builds, and starts the player on the bundled demo content: the demo
# server runs on loopback for as long as the player does, and the player asks it for updates.
#
#   tools/run.sh [--no-build]
#
# The build folder is build/ (or $VANTREL_BUILD_DIR). The player is told the demo server's
# address with --update-server, for this run only: the user's settings are not touched.
# $VANTREL_PLAYER runs instead of the built program (for testing this script).
set -euo pipefail
cd "$(dirname "$0")/.."

build=true
case "${1:-}" in
  --no-build) build=false ;;
  "") ;;
  *) echo "usage: $0 [--no-build]" >&2; exit 64 ;;
esac

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run.sh: no display (neither DISPLAY nor WAYLAND_DISPLAY is set): the player needs a desktop session." >&2
  echo "run.sh: to build only, run tools/build.sh." >&2
  exit 1
fi

if $build; then
  bash tools/install-deps.sh
  bash tools/build.sh
fi

dir=${VANTREL_BUILD_DIR:-build}
program=${VANTREL_PLAYER:-$dir/bin/Vantrel}
server_program=$dir/bin/vantrel-update-server
demo=$dir/demo
for file in "$program" "$server_program" "$demo/address"; do
  [ -e "$file" ] || { echo "run.sh: $file is missing; build first (tools/build.sh)" >&2; exit 1; }
done

# --- the demo server ----------------------------------------------------------------------
address=$(head -n 1 "$demo/address")
port=${address##*:}
port=${port%%/*}
log="$demo/server.log"
server_pid=""

cleanup() {
  if [ -n "$server_pid" ]; then
    kill "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
    echo "run.sh: demo server stopped"
  fi
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# start_server PORT: starts the server and sets base to the address it serves at; fails when
# it cannot listen there.
start_server() {
  "$server_program" --root "$demo/server" --port "$1" >"$log" 2>&1 &
  server_pid=$!
  for _ in $(seq 1 100); do
    base=$(awk '/^serving / { print $NF; exit }' "$log")
    [ -n "$base" ] && return 0
    kill -0 "$server_pid" 2>/dev/null || break
    sleep 0.1
  done
  kill "$server_pid" 2>/dev/null || true
  wait "$server_pid" 2>/dev/null || true
  server_pid=""
  return 1
}

base=""
if ! start_server "$port"; then
  echo "run.sh: port $port is busy; the demo server takes a free port instead." >&2
  echo "run.sh: the demo channels play from $address, so they play only if that is a demo server too." >&2
  start_server 0 || { echo "run.sh: the demo server does not start:" >&2; cat "$log" >&2; exit 1; }
fi
echo "run.sh: demo server at $base (log: $log)"

# --- the player -----------------------------------------------------------------------------
status=0
"$program" --update-server "$base" || status=$?

# Switching skins or taking an update restarts the program: keep serving while a copy of the
# program file is still running.
program_path=$(readlink -f "$program")
program_running() {
  local exe
  for proc in /proc/[0-9]*; do
    exe=$(readlink "$proc/exe" 2>/dev/null) || continue
    [ "$exe" = "$program_path" ] && return 0
  done
  return 1
}
while program_running; do sleep 1; done
exit "$status"
