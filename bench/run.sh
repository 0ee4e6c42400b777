#!/usr/bin/env bash
# The release benchmark: builds what it needs and prints one table of Brellix's measured costs,
# with the targets beside them. Under Wine, start-up and memory are ratios against
# bench/minimal_window.cpp, a program that only registers a class and shows a window (or, started
# with "logoff", only calls ExitWindowsEx), built in the same run with the same compiler and flags.
# A third column, the same program importing Brellix.exe's DLLs and carrying its manifest, tells
# how much of the difference is Wine loading those DLLs rather than Brellix's own work; a fourth,
# that program also showing as many empty controls of each kind as Brellix's window, tells what
# any program showing this window pays before doing anything of its own (start-up and memory).
#
#   bash bench/run.sh          (about 5 minutes once built; BRELLIX_BENCH_RUNS=11, BRELLIX_BENCH_FIRINGS=10)
#   bash bench/run.sh startup  (only start-up and memory: about a minute, for trying a change)
#   bash bench/run.sh fire     (only the fire latency)
#   (progress goes to stderr, the table to stdout)
#
# How each figure is taken:
# - exe size: bytes of Brellix.exe from the mingw-x64 preset (-Os -s -static -municode -mwindows);
#   its DLLs from `objdump -p`. "system only" means each is one of Windows' own DLLs.
# - start-up: from the moment this script starts `wine X.exe` to the moment a top-level window of
#   the program's class is visible (IsWindowVisible), as bench/window_probe.exe sees it: started
#   before the program in the same prefix, it polls every 2 ms and reports the host's wall-clock
#   time. The same definition for every program. One private copy of the project's prefix, its
#   wineserver and virtual desktop already running and Brellix's DLLs loaded once before; one
#   uncounted start of each program, then the programs in turn; median of the runs.
# - command line: from starting `wine X.exe logoff` to the moment the relay trace line of its
#   user32.ExitWindowsEx call reaches this script (WINEDEBUG=+relay, restricted by the prefix's
#   RelayInclude; each line stamped with the host's wall-clock time as it arrives). The call ends
#   the Wine session, so each run has a fresh copy of the prefix, warmed up as above (without the
#   warm-up, the first load of those DLLs in a new session added 150 ms or more in our runs).
# - peak memory: VmHWM (the peak resident set) of the program's Wine process from /proc, read one
#   second after its window became visible, just before the probe ends it: the peak of its whole
#   life until then. Median of the start-up runs.
# - ticks: bench/tick_bench (native Release build, memory backends) counts heap allocations;
#   bench/tick_instructions.sh counts instructions with callgrind.
# - fire latency: Brellix armed (btnTurnON) for a time 5 s ahead (in a fresh prefix the window can
#   take 3 s to appear) with log off + force if hung, its relay trace stamped as above; the
#   latency is the ExitWindowsEx line's time minus the start of the target second, both host
#   wall-clock time (Wine's local time is the host's). A fresh copy of the prefix per firing.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
PART=${1:-all}
case $PART in all | startup | fire) ;; *) echo "usage: bench/run.sh [startup|fire]" >&2; exit 2 ;; esac
part() { [[ $PART == all || $PART == "$1" ]]; }  # measures: is this part of the table taken?
RUNS=${BRELLIX_BENCH_RUNS:-11}
FIRINGS=${BRELLIX_BENCH_FIRINGS:-10}
NATIVE=build/bench-native
MINGW=build/bench-mingw
log() { echo "bench: $*" >&2; }

log "building (native Release in $NATIVE, mingw-x64 in $MINGW)"
scripts/deps.sh
cmake --preset native -B "$NATIVE" -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build "$NATIVE" --target brellix_tick_bench > /dev/null
cmake --preset mingw-x64 -B "$MINGW" > /dev/null
cmake --build "$MINGW" --target Brellix brellix_driver brellix_minimal_window brellix_minimal_window_dlls \
  brellix_minimal_window_controls brellix_window_probe > /dev/null

unset DISPLAY  # a private Xvfb: the same screen on every machine
source scripts/wine-env.sh
brellix_wine_prefix
TEMPLATE=$WINEPREFIX
WORK=$(mktemp -d "$PWD/$MINGW/bench.XXXXXX")
PREFIX=
end_prefix() {
  if [[ -n $PREFIX ]]; then
    WINEPREFIX=$PREFIX wineserver -k 2> /dev/null || true
    WINEPREFIX=$PREFIX wineserver -w 2> /dev/null || true
    # A process the session's end had just started can outlive its server: it is ours to end.
    local pid
    for pid in $(processes_in_prefix); do kill -9 "$pid" 2> /dev/null || true; done
    rm -rf "$PREFIX"
    PREFIX=
  fi
}
# The Linux processes of this prefix's Windows programs, or only those of one program's name.
processes_in_prefix() {  # [exe]
  local p
  for p in /proc/[0-9]*; do
    [[ -z ${1:-} || $(cat "$p/comm" 2> /dev/null) == "${1:0:15}" ]] || continue
    { tr '\0' '\n' < "$p/environ" | grep -qx "WINEPREFIX=$PREFIX"; } 2> /dev/null && echo "${p#/proc/}"
  done
  return 0
}
cleanup() {
  end_prefix
  brellix_stop_display
  rm -rf "$WORK"
}
trap cleanup EXIT
brellix_ensure_display

# A throwaway copy of the project's prefix with the programs in C:\bench, warmed up.
fresh_prefix() {
  end_prefix
  PREFIX=$WORK/prefix
  cp -a "$TEMPLATE" "$PREFIX"
  export WINEPREFIX=$PREFIX
  BIN=$PREFIX/drive_c/bench
  mkdir -p "$BIN"
  cp "$MINGW/Brellix.exe" "$BIN/Brellix.exe"
  cp "$MINGW/bench/brellix_minimal_window.exe" "$BIN/Minimal.exe"
  cp "$MINGW/bench/brellix_minimal_window_dlls.exe" "$BIN/MinDlls.exe"
  cp "$MINGW/bench/brellix_minimal_window_controls.exe" "$BIN/MinCtls.exe"
  cp "$MINGW/bench/brellix_window_probe.exe" "$BIN/probe.exe"
  cp "$MINGW/tests/e2e/brellix_driver.exe" "$BIN/driver.exe"
  wineserver -p
  # As in a session where programs ran before: the desktop is up, and Brellix's DLLs were loaded
  # once (in a new session their first load costs several times more).
  start_once MinDlls.exe Brellix.MinimalWindow quick || true
}
in_bin() { (cd "$BIN" && exec "$@"); }
now_us() { echo "${EPOCHREALTIME/./}"; }

# One start: prints "microseconds-to-visible peak-KiB"; with "quick", ends the program as soon as
# its window shows and prints nothing (a warm-up).
start_once() {  # exe window-class [quick]
  rm -f "$BIN/ready" "$WORK/seen"
  in_bin wine probe.exe visible "$2" 'C:\bench\ready' 20000 > "$WORK/seen" 2> /dev/null &
  local probe=$! i
  for ((i = 0; i < 4000; i++)); do [[ -e $BIN/ready ]] && break; sleep 0.005; done
  local t0 app seen pid hwm
  t0=$(now_us)
  in_bin wine "$1" > /dev/null 2>&1 &
  app=$!
  wait "$probe" || { log "$1 showed no window"; return 1; }
  seen=$(tr -d '\r\n' < "$WORK/seen")
  if [[ ${3:-} != quick ]]; then
    sleep 1
    pid=$(processes_in_prefix "$1" | head -1)
    [[ -n $pid ]] || { log "$1 has no process"; return 1; }
    hwm=$(awk '/^VmHWM:/ { print $2 }' "/proc/$pid/status")
  fi
  in_bin wine probe.exe end "$2" > /dev/null 2>&1 || log "$1 did not end"
  wait "$app" 2> /dev/null || true
  [[ ${3:-} == quick ]] && return 0
  sleep 0.5  # the desktop's own clean-up after it (its tray icon) is not the next program's cost
  echo "$((seen - t0)) $hwm"
}

# Runs a program with the relay trace on, each line of it stamped with the wall-clock time in
# microseconds as it arrives; then waits up to $2 seconds for its ExitWindowsEx call and prints
# the call's time.
traced_until_exit_call() {  # "exe args..." seconds
  local trace=$WORK/trace.$(now_us)  # a new file: never an earlier run's line
  # shellcheck disable=SC2086
  (cd "$BIN" && WINEDEBUG=+relay exec wine $1 2>&1 > /dev/null) |
    perl -MTime::HiRes=time -ne 'BEGIN { $| = 1 } printf "%d %s", time * 1e6, $_' > "$trace" &
  local stamper=$! i line=
  for ((i = 0; i < $2 * 50; i++)); do
    line=$(grep -m1 -E 'Call user32\.ExitWindowsEx\(' "$trace" 2> /dev/null || true)
    [[ -n $line ]] && break
    sleep 0.02
  done
  # Processes the session's end starts keep the trace's pipe open: stop reading it.
  wineserver -k 2> /dev/null || true
  kill "$stamper" 2> /dev/null || true
  wait "$stamper" 2> /dev/null || true
  rm -f "$trace"
  [[ -n $line ]] || return 1
  echo "${line%% *}"
}

exit_call_once() {  # exe -> microseconds from start to its ExitWindowsEx call
  fresh_prefix
  local t0 call
  t0=$(now_us)
  call=$(traced_until_exit_call "$1 logoff" 20) || { log "$1 logoff made no ExitWindowsEx call"; return 1; }
  end_prefix
  ((call > t0)) || { log "$1 logoff: a call before its start is no measurement"; return 1; }
  echo $((call - t0))
}

fire_once() {  # -> microseconds from the start of the target second to the ExitWindowsEx call
  fresh_prefix
  # Armed at a random point of the second, as a user would be: the latency is the phase of the
  # 333 ms ticks against the second's start, which the previous firing's rhythm must not set.
  sleep "$(awk -v r="$RANDOM" 'BEGIN { printf "%.3f", r / 32768 }')"
  local target hour minute second ampm
  target=$(($(now_us) / 1000000 + 5))
  read -r hour minute second ampm <<< "$(LC_ALL=C date -d "@$target" '+%-I %-M %-S %p')"
  printf '[Options]\r\nSelected=3\r\n[Extra]\r\nSelected=1\r\n[Shutdown]\r\nHour=%s\r\nMinute=%s\r\nSecond=%s\r\nAMPM=%s\r\n' \
    "$hour" "$minute" "$second" "$ampm" > "$BIN/Brellix.ini"
  (
    in_bin wine driver.exe wait-window 20000 > /dev/null 2>&1 && in_bin wine driver.exe click 10 > /dev/null 2>&1
    echo "$? $(now_us)" > "$WORK/armed"
  ) &
  local arming=$! call
  call=$(traced_until_exit_call Brellix.exe 15) || call=
  wait "$arming" 2> /dev/null || true
  local status armed
  read -r status armed < "$WORK/armed"
  end_prefix
  if [[ $status != 0 || $armed -ge $((target * 1000000)) ]]; then
    log "armed too late for the target second; not counted"
    return 1
  fi
  [[ -n $call ]] || { log "armed in time, but the schedule did not fire"; return 1; }
  echo $((call - target * 1000000))
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
minimum() { sort -n | head -1; }
maximum() { sort -n | tail -1; }
ms() { awk -v us="$1" 'BEGIN { printf "%.0f", us / 1000 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2fx", a / b }'; }
met() { awk -v v="$1" -v limit="$2" 'BEGIN { print (v + 0 <= limit + 0) ? "met" : "NOT met" }'; }

# The programs compared, by file name in C:\bench, and their window classes.
PROGRAMS=(Brellix.exe Minimal.exe MinDlls.exe MinCtls.exe)
declare -A CLASS=([Brellix.exe]=Brellix.frmMain [Minimal.exe]=Brellix.MinimalWindow [MinDlls.exe]=Brellix.MinimalWindow
  [MinCtls.exe]=Brellix.MinimalWindow)
# Its command line is MinDlls.exe's: not measured again.
EXIT_PROGRAMS=(Brellix.exe Minimal.exe MinDlls.exe)

for exe in "${PROGRAMS[@]}"; do : > "$WORK/start.$exe"; : > "$WORK/exit.$exe"; done
: > "$WORK/fire"

if part startup; then
log "start-up and memory: $RUNS starts of each program"
fresh_prefix
for exe in "${PROGRAMS[@]}"; do
  start_once "$exe" "${CLASS[$exe]}" > /dev/null || true
done
# Each program starts in each place of a round equally often: none always follows the same one.
for ((run = 0; run < RUNS; run++)); do
  for ((k = 0; k < ${#PROGRAMS[@]}; k++)); do
    exe=${PROGRAMS[(run + k) % ${#PROGRAMS[@]}]}
    start_once "$exe" "${CLASS[$exe]}" >> "$WORK/start.$exe" || true
  done
done
end_prefix
for exe in "${PROGRAMS[@]}"; do log "$exe start-up (us) in run order: $(cut -d' ' -f1 "$WORK/start.$exe" | tr '\n' ' ')"; done
fi

if part all; then
log "command line: $RUNS runs of each program, a fresh prefix each"
for ((run = 0; run < RUNS; run++)); do
  for exe in "${EXIT_PROGRAMS[@]}"; do exit_call_once "$exe" >> "$WORK/exit.$exe" || true; done
done
fi

if part fire; then
log "fire latency: $FIRINGS firings, a fresh prefix each"
for ((firing = 0, tries = 0; firing < FIRINGS && tries < 2 * FIRINGS; tries++)); do
  if latency=$(fire_once); then
    echo "$latency" >> "$WORK/fire"
    firing=$((firing + 1))
  fi
done
fi

if part all; then
log "ticks: allocations and instructions"
tick_output=$("$NATIVE/bench/brellix_tick_bench" 100000 100000 || true)
instruction_output=$(bench/tick_instructions.sh "$NATIVE")
fi

# --- The table ---
exe=$MINGW/Brellix.exe
size=$(stat -c %s "$exe")
minimal_size=$(stat -c %s "$MINGW/bench/brellix_minimal_window.exe")
dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/ { print $3 }' | sort -f | tr '\n' ' ')
system_only=yes
for dll in $dlls; do
  case ${dll,,} in
    kernel32.dll | user32.dll | gdi32.dll | advapi32.dll | shell32.dll | comctl32.dll | uxtheme.dll | msvcrt.dll | \
      ole32.dll | oleaut32.dll | oleacc.dll | comdlg32.dll | shlwapi.dll | winspool.drv) ;;
    *) system_only=no ;;
  esac
done

fire_n=$(wc -l < "$WORK/fire")
fire_median=$(median < "$WORK/fire")
fire_max=$(maximum < "$WORK/fire")
if part all; then
per_tick=$(sed -nE 's/^non-firing ticks: .* ([0-9.]+) per tick, ([0-9.]+) ns per tick$/\1/p' <<< "$tick_output")
per_cycle=$(sed -nE 's/^arm\/disarm cycles: .* ([0-9.]+) per cycle, ([0-9.]+) ns per cycle$/\1/p' <<< "$tick_output")
ins_tick=$(sed -nE 's/^instructions per non-firing tick: ([0-9.]+).*/\1/p' <<< "$instruction_output")
ins_cycle=$(sed -nE 's/^instructions per arm\/disarm cycle: ([0-9.]+).*/\1/p' <<< "$instruction_output")
fi

# The runs' values of one measure for one program.
values_of() {  # start|memory|exit exe
  case $1 in
    start) cut -d' ' -f1 "$WORK/start.$2" ;;
    memory) cut -d' ' -f2 "$WORK/start.$2" ;;
    exit) cat "$WORK/exit.$2" ;;
  esac
}
# Two rows of the Wine comparison: each program's median, the ratio against the minimal program
# with its target; then each program's range.
compared() {  # label measure limit unit-function
  local -A middle range
  local exe r others=
  for exe in "${PROGRAMS[@]}"; do
    middle[$exe]= range[$exe]=
    [[ -n $(values_of "$2" "$exe") ]] || continue
    middle[$exe]=$(values_of "$2" "$exe" | median)
    range[$exe]="$($4 "$(values_of "$2" "$exe" | minimum)")-$($4 "$(values_of "$2" "$exe" | maximum)")"
  done
  if [[ -z ${middle[Brellix.exe]} || -z ${middle[Minimal.exe]} || -z ${middle[MinDlls.exe]} ]]; then
    row "$1" "${middle[Brellix.exe]:-none}" "${middle[Minimal.exe]:-none}" "${middle[MinDlls.exe]:-none}" "" \
      "<= ${3}x minimal" "NOT met: a program had no measured run"
    return
  fi
  r=$(ratio "${middle[Brellix.exe]}" "${middle[Minimal.exe]}")
  others="$(ratio "${middle[Brellix.exe]}" "${middle[MinDlls.exe]}") of +DLLs"
  [[ -n ${middle[MinCtls.exe]} ]] && others+=", $(ratio "${middle[Brellix.exe]}" "${middle[MinCtls.exe]}") of +controls"
  row "$1" "$($4 "${middle[Brellix.exe]}")" "$($4 "${middle[Minimal.exe]}")" "$($4 "${middle[MinDlls.exe]}")" \
    "$(if_any "$4" "${middle[MinCtls.exe]}")" "<= ${3}x minimal" "$r, $(met "${r%x}" "$3") ($others)"
  row "  range of the runs" "${range[Brellix.exe]}" "${range[Minimal.exe]}" "${range[MinDlls.exe]}" \
    "${range[MinCtls.exe]}" "" ""
}
as_is() { echo "$1"; }
if_any() { [[ -z $2 ]] || "$1" "$2"; }  # unit-function value: nothing for a figure not taken
legend() {
  echo "minimal: bench/minimal_window.cpp; +DLLs: the same importing Brellix.exe's DLLs, with its manifest;"
  echo "+controls: that one also showing Brellix's kinds and numbers of controls, empty, in the system's font"
}
row() { printf '%-52s %-13s %-13s %-13s %-13s %-22s %s\n' "$@"; }
echo "Brellix benchmark, $(date '+%Y-%m-%d %H:%M %Z'), $(wine --version 2> /dev/null), $(nproc) cores"
row "measure" "Brellix" "minimal" "+DLLs" "+controls" "target" "result"
row "exe size (bytes)" "$size" "$minimal_size" "" "" "<= 204800 (aim 153600)" \
  "$(met "$size" 204800), aim $(met "$size" 153600)"
row "imported DLLs, all Windows' own" "$(wc -w <<< "$dlls")" "" "" "" "system DLLs only" \
  "$([[ $system_only == yes ]] && echo met || echo 'NOT met'): $dlls"
part startup && compared "start-up to visible window (ms, median of $RUNS)" start 1.2 ms
part all && compared "command line to ExitWindowsEx (ms, median of $RUNS)" exit 1.2 ms
part startup && compared "peak memory, VmHWM (KiB, median of $RUNS)" memory 1.1 as_is
if part all; then
  row "heap allocations per non-firing tick" "$per_tick" "" "" "" "0" "$(met "$per_tick" 0)"
  row "instructions per non-firing tick" "$ins_tick" "" "" "" "" ""
  row "heap allocations per arm/disarm cycle" "$per_cycle" "" "" "" "" ""
  row "instructions per arm/disarm cycle" "$ins_cycle" "" "" "" "" ""
fi
if ! part fire; then
  legend
  exit 0
fi
if ((fire_n == 0)); then
  row "fire latency (ms)" "none" "" "" "" "<= 200, max <= 340" "NOT met: no firing was measured"
else
  row "fire latency, median of $fire_n firings (ms)" "$(ms "$fire_median")" "" "" "" "<= 200" \
    "$(met "$(ms "$fire_median")" 200)"
  row "fire latency, maximum of $fire_n firings (ms)" "$(ms "$fire_max")" "" "" "" "<= 340 (polling 333)" \
    "$(met "$(ms "$fire_max")" 340)"
fi
row "fire latencies (ms)" "" "" "" "" "" "$(while read -r us; do printf '%s ' "$(ms "$us")"; done < <(sort -n "$WORK/fire"))"
part startup && legend
