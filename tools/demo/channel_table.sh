# The demo channel list (channels.txt), for the generators that source this file.

# The channel lines: comments and blank lines left out.
demo_channels() { grep -v -e '^#' -e '^[[:space:]]*$' "$1"; }

# demo_media_file ID STREAM: the channel's file under the server's media folder, which is also
# its address under /live/.
demo_media_file() {
  case $2 in
    mp3) echo "radio-$1.mp3" ;;
    hls) echo "tv-$1/index.m3u8" ;;
    wmv) echo "tv-$1.wmv" ;;
    h264 | mpeg2) echo "tv-$1.ts" ;;
    *) echo "unknown stream kind '$2' of channel $1" >&2; return 1 ;;
  esac
}
