#!/usr/bin/env bash
# Exit stores the settings (a changed picker, then Esc or a click on 退出); a second start ends at once while
# one runs, with or without a keyword, and asks logind nothing; a new start after the exit shows
# the window again with what was stored.
source "$(dirname "$0")/lib.sh"

# Default settings: 3:15:45 AM. Alt+M gives the minute picker the focus; Down picks the next minute.
change_minute() {
  press alt+m Down
  # The picker's new value reaches the program before the exit key: the title stays, so wait a moment
  # for the event queue rather than for something visible.
  sleep 0.2
}

normal_hints() { xprop -id "$WIN" WM_NORMAL_HINTS | grep -oE '(minimum|maximum) size: [0-9]+ by [0-9]+' | tr '\n' ';'; }

# 退出 sits at twips (3240, 2400), 1095 x 495: its middle at 96 DPI is (253, 177) in the client area.
# (Alt+E is no way out: 执行(&E) shares the letter, so it moves the focus between the two.)
exit_by() {  # Escape | click
  if [[ $1 == Escape ]]; then press Escape; else xdotool mousemove --window "$WIN" 253 177 click 1; fi
}

for exit_key in Escape click; do
  install_brellix
  start_brellix
  e2e_check "$exit_key: the window opens" wait_window 10
  if [[ $exit_key == Escape ]]; then
    e2e_expect_eq "the window's caption at start" "$(window_title)" "${BRELLIX_DESIGN_CAPTION:-Vospel - https://brellix.example.org}"
    e2e_check "the window asks to stay on top (_NET_WM_STATE_ABOVE)" \
      eval 'xprop -id "$WIN" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE'
    e2e_expect_eq "the window has a fixed size: 4530 x 3735 twips at 96 DPI" "$(normal_hints)" \
      "minimum size: 302 by 249;maximum size: 302 by 249;"
  fi
  change_minute
  exit_by "$exit_key"
  e2e_check "$exit_key ends the program" wait_app_end 10
  e2e_expect_eq "$exit_key: the settings file holds the changed minute" "$(ini_value Shutdown Minute)" "16"
  e2e_expect_eq "$exit_key: and the rest of the schedule" \
    "$(ini_value Shutdown Hour) $(ini_value Shutdown Second) $(ini_value Shutdown AMPM) $(ini_value Options Selected) $(ini_value Extra Selected)" \
    "3 45 AM 1 1"
done

# A second start while one runs asks logind nothing and writes no settings. With an action keyword
# it says so on stderr and ends with status 2; without, it brings the first one's hidden window
# back (trayer holds the icon, so closing hid it). Only the exact request on the socket beside
# the lock wakes the window.
close_window() { /usr/bin/python3 "$E2E_DIR/close_window.py" "$WIN"; }
# Writes bytes to the wake socket as another program could, then ends the stream.
send_to_socket() {  # python bytes literal
  /usr/bin/python3 -c "import socket, sys; s = socket.socket(socket.AF_UNIX); s.connect(sys.argv[1]); s.sendall($1); s.close()" \
    "$XDG_RUNTIME_DIR/brellix-session-default.wake"
}
linux_desktop_start_trayer || e2e_fail "trayer started"
install_brellix
start_brellix
FIRST=$APP_PID
e2e_check "the first start opens the window" wait_window 10
wait_for 10 eval 'xwininfo -root -tree | grep -q "(\"brellix\" "'
for args in "poweroff" "reboot force"; do
  mock_mark
  # shellcheck disable=SC2086
  run_brellix 5 $args
  e2e_expect_eq "a second start \"$args\" ends at once, with status 2" "$APP_STATUS" "2"
  e2e_expect_eq "a second start \"$args\" says why on stderr" "$(cat "$CASE_DIR/err")" \
    "brellix: already running; the action was not performed"
  e2e_expect_eq "a second start \"$args\" asks logind nothing" "$(end_calls)" ""
done
close_window
e2e_check "closing hides the first window in the tray" wait_for 5 window_hidden
for junk in "b'brellix: show the window'" "b'brellix: show the window\\nand more'" "b'BRELLIX: SHOW THE WINDOW\\n'" "b''"; do
  send_to_socket "$junk"
  sleep 0.3
  e2e_check "the socket ignores $junk" window_hidden
done
mock_mark
run_brellix 5
e2e_expect_eq "a second start without a keyword ends at once, with status 0" "$APP_STATUS" "0"
e2e_expect_eq "a second start without a keyword writes nothing on stderr" "$(cat "$CASE_DIR/err")" ""
e2e_check "a second start brings the hidden window back" wait_for 3 window_shown
e2e_expect_eq "a second start shows no second window" "$(shown_windows | wc -l)" "1"
e2e_expect_eq "a second start asks logind nothing" "$(end_calls)" ""
WIN=$(shown_windows | head -1)
APP_PID=$FIRST
e2e_check "the first instance runs on" app_running
e2e_check "a second start writes no settings" test ! -e "$INI"
press Escape
e2e_check "the first instance ends on Esc" wait_app_end 10

start_brellix
e2e_check "a new start after the exit shows the window" wait_window 10
press Escape
wait_app_end 10

# A runtime directory so deep that the socket's path does not fit in a socket address: a second
# start still brings the hidden window back.
saved_runtime=$XDG_RUNTIME_DIR
XDG_RUNTIME_DIR=$saved_runtime/$(printf 'r%.0s' {1..70})/$(printf 's%.0s' {1..70})
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
install_brellix
start_brellix
FIRST=$APP_PID
e2e_check "long runtime directory: the first start opens the window" wait_window 10
wait_for 10 eval 'xwininfo -root -tree | grep -q "(\"brellix\" "'
close_window
e2e_check "long runtime directory: closing hides the window" wait_for 5 window_hidden
run_brellix 10
e2e_expect_eq "long runtime directory: a second start ends with status 0" "$APP_STATUS" "0"
e2e_check "long runtime directory: a second start brings the hidden window back" wait_for 3 window_shown
WIN=$(shown_windows | head -1)
APP_PID=$FIRST
press Escape
e2e_check "long runtime directory: the first instance ends on Esc" wait_app_end 10
XDG_RUNTIME_DIR=$saved_runtime

# A second start while the running instance performs an action (logind is slow to answer its
# PowerOff) has no window to bring back: it says so and ends with status 2, never silently.
_mock AddMethod "$LOGIN1_MANAGER" PowerOff b '' 'time.sleep(8)'
install_brellix
mock_mark
start_brellix poweroff
FIRST=$APP_PID
wait_for 5 eval '[[ -n $(mock_calls | grep "^PowerOff ") ]]' || e2e_fail "the keyword start asked logind to power off"
run_brellix 10
e2e_expect_eq "a second start beside a keyword start ends with status 2" "$APP_STATUS" "2"
e2e_expect_eq "a second start beside a keyword start says why on stderr" "$(cat "$CASE_DIR/err")" \
  "brellix: already running, but without a window to show (it performs an action)"
APP_PID=$FIRST
e2e_check "the keyword start ends once logind answers" wait_app_end 15
e2e_expect_eq "the keyword start's own status: accepted" "$APP_STATUS" "0"
mock_accept PowerOff

e2e_finish
