#!/usr/bin/env bash
# What the user is told, with a notification server on the session bus (python3-dbusmock's
# notification_daemon, which logs every call) and the mock logind: the outlook at arming, the
# warning before the end and its disarm action, taken back when the program ends, a refusal told at
# once in the window's words (as text where the server takes markup) and the hidden window brought
# back, a server without actions, the window answering while logind is slow, settings that could
# not be stored, and the tray's message when no server is there.
source "$(dirname "$0")/lib.sh"

ARMED="Vospel - 激活"
DISARMED="Vospel - 取消"
NOTIFY=(-d org.freedesktop.Notifications -o /org/freedesktop/Notifications)
NOTIFYD_PID=

start_notification_server() {  # capabilities
  linux_desktop_spawn notifyd "$LINUX_DESKTOP_PYTHON" -m dbusmock --session --template notification_daemon \
    -p "{\"capabilities\": \"$1\"}" -l "$LINUX_DESKTOP_RUN/notify.log"
  NOTIFYD_PID=$LINUX_DESKTOP_LAST_PID
  wait_for 10 eval 'gdbus call --session "${NOTIFY[@]}" -m org.freedesktop.DBus.Mock.GetCalls > /dev/null 2>&1'
  notify_mark
}
stop_notification_server() { kill "$NOTIFYD_PID" && wait "$NOTIFYD_PID" 2> /dev/null; }
notify_mark() { NOTIFY_MARK=$(stat -c %s "$LINUX_DESKTOP_RUN/notify.log" 2> /dev/null || echo 0); }
# The calls since the mark, one a line, without time stamps and the mock's own signals.
notify_calls() { tail -c +$((NOTIFY_MARK + 1)) "$LINUX_DESKTOP_RUN/notify.log" | cut -d' ' -f2- | grep -v '^emit '; }
notified() { notify_calls | grep -qF "$1"; }
# The same on one line: a body's line breaks (what stands in the way) joined with blanks.
notify_text() { tail -c +$((NOTIFY_MARK + 1)) "$LINUX_DESKTOP_RUN/notify.log" | tr '\n' ' '; }
# The id the server gave the last notification: the mock counts from 1, replacing keeps the id.
last_id() { notify_calls | grep -c '^Notify "Brellix" 0 '; }
invoke_action() {  # id key
  gdbus call --session "${NOTIFY[@]}" -m org.freedesktop.DBus.Mock.EmitSignal org.freedesktop.Notifications \
    ActionInvoked us "[<uint32 $1>, <'$2'>]" > /dev/null
}

# Starts the program armed for a target $1 seconds ahead (power off), warning $2 seconds before.
start_armed() {  # seconds warning
  TARGET=$((${EPOCHREALTIME%.*} + $1))
  local hour minute second ampm
  read -r hour minute second ampm <<< "$(LC_ALL=C date -d "@$TARGET" '+%-I %-M %-S %p')"
  install_brellix "$(settings_text "$hour" "$minute" "$second" "$ampm" 1 1)
[Warning]
Seconds=$2"
  mock_mark
  start_brellix
  wait_window 10 && press Return && wait_for 3 title_is "$ARMED"
}
past_target() { ((${EPOCHREALTIME%.*} > TARGET)); }
end_program() {
  press Escape
  wait_app_end 10 || kill -9 "$APP_PID"
}
# Closing hides the window while trayer shows the icon.
close_window() { /usr/bin/python3 "$E2E_DIR/close_window.py" "$WIN"; }

# --- The outlook at arming, then the warning in its place, and its disarm action ---
start_notification_server "body actions"
_mock AddMethod "$LOGIN1_MANAGER" CanPowerOff '' s "ret = 'challenge'"
e2e_check "arming: the schedule is armed" start_armed 5 3
e2e_check "arming: logind is asked whether it would power off" wait_for 3 eval 'mock_calls | grep -qx CanPowerOff'
e2e_check "arming: the server's capabilities are asked, then the outlook is told" wait_for 3 notified "关闭电源可能会被拒绝"
e2e_expect_eq "arming: the outlook, with a click action and without disarm" "$(notify_calls | head -2)" \
  'GetCapabilities
Notify "Brellix" 0 "brellix" "关闭电源可能会被拒绝" "系统要求输入密码才允许此操作。" ["default", "显示"] {"desktop-entry": "brellix"} -1'
e2e_check "warning: told before the end" wait_for 5 notified "即将关闭电源"
e2e_check "warning: in place of the outlook (replaces id 1), with 推迟 and 取消 actions, kept until answered" \
  eval 'notify_text | grep -qE "Notify \"Brellix\" 1 \"brellix\" \"即将关闭电源\" \"Brellix 将于 [^\"]+ 关闭电源。[^\"]*\" \[\"default\", \"显示\", \"snooze\", \"推迟 10 分钟\", \"disarm\", \"取消\"\] \{\"desktop-entry\": \"brellix\"\} 0"'
invoke_action 1 disarm
e2e_check "warning: its disarm action disarms" wait_for 3 title_is "$DISARMED"
wait_for 8 past_target
sleep 1
e2e_expect_eq "warning: disarmed, logind is never asked to power off" "$(end_calls)" "CanPowerOff"
e2e_expect_eq "warning: disarming took the warning back" "$(notify_calls | grep -c '^CloseNotification 1$')" "1"
e2e_expect_eq "each notification asks the server's capabilities anew (it may have been replaced)" \
  "$(notify_calls | grep -c '^GetCapabilities$')" "$(notify_calls | grep -c '^Notify ')"
end_program
_mock AddMethod "$LOGIN1_MANAGER" CanPowerOff '' s "ret = 'yes'"

# --- Snooze from the warning: ten minutes later, shown by the pickers and stored ---
stop_notification_server
start_notification_server "body actions"  # anew: the warning is its id 1
e2e_check "snooze: armed" start_armed 4 3
e2e_check "snooze: warned" wait_for 5 notified "即将关闭电源"
invoke_action 1 snooze
e2e_check "snooze: the warning is taken back" wait_for 3 eval 'notify_calls | grep -q "^CloseNotification "'
wait_for 8 past_target
sleep 1  # the tick that would have fired
e2e_check "snooze: the old time passes, still armed" title_is "$ARMED"
e2e_expect_eq "snooze: logind is not asked to power off" "$(end_calls | tr ';' '\n' | grep -c '^PowerOff')" "0"
press Escape
wait_app_end 10
read -r hour minute second ampm <<< "$(LC_ALL=C date -d "@$((TARGET + 600))" '+%-I %-M %-S %p')"
e2e_expect_eq "snooze: the time ten minutes on is what is stored" \
  "$(ini_value Shutdown Hour):$(ini_value Shutdown Minute):$(ini_value Shutdown Second) $(ini_value Shutdown AMPM)" \
  "$hour:$minute:$second $ampm"

# --- What stands in the way, named in the warning: a block inhibitor, another user's session ---
stop_notification_server
start_notification_server "body actions"
_mock AddMethod "$LOGIN1_MANAGER" ListInhibitors '' 'a(ssssuu)' \
  "ret = [('shutdown:sleep', 'Firefox', '正在播放视频', 'block', dbus.UInt32(1000), dbus.UInt32(42))]"
gdbus call --system "${LOGIN1[@]}" -m org.freedesktop.DBus.Mock.AddSession c2 seat0 1001 bob false > /dev/null
e2e_check "obstacles: armed" start_armed 5 3
e2e_check "obstacles: the warning names the program that blocks" wait_for 6 notified "阻止此操作的程序：Firefox：正在播放视频"
e2e_check "obstacles: ... and the other user, by name and seat" eval 'notify_text | grep -qF "其他已登录的用户：" && notify_text | grep -qF "bob（seat0）"'
end_program
_mock AddMethod "$LOGIN1_MANAGER" ListInhibitors '' 'a(ssssuu)' 'ret = []'

# --- The warning never outlives the program: 退出 (Esc) and SIGTERM take it back ---
for ending in Escape SIGTERM; do
  notify_mark
  e2e_check "ended by $ending: armed" start_armed 60 59
  e2e_check "ended by $ending: warned" wait_for 5 notified "即将关闭电源"
  if [[ $ending == SIGTERM ]]; then kill -TERM "$APP_PID"; else press Escape; fi
  e2e_check "ended by $ending: the program ends" wait_app_end 10
  e2e_check "ended by $ending: the warning was taken back" eval 'notify_calls | grep -q "^CloseNotification [1-9]"'
done

# --- Settings that cannot be written: told as the program ends ---
install_brellix
mkdir "$INI"  # a directory where the file should be: even root cannot write it
notify_mark
start_brellix
wait_window 10
press Escape
e2e_check "settings not stored: the program still ends" wait_app_end 10
e2e_check "settings not stored: told, naming the file and the reason" \
  eval 'notify_calls | grep -qF "\"未能保存设置\" \"$INI：Is a directory\""'
stop_notification_server

# --- A refusal at the armed second, the window hidden in the tray; markup escaped ---
linux_desktop_start_trayer || e2e_fail "trayer started"
start_notification_server "body body-markup actions"
_mock AddMethod "$LOGIN1_MANAGER" PowerOff b '' \
  "raise dbus.exceptions.DBusException('Operation <inhibited> by \"x\" & \"y\"', name='org.freedesktop.login1.BlockedByInhibitorLock')"
e2e_check "refusal: the schedule is armed" start_armed 4 0
e2e_check "refusal: the icon is in the tray" wait_for 10 eval 'xwininfo -root -tree | grep -q "(\"brellix\" "'
close_window
e2e_check "refusal: closing hid the window" wait_for 3 window_hidden
e2e_check "refusal: told at once, naming the action" wait_for 8 notified "关闭电源失败"
e2e_expect_eq "refusal: what logind said, in the window's words, as text" "$(notify_calls | grep -F '关闭电源失败')" \
  'Notify "Brellix" 0 "brellix" "关闭电源失败" "另一个程序阻止了此操作（Operation &lt;inhibited&gt; by "x" &amp; "y"）。" ["default", "显示"] {"desktop-entry": "brellix"} -1'
e2e_check "refusal: the hidden window is back" wait_for 3 window_shown
WIN=$(shown_windows | head -1)
e2e_check "refusal: disarmed, as after any firing" title_is "$DISARMED"
close_window
wait_for 3 window_hidden
invoke_action "$(last_id)" default
e2e_check "a click on the notification shows the window" wait_for 3 window_shown
WIN=$(shown_windows | head -1)
end_program
mock_accept PowerOff
stop_notification_server

# --- A server that shows no actions: the warning cannot be answered there, so the window comes,
# with the focus on 取消 ---
start_notification_server "body"
e2e_check "no actions: the schedule is armed" start_armed 8 6
close_window
e2e_check "no actions: the window hides in the tray" wait_for 3 window_hidden
e2e_check "no actions: the warning is shown" wait_for 5 notified "即将关闭电源"
e2e_check "no actions: the window comes back" wait_for 3 window_shown
WIN=$(shown_windows | head -1)
press Return
e2e_check "no actions: Enter disarms, the focus being on 取消" wait_for 2 title_is "$DISARMED"
end_program
stop_notification_server

# --- Without a notification server: the tray icon's message ---
e2e_check "no server: the schedule is armed" start_armed 5 3
close_window
e2e_check "no server: the window hides in the tray" wait_for 3 window_hidden
# Qt's balloon: a mapped override-redirect window of the program other than the icon.
balloon_shown() {
  local id
  for id in $(xdotool search --onlyvisible --class brellix 2> /dev/null); do
    xwininfo -id "$id" 2> /dev/null | grep -q 'Override Redirect State: yes' &&
      [[ $(xwininfo -id "$id" | awk '/Width:/ { print $2 }') -gt 100 ]] && return 0
  done
  return 1
}
e2e_check "no server: the warning shows as the tray icon's message" wait_for 6 balloon_shown
e2e_check "no server: the window stays hidden" window_hidden
kill "$APP_PID"
wait_app_end 5

# --- Asleep over the armed second: the program stands still across it (as in a suspend), logind
# says the machine woke; the missed time is told with its cause, and it stays armed ---
start_notification_server "body actions"
e2e_check "asleep: armed" start_armed 3 0
kill -STOP "$APP_PID"
wait_for 20 eval '((${EPOCHREALTIME%.*} > TARGET + 6))'
_mock EmitSignal "$LOGIN1_MANAGER" PrepareForSleep b "[<false>]"
kill -CONT "$APP_PID"
e2e_check "asleep: the missed time is told, with its cause" wait_for 5 eval 'notify_text | grep -qF "计算机在睡眠"'
e2e_check "asleep: still armed, for tomorrow" title_is "$ARMED"
e2e_expect_eq "asleep: logind is not asked to power off" "$(end_calls | tr ';' '\n' | grep -c '^PowerOff')" "0"
end_program
stop_notification_server

# --- A slow logind: the window answers while it thinks ---
_mock AddMethod "$LOGIN1_MANAGER" PowerOff b '' "__import__('time').sleep(8)"
e2e_check "slow logind: the schedule is armed" start_armed 3 0
e2e_check "slow logind: power off asked" wait_for 6 eval 'mock_calls | grep -q "^PowerOff False"'
asked=${EPOCHREALTIME%.*}
e2e_check "slow logind: disarmed after the firing" wait_for 2 title_is "$DISARMED"
press Return
e2e_check "slow logind: the window arms again at once (运行)" wait_for 2 title_is "$ARMED"
press alt+f
e2e_check "slow logind: 取消 disarms at once" wait_for 2 title_is "$DISARMED"
press Escape
e2e_check "slow logind: 退出 ends the program at once" wait_app_end 3
e2e_check "slow logind: all of it while logind still thought ($((${EPOCHREALTIME%.*} - asked)) s of 8)" \
  test $((${EPOCHREALTIME%.*} - asked)) -lt 7

e2e_finish
