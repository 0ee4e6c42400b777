#!/usr/bin/env bash
# X11 session management: brellix, a client of a real XSMP session manager (xfce4-session), stores
# its settings when the session ends with a save (Qt's commitDataRequest), and ends with the
# session. The session's end is asked over D-Bus, as the desktop's log-out does: nothing here
# depends on where a session manager draws its buttons or how fast it draws them.
source "$(dirname "$0")/lib.sh"
source "$E2E_DIR/desktop_lib.sh"

real_desktop_start_xfce_session || { e2e_fail "xfce4-session started"; e2e_finish; exit; }
install_brellix
start_brellix
e2e_check "the window opens" wait_window 10
XFSM=(-d org.xfce.SessionManager)
# The programs registered with the session manager as its clients, one a line.
session_clients() {
  local client
  for client in $(gdbus call --session "${XFSM[@]}" -o /org/xfce/SessionManager -m org.xfce.Session.Manager.ListClients |
    grep -oE "/org/xfce/SessionClients/[^']+"); do
    gdbus call --session "${XFSM[@]}" -o "$client" -m org.xfce.Session.Client.GetAllSmProperties |
      grep -oE "'Program': <'[^']*'>" | sed -E "s/^'Program': <'(.*)'>$/\1/"
  done
}
e2e_check "brellix registers with the session manager" wait_for 10 eval 'session_clients | grep -qxF "$APP"'
press alt+m Down  # minute 15 -> 16
e2e_check "the minute picker shows 16" wait_for 5 eval '"${ATSPI[@]}" tree 2> /dev/null | grep -qF "combo box \"16\""'

gdbus call --session "${XFSM[@]}" -o /org/xfce/SessionManager \
  -m org.xfce.Session.Manager.Logout false true > /dev/null
e2e_check "the session's end stores the settings (commitDataRequest)" wait_for 15 ini_is Shutdown Minute 16
e2e_check "brellix does not hold the session's end up: it ends with the session" wait_app_end 15
e2e_check "the session ends" wait_for 15 eval '_linux_desktop_gone "$REAL_DESKTOP_SESSION_PID"'

e2e_finish
