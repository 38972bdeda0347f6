#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The toolchain of the web build, from Debian alone: emscripten and chromium
# (the test's browser) as packages, and the six libraries the game links
# (SDL2, SDL2_mixer, FreeType, libpng, libjpeg-turbo, zlib) built for
# WebAssembly from Debian's source packages. Emscripten's own "ports" fetch
# from the net at build time, which CI machines cannot do.
#
# The libraries land in a cache folder outside the clone, one folder per
# library version and emscripten version, so a second run only checks stamps.
# Prints the prefix the web build links against on its last line.
set -euo pipefail
cd "$(dirname "$0")/.."

cache="${GLORBS_WEB_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/glorbs3d-web}"

# The versions bookworm's main archive carries: a newer security upload may
# have no source package in the archive.
libs=(
  "zlib 1:1.2.13.dfsg-1"
  "libpng1.6 1.6.39-2+deb12u5"
  "libjpeg-turbo 1:2.1.5-2"
  "freetype 2.12.1+dfsg-5+deb12u4"
  "libsdl2 2.26.5+dfsg-1"
  "libsdl2-mixer 2.6.2+dfsg-2"
)

packages=(emscripten chromium fonts-dejavu-core fonts-dejavu-extra dpkg-dev python3 cmake make pkg-config)

# Debian's emscripten with node: acorn lives in /usr/share/nodejs, and node's
# own fetch() breaks emscripten's loading of wasm files.
export NODE_PATH=/usr/share/nodejs
export NODE_OPTIONS=--no-experimental-fetch

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

em_version="$(dpkg-query -W -f='${Version}' emscripten)"
prefix="$cache/emscripten-${em_version//[:~]/_}"
mkdir -p "$prefix/stamps"

stamp_of() { echo "$prefix/stamps/$1-${2//[:~]/_}"; }

todo=()
for entry in "${libs[@]}"; do
  read -r name version <<<"$entry"
  [ -e "$(stamp_of "$name" "$version")" ] || todo+=("$entry")
done
if [ ${#todo[@]} -eq 0 ]; then
  echo "$prefix"
  exit 0
fi

# Source entries for the same archive, in a file of their own.
src_list=/etc/apt/sources.list.d/glorbs3d-web-src.sources
if [ ! -e "$src_list" ]; then
  $sudo tee "$src_list" >/dev/null <<'EOF'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb-src
URIs: http://deb.debian.org/debian-security
Suites: bookworm-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
  $sudo apt-get update -qq
fi

# Two cores at most: the machines that build this are shared.
jobs="${GLORBS_WEB_JOBS:-2}"
src_root="$cache/src"
mkdir -p "$cache/build"
mkdir -p "$src_root"

fetch_source() { # name version -> prints the unpacked folder
  local name="$1" version="$2" dir="$src_root/$1-${2//[:~]/_}"
  if [ ! -e "$dir/.unpacked" ]; then
    rm -rf "$dir"
    mkdir -p "$dir"
    (cd "$dir" && apt-get source -qq "$name=$version" >/dev/null 2>&1)
    touch "$dir/.unpacked"
  fi
  find "$dir" -mindepth 1 -maxdepth 1 -type d | head -n 1
}

cmake_lib() { # source-folder build-folder cmake-options...
  local src="$1" bld="$2"
  shift 2
  rm -rf "$bld"
  emcmake cmake -S "$src" -B "$bld" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_PREFIX_PATH="$prefix" \
    -DCMAKE_FIND_ROOT_PATH="$prefix" -DBUILD_SHARED_LIBS=OFF \
    -DCMAKE_CROSSCOMPILING_EMULATOR=/usr/bin/node "$@" >/dev/null
  cmake --build "$bld" -j"$jobs" >/dev/null
  cmake --install "$bld" >/dev/null
}

for entry in "${todo[@]}"; do
  read -r name version <<<"$entry"
  echo "Building $name $version for the web"
  src="$(fetch_source "$name" "$version")"
  bld="$cache/build/$name"
  case "$name" in
    zlib)
      # Its CMake build wants a Windows resource file Debian's tarball lacks.
      rm -rf "$bld"
      cp -a "$src" "$bld"
      (cd "$bld" && emconfigure ./configure --static --prefix="$prefix" >/dev/null &&
        emmake make -j"$jobs" libz.a >/dev/null && emmake make install >/dev/null)
      ;;
    libpng1.6)
      cmake_lib "$src" "$bld" -DPNG_SHARED=OFF -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
        -DZLIB_LIBRARY="$prefix/lib/libz.a" -DZLIB_INCLUDE_DIR="$prefix/include"
      ;;
    libjpeg-turbo)
      cmake_lib "$src" "$bld" -DENABLE_SHARED=OFF -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF -DWITH_JAVA=OFF
      ;;
    freetype)
      # zlib from the prefix: without it FreeType compiles its own copy,
      # whose symbols clash with zlib's in the game's link.
      cmake_lib "$src" "$bld" -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON -DFT_DISABLE_BZIP2=ON \
        -DFT_DISABLE_PNG=ON -DFT_REQUIRE_ZLIB=ON \
        -DZLIB_LIBRARY="$prefix/lib/libz.a" -DZLIB_INCLUDE_DIR="$prefix/include"
      ;;
    libsdl2)
      cmake_lib "$src" "$bld" -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF -DSDL_THREADS=OFF
      ;;
    libsdl2-mixer)
      # The game plays WAV recordings only.
      cmake_lib "$src" "$bld" -DSDL2MIXER_VENDORED=OFF -DSDL2MIXER_SAMPLES=OFF \
        -DSDL2MIXER_OPUS=OFF -DSDL2MIXER_FLAC=OFF -DSDL2MIXER_MOD=OFF -DSDL2MIXER_MP3=OFF \
        -DSDL2MIXER_MIDI=OFF -DSDL2MIXER_VORBIS=OFF -DSDL2MIXER_CMD=OFF \
        -DSDL2_DIR="$prefix/lib/cmake/SDL2"
      ;;
  esac
  rm -rf "$bld"
  touch "$(stamp_of "$name" "$version")"
done
echo "$prefix"
