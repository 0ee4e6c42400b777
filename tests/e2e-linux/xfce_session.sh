#!/usr/bin/env bash
# A real xfce4-session 4.18: log off without force, from the command line or armed in the window,
# ends the session through org.xfce.Session.Manager (no dialog) and leaves logind alone; armed
# with 自动断电 it has logind terminate the session and leaves the session manager alone.
source "$(dirname "$0")/lib.sh"
source "$E2E_DIR/desktop_lib.sh"

LOGOFF=3 FORCE=0 NO_FORCE=1  # 注销 in 选项; 自动断电 and 让用户断电 in the second list

new_session() {
  linux_desktop_stop "$E2E_RUN"
  linux_desktop_start "$E2E_RUN" && linux_desktop_require_private_bus "$E2E_RUN" &&
    real_desktop_start_xfce_session && bus_monitor_start session
}
session_ended() { _linux_desktop_gone "$REAL_DESKTOP_SESSION_PID"; }
xfce_logouts() { bus_calls org.xfce.Session.Manager Logout | tr '\n' ';' | sed 's/;$//'; }

new_session || { e2e_fail "xfce4-session started"; e2e_finish; exit; }
for _ in 1 2 3; do arm_and_fire "$LOGOFF" "$FORCE" "注销 + 自动断电"; (($? == 2)) || break; done
e2e_check "注销 + 自动断电: logind terminates the program's session" \
  wait_for 10 eval '[[ $(logind_end_calls) == "GetSessionByPID $APP_PID;Terminate" ]]'
e2e_expect_eq "注销 + 自动断电: the session manager is not asked" "$(xfce_logouts)" ""
e2e_check "注销 + 自动断电: the session manager runs on" eval '! session_ended'
kill "$APP_PID"
wait_app_end 10

for _ in 1 2 3; do arm_and_fire "$LOGOFF" "$NO_FORCE" "注销 without force"; (($? == 2)) || break; done
e2e_check "注销 without force: xfce4-session ends the session" wait_for 15 session_ended
e2e_expect_eq "注销 without force: asked through org.xfce.Session.Manager, without its dialog" "$(xfce_logouts)" "Logout false true"
e2e_expect_eq "注销 without force: logind is not asked" "$(logind_end_calls)" ""
e2e_check "注销 without force: the program ends with the session" wait_app_end 10

new_session || { e2e_fail "xfce4-session started again"; e2e_finish; exit; }
install_brellix
mock_mark
run_brellix 20 logoff
e2e_expect_eq "brellix logoff: exits 0" "$APP_STATUS" "0"
e2e_check "brellix logoff: xfce4-session ends the session" wait_for 15 session_ended
e2e_expect_eq "brellix logoff: asked through org.xfce.Session.Manager, without its dialog" "$(xfce_logouts)" "Logout false true"
e2e_expect_eq "brellix logoff: logind is not asked" "$(logind_end_calls)" ""

e2e_finish
