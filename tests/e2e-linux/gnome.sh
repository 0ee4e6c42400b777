#!/usr/bin/env bash
# A real GNOME 43 session (gnome-session --builtin, gnome-shell --headless, Wayland only): the
# program runs natively on Wayland; stock GNOME has no tray, so closing the window (as the shell
# closes it) minimises it; log off without force, from the command line or armed in the window,
# ends the session through org.gnome.SessionManager and leaves logind alone; armed with 自动断电,
# logind terminates the session and the session manager is left alone.
source "$(dirname "$0")/lib.sh"
source "$E2E_DIR/desktop_lib.sh"

LOGOFF=3 FORCE=0 NO_FORCE=1  # 注销 in 选项; 自动断电 and 让用户断电 in the second list

new_session() {
  linux_desktop_stop "$E2E_RUN"
  linux_desktop_start "$E2E_RUN" && linux_desktop_require_private_bus "$E2E_RUN" || return 1
  # A Wayland session as GNOME's login manager starts it: no X display.
  unset DISPLAY QT_QPA_PLATFORM
  export XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=GNOME
  real_desktop_start_gnome && bus_monitor_start session && export WAYLAND_DISPLAY=$GNOME_WAYLAND_DISPLAY
}
session_ended() { _linux_desktop_gone "$REAL_DESKTOP_SESSION_PID"; }
gnome_logouts() { bus_calls org.gnome.SessionManager Logout | tr '\n' ';' | sed 's/;$//'; }
# What the shell knows of the program's windows: "minimised" or "shown" for each, in a line.
shell_windows() {
  gnome_eval "global.get_window_actors().map(a => a.meta_window).filter(w => w.get_pid() == $APP_PID)
    .map(w => w.minimized ? 'minimised' : 'shown').join(' ')" | sed -nE "s/^\(true, '\"(.*)\"'\)$/\1/p"
}
shell_windows_are() { [[ $(shell_windows) == "$1" ]]; }

new_session || { e2e_fail "the GNOME session started"; e2e_finish; exit; }

install_brellix
start_brellix
e2e_check "the shell shows the window" wait_for 15 shell_windows_are shown
e2e_expect_eq "the program runs natively on Wayland" "$(qt_platform_of "$APP_PID")" "wayland"
gnome_eval "global.get_window_actors().map(a => a.meta_window).filter(w => w.get_pid() == $APP_PID)
  .forEach(w => w.delete(global.get_current_time()))" > /dev/null
e2e_check "no tray: the shell's close minimises the window" wait_for 5 shell_windows_are minimised
e2e_check "... and the program runs on" app_running
kill "$APP_PID"
wait_app_end 10

for _ in 1 2 3; do arm_and_fire "$LOGOFF" "$FORCE" "注销 + 自动断电"; (($? == 2)) || break; done
e2e_check "注销 + 自动断电: logind terminates the program's session" \
  wait_for 10 eval '[[ $(logind_end_calls) == "GetSessionByPID $APP_PID;Terminate" ]]'
e2e_expect_eq "注销 + 自动断电: the session manager is not asked" "$(gnome_logouts)" ""
e2e_check "注销 + 自动断电: the session manager runs on" eval '! session_ended'
kill "$APP_PID"
wait_app_end 10

for _ in 1 2 3; do arm_and_fire "$LOGOFF" "$NO_FORCE" "注销 without force"; (($? == 2)) || break; done
e2e_check "注销 without force: gnome-session ends the session" wait_for 15 session_ended
e2e_expect_eq "注销 without force: asked through org.gnome.SessionManager, without a dialog" "$(gnome_logouts)" "Logout 1"
e2e_expect_eq "注销 without force: logind is not asked" "$(logind_end_calls)" ""
e2e_check "注销 without force: the program ends with the session" wait_app_end 10

new_session || { e2e_fail "the GNOME session started again"; e2e_finish; exit; }
install_brellix
mock_mark
run_brellix 20 logoff
e2e_expect_eq "brellix logoff: exits 0" "$APP_STATUS" "0"
e2e_check "brellix logoff: gnome-session ends the session" wait_for 15 session_ended
e2e_expect_eq "brellix logoff: asked through org.gnome.SessionManager, without a dialog" "$(gnome_logouts)" "Logout 1"
e2e_expect_eq "brellix logoff: logind is not asked" "$(logind_end_calls)" ""

e2e_finish
