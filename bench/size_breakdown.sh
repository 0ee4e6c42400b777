#!/usr/bin/env bash
# Where the bytes of Brellix.exe come from: links it once more with a map file and sums the
# sections kept from each object. The linker keeps every function of an object it pulls in that
# has unwind data, so an object counts whole: drop the reference that pulls it, not its callers.
# The product's own code is optimised at link time and shows as one or more *.ltrans.o.
#   bench/size_breakdown.sh [mingw-build-dir [rows]]   (default: build/bench-mingw, 40 rows)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
build=${1:-build/bench-mingw}
rows=${2:-40}
[[ -f $build/CMakeCache.txt ]] || cmake --preset mingw-x64 -B "$build" >/dev/null
cmake --build "$build" --target Brellix >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The exe's own link command, writing to the work directory with a map.
link=$(cd "$build" && ninja -t commands Brellix.exe | tail -1 | sed 's/^: && //; s/ && :$//')
(cd "$build" && eval "${link/-o Brellix.exe/-o $work/Brellix.exe -Wl,-Map,$work/Brellix.map}")
echo "Brellix.exe: $(stat -c %s "$work/Brellix.exe") bytes"

# Map lines of kept input sections: " .name 0xADDR 0xSIZE file", the name alone on the line
# before when it is long. Why each archive member was pulled in is in the map's first part.
awk '
  function hex(s,   i, n) { n = 0; s = tolower(substr(s, 3))
    for (i = 1; i <= length(s); i++) n = n * 16 + index("0123456789abcdef", substr(s, i, 1)) - 1
    return n }
  /^Linker script and memory map/ { on = 1; next }
  !on { next }
  /^ \.[^ ]+$/ { name = $1; next }
  /^ \.[^ ]+ +0x[0-9a-f]+ +0x[0-9a-f]+ +[^ ]/ { name = $1; add($3, $4); name = ""; next }
  name != "" && /^ +0x[0-9a-f]+ +0x[0-9a-f]+ +[^ ]/ { add($2, $3) }
  { name = "" }
  function add(size, file) { if (name ~ /^\.debug/) return; sub(/.*\//, "", file); bytes[file] += hex(size) }
  END { for (f in bytes) printf "%8d  %s\n", bytes[f], f }
' "$work/Brellix.map" | sort -rn | head -n "$rows"
