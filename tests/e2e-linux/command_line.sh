#!/usr/bin/env bash
# brellix started with keywords asks logind (the mock) for exactly the calls its keywords mean,
# shows no window and ends; without an action keyword it asks for nothing and opens its window;
# a call logind refuses leaves one "brellix: " line on stderr and exit status 1.
source "$(dirname "$0")/lib.sh"

# args | CanHalt answer | the calls, ";"-joined ("{pid}" stands for the program's process id)
ROWS=(
  "poweroff|challenge|PowerOff False"
  "-reboot:now|challenge|Reboot False"
  "shutdown|no|CanHalt;PowerOff False"
  "shutdown|challenge|CanHalt;PowerOff False"
  "shutdown|yes|CanHalt;Halt False"
  "reboot shutdown|yes|CanHalt;Halt False"
  "poweroff forceifhung|challenge|PowerOff False"
  "poweroff force|challenge|PowerOff False"
  "/logoff force|challenge|GetSessionByPID {pid};Terminate"
  "logoff|challenge|GetSessionByPID {pid};Terminate"
)

install_brellix
for row in "${ROWS[@]}"; do
  IFS='|' read -r args can_halt expected <<< "$row"
  mock_can_halt "$can_halt"
  mock_mark
  before_terminate=$(mock_object_calls session/c1 | grep -c '^Terminate$')
  # shellcheck disable=SC2086
  run_brellix 10 $args
  pid=$!
  label="\"$args\" (CanHalt $can_halt)"
  e2e_expect_eq "$label ends by itself with status 0 (accepted)" "$APP_STATUS" "0"
  e2e_expect_eq "$label asks logind for" "$(end_calls)" "${expected//\{pid\}/$pid}"
  if [[ $expected == *Terminate* ]]; then
    e2e_expect_eq "$label terminates its own session, c1" \
      "$(($(mock_object_calls session/c1 | grep -c '^Terminate$') - before_terminate))" "1"
  fi
  e2e_check "$label shows no window" window_hidden
  e2e_expect_eq "$label writes nothing on stderr" "$(cat "$CASE_DIR/err")" ""
  e2e_check "$label writes no settings" test ! -e "$INI"
done

# A desktop session manager on the session bus (a mock of GNOME's): log off without force asks it
# to log out without a dialog and leaves logind alone; with force logind terminates the session;
# a session manager that refuses leaves the log off to logind.
MANAGER=(-d org.gnome.SessionManager -o /org/gnome/SessionManager)
linux_desktop_spawn gnome-session-mock "$LINUX_DESKTOP_PYTHON" -m dbusmock --session org.gnome.SessionManager \
  /org/gnome/SessionManager org.gnome.SessionManager -l "$LINUX_DESKTOP_RUN/session-manager.log"
MANAGER_PID=$LINUX_DESKTOP_LAST_PID
wait_for 10 eval 'gdbus call --session "${MANAGER[@]}" -m org.freedesktop.DBus.Mock.GetCalls > /dev/null 2>&1'
manager_method() {  # code
  gdbus call --session "${MANAGER[@]}" -m org.freedesktop.DBus.Mock.AddMethod org.gnome.SessionManager Logout u '' "$1" > /dev/null
}
manager_calls() { tail -c +$((MANAGER_MARK + 1)) "$LINUX_DESKTOP_RUN/session-manager.log" | cut -d' ' -f2- | tr '\n' ';' | sed 's/;$//'; }
manager_method ''
# args | the session manager's code | its calls | logind's calls
for row in "logoff||Logout 1|" "logoff forceifhung||Logout 1|" "logoff force|||GetSessionByPID {pid};Terminate" \
  "logoff|raise dbus.exceptions.DBusException('busy', name='org.gnome.SessionManager.Error')|Logout 1;Logout raised|GetSessionByPID {pid};Terminate"; do
  IFS='|' read -r args code expected_manager expected_logind <<< "$row"
  manager_method "$code"
  MANAGER_MARK=$(stat -c %s "$LINUX_DESKTOP_RUN/session-manager.log")
  mock_mark
  # shellcheck disable=SC2086
  run_brellix 10 $args
  pid=$!
  label="\"$args\" with a session manager${code:+ that refuses}"
  e2e_expect_eq "$label ends with status 0" "$APP_STATUS" "0"
  e2e_expect_eq "$label asks the session manager" "$(manager_calls | sed -E 's/ raised:[^;]*/ raised/g')" "$expected_manager"
  e2e_expect_eq "$label asks logind" "$(end_calls)" "${expected_logind//\{pid\}/$pid}"
done
kill "$MANAGER_PID"
wait "$MANAGER_PID" 2> /dev/null

# A call logind refuses (a block inhibitor): status 1, one line on stderr and nothing else, nothing
# more asked. Repeated: what Qt's D-Bus thread might still print at exit comes only now and then.
REPEATS=25
for refused in "poweroff|PowerOff|PowerOff False;PowerOff raised" "reboot|Reboot|Reboot False;Reboot raised"; do
  IFS='|' read -r args method expected <<< "$refused"
  mock_refuse "$method"
  mock_mark
  run_brellix 10 "$args"
  e2e_expect_eq "\"$args\" refused: the call was made once" "$(end_calls | sed -E 's/ raised:[^;]*/ raised/g')" "$expected"
  e2e_expect_eq "\"$args\" refused: exit status 1" "$APP_STATUS" "1"
  e2e_check "\"$args\" refused: the line says which call and why ($(cat "$CASE_DIR/err"))" \
    grep -qx "brellix: $method refused: org.freedesktop.login1.BlockedByInhibitorLock: Operation inhibited" "$CASE_DIR/err"
  line=$(cat "$CASE_DIR/err")
  others=()
  for ((i = 1; i < REPEATS; i++)); do
    run_brellix 10 "$args"
    err=$(cat "$CASE_DIR/err")
    [[ $APP_STATUS == 1 && $err == "$line" ]] || others+=("run $i: status $APP_STATUS, stderr [$err]")
  done
  mock_accept "$method"
  e2e_expect_eq "\"$args\" refused $REPEATS times: status 1 and only the program's own line on stderr each time" \
    "$(printf '%s\n' "${others[@]}")" ""
done

# No action keyword (a force keyword alone, a keyword in the wrong case, none): the window opens,
# logind is asked nothing, Esc ends the program.
for args in "force" "forceifhung" "Poweroff" ""; do
  mock_mark
  # shellcheck disable=SC2086
  start_brellix $args
  e2e_check "\"$args\" opens the window" wait_window 10
  e2e_check "\"$args\": the window's title starts with \"Vospel - \"" eval '[[ $(window_title) == "Vospel - "* ]]'
  press Escape
  e2e_check "\"$args\": Esc ends the program" wait_app_end 10
  e2e_expect_eq "\"$args\" asks nothing of logind" "$(end_calls)" ""
done

e2e_finish
