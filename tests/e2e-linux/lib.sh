# Sourced by the Linux end-to-end tests: each script runs the real brellix on its own private
# headless desktop (scripts/linux-desktop.sh) and observes it from outside: the mock logind's call
# log, the X windows, the settings file. A copy of the binary per case keeps its Brellix.ini in
# the case's directory. The run directory is kept when a check failed.
set -uo pipefail
E2E_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$E2E_DIR/../../scripts/linux-desktop.sh"

: "${BRELLIX_BIN:?BRELLIX_BIN: the brellix binary to test}"
BRELLIX_E2E_WORK=${BRELLIX_E2E_WORK:-$(dirname "$BRELLIX_BIN")/e2e-linux}
mkdir -p "$BRELLIX_E2E_WORK"
E2E_RUN=$(mktemp -d "$BRELLIX_E2E_WORK/$(basename "$0" .sh).XXXXXX")
E2E_FAILURES=0
E2E_PASSES=0
APP_PID=
WIN=
ALL_APP_PIDS=()

e2e_cleanup() {
  local pid
  # Only a process that is still a brellix: a pid of one that ended may belong to another by now.
  for pid in "${ALL_APP_PIDS[@]}"; do
    [[ $(cat "/proc/$pid/comm" 2> /dev/null) == brellix ]] && kill -9 "$pid" 2> /dev/null
  done
  linux_desktop_stop "$E2E_RUN"
  if ((E2E_FAILURES == 0)); then rm -rf "$E2E_RUN"; else echo "kept for inspection: $E2E_RUN"; fi
}
trap e2e_cleanup EXIT

linux_desktop_start "$E2E_RUN" || exit 1
# Tests end sessions: never against anything but their own private bus.
linux_desktop_require_private_bus "$E2E_RUN" || exit 1

e2e_pass() { echo "ok: $*"; E2E_PASSES=$((E2E_PASSES + 1)); }
e2e_fail() { echo "FAIL: $*"; E2E_FAILURES=$((E2E_FAILURES + 1)); }
e2e_check() {  # description command...: passes when the command succeeds
  if "${@:2}"; then e2e_pass "$1"; else e2e_fail "$1"; fi
}
e2e_expect_eq() {  # description actual expected
  if [[ $2 == "$3" ]]; then e2e_pass "$1"; else e2e_fail "$1: got [$2], expected [$3]"; fi
}
e2e_finish() {
  echo "$E2E_PASSES passed, $E2E_FAILURES failed"
  ((E2E_FAILURES == 0))
}

# Waits up to $1 seconds for a command to succeed, polling every 50 ms.
wait_for() {  # seconds command...
  local deadline=$((${EPOCHREALTIME/./} + ${1%.*} * 1000000))
  while ! "${@:2}"; do
    ((${EPOCHREALTIME/./} < deadline)) || return 1
    sleep 0.05
  done
}

# --- The program ---

# A fresh copy of the binary in its own directory, with a settings file when given one.
install_brellix() {  # [settings text]
  CASE_DIR=$(mktemp -d "$E2E_RUN/case.XXXXXX")
  APP=$CASE_DIR/brellix
  INI=$CASE_DIR/Brellix.ini
  cp "$BRELLIX_BIN" "$APP"
  if [[ -n ${1:-} ]]; then printf '%s\n' "$1" > "$INI"; fi
  return 0
}

# Starts the program in the background; its output goes to $CASE_DIR/{out,err}.
start_brellix() {  # args...
  "$APP" "$@" > "$CASE_DIR/out" 2> "$CASE_DIR/err" &
  APP_PID=$!
  ALL_APP_PIDS+=("$APP_PID")
}

app_running() { kill -0 "$APP_PID" 2> /dev/null; }
app_ended() { ! app_running; }

# Waits up to $1 seconds for the program to end; its exit status then is in $APP_STATUS.
wait_app_end() {  # seconds
  wait_for "$1" app_ended || return 1
  wait "$APP_PID" 2> /dev/null
  APP_STATUS=$?
  APP_PID=
}

# Runs the program to its end (at most $1 seconds, else it is killed): status in $APP_STATUS.
run_brellix() {  # seconds args...
  start_brellix "${@:2}"
  if ! wait_app_end "$1"; then
    kill -9 "$APP_PID" 2> /dev/null
    wait "$APP_PID" 2> /dev/null
    APP_PID=
    APP_STATUS=timeout
  fi
}

# --- Its window, as X sees it ---

# The ids of the program's mapped top-level windows whose title starts with "Vospel".
shown_windows() { xdotool search --onlyvisible --name '^Vospel' 2> /dev/null; }

window_shown() { [[ -n $(shown_windows) ]]; }
window_hidden() { [[ -z $(shown_windows) ]]; }

# Waits for the main window and puts its id in $WIN.
wait_window() {  # [seconds]
  wait_for "${1:-10}" window_shown || return 1
  WIN=$(shown_windows | head -1)
}

# The id of the program's icon window inside trayer's panel (xwininfo's tree, indented by depth).
tray_icon_window() {
  xwininfo -root -tree 2> /dev/null | awk '
    /"panel": \("panel" "trayer"\)/ { match($0, /^ */); depth = RLENGTH; inside = 1; next }
    inside { match($0, /^ */); if (RLENGTH <= depth) inside = 0 }
    inside && /\("brellix" / { print $1; exit }'
}
icon_embedded() { [[ -n $(tray_icon_window) ]]; }

window_title() { xdotool getwindowname "$WIN" 2> /dev/null; }
title_is() { [[ $(window_title) == "$1" ]]; }

# Keys go to the focused window through XTEST, as a user's would (no window manager here).
press() {  # keys...
  [[ -n ${WIN:-} ]] || { echo "press $*: no window to press them in"; return 1; }
  xdotool windowfocus --sync "$WIN" 2> /dev/null || xdotool windowfocus "$WIN"
  xdotool key --delay 40 "$@"
}

ini_value() {  # section key
  awk -F= -v section="[$1]" -v key="$2" '
    { sub(/\r$/, "") }
    /^\[/ { in_section = ($0 == section) }
    in_section && $1 == key { sub(/\r$/, "", $2); print $2; exit }' "$INI" 2> /dev/null
}
ini_is() { [[ $(ini_value "$1" "$2") == "$3" ]]; }

# The settings of a start: a schedule and both lists.
settings_text() {  # hour minute second ampm option extra
  printf '[Options]\nSelected=%s\n[Extra]\nSelected=%s\n[Shutdown]\nHour=%s\nMinute=%s\nSecond=%s\nAMPM=%s\n' \
    "$5" "$6" "$1" "$2" "$3" "$4"
}

# The calls that ask logind to end something, in order (no inhibitor bookkeeping).
end_calls() { mock_calls | grep -vE '^(Inhibit|ListInhibitors|ListSessions)( |$)' | tr '\n' ';' | sed 's/;$//'; }
