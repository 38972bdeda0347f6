#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Records the replays of the test suite again (tests/replays/*.glrp) and
# their reference pictures (tests/replays/*.png), after a change that
# legitimately changes how the game plays or looks. Each scenario runs the
# real program loop driven by a scripted player on a fixed 60 Hz clock, so
# the same code records the same bytes.
#   tools/record_replays.sh [build dir, default build] [scenario ...]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
shift || true
scenarios=("$@")
[ ${#scenarios[@]} -gt 0 ] || scenarios=(levels combat menus controls)
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy LIBGL_ALWAYS_SOFTWARE=1
cmake --build "$build" -j2 --target replay_tests
tests="$build/tests/replays/replay_tests"
declare -A play=([levels]=LevelsOneAndTwo* [combat]=WeaponsPause* [menus]=TheMenus* [controls]=TheInputConfiguration*)
for name in "${scenarios[@]}"; do
  (cd "$build/tests/replays" && GLORBS_RECORD_SCENARIO="$name" "$tests" --gtest_also_run_disabled_tests \
    --gtest_filter=ReplayGameTest.DISABLED_Record)
  (cd "$build/tests/replays" && GLORBS_WRITE_REFERENCE=1 "$tests" --gtest_filter="ReplayGameTest.${play[$name]}")
  ls -l "$root/tests/replays/$name.glrp" "$root/tests/replays/$name.png"
done
