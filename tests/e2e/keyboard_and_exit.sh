#!/usr/bin/env bash
# Exit reached from another process ends the program; a mouse click on the arm button and then the
# Enter key arm and disarm by turns, since arming and disarming hand the focus to the other button.
source "$(dirname "$0")/lib.sh"

# --- Exit clicked by another process, with SendMessage ---
install_brellix ""
start_brellix
drv choose 7 12   # minute 12
drv click 2       # btnExit: BM_CLICK, handled inside the program's wait for messages
ended=no
for _ in $(seq 20); do app_ended && { ended=yes; break; }; sleep 0.1; done
e2e_expect_eq "Exit sent from another process ends the process within 2 s" "$ended" "yes"
wait "$APP_PID" 2> /dev/null
e2e_expect_eq "Exit sent from another process stores the window's state" \
  "$(ini_text | sed -E 's/^(Left|Top)=-?[0-9]+$/\1=N/')" "[Position]
Left=N
Top=N
[Options]
Selected=1
[Extra]
Selected=1
[Shutdown]
Hour=3
Minute=12
Second=45
AMPM=AM
Daily=0
[Warning]
Seconds=60
SnoozeMinutes=10"
start_brellix
drv wait-visible 1 5000 && e2e_pass "a new start after it shows its window" || e2e_fail "a new start shows its window"
drv tray 0x204 && drv menu E
drv wait-gone 10000

# --- Exit clicked by another process while the tray menu or the system menu is open ---
for menu in tray system; do
  install_brellix ""
  start_brellix
  drv choose 7 21   # minute 21
  if [ "$menu" == tray ]; then drv tray 0x204 && drv wait-menu 5000; else drv system-menu; fi \
    || e2e_fail "the $menu menu opens"
  drv click 2
  e2e_wait_for app_ended 5 && e2e_pass "Exit sent while the $menu menu is open ends the process" \
    || e2e_fail "Exit sent while the $menu menu is open ends the process"
  app_ended && wait "$APP_PID" 2> /dev/null
  grep -q '^Minute=21$' <(ini_text) && e2e_pass "Exit with the $menu menu open stores the settings" \
    || e2e_fail "Exit with the $menu menu open stores the settings: $(ini_text | tr '\n' ' ')"
  start_brellix
  drv wait-visible 1 5000 && e2e_pass "after it a new start shows its window" || e2e_fail "after it a new start shows"
  drv tray 0x204 && drv menu E
  drv wait-gone 10000
done

# --- A mouse click on 运行(N), then Enter, then Enter again ---
install_brellix ""
start_brellix
desktop=$(xdotool search --name "Wine desktop" | head -1)
xdotool windowfocus --sync "$desktop" 2> /dev/null || xdotool windowfocus "$desktop"
read -r left top right bottom <<< "$(drv rect 10)"
xdotool mousemove "$(((left + right) / 2))" "$(((top + bottom) / 2))" click 1
drv wait-title "Vospel - 激活" 5000 && e2e_pass "a click on 运行 arms" || e2e_fail "a click on 运行 arms"
e2e_expect_eq "after the click the focus is on 取消" "$(drv focus)" "focus=btnTurnOFF"
xdotool key Return
drv wait-title "Vospel - 取消" 5000 && e2e_pass "Enter disarms" || e2e_fail "Enter disarms"
e2e_expect_eq "after disarming the focus is on 运行" "$(drv focus)" "focus=btnTurnON"
xdotool key Return
drv wait-title "Vospel - 激活" 5000 && e2e_pass "a second Enter arms again" || e2e_fail "a second Enter arms again"
e2e_expect_eq "armed again: the focus is on 取消" "$(drv focus)" "focus=btnTurnOFF"
app_ended && e2e_fail "the program is still running" || e2e_pass "the program is still running"
drv tray 0x204 && drv menu E
drv wait-gone 10000 && e2e_pass "Exit from the popup ends the program" || e2e_fail "Exit from the popup ends the program"

e2e_finish
