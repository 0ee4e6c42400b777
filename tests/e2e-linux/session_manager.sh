#!/usr/bin/env bash
# X11 session management: brellix started by a real XSMP session manager (xsm) stores its settings
# when the session ends with a checkpoint (Qt's commitDataRequest), and ends with the session.
# xsm is driven as its user would: Shutdown, "With Checkpoint", a session name, Shutdown.
source "$(dirname "$0")/lib.sh"

# Away from xsm's own window at the top left, which the stay-on-top window would cover.
install_brellix "$(printf '[Position]\nLeft=6000\nTop=3000\n')"
mkdir -p "$E2E_RUN/home"
printf '%s\n' "$APP" > "$E2E_RUN/home/.xsmstartup"
HOME=$E2E_RUN/home linux_desktop_spawn xsm xsm
XSM_PID=$LINUX_DESKTOP_LAST_PID
e2e_check "xsm starts brellix from its start-up list" wait_window 15
APP_PID=$(pgrep -f -x "$APP" | head -1)  # xsm's child, not this shell's
ALL_APP_PIDS+=("$APP_PID")
e2e_check "brellix runs under the session manager" eval '[[ -n $APP_PID ]] && tr "\0" "\n" < /proc/$APP_PID/environ | grep -q "^SESSION_MANAGER="'
press alt+m Down  # minute 15 -> 16
sleep 0.2         # the picker's change reaches the program before the session ends

xsm_window() { xdotool search --onlyvisible --name "$1" 2> /dev/null | head -1; }
e2e_check "xsm shows its window" wait_for 10 eval '[[ -n $(xsm_window "^xsm: ") ]]'
# Shutdown is a menu button: press, move onto "With Checkpoint", release.
xdotool mousemove 122 37 mousedown 1 sleep 0.5 mousemove 130 50 mousemove 130 57 sleep 0.3 mouseup 1
if wait_for 5 eval '[[ -n $(xsm_window "^Shutdown$") ]]'; then
  POPUP=$(xsm_window "^Shutdown$")
  xdotool windowfocus --sync "$POPUP" mousemove --window "$POPUP" 152 14 click 1 type t
  xdotool mousemove --window "$POPUP" 32 110 click 1
  e2e_check "the session's end stores the settings (commitDataRequest)" wait_for 10 ini_is Shutdown Minute 16
  e2e_check "brellix does not hold the session's end up: it ends with the session" wait_for 10 eval '! kill -0 $APP_PID 2> /dev/null'
else
  e2e_fail "xsm's shutdown dialog opened"
fi
kill "$XSM_PID" 2> /dev/null

e2e_finish
