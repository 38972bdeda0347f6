#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the web page of the game into build-web/ (or the folder given):
# index.html, glorbs3d.js, glorbs3d.wasm and glorbs3d.data (the generated
# models, pictures and the bundled fonts). The generators run natively, so a
# native build of them comes first, in build-web/host. Serve the folder with
# any static server, e.g. python3 -m http.server -d build-web 8000.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
out="${1:-build-web}"
case "$out" in /*) ;; *) out="$root/$out" ;; esac
jobs="${GLORBS_WEB_JOBS:-2}"

prefix="$(scripts/web-deps.sh | tail -n 1)"
# Debian's emscripten with node: see scripts/web-deps.sh.
export NODE_PATH=/usr/share/nodejs
export NODE_OPTIONS=--no-experimental-fetch

host="$out/host"
cmake -S . -B "$host" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$host" -j"$jobs" --target glorbs_media glorbs_resources glorbs_embed

cmake -S . -B "$out" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/web-toolchain.cmake" -DCMAKE_BUILD_TYPE=Release \
  -DBUILD_TESTING=OFF -DGLORBS_WEB_PREFIX="$prefix" -DGLORBS_HOST_TOOLS_DIR="$host" >/dev/null
cmake --build "$out" -j"$jobs" --target glorbs3d
echo "The page: $out/index.html (serve the folder, e.g. python3 -m http.server -d $out 8000)"
