#!/usr/bin/env bash
# Makes the demo channels' streams with the ffmpeg command, nothing downloaded: for each
# television channel a test picture with its name, a running clock and a tone that ticks each
# second; for each radio channel a tune of tones. Clips are short; the server loops them.
#   make_media.sh CHANNELS OUTDIR       every channel, two at a time
#   make_media.sh --one CHANNELS OUTDIR ID
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/channel_table.sh"

seconds=12          # one loop of a transport stream, HLS playlist or radio tune
wmv_seconds=60      # an ASF file cannot be looped; it is sent once
font=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf

ff() { ffmpeg -nostdin -hide_banner -loglevel error -y -filter_threads 1 "$@"; }

# picture LOOK SIZE HUE: the lavfi source of a test picture.
picture() {
  local rate=25
  case $1 in
    testsrc2) echo "testsrc2=s=$2:r=$rate,hue=h=$3" ;;
    testsrc) echo "testsrc=s=$2:r=$rate,hue=h=$3" ;;
    smpte) echo "smptehdbars=s=$2:r=$rate" ;;
    rgb) echo "rgbtestsrc=s=$2:r=$rate,hue=h=$3" ;;
    sweep) echo "color=c=0x1a3a6a:s=$2:r=$rate,drawbox=x=mod(t*120\\,w):y=0:w=48:h=ih:c=0xF0A030:t=fill,hue=h=$3" ;;
    *) echo "unknown look '$1'" >&2; return 1 ;;
  esac
}

# tune LOOK FREQUENCY: the lavfi source of a radio tune; every period divides the loop.
tune() {
  local f=$2
  case $1 in
    chord) echo "aevalsrc=exprs='(0.22*sin(2*PI*$f*t)+0.14*sin(2*PI*$f*1.25*t)+0.1*sin(2*PI*$f*1.5*t))*(0.65+0.35*sin(PI*t/2))':s=44100" ;;
    pulse) echo "aevalsrc=exprs='0.35*sin(2*PI*$f*t)*exp(-7*mod(t,0.5))+0.1*sin(PI*$f*t)':s=44100" ;;
    bells) echo "aevalsrc=exprs='0.3*sin(2*PI*$f*pow(2,trunc(mod(t*2,8))/6)*t)*exp(-5*mod(t,0.5))':s=44100" ;;
    *) echo "unknown look '$1'" >&2; return 1 ;;
  esac
}

# Texts the pictures carry; drawtext reads them from files, so names need no escaping.
overlay() {
  local dir=$1
  echo "drawtext=fontfile=$font:textfile=$dir/name.txt:fontsize=26:fontcolor=white:box=1:boxcolor=black@0.55:boxborderw=8:x=16:y=16,\
drawtext=fontfile=$font:text=ЭФИР:fontsize=18:fontcolor=white:box=1:boxcolor=0xC01818@0.9:boxborderw=6:x=w-tw-20:y=20,\
drawtext=fontfile=$font:textfile=$dir/clock.txt:fontsize=22:fontcolor=yellow:box=1:boxcolor=black@0.55:boxborderw=6:x=12+mod(t*40\,w-tw-24):y=h-th-18"
}

make_one() {
  local channels=$1 out=$2 id=$3 line
  line=$(demo_channels "$channels" | awk -F'|' -v id="$id" '$1 == id')
  [ -n "$line" ] || { echo "make_media.sh: no channel $id" >&2; return 1; }
  local stream look name kbps file
  stream=$(cut -d'|' -f3 <<<"$line") look=$(cut -d'|' -f4 <<<"$line")
  name=$(cut -d'|' -f5 <<<"$line") kbps=$(cut -d'|' -f8 <<<"$line")
  file=$(demo_media_file "$id" "$stream")
  local hue=$(( id * 53 % 360 )) tone=$(( 300 + id % 10 * 55 ))
  local work
  work=$(mktemp -d)
  trap 'rm -rf "$work"' RETURN
  printf '%s' "$name" >"$work/name.txt"
  printf '%s' '%{pts:hms}' >"$work/clock.txt"
  local beep="sine=frequency=$tone:beep_factor=4:sample_rate=44100"
  local part="$out/$file.part"
  mkdir -p "$out"
  case $stream in
    h264)
      ff -f lavfi -i "$(picture "$look" 480x270 "$hue"),$(overlay "$work")" -f lavfi -i "$beep" -t $seconds \
         -c:v libx264 -preset ultrafast -threads 1 -g 25 -pix_fmt yuv420p -b:v 700k -maxrate 900k -bufsize 1400k \
         -c:a aac -b:a 64k -f mpegts "$part" ;;
    mpeg2)
      ff -f lavfi -i "$(picture "$look" 640x360 "$hue"),$(overlay "$work")" -f lavfi -i "$beep" -t $seconds \
         -c:v mpeg2video -threads 1 -g 12 -b:v 1500k -c:a mp2 -b:a 128k -f mpegts "$part" ;;
    wmv)
      ff -f lavfi -i "$(picture "$look" 480x270 "$hue"),$(overlay "$work")" -f lavfi -i "$beep" -t $wmv_seconds \
         -c:v wmv2 -threads 1 -b:v 500k -c:a wmav2 -b:a 64k -f asf "$part" ;;
    hls)
      # Segments start on key frames two seconds apart, so the live window can cut anywhere.
      local folder
      folder=$(dirname "$out/$file")
      part="$folder.part"
      rm -rf "$part" && mkdir -p "$part"
      ff -f lavfi -i "$(picture "$look" 480x270 "$hue"),$(overlay "$work")" -f lavfi -i "$beep" -t $seconds \
         -c:v libx264 -preset ultrafast -threads 1 -g 50 -keyint_min 50 -sc_threshold 0 -pix_fmt yuv420p -b:v 700k \
         -c:a aac -b:a 64k -f hls -hls_time 2 -hls_list_size 0 -hls_playlist_type vod \
         -hls_segment_filename "$part/seg%d.ts" "$part/index.m3u8"
      rm -rf "$folder" && mv "$part" "$folder"
      return ;;
    mp3)
      # No tags and no Xing frame: the server joins the file to itself.
      ff -f lavfi -i "$(tune "$look" "$tone")" -t $seconds -c:a libmp3lame -b:a "${kbps}k" \
         -write_xing 0 -id3v2_version 0 -write_id3v1 0 -f mp3 "$part" ;;
  esac
  # Renamed last, so an interrupted run never leaves a half-written stream behind a good name.
  mv "$part" "$out/$file"
}

if [ "${1:-}" = --one ]; then
  [ $# -eq 4 ] || { echo "usage: $0 --one CHANNELS OUTDIR ID" >&2; exit 64; }
  make_one "$2" "$3" "$4"
  exit
fi
[ $# -eq 2 ] || { echo "usage: $0 CHANNELS OUTDIR" >&2; exit 64; }
[ -r "$font" ] || { echo "make_media.sh: $font is missing (package fonts-dejavu-core)" >&2; exit 1; }
mkdir -p "$2"
demo_channels "$1" | cut -d'|' -f1 | xargs -P 2 -I{} bash "$here/make_media.sh" --one "$1" "$2" {}
