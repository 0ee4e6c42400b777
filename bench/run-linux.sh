#!/usr/bin/env bash
# The Linux desktop benchmark: builds what it needs (the linux preset, Release, in build/bench-linux)
# and prints one table of brellix's measured costs with the targets beside them, on a private
# headless desktop (scripts/linux-desktop.sh: Xvfb, private buses, the mock logind; no tray host).
#
#   bash bench/run-linux.sh          (about two minutes; BRELLIX_BENCH_RUNS=11, BRELLIX_BENCH_FIRINGS=10)
#   bash bench/run-linux.sh startup  (only start-up and memory)
#   bash bench/run-linux.sh fire     (only the fire latency)
#   (progress goes to stderr, the table to stdout)
#
# How each figure is taken:
# - start-up: from the moment this script starts the program to the moment its top-level window
#   is mapped, as bench/linux/map_probe sees it (it listens for MapNotify on the root window before
#   the program starts and stamps the event with the wall-clock time). Against bench/linux/
#   minimal_qt.cpp, a Qt 6 Widgets program showing one empty window of the same size, built in the
#   same build with the same flags; and against that program with --controls (+controls: it also
#   shows brellix's kinds and numbers of controls with Chinese text, so it loads the fonts and text
#   shaping brellix needs). One uncounted start of each, then the programs in turn (each in each
#   place of a round equally often); median of the runs.
# - memory: VmRSS of the process from /proc, one second after its window was mapped. Median.
# - fire latency: brellix with settings for a time 3 s ahead (power off), armed with Enter; the
#   latency is the mock logind's time stamp of the PowerOff call minus the start of the target
#   second (the mock and this script read the same wall clock). Armed at a random point of a
#   second, so the 333 ms ticks' phase against the second varies as it would for a user.
# - heap allocations per non-firing tick: bench/tick_bench.cpp (the portable tick against the
#   memory backends, the same code the Qt backend's timer runs), reported as it prints it.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
PART=${1:-all}
case $PART in all | startup | fire) ;; *) echo "usage: bench/run-linux.sh [startup|fire]" >&2; exit 2 ;; esac
part() { [[ $PART == all || $PART == "$1" ]]; }
RUNS=${BRELLIX_BENCH_RUNS:-11}
FIRINGS=${BRELLIX_BENCH_FIRINGS:-10}
BUILD=build/bench-linux
log() { echo "bench: $*" >&2; }

log "building (linux preset, Release, in $BUILD)"
cmake --preset linux -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DBRELLIX_BUILD_TESTS=OFF > /dev/null
cmake --build "$BUILD" -j2 --target brellix brellix_minimal_qt brellix_map_probe brellix_tick_bench > /dev/null

source scripts/linux-desktop.sh
RUN=$(mktemp -d "$PWD/$BUILD/run.XXXXXX")
APPS=()
cleanup() {
  local pid
  for pid in "${APPS[@]}"; do
    [[ -d /proc/$pid ]] && kill -9 "$pid" 2> /dev/null
  done
  linux_desktop_stop "$RUN"
  rm -rf "$RUN"
}
trap cleanup EXIT
linux_desktop_start "$RUN" > /dev/null
linux_desktop_require_private_bus "$RUN"

# The programs in one directory of the run: brellix keeps its settings beside itself, there.
BIN=$RUN/bin
mkdir -p "$BIN"
cp "$BUILD/brellix" "$BIN/brellix"
cp "$BUILD/bench/linux/brellix_minimal_qt" "$BIN/minimal"
PROBE=$BUILD/bench/linux/brellix_map_probe
now_us() { echo "${EPOCHREALTIME/./}"; }

# How each program is started.
declare -A COMMAND=([brellix]=brellix [minimal]=minimal [controls]="minimal --controls")

# One start: prints "microseconds-to-mapped VmRSS-KiB".
start_once() {  # program
  local probe_out=$RUN/probe.out
  : > "$probe_out"
  "$PROBE" 20000 > "$probe_out" &
  local probe=$!
  until grep -q ready "$probe_out"; do sleep 0.002; done
  local t0 app mapped rss
  t0=$(now_us)
  # shellcheck disable=SC2086
  "$BIN"/${COMMAND[$1]} > /dev/null 2>&1 &
  app=$!
  APPS+=("$app")
  if ! wait "$probe"; then
    log "$1 mapped no window"
    kill -9 "$app" 2> /dev/null
    return 1
  fi
  mapped=$(sed -n 2p "$probe_out" | cut -d' ' -f1)
  sleep 1
  rss=$(awk '/^VmRSS:/ { print $2 }' "/proc/$app/status")
  kill "$app"
  wait "$app" 2> /dev/null || true
  echo "$((mapped - t0)) $rss"
}

# --- fire latency ---
fire_once() {  # -> microseconds from the start of the target second to the PowerOff call
  sleep "$(awk -v r="$RANDOM" 'BEGIN { printf "%.3f", r / 32768 }')"
  local target hour minute second ampm
  target=$((${EPOCHREALTIME%.*} + 3))
  read -r hour minute second ampm <<< "$(LC_ALL=C date -d "@$target" '+%-I %-M %-S %p')"
  printf '[Options]\nSelected=1\n[Extra]\nSelected=1\n[Shutdown]\nHour=%s\nMinute=%s\nSecond=%s\nAMPM=%s\n' \
    "$hour" "$minute" "$second" "$ampm" > "$BIN/Brellix.ini"
  mock_mark
  "$BIN/brellix" > /dev/null 2>&1 &
  local app=$! win= i
  APPS+=("$app")
  for ((i = 0; i < 200; i++)); do
    win=$(xdotool search --onlyvisible --name '^Vospel' 2> /dev/null | head -1) && [[ -n $win ]] && break
    sleep 0.02
  done
  local result=1 stamp=
  if [[ -n $win ]]; then
    xdotool windowfocus --sync "$win" 2> /dev/null
    xdotool key Return
    for ((i = 0; i < 100; i++)); do
      [[ $(xdotool getwindowname "$win") == "Vospel - 激活" ]] && break
      sleep 0.02
    done
    if ((${EPOCHREALTIME%.*} >= target)); then
      log "armed too late for the target second; not counted"
    else
      for ((i = 0; i < 300; i++)); do
        stamp=$(mock_log | awk '$2 == "PowerOff" { print $1; exit }')
        [[ -n $stamp ]] && break
        sleep 0.02
      done
      [[ -n $stamp ]] && result=0 || log "armed in time, but the schedule did not fire"
    fi
  fi
  kill "$app" 2> /dev/null
  wait "$app" 2> /dev/null || true
  ((result == 0)) || return 1
  awk -v s="$stamp" -v t="$target" 'BEGIN { printf "%d\n", (s - t) * 1e6 }'
}

median() { sort -n | awk '{ v[NR] = $1 } END { if (NR) print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
minimum() { sort -n | head -1; }
maximum() { sort -n | tail -1; }
ms() { awk -v us="$1" 'BEGIN { printf "%.1f", us / 1000 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2fx", a / b }'; }
met() { awk -v v="$1" -v limit="$2" 'BEGIN { print (v + 0 <= limit + 0) ? "met" : "NOT met" }'; }

PROGRAMS=(brellix minimal controls)
for program in "${PROGRAMS[@]}"; do : > "$RUN/start.$program"; done
: > "$RUN/fire"

if part startup; then
  log "start-up and memory: $RUNS starts of each program"
  for program in "${PROGRAMS[@]}"; do start_once "$program" > /dev/null || true; done
  for ((run = 0; run < RUNS; run++)); do
    for ((k = 0; k < ${#PROGRAMS[@]}; k++)); do
      program=${PROGRAMS[(run + k) % ${#PROGRAMS[@]}]}
      start_once "$program" >> "$RUN/start.$program" || true
    done
  done
  for program in "${PROGRAMS[@]}"; do
    log "$program start-up (us) in run order: $(cut -d' ' -f1 "$RUN/start.$program" | tr '\n' ' ')"
  done
fi

if part fire; then
  log "fire latency: $FIRINGS firings"
  for ((firing = 0, tries = 0; firing < FIRINGS && tries < 2 * FIRINGS; tries++)); do
    if latency=$(fire_once); then
      echo "$latency" >> "$RUN/fire"
      firing=$((firing + 1))
    fi
  done
fi

if part all; then
  log "ticks: heap allocations"
  tick_output=$("$BUILD/bench/brellix_tick_bench" 100000 100000 || true)
fi

# --- The table ---
row() { printf '%-48s %-12s %-12s %-12s %-20s %s\n' "$@"; }
values_of() { cut -d' ' -f"$1" "$RUN/start.$2"; }  # field program
compared() {  # label field limit unit-function
  local b m c
  b=$(values_of "$2" brellix | median)
  m=$(values_of "$2" minimal | median)
  c=$(values_of "$2" controls | median)
  if [[ -z $b || -z $m ]]; then
    row "$1" "${b:-none}" "${m:-none}" "${c:-none}" "<= ${3}x minimal" "NOT met: a program had no measured run"
    return
  fi
  local r others=
  r=$(ratio "$b" "$m")
  [[ -n $c ]] && others=" ($(ratio "$b" "$c") of +controls)"
  row "$1" "$($4 "$b")" "$($4 "$m")" "$([[ -n $c ]] && $4 "$c")" "<= ${3}x minimal" "$r, $(met "${r%x}" "$3")$others"
  local program ranges=()
  for program in brellix minimal controls; do
    ranges+=("$($4 "$(values_of "$2" $program | minimum)")-$($4 "$(values_of "$2" $program | maximum)")")
  done
  row "  range of the runs" "${ranges[@]}" "" ""
}
as_is() { echo "$1"; }

echo "Brellix Linux benchmark, $(date '+%Y-%m-%d %H:%M %Z'), Qt $(qtpaths6 --qt-version 2> /dev/null || echo '?'), $(nproc) cores"
row "measure" "brellix" "minimal Qt" "+controls" "target" "result"
if part startup; then
  compared "start-up to mapped window (ms, median of $RUNS)" 1 1.3 ms
  compared "resident memory, VmRSS (KiB, median of $RUNS)" 2 1.15 as_is
fi
if part fire; then
  fire_n=$(wc -l < "$RUN/fire")
  if ((fire_n == 0)); then
    row "fire latency (ms)" "none" "" "" "<= 200, max <= 340" "NOT met: no firing was measured"
  else
    fire_median=$(median < "$RUN/fire")
    fire_max=$(maximum < "$RUN/fire")
    row "fire latency, median of $fire_n firings (ms)" "$(ms "$fire_median")" "" "" "<= 200" "$(met "$(ms "$fire_median")" 200)"
    row "fire latency, maximum of $fire_n firings (ms)" "$(ms "$fire_max")" "" "" "<= 340 (ticks of 333)" "$(met "$(ms "$fire_max")" 340)"
    row "fire latencies (ms)" "" "" "" "" "$(while read -r us; do printf '%s ' "$(ms "$us")"; done < <(sort -n "$RUN/fire"))"
  fi
fi
if part all; then
  per_tick=$(sed -nE 's/^non-firing ticks: .* ([0-9.]+) per tick, ([0-9.]+) ns per tick$/\1/p' <<< "$tick_output")
  row "heap allocations per non-firing tick" "${per_tick:-none}" "" "" "0 (bench/tick_bench)" \
    "$([[ -n $per_tick ]] && met "$per_tick" 0 || echo 'NOT met: not measured')"
fi
echo "minimal Qt: bench/linux/minimal_qt.cpp, one empty window of brellix's size; +controls: the same with"
echo "brellix's kinds and numbers of controls, Chinese text, unconnected; no tray host on the desktop"
