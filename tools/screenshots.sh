#!/usr/bin/env bash
# Screenshots of the main window under Xvfb: start-up, both panels open, a channel's details in
# the tree, and a demo channel playing from the favourites. Uses a scratch copy of the program
# folder and its own settings; the demo server runs on a free loopback port.
#   tools/screenshots.sh [BUILD_DIR] [OUT_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
out=$(realpath -m "${2:-$build/screenshots}")
bin=$build/bin
media=$build/tests/media
for f in "$bin/Vantrel" "$bin/vantrel-update-server" "$bin/vantrel-catalogue" "$media/h264_aac.ts"; do
  [[ -e $f ]] || { echo "missing $f: build Vantrel, vantrel-update-server, vantrel-catalogue and test_media" >&2; exit 1; }
done
for tool in xvfb-run xdotool import; do
  command -v $tool >/dev/null || { echo "missing $tool" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/prog" "$work/server/media" "$work/config/Vantrel Applications" "$out"
cp "$bin/Vantrel" "$bin/libstreamsaver.so" "$work/prog/"
cp -r "$bin/skins" "$work/prog/"
cp "$media/h264_aac.ts" "$media/radio.mp3" "$media/mpeg2_mp2.ts" "$work/server/media/"
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
base=http://127.0.0.1:$port
printf '[Update]\nServer=%s/\n' "$base" > "$work/config/Vantrel Applications/Vantrel.conf"

cat > "$work/catalogue.xml" <<EOF
<?xml version="1.0" encoding="utf-8"?>
<channels version="3">
<channel id="1" name="Демо ТВ" type="1" URL="$base/media/h264_aac.ts"><country>Россия</country><genre>Новости</genre><BPS>512</BPS><description>Демонстрационный канал: тестовая таблица и тон.</description><site_URL>$base/</site_URL></channel>
<channel id="2" name="Демо Радио" type="2" URL="$base/media/radio.mp3"><country>Россия</country><genre>Музыка</genre><BPS>128</BPS><description>Радио</description></channel>
<channel id="3" name="Second TV" type="1" URL="$base/media/mpeg2_mp2.ts"><country>Germany</country><genre>Music</genre><BPS>2000</BPS></channel>
<channel id="4" name="Channel Four" type="1" URL="$base/media/h264_aac.ts"><country>Germany</country><genre>News</genre><BPS>700</BPS></channel>
<channel id="5" name="Кино Плюс" type="1" URL="$base/media/h264_aac.ts"><country>Украина</country><genre>Кино</genre><BPS>900</BPS></channel>
</channels>
EOF
"$bin/vantrel-catalogue" pack "$work/catalogue.xml" "$work/prog/channels.dat"
printf '<favorites><channel id="1" name="Демо ТВ" type="1" URL="%s/media/h264_aac.ts"><description/><genre>Новости</genre><site_URL/><BPS>512</BPS><country>Россия</country></channel></favorites>' \
  "$base" > "$work/prog/favorites.xml"

cat > "$work/session.sh" <<EOF
#!/usr/bin/env bash
set -u
"$bin/vantrel-update-server" --root "$work/server" --port $port > "$work/server.log" 2>&1 &
server=\$!
sleep 1
XDG_CONFIG_HOME="$work/config" "$work/prog/Vantrel" > "$work/program.log" 2>&1 &
program=\$!
shot() { import -window root "$out/\$1.png"; }
# Window coordinates: the window sits at (1, 0); tree rows are 14 pixels from y 90.
click() { xdotool mousemove \$((1 + \$1)) \$2; sleep 0.3; xdotool click --repeat \$3 --delay 80 1; sleep 0.5; }
row() { echo \$((90 + 14 * \$1)); }
sleep 0.4; shot 1-start-up
sleep 6; shot 2-panels-open
click 805 \$(row 1) 2    # open the second country
click 825 \$(row 3) 2    # open its second genre
click 845 \$(row 4) 1    # select the channel
shot 3-channel-details
click 300 542 2          # play the favourite
sleep 5; shot 4-playing
kill \$program \$server
wait
EOF
chmod +x "$work/session.sh"
xvfb-run -a -s "-screen 0 1280x1024x24" "$work/session.sh"
echo "screenshots in $out"
