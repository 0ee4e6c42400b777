#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (address and undefined-behaviour sanitizers) and runs
# them side by side for a bounded time, each on its committed seed corpus in fuzz/corpus/<target>:
#   profile       the portable profile reader and writer
#   command_line  the argument text, the keyword search and Main's opening
#   startup       a settings file's bytes through the interactive start, exit and a second start
# Usage: scripts/fuzz.sh [seconds per target] [target...]   (default 15, all targets)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-15}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(profile command_line startup)

out=build/fuzz
mkdir -p "$out/obj" "$out/generated"

# The generated header the window's layout includes, with the default build settings.
setting() { sed -nE "s/^set\($1 \"([^\"]*)\".*/\1/p" CMakeLists.txt; }
version=$(sed -nE 's/^project\(Brellix VERSION ([0-9.]+).*/\1/p' CMakeLists.txt)
IFS=. read -r major minor patch <<< "$version"
sed -e "s|@PROJECT_VERSION_MAJOR@|$major|; s|@PROJECT_VERSION_MINOR@|$minor|; s|@PROJECT_VERSION_PATCH@|$patch|" \
    -e "s|@PROJECT_VERSION@|$version|; s|@BRELLIX_MAKER_URL@|$(setting BRELLIX_MAKER_URL)|" \
    -e "s|@BRELLIX_CREDIT_NAME@|$(setting BRELLIX_CREDIT_NAME)|" \
    src/app/build_config.h.in > "$out/generated/build_config.h.new"
cmp -s "$out/generated/build_config.h.new" "$out/generated/build_config.h" ||
  mv "$out/generated/build_config.h.new" "$out/generated/build_config.h"

flags=(-std=c++20 -O1 -g -fno-sanitize-recover=all -Isrc -Itests "-I$out/generated")
compile_flags=("${flags[@]}" -fsanitize=fuzzer-no-link,address,undefined)
link_flags=("${flags[@]}" -fsanitize=fuzzer,address,undefined)

# Everything portable and the memory backends: what the program runs on a test's desk.
mapfile -t portable < <(ls src/platform/*.cpp src/platform/memory/*.cpp \
  src/{power,settings,scheduler,ui}/*.cpp src/app/main_entry.cpp src/app/startup.cpp)

sources_of() {
  case $1 in
    profile) echo src/platform/profile_file.cpp ;;
    *) printf '%s\n' "${portable[@]}" ;;
  esac
}

# Settings files are small; long inputs would only slow the start-up target down.
max_len_of() { case $1 in startup) echo 2048 ;; *) echo 8192 ;; esac; }

object_of() { local name=${1#src/}; echo "$out/obj/${name//\//_}.o"; }

# Objects are rebuilt when their source or any header is newer: crude, but always right.
newest_header=$(ls -t src/*/*.h src/platform/*/*.h "$out/generated/build_config.h" | head -1)
for source in $(for target in "${targets[@]}"; do sources_of "$target"; done | sort -u); do
  object=$(object_of "$source")
  if [ ! -f "$object" ] || [ "$source" -nt "$object" ] || [ "$newest_header" -nt "$object" ]; then
    echo "$source $object"
  fi
done | xargs -r -n2 -P "$(nproc)" bash -c 'clang++ "${@:1:$#-2}" -c "${@: -2:1}" -o "${@: -1}"' _ "${compile_flags[@]}"

links=()
for target in "${targets[@]}"; do
  mapfile -t objects < <(sources_of "$target" | while read -r s; do object_of "$s"; done)
  clang++ "${link_flags[@]}" "fuzz/${target}_fuzzer.cpp" "${objects[@]}" -o "$out/${target}_fuzzer" &
  links+=($!)
done
for pid in "${links[@]}"; do wait "$pid"; done

# The start-up target writes its settings file on every run: keep that off the disk.
if [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi

# Side by side: new inputs go to the build's corpus; the committed seeds are only read. A crash
# leaves its input as $out/<target>-crash-...: fix the fault, then commit the input beside the seeds.
pids=()
for target in "${targets[@]}"; do
  mkdir -p "$out/corpus/$target"
  dict=()
  [ -f "fuzz/$target.dict" ] && dict=("-dict=fuzz/$target.dict")
  "$out/${target}_fuzzer" -max_total_time="$seconds" -max_len="$(max_len_of "$target")" -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$out/$target-" "${dict[@]}" "$out/corpus/$target" "fuzz/corpus/$target" \
    > "$out/$target.log" 2>&1 &
  pids+=($!)
done

status=0
for i in "${!targets[@]}"; do
  if wait "${pids[$i]}"; then result=ok; else result=FAILED; status=1; fi
  echo "== fuzz target ${targets[$i]}: $result"
  if [ $result = ok ]; then
    grep -E '^(Done|stat::number_of_executed_units|stat::peak_rss_mb)' "$out/${targets[$i]}.log" || true
  else
    tail -n 40 "$out/${targets[$i]}.log"
  fi
done
exit $status
