#!/usr/bin/env bash
# The tray: an XEmbed icon in trayer (right click opens the menu, 隐藏 hides the window, a double
# click shows it, 退出 ends the program) and a StatusNotifierItem registered with a watcher
# (its dbusmenu carries the entries, Activate shows the window). When the tray goes away (trayer
# killed, the watcher gone), closing the window leaves it on screen (minimised) instead of hiding
# it with no icon anywhere; when the tray comes back, the icon does, and closing hides again.
source "$(dirname "$0")/lib.sh"

SNI=("/usr/bin/python3" "$E2E_DIR/sni_client.py")

# A mapped override-redirect window of the program other than its main window: the popup menu.
popup_shown() {
  local id
  for id in $(xdotool search --onlyvisible --class brellix 2> /dev/null); do
    xwininfo -id "$id" 2> /dev/null | grep -q 'Override Redirect State: yes' && ((id != ICON)) && return 0
  done
  return 1
}

# --- XEmbed: trayer as the tray ---
linux_desktop_start_trayer || e2e_fail "trayer started"
install_brellix
start_brellix
e2e_check "XEmbed: the window opens" wait_window 10
e2e_check "XEmbed: the icon is embedded in trayer's panel" wait_for 10 icon_embedded
ICON=$(tray_icon_window)
if [[ -n $ICON ]]; then
  e2e_check "XEmbed: no popup menu before the click" eval '! popup_shown'
  xdotool mousemove --window "$ICON" 8 8 click 3
  e2e_check "XEmbed: a right click opens the popup menu" wait_for 5 popup_shown
  xdotool key h  # 隐藏(&H)
  e2e_check "XEmbed: 隐藏 in the menu hides the window" wait_for 5 window_hidden
  e2e_check "XEmbed: hidden, the program runs on" app_running
  xdotool mousemove --window "$ICON" 8 8 click --repeat 2 --delay 80 1
  e2e_check "XEmbed: a double click on the icon shows the window" wait_for 5 window_shown
  xdotool mousemove --window "$ICON" 8 8 click 3
  wait_for 5 popup_shown
  xdotool key e  # 退出(&E)
  e2e_check "XEmbed: 退出 in the menu ends the program" wait_app_end 10
  e2e_expect_eq "XEmbed: the program ended normally" "${APP_STATUS:-}" "0"
  e2e_check "XEmbed: 退出 stored the settings" test -s "$INI"
fi

close_window() { /usr/bin/python3 "$E2E_DIR/close_window.py" "$WIN"; }

# The tray goes away and comes back while the program runs. $1: what; $2: the command that ends
# the tray; $3: the one that starts it again; $4: the check that the icon is in it.
tray_goes_away() {  # label stop start icon-shown
  install_brellix
  start_brellix
  e2e_check "$1: the window opens" wait_window 10
  e2e_check "$1: the icon is in the tray" wait_for 10 "$4"
  eval "$2"
  sleep 0.5
  close_window
  sleep 1
  e2e_check "$1 gone: closing leaves the window on screen" window_shown
  e2e_check "$1 gone: the program runs on" app_running
  eval "$3"
  e2e_check "$1 back: the icon is in it again" wait_for 10 "$4"
  close_window
  e2e_check "$1 back: closing hides the window in the tray" wait_for 5 window_hidden
  kill "$APP_PID"
  wait_app_end 5
}
TRAYER_PID=$LINUX_DESKTOP_LAST_PID
tray_goes_away "XEmbed: trayer" 'kill "$TRAYER_PID"; wait "$TRAYER_PID" 2> /dev/null' linux_desktop_start_trayer icon_embedded

# --- StatusNotifierItem: a watcher on the session bus, no XEmbed tray ---
# A new desktop: Qt decides once per process, and trayer must not be there to take the icon.
e2e_cleanup_desktop_and_restart() {
  linux_desktop_stop "$E2E_RUN"
  linux_desktop_start "$E2E_RUN" && linux_desktop_require_private_bus "$E2E_RUN"
}
e2e_cleanup_desktop_and_restart || exit 1
linux_desktop_start_sni_watcher || e2e_fail "the watcher started"
install_brellix
start_brellix
e2e_check "SNI: the window opens" wait_window 10
e2e_check "SNI: the item registers with the watcher" wait_for 10 grep -q '^registered ' "$LINUX_DESKTOP_RUN/sni.log"
ITEM=$(sed -n 's/^registered \([^ ]*\).*/\1/p' "$LINUX_DESKTOP_RUN/sni.log" | head -1)
if [[ -n $ITEM ]]; then
  e2e_expect_eq "SNI: its menu's entries" "$("${SNI[@]}" "$ITEM" labels)" \
    "隐藏(_H) -显示(_S) 激活(_N) -取消(_F) -推迟 10 分钟(_P) 每天(_D) 退出(_E)"
  tip() { "${SNI[@]}" "$ITEM" tooltip; }
  e2e_check "SNI: at rest the tip is the start-up caption" eval '[[ $(tip) == Vospel* ]]'
  "${SNI[@]}" "$ITEM" click '激活(_N)'
  e2e_check "SNI: armed, the tip names the action, the time and what is left" \
    wait_for 5 eval '[[ $(tip) == "关闭电源 3:15:45 AM · 还剩 "* ]]'
  "${SNI[@]}" "$ITEM" click '推迟 10 分钟(_P)'
  e2e_check "SNI: 推迟 moves the time ten minutes on" wait_for 5 eval '[[ $(tip) == "关闭电源 3:25:45 AM · 还剩 "* ]]'
  AUTOSTART=$XDG_CONFIG_HOME/autostart/brellix.desktop
  "${SNI[@]}" "$ITEM" click '每天(_D)'
  e2e_check "SNI: 每天 writes the login entry" wait_for 5 grep -q -- '^Exec=".*brellix" --autostart$' "$AUTOSTART"
  e2e_check "SNI: ... which the distribution's checker takes" desktop-file-validate "$AUTOSTART"
  "${SNI[@]}" "$ITEM" click '取消(_F)'
  e2e_check "SNI: disarmed, the tip of the start again" wait_for 5 eval '[[ $(tip) == Vospel* ]]'
  "${SNI[@]}" "$ITEM" click '隐藏(_H)'
  e2e_check "SNI: 隐藏 from the host's menu hides the window" wait_for 5 window_hidden
  "${SNI[@]}" "$ITEM" activate
  e2e_check "SNI: Activate (a left click in the host) shows the window" wait_for 5 window_shown
  "${SNI[@]}" "$ITEM" click '退出(_E)'
  e2e_check "SNI: 退出 from the host's menu ends the program" wait_app_end 10
  e2e_expect_eq "SNI: the program ended normally" "${APP_STATUS:-}" "0"
  e2e_check "SNI: 退出 stored the settings" test -s "$INI"
  e2e_expect_eq "SNI: ... the snoozed time and every day" "$(ini_value Shutdown Minute) $(ini_value Shutdown Daily)" "25 1"
  start_brellix --autostart
  e2e_check "SNI: a start at login registers the icon" \
    wait_for 10 eval '[[ $(grep -c "^registered " "$LINUX_DESKTOP_RUN/sni.log") -ge 2 ]]'
  ITEM=$(sed -n 's/^registered \([^ ]*\).*/\1/p' "$LINUX_DESKTOP_RUN/sni.log" | tail -1)
  e2e_check "SNI: ... armed at once for the saved time" wait_for 5 eval '[[ $(tip) == "关闭电源 3:25:45 AM · 还剩 "* ]]'
  e2e_check "SNI: ... with no window shown" window_hidden
  "${SNI[@]}" "$ITEM" click '每天(_D)'
  e2e_check "SNI: 每天 off removes the login entry" wait_for 5 eval '[[ ! -e $AUTOSTART ]]'
  e2e_check "SNI: ... and the schedule stays armed" eval '[[ $(tip) == "关闭电源 3:25:45 AM · 还剩 "* ]]'
  "${SNI[@]}" "$ITEM" click '退出(_E)'
  wait_app_end 10
fi
WATCHER_PID=$LINUX_DESKTOP_LAST_PID
: > "$LINUX_DESKTOP_RUN/sni.log"
item_registered() { grep -q '^registered ' "$LINUX_DESKTOP_RUN/sni.log"; }
tray_goes_away "SNI: the watcher" 'kill "$WATCHER_PID"; wait "$WATCHER_PID" 2> /dev/null; : > "$LINUX_DESKTOP_RUN/sni.log"' \
  linux_desktop_start_sni_watcher item_registered

e2e_finish
