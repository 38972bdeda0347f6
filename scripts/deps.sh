#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the Debian 12 packages that building, playing and testing Glorbs3D
# need; only what is missing, through sudo when not root.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  libsdl2-dev libsdl2-mixer-dev libepoxy-dev
  libfreetype-dev libfontconfig-dev fonts-dejavu-core fonts-dejavu-extra
  libpng-dev libjpeg62-turbo-dev zlib1g-dev
  libgl1-mesa-dri libegl-mesa0 libegl1
)
if [ "${1:-}" = "--test" ]; then
  # A small window manager: full screen is tested with one and without.
  packages+=(openbox)
  packages+=(ccache clang-format googletest libgtest-dev xvfb xauth xdotool x11-utils x11-apps clang libclang-rt-14-dev python3)
  # The packaging checks: metadata validators, the manual page, the .deb.
  packages+=(appstream desktop-file-utils man-db dpkg-dev lintian file)
  # The web page and its browser test; scripts/web-deps.sh builds the rest.
  packages+=(emscripten chromium fonts-dejavu-extra)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
