#!/usr/bin/env bash
# Installs every Debian 12 package Vantrel needs to build, run and test. Safe to run again:
# it asks apt only when something is missing.
set -euo pipefail

packages=(
  cmake g++ make pkg-config git
  qt6-base-dev libqt6opengl6-dev libgl-dev libglx-dev
  libmpv-dev
  libavformat-dev libavcodec-dev libavutil-dev ffmpeg
  libcurl4-openssl-dev libpugixml-dev zlib1g-dev libsodium-dev minisign
  libexpat1-dev libsqlite3-dev
  libgtest-dev libgmock-dev libbenchmark-dev libcpp-httplib-dev unzip
  libxtst-dev xvfb xauth x11-utils xdotool imagemagick fonts-dejavu-core
  libssl-dev openssl
  clang libclang-rt-14-dev
  dbus-daemon dbus-bin weston qt6-wayland desktop-file-utils appstream dpkg-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
