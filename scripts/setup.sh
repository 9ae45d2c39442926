#!/usr/bin/env bash
# Installs every Debian package that the build, the tests and the demo need.
# Safe to run again: it only calls apt-get when something is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build clang-format pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev libegl-dev libvulkan-dev
  fonts-dejavu-core
  libcurl4-openssl-dev ca-certificates
  qt6-multimedia-dev pulseaudio pulseaudio-utils
  libqt6sql6-sqlite qt6-charts-dev libqt6opengl6-dev sqlite3
  python3 python3-dbus gdb
  iputils-ping xdg-utils
  qt6-svg-dev qt6-wayland weston dbus desktop-file-utils appstream dpkg-dev file fakeroot
  xvfb xauth imagemagick libxcb1-dev openbox xdotool x11-utils
  clang libclang-rt-14-dev llvm-14
  faketime
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update
"${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
