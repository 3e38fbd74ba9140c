#!/usr/bin/env bash
# Writes the demo catalogues and the update server's channel offer:
#   OUTDIR/channels.xml, OUTDIR/channels.dat    the catalogue the program starts with
#   OUTDIR/server/channels/channels.dat         the newer one the server offers, with its
#   OUTDIR/server/channels/version, offer.txt   version and the number of channels it adds
#   OUTDIR/server/program/default.txt           empty: no program update, and the checks go on
#   OUTDIR/address                              BASE, where tools/run.sh starts the server
# Every channel plays from BASE + "live/" + its media file.
#   make_catalogues.sh CHANNELS BASE START_VERSION OFFERED_VERSION CATALOGUE_TOOL OUTDIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/channel_table.sh"
[ $# -eq 6 ] || { echo "usage: $0 CHANNELS BASE START_VERSION OFFERED_VERSION CATALOGUE_TOOL OUTDIR" >&2; exit 64; }
channels=$1 base=$2 start_version=$3 offered_version=$4 tool=$5 out=$6
[ "$start_version" -lt "$offered_version" ] || { echo "$0: the offered catalogue must be newer" >&2; exit 1; }

xml_escape() { sed -e 's/&/\&amp;/g' -e 's/</\&lt;/g' -e 's/>/\&gt;/g' -e 's/"/\&quot;/g' <<<"$1"; }

# catalogue VERSION WITH_NEW: the catalogue's XML; WITH_NEW=1 takes the new channels too.
catalogue() {
  local version=$1 with_new=$2 id in stream look name country genre kbps site description type url
  echo '<?xml version="1.0" encoding="UTF-8"?>'
  echo "<channels version=\"$version\">"
  while IFS='|' read -r id in stream look name country genre kbps site description; do
    [ "$in" = start ] || [ "$with_new" = 1 ] || continue
    type=1
    [ "$stream" = mp3 ] && type=2
    url="$base"live/$(demo_media_file "$id" "$stream")
    printf '  <channel id="%s" name="%s" type="%s" URL="%s">\n' "$id" "$(xml_escape "$name")" "$type" "$(xml_escape "$url")"
    printf '    <description>%s</description>\n' "$(xml_escape "$description")"
    printf '    <genre>%s</genre>\n    <country>%s</country>\n' "$(xml_escape "$genre")" "$(xml_escape "$country")"
    printf '    <site_URL>%s</site_URL>\n    <BPS>%s</BPS>\n  </channel>\n' "$(xml_escape "$site")" "$kbps"
  done < <(demo_channels "$channels")
  echo '</channels>'
}

mkdir -p "$out/server/channels" "$out/server/program" "$out/server/files" "$out/server/skins"
catalogue "$start_version" 0 >"$out/channels.xml"
catalogue "$offered_version" 1 >"$out/server/channels/channels.xml"
"$tool" pack "$out/channels.xml" "$out/channels.dat"
"$tool" pack "$out/server/channels/channels.xml" "$out/server/channels/channels.dat"
echo "$offered_version" >"$out/server/channels/version"
added=$(demo_channels "$channels" | awk -F'|' '$2 == "new"' | wc -l)
printf ' КБ нового списка каналов получено\n%s\n' "$added" >"$out/server/channels/offer.txt"
printf '%s\n' "$base" >"$out/address"
# "1024" (nothing new) would make the program skip the skin and channel checks.
: >"$out/server/program/default.txt"
