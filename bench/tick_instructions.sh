#!/usr/bin/env bash
# Instructions per non-firing tick and per arm/disarm cycle, counted by callgrind: for each, two
# runs of the tick benchmark that differ only in their count, so that start-up and loading cancel.
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
instructions() {  # mode count -> total instructions of the run
  valgrind --tool=callgrind --callgrind-out-file="$work/out.$1.$2" "$exe" "--$1-only" "$2" 2>/dev/null
  awk '/^(summary|totals):/ { print $2; exit }' "$work/out.$1.$2"
}
per() {  # mode label -> one line
  local few=1000 many=11000 a b
  a=$(instructions "$1" $few)
  b=$(instructions "$1" $many)
  awk -v a="$a" -v b="$b" -v n=$((many - few)) -v label="$2" -v build="$build" \
    'BEGIN { printf "instructions per %s: %.1f (%s, %d of them)\n", label, (b - a) / n, build, n }'
}
per ticks "non-firing tick"
per cycles "arm/disarm cycle"
