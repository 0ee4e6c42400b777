#!/usr/bin/env bash
# brellix started with keywords asks logind (the mock) for exactly the calls its keywords mean,
# shows no window and ends; without an action keyword it asks for nothing and opens its window;
# a call logind refuses leaves one "brellix: " line on stderr.
source "$(dirname "$0")/lib.sh"

# args | CanHalt answer | the calls, ";"-joined ("PID" stands for the program's process id)
ROWS=(
  "poweroff|challenge|PowerOff False"
  "-reboot:now|challenge|Reboot False"
  "shutdown|no|CanHalt;PowerOff False"
  "shutdown|challenge|CanHalt;PowerOff False"
  "shutdown|yes|CanHalt;Halt False"
  "reboot shutdown|yes|CanHalt;Halt False"
  "poweroff forceifhung|challenge|PowerOff False"
  "poweroff force|challenge|PowerOff False"
  "/logoff force|challenge|GetSessionByPID PID;Terminate"
  "logoff|challenge|GetSessionByPID PID;Terminate"
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
  e2e_expect_eq "$label ends by itself with status 0" "$APP_STATUS" "0"
  e2e_expect_eq "$label asks logind for" "$(end_calls)" "${expected//PID/$pid}"
  if [[ $expected == *Terminate* ]]; then
    e2e_expect_eq "$label terminates its own session, c1" \
      "$(($(mock_object_calls session/c1 | grep -c '^Terminate$') - before_terminate))" "1"
  fi
  e2e_check "$label shows no window" window_hidden
  e2e_expect_eq "$label writes nothing on stderr" "$(cat "$CASE_DIR/err")" ""
  e2e_check "$label writes no settings" test ! -e "$INI"
done

# A call logind refuses (a block inhibitor): one line on stderr, nothing more asked.
for refused in "poweroff|PowerOff|PowerOff False;PowerOff raised" "reboot|Reboot|Reboot False;Reboot raised"; do
  IFS='|' read -r args method expected <<< "$refused"
  mock_refuse "$method"
  mock_mark
  run_brellix 10 "$args"
  mock_accept "$method"
  e2e_expect_eq "\"$args\" refused: the call was made once" "$(end_calls | sed -E 's/ raised:[^;]*/ raised/g')" "$expected"
  e2e_expect_eq "\"$args\" refused: one line on stderr" "$(wc -l < "$CASE_DIR/err")" "1"
  e2e_check "\"$args\" refused: the line starts with \"brellix: \" ($(head -c 200 "$CASE_DIR/err"))" \
    grep -q '^brellix: ' "$CASE_DIR/err"
  e2e_check "\"$args\" refused: the program ended" test "$APP_STATUS" != timeout
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
