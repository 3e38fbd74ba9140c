#!/usr/bin/env bash
# Generates the test streams with the ffmpeg command: a moving test picture with a frame
# counter and a tone, a few seconds each. Usage: make_media.sh OUTDIR
set -euo pipefail
out=$1
mkdir -p "$out/hls"
ff() { ffmpeg -nostdin -hide_banner -loglevel error -y "$@"; }
pic() { echo "testsrc2=size=${1}:rate=25"; }
tone="sine=frequency=440:sample_rate=44100"

ff -f lavfi -i "$(pic 320x240)" -f lavfi -i "$tone" -t 6 -c:v libx264 -preset ultrafast -g 25 \
   -pix_fmt yuv420p -c:a aac -b:a 64k -f mpegts "$out/h264_aac.ts.part"
ff -f lavfi -i "$(pic 320x240)" -f lavfi -i "$tone" -t 6 -c:v mpeg2video -q:v 6 -g 12 \
   -c:a mp2 -b:a 128k -f mpegts "$out/mpeg2_mp2.ts.part"
ff -f lavfi -i "sine=frequency=330:sample_rate=44100" -t 10 -c:a libmp3lame -b:a 128k -f mp3 "$out/radio.mp3.part"
ff -f lavfi -i "$(pic 320x240)" -f lavfi -i "$tone" -t 6 -c:v wmv2 -b:v 600k -c:a wmav2 -b:a 64k \
   -f asf "$out/clip.wmv.part"
ff -f lavfi -i "$(pic 320x240)" -f lavfi -i "$tone" -t 6 -c:v libx264 -preset ultrafast -g 25 \
   -pix_fmt yuv420p -c:a aac -b:a 64k -f hls -hls_time 2 -hls_list_size 0 -hls_playlist_type vod \
   -hls_segment_filename "$out/hls/seg%d.ts" "$out/hls/index.m3u8"
ff -f lavfi -i "$(pic 1280x720)" -f lavfi -i "$tone" -t 6 -c:v libx264 -preset ultrafast -g 25 \
   -pix_fmt yuv420p -b:v 5M -maxrate 5M -bufsize 2M -c:a aac -b:a 128k -f mpegts "$out/h264_720p_5m.ts.part"
# Opus audio, which an AVI file cannot hold.
ff -f lavfi -i "sine=frequency=550:sample_rate=48000" -t 3 -c:a libopus -b:a 32k -f mpegts "$out/opus.ts.part"
# HEVC video, which an AVI file cannot hold either.
ff -f lavfi -i "$(pic 320x240)" -t 2 -c:v libx265 -preset ultrafast -g 25 -pix_fmt yuv420p \
   -x265-params log-level=error -f mpegts "$out/hevc.ts.part"
# A clip short enough to be played to its end in a test.
ff -f lavfi -i "$(pic 320x240)" -f lavfi -i "$tone" -t 1 -c:v libx264 -preset ultrafast -g 25 \
   -pix_fmt yuv420p -c:a aac -b:a 64k -f mpegts "$out/short.ts.part"
# A broadcast-like 720p channel with a key frame every 2 s only, for zapping on a network.
ff -f lavfi -i "$(pic 1280x720)" -f lavfi -i "$tone" -t 10 -c:v libx264 -preset ultrafast \
   -x264-params keyint=50:min-keyint=50:scenecut=0 -pix_fmt yuv420p -b:v 3M -maxrate 3M -bufsize 3M \
   -c:a aac -b:a 128k -f mpegts "$out/h264_720p_gop2.ts.part"

# Renamed last, so an interrupted run never leaves a half-written stream behind a good name.
for f in h264_aac.ts mpeg2_mp2.ts radio.mp3 clip.wmv h264_720p_5m.ts opus.ts short.ts hevc.ts h264_720p_gop2.ts; do mv "$out/$f.part" "$out/$f"; done
