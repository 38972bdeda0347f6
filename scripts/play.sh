#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds Glorbs3D in build/ and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF
cmake --build build -j"$(nproc)" --target glorbs3d
exec build/glorbs3d "$@"
