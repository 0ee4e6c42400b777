#!/usr/bin/env bash
# Instructions per non-firing tick, counted by callgrind: two runs of the tick benchmark that differ
# only in their number of ticks, so that start-up and loading cancel out.
#   bench/tick_instructions.sh [build-dir]   (default: build/bench-release, configured if missing)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
build=${1:-build/bench-release}
command -v valgrind >/dev/null || { echo "valgrind is not installed" >&2; exit 2; }
if [[ ! -f $build/CMakeCache.txt ]]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" --target brellix_tick_bench >/dev/null
exe=$build/bench/brellix_tick_bench

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
instructions() {  # ticks -> total instructions of the run
  valgrind --tool=callgrind --callgrind-out-file="$work/out.$1" "$exe" --ticks-only "$1" 2>/dev/null
  awk '/^(summary|totals):/ { print $2; exit }' "$work/out.$1"
}
few=1000 many=11000
a=$(instructions $few)
b=$(instructions $many)
awk -v a="$a" -v b="$b" -v n=$((many - few)) -v build="$build" \
  'BEGIN { printf "instructions per non-firing tick: %.1f (%s, %d ticks)\n", (b - a) / n, build, n }'
