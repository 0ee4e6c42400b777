#!/usr/bin/env bash
# Real window managers (xfwm4 and openbox, with trayer as the tray): a window closed to the tray
# comes back whichever way it is asked back (a second start, a double click on the tray icon,
# the warning's 显示, a refusal at the armed second), also when hidden from the tray menu or while
# the window manager is too busy to follow: mapped, in the normal state, not hidden and kept on
# top, cycle after cycle.
source "$(dirname "$0")/lib.sh"
source "$E2E_DIR/../../scripts/real-desktop.sh"

CYCLES=3
NOTIFY=(-d org.freedesktop.Notifications -o /org/freedesktop/Notifications)

# --- The window as the window manager left it ---

# "map WM_STATE [_NET_WM_STATE atoms]", e.g. "IsViewable Normal [ABOVE STAYS_ON_TOP]".
window_state() {
  local map wm net
  map=$(xwininfo -id "$WIN" 2> /dev/null | sed -n 's/^ *Map State: //p')
  wm=$(xprop -id "$WIN" WM_STATE 2> /dev/null | sed -n 's/^.*window state: //p')
  net=$(xprop -id "$WIN" _NET_WM_STATE 2> /dev/null | sed -n 's/^.*= //p' | sed 's/_NET_WM_STATE_//g; s/,//g')
  echo "${map:-none} ${wm:-Withdrawn} [$net]"
}
# Back for the user: mapped, normal, on top, not hidden.
window_back() {
  local state
  state=$(window_state)
  [[ $state == "IsViewable Normal ["*ABOVE*"]" && $state != *HIDDEN* ]]
}
window_in_tray() { [[ $(window_state) == IsUnMapped* ]]; }

close_window() { /usr/bin/python3 "$E2E_DIR/close_window.py" "$WIN"; }

# Hides the window (the close box unless told), asks it back with COMMAND, checks it came back.
cycle() {  # label command...
  "${HIDE_WITH:-close_window}"
  if ! wait_for 5 window_in_tray; then
    e2e_fail "$1: the window is hidden in the tray (state: $(window_state))"
    kill -CONT "$WM_PID"
    return 1
  fi
  "${@:2}"
  if wait_for 5 window_back; then
    e2e_pass "$1: the window is back, mapped, normal and on top"
  else
    e2e_fail "$1: the window is back, mapped, normal and on top (state: $(window_state))"
  fi
}

# --- The ways back ---

second_start() {
  local first=$APP_PID
  run_brellix 5
  APP_PID=$first
}

popup_shown() {
  local id
  for id in $(xdotool search --onlyvisible --class brellix 2> /dev/null); do
    xwininfo -id "$id" 2> /dev/null | grep -q 'Override Redirect State: yes' && [[ $id != "$(tray_icon_window)" ]] && return 0
  done
  return 1
}
hide_from_tray_menu() {
  xdotool mousemove --window "$(tray_icon_window)" 8 8 click 3
  wait_for 5 popup_shown && xdotool key h  # 隐藏(&H)
}
# Closed and started again while the window manager is too busy to follow (stopped meanwhile):
# it learns of both afterwards, in order.
close_while_wm_busy() { kill -STOP "$WM_PID"; close_window; }
second_start_then_wm_free() { second_start; kill -CONT "$WM_PID"; }
double_click_icon() { xdotool mousemove --window "$(tray_icon_window)" 8 8 click --repeat 2 --delay 80 1; }

start_notification_server() {
  linux_desktop_spawn notifyd "$LINUX_DESKTOP_PYTHON" -m dbusmock --session --template notification_daemon \
    -p '{"capabilities": "body actions"}' -l "$LINUX_DESKTOP_RUN/notify.log"
  wait_for 10 eval 'gdbus call --session "${NOTIFY[@]}" -m org.freedesktop.DBus.Mock.GetCalls > /dev/null 2>&1'
}
# The warning is the program's first notification: the mock gives it the id 1.
warning_shown() { grep -q '"即将关闭电源"' "$LINUX_DESKTOP_RUN/notify.log"; }
click_warning() {
  gdbus call --session "${NOTIFY[@]}" -m org.freedesktop.DBus.Mock.EmitSignal org.freedesktop.Notifications \
    ActionInvoked us "[<uint32 1>, <'default'>]" > /dev/null
}

# Settings that arm the window for a power off SECONDS ahead, warning WARNING seconds before.
armed_settings() {  # seconds warning
  local hour minute second ampm
  read -r hour minute second ampm <<< "$(LC_ALL=C date -d "@$((${EPOCHREALTIME%.*} + $1))" '+%-I %-M %-S %p')"
  settings_text "$hour" "$minute" "$second" "$ampm" 1 1
  printf '[Warning]\nSeconds=%s\n' "$2"
}
start_armed() {  # seconds warning
  install_brellix "$(armed_settings "$1" "$2")"
  mock_mark
  start_brellix
  wait_window 10 && press Return && wait_for 3 title_is "Vospel - 激活"
}
end_program() {
  kill "$APP_PID"
  wait_app_end 5 || kill -9 "$APP_PID"
}

under_window_manager() {  # xfwm4 | openbox
  local wm=$1 i
  linux_desktop_stop "$E2E_RUN"
  linux_desktop_start "$E2E_RUN" && linux_desktop_require_private_bus "$E2E_RUN" || exit 1
  real_desktop_start_window_manager "$wm" || { e2e_fail "$wm started"; return; }
  WM_PID=$LINUX_DESKTOP_LAST_PID
  linux_desktop_start_trayer || e2e_fail "$wm: trayer started"
  start_notification_server || e2e_fail "$wm: the notification server started"

  # Armed an hour ahead, warned at once: the warning stays while the window comes and goes.
  e2e_check "$wm: the window opens and arms" start_armed 3000 3600
  e2e_check "$wm: the window opens on top" wait_for 5 window_back
  e2e_check "$wm: the icon is in the tray" wait_for 10 icon_embedded
  e2e_check "$wm: the warning is shown" wait_for 5 warning_shown
  for ((i = 1; i <= CYCLES; i++)); do
    cycle "$wm: a second start ($i)" second_start
    cycle "$wm: a double click on the tray icon ($i)" double_click_icon
    cycle "$wm: the warning's 显示 ($i)" click_warning
    HIDE_WITH=hide_from_tray_menu cycle "$wm: 隐藏 in the tray menu, then a double click ($i)" double_click_icon
    HIDE_WITH=close_while_wm_busy cycle "$wm: closed and a second start while it is busy ($i)" second_start_then_wm_free
  done
  end_program

  # A refusal at the armed second brings the hidden window back to tell it.
  mock_refuse PowerOff
  for ((i = 1; i <= 2; i++)); do
    if start_armed 4 0; then
      cycle "$wm: a refusal ($i)" wait_for 8 eval 'mock_calls | grep -q "^PowerOff"'
    else
      e2e_fail "$wm: refusal ($i): the window opens and arms"
    fi
    end_program
  done
  mock_accept PowerOff
}

under_window_manager xfwm4
under_window_manager openbox

e2e_finish
