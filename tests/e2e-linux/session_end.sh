#!/usr/bin/env bash
# The end of the session: SIGTERM, SIGHUP and SIGINT store the settings and end the program; it
# holds a logind delay inhibitor for "shutdown" while it runs, and PrepareForShutdown(true) makes
# it store the settings and release that inhibitor.
source "$(dirname "$0")/lib.sh"

holds_inhibitor() { mock_inhibitors | grep -qE '^shutdown \| [^|]+ \| [^|]* \| delay$'; }
no_inhibitor() { ! holds_inhibitor; }

# A signal does not queue behind the keys: wait until the program shows the new minute, as a
# screen reader reads it, before ending the session.
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
gdbus call --session -d org.a11y.Bus -o /org/a11y/bus -m org.a11y.Bus.GetAddress > /dev/null
minute_shown() { /usr/bin/python3 "$E2E_DIR/atspi_client.py" tree 2> /dev/null | grep -q 'combo box "16"'; }
change_minute() {  # default 15 -> 16
  press alt+m Down
  wait_for 5 minute_shown || echo "the minute picker does not say 16"
}

for signal in TERM HUP INT; do
  install_brellix
  start_brellix
  e2e_check "SIG$signal: the window opens" wait_window 10
  change_minute
  kill -s "$signal" "$APP_PID"
  e2e_check "SIG$signal ends the program" wait_app_end 10
  e2e_expect_eq "SIG$signal stores the settings" "$(ini_value Shutdown Minute)" "16"
  e2e_check "SIG$signal: the inhibitor is gone with the program" wait_for 3 no_inhibitor
done

install_brellix
start_brellix
e2e_check "logind: the window opens" wait_window 10
e2e_check "logind: a delay inhibitor for shutdown is held while running" wait_for 5 holds_inhibitor
e2e_expect_eq "logind: exactly one inhibitor" "$(mock_inhibitors | wc -l)" "1"
change_minute
e2e_check "logind: nothing is stored before the shutdown comes" test ! -e "$INI"
mock_prepare_for_shutdown true
e2e_check "PrepareForShutdown(true) stores the settings" wait_for 5 ini_is Shutdown Minute 16
e2e_check "PrepareForShutdown(true) releases the delay inhibitor" wait_for 5 no_inhibitor
e2e_check "logind: the stored file is whole" eval '[[ $(ini_value Shutdown AMPM) == AM ]]'
if app_running; then
  press Escape
  wait_app_end 10
fi

# A logind slow to answer Inhibit (6 s, beyond the 5 s a blocking call would wait) holds nothing
# up: the window opens at once, and right after a shutdown called off (which asks again) Enter
# still arms at once.
_mock AddMethod "$LOGIN1_MANAGER" Inhibit ssss h "time.sleep(6); ret = dbus.types.UnixFd(os.open('/dev/null', os.O_RDONLY))"
install_brellix
mock_mark
start_brellix
e2e_check "a late Inhibit: the window opens at once" wait_window 3
mock_prepare_for_shutdown true
e2e_check "a late Inhibit: PrepareForShutdown(true) still stores the settings" wait_for 5 test -e "$INI"
mock_prepare_for_shutdown false
e2e_check "a late Inhibit: logind is asked again after the shutdown was called off" \
  wait_for 5 eval '[[ $(mock_calls | grep -c "^Inhibit ") == 2 ]]'
press Return
e2e_check "a late Inhibit: Enter arms at once meanwhile" wait_for 2 title_is "Vospel - 激活"
press Escape
e2e_check "a late Inhibit: Esc ends the program" wait_app_end 10

e2e_finish
