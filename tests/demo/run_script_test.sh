#!/usr/bin/env bash
# The run command around a stand-in player: without a display it stops at once; with one it
# starts the demo server, names it to the player with --update-server, leaves the settings
# alone, and stops the server when the player closes.
#   run_script_test.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source_dir=$1 build_dir=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# No display: a clear message and a failure, before anything is built or started.
if env -u DISPLAY -u WAYLAND_DISPLAY bash "$source_dir/tools/run.sh" --no-build 2>"$work/err"; then
  fail "run.sh succeeded without a display"
fi
grep -q "no display" "$work/err" || fail "no message about the display: $(cat "$work/err")"

# The stand-in player takes the server from its command line, asks it the channel question of
# the starting catalogue and leaves the answer and the server's address behind.
cat >"$work/player.sh" <<'PLAYER'
#!/usr/bin/env bash
set -euo pipefail
[ "$#" -eq 2 ] && [ "$1" = --update-server ] || { echo "unexpected arguments: $*" >&2; exit 9; }
server=$2
hostport=${server#http://}
hostport=${hostport%/}
echo "$hostport" >"$WORK/hostport"
exec 3<>"/dev/tcp/${hostport%:*}/${hostport#*:}"
printf 'GET /php/check_channels.php?version=x&name=&channels_version=12 HTTP/1.0\r\nHost: %s\r\n\r\n' "$hostport" >&3
tail -n 1 <&3 >"$WORK/answer"
exit 7
PLAYER
chmod +x "$work/player.sh"

config="$work/config/Vantrel Applications/Vantrel.conf"
mkdir -p "$(dirname "$config")"
printf '[Skins]\nCurrent%%20Skin=Metall\n\n[Update]\nServer=http://before.example.org/\nUser%%20Name=Ivan\n' >"$config"
cp "$config" "$work/config-before"

status=0
DISPLAY=:0 WORK=$work XDG_CONFIG_HOME="$work/config" VANTREL_BUILD_DIR="$build_dir" VANTREL_PLAYER="$work/player.sh" \
  bash "$source_dir/tools/run.sh" --no-build >"$work/out" 2>&1 || status=$?
[ "$status" -eq 7 ] || fail "the player's exit status $status was not passed on: $(cat "$work/out")"
grep -q '^4096.*channels/channels.dat4096' "$work/answer" || fail "no catalogue offer: $(cat "$work/answer")"
cmp -s "$config" "$work/config-before" || fail "settings changed: $(cat "$config")"
hostport=$(cat "$work/hostport")
if (exec 3<>"/dev/tcp/${hostport%:*}/${hostport#*:}") 2>/dev/null; then
  fail "the demo server still answers at $hostport"
fi

# No settings file is made for the run.
rm -rf "$work/config"
DISPLAY=:0 WORK=$work XDG_CONFIG_HOME="$work/config" VANTREL_BUILD_DIR="$build_dir" VANTREL_PLAYER="$work/player.sh" \
  bash "$source_dir/tools/run.sh" --no-build >"$work/out" 2>&1 || true
[ ! -e "$config" ] || fail "a settings file was left behind: $(cat "$config")"
echo "run.sh: ok"
