#!/usr/bin/env bash
# brellix --help / -h prints its usage and --version / -V its version on standard output, ends
# at once with status 0, asks logind nothing and writes no settings: on the desktop, while another
# Brellix runs, and with no display at all, where a start that opens a window fails (so the
# answer comes before any window could). Only those whole arguments count: "-help" or "-v" keep
# opening the window, as any text without an action keyword does.
source "$(dirname "$0")/lib.sh"

VERSION_LINE="brellix ${BRELLIX_VERSION:?BRELLIX_VERSION: the version of the build}"
USAGE_LINE="Usage: brellix [ACTION] [FORCE]"

# What a user looks for in the usage: each keyword with its meaning, where the settings live, and
# what the exit status means.
usage_complete() {  # output file
  local keyword
  for keyword in shutdown poweroff reboot logoff force forceifhung; do
    grep -qE "^  $keyword +[a-z]" "$1" || { echo "    no line for $keyword"; return 1; }
  done
  grep -q 'XDG_CONFIG_HOME/Brellix/Brellix.ini' "$1" && grep -q '^Exit status: ' "$1"
}

# args | display (desktop, none) | what standard output starts with
ROWS=(
  "--help|desktop|$USAGE_LINE"
  "-h|desktop|$USAGE_LINE"
  "--version|desktop|$VERSION_LINE"
  "-V|desktop|$VERSION_LINE"
  "--help|none|$USAGE_LINE"
  "-V|none|$VERSION_LINE"
  # With an action keyword beside it, the question is answered and the action not performed.
  "poweroff --help|desktop|$USAGE_LINE"
  "reboot -V|desktop|$VERSION_LINE"
)

install_brellix
for row in "${ROWS[@]}"; do
  IFS='|' read -r args display expected <<< "$row"
  label="\"$args\" (display: $display)"
  mock_mark
  saved_display=$DISPLAY
  [[ $display == desktop ]] || unset DISPLAY
  # shellcheck disable=SC2086
  run_brellix 10 $args
  export DISPLAY=$saved_display
  e2e_expect_eq "$label ends at once with status 0" "$APP_STATUS" "0"
  e2e_expect_eq "$label: standard output starts with" "$(head -1 "$CASE_DIR/out")" "$expected"
  if [[ $expected == "$USAGE_LINE" ]]; then
    e2e_check "$label: the usage names every keyword, the settings' place and the exit status" \
      usage_complete "$CASE_DIR/out"
  else
    e2e_expect_eq "$label: the version is the only line" "$(wc -l < "$CASE_DIR/out")" "1"
  fi
  e2e_expect_eq "$label writes nothing on stderr" "$(cat "$CASE_DIR/err")" ""
  e2e_expect_eq "$label asks logind nothing" "$(end_calls)" ""
  e2e_check "$label writes no settings" test ! -e "$INI"
done

# Without an action keyword the window is wanted: with no display to reach (none named, or one that
# does not answer) one line on stderr says so and the status is 3, never the toolkit's abort.
for display in none ":59999"; do
  saved_display=$DISPLAY
  if [[ $display == none ]]; then unset DISPLAY; else export DISPLAY=$display; fi
  run_brellix 10
  export DISPLAY=$saved_display
  e2e_expect_eq "no keyword, display $display: ends with status 3" "$APP_STATUS" "3"
  e2e_expect_eq "no keyword, display $display: one line on stderr says why" \
    "$(wc -l < "$CASE_DIR/err") $(grep -c '^brellix: no display for the window: ' "$CASE_DIR/err")" "1 1"
  e2e_check "no keyword, display $display: writes no settings" test ! -e "$INI"
done

# Answered also while another Brellix runs, which would end a plain second start at once.
start_brellix
FIRST=$APP_PID
e2e_check "a first Brellix opens its window" wait_window 10
run_brellix 10 --help
e2e_expect_eq "\"--help\" while another runs: status 0 and the usage" \
  "$APP_STATUS $(head -1 "$CASE_DIR/out")" "0 $USAGE_LINE"
APP_PID=$FIRST
press Escape
e2e_check "the first Brellix ends on Esc" wait_app_end 10
rm -f "$INI"

# Not those whole arguments: the window opens as before, nothing is printed, Esc ends it.
for args in "-help" "-v" "--version=1"; do
  start_brellix "$args"
  e2e_check "\"$args\" opens the window" wait_window 10
  press Escape
  e2e_check "\"$args\": Esc ends the program" wait_app_end 10
  e2e_expect_eq "\"$args\" prints nothing on standard output" "$(cat "$CASE_DIR/out")" ""
done

e2e_finish
