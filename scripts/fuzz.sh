#!/usr/bin/env bash
# Builds the libFuzzer target of the portable profile reader and writer with clang (address and
# undefined-behaviour sanitizers) and runs it for a bounded time on the committed seed corpus.
# Usage: scripts/fuzz.sh [seconds]   (default 20)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-20}
out=build/fuzz
mkdir -p "$out/corpus"

clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
  -Isrc fuzz/profile_fuzzer.cpp src/platform/profile_file.cpp -o "$out/profile_fuzzer"

# New inputs go to the build's corpus; the committed seeds are only read.
"$out/profile_fuzzer" -max_total_time="$seconds" -max_len=8192 -timeout=10 -print_final_stats=1 \
  "$out/corpus" fuzz/corpus/profile 2>&1 | tail -n 25
exit "${PIPESTATUS[0]}"
