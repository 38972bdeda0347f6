#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer) in their
# own build directory and runs each for a bounded time.
#   tests/fuzz/run.sh [seconds per target, default 60] [build dir]
# The checked-in corpus seeds each run; new inputs go to a scratch copy so
# tests/fuzz/corpus stays small. Crashes land in the build dir and fail the run.
set -euo pipefail
seconds="${1:-60}"
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
build="${2:-$root/build-fuzz}"

mkdir -p "$build"
CC=/usr/bin/clang CXX=/usr/bin/clang++ cmake -S "$root" -B "$build" -DGLORBS_FUZZ=ON -DBUILD_TESTING=ON \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo > "$build/configure.log"
targets=(xfile image wav user_maps mesh replay)
cmake --build "$build" -j2 --target "${targets[@]/#/fuzz_}"

status=0
for target in "${targets[@]}"; do
  scratch="$build/corpus-$target"
  mkdir -p "$scratch" "$build/artifacts-$target"
  cp -n "$here/corpus/$target/"* "$scratch/" 2>/dev/null || true
  echo "fuzz_$target: ${seconds}s"
  if ! "$build/tests/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix="$build/artifacts-$target/" -print_final_stats=1 "$scratch" 2> "$build/fuzz_$target.log"; then
    echo "fuzz_$target FAILED; see $build/fuzz_$target.log and $build/artifacts-$target/"
    tail -40 "$build/fuzz_$target.log"
    status=1
  else
    grep -E 'stat::number_of_executed_units|cov:' "$build/fuzz_$target.log" | tail -2
  fi
done
exit $status
