#!/bin/sh
# SPDX-License-Identifier: MIT
# The game folders link one way, app -> input -> render -> world -> audio ->
# common, and the rules of play build without the devices: the CMake target
# graph of the glorbs_* libraries has no cycle and no arrow against that
# order, and world_tests reaches no SDL, OpenGL or FreeType, neither in the
# graph nor among the libraries its executable loads.
# Usage: folder_arrows_check.sh <source folder> <scratch folder> <world_tests>
set -eu
source_dir=$1
scratch=$2
world_tests=$3

rm -rf "$scratch"
mkdir -p "$scratch"
# A configure of its own, so the check never touches the build tree it runs in.
if ! cmake -S "$source_dir" -B "$scratch/build" --graphviz="$scratch/targets.dot" >"$scratch/configure.log" 2>&1; then
  cat "$scratch/configure.log"
  exit 1
fi

# Every arrow as "from to", by target name (graphviz writes the names in a
# comment after each edge).
sed -n 's/^ *"node[0-9]*" -> "node[0-9]*".*\/\/ \(.*\) -> \(.*\)$/\1 \2/p' "$scratch/targets.dot" | sort -u >"$scratch/edges"
if [ ! -s "$scratch/edges" ]; then
  echo "no arrows read from the target graph"
  exit 1
fi
awk '$1 ~ /^glorbs_/ && $2 ~ /^glorbs_/ && $1 != $2' "$scratch/edges" >"$scratch/game_edges"

status=0
if ! tsort "$scratch/game_edges" >/dev/null 2>"$scratch/loops"; then
  echo "the glorbs_* targets link in a cycle:"
  cat "$scratch/loops"
  status=1
fi

against=$(awk '
  BEGIN { n = split("glorbs_app glorbs_input glorbs_render glorbs_world glorbs_audio glorbs_common", order, " ")
          for (i = 1; i <= n; ++i) rank[order[i]] = i }
  ($1 in rank) && ($2 in rank) && rank[$1] >= rank[$2] { print "  " $1 " -> " $2 }' "$scratch/game_edges")
if [ -n "$against" ]; then
  echo "arrows against app -> input -> render -> world -> audio -> common:"
  echo "$against"
  status=1
fi

# Everything world_tests links, directly or through others.
echo world_tests >"$scratch/reached"
while :; do
  awk 'NR == FNR { seen[$0] = 1; next } ($1 in seen) && !($2 in seen) { print $2 }' \
    "$scratch/reached" "$scratch/edges" | sort -u >"$scratch/new"
  [ -s "$scratch/new" ] || break
  cat "$scratch/new" >>"$scratch/reached"
done
devices=$(grep -iE 'sdl|epoxy|opengl|libgl|freetype|fontconfig|glorbs_host|glorbs_d3d8' "$scratch/reached" || true)
if [ -n "$devices" ]; then
  echo "world_tests links device libraries:"
  echo "$devices"
  status=1
fi
loaded=$(ldd "$world_tests" | grep -iE 'libSDL|libepoxy|libGL|libEGL|libfreetype|libfontconfig' || true)
if [ -n "$loaded" ]; then
  echo "world_tests loads device libraries:"
  echo "$loaded"
  status=1
fi
exit $status
