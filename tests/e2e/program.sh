#!/usr/bin/env bash
# The whole program under Wine, driven from outside as a user and the shell would: the settings
# it starts with, the tray, hiding, a second start, exit, the end of the session, and a schedule
# that fires.
source "$(dirname "$0")/lib.sh"

# --- A start with saved settings, then the tray ---
install_brellix "[Options]
Selected=3
[Extra]
Selected=0
[Shutdown]
Hour=11
Minute=30
Second=0
AMPM=PM
[Position]
Left=1500
Top=1200"
start_brellix
drv wait-visible 1 5000
drv dump > "$CASE_DIR/dump.txt"
expect_line() { e2e_expect_eq "start: $1" "$(grep -E "^$1( |=)" "$CASE_DIR/dump.txt" | head -1)" "$2"; }
expect_line title "title=$CAPTION"
expect_line visible "visible=1"
expect_line topmost "topmost=1"
e2e_expect_eq "start: the window's top-left corner is the saved one" \
  "$(grep -oE '^rect=-?[0-9]+,-?[0-9]+' "$CASE_DIR/dump.txt")" "rect=100,80"
expect_line lstOptions "lstOptions enabled=1 checks=0001 current=3"
expect_line lstExtra "lstExtra enabled=1 checks=10 current=0"
expect_line cboHour "cboHour enabled=1 text=11 count=12"
expect_line cboMinute "cboMinute enabled=1 text=30 count=60"
expect_line cboSecond "cboSecond enabled=1 text=0 count=60"
expect_line cboAMPM "cboAMPM enabled=1 text=PM count=2"
expect_line btnTurnON "btnTurnON enabled=1 text=运行(&N)"
expect_line btnTurnOFF "btnTurnOFF enabled=0 text=取消(&F)"
e2e_expect_eq "start: the tray icon is there" "$(drv icon)" "icon=1"

drv close
drv wait-visible 0 5000 && e2e_pass "close hides the window" || e2e_fail "close hides the window"
e2e_expect_eq "hidden: the icon stays" "$(drv icon)" "icon=1"
app_ended && e2e_fail "hidden: the program runs on" || e2e_pass "hidden: the program runs on"

drv tray 0x201; drv tray 0x202
sleep 0.3
e2e_expect_eq "a single left click on the icon does nothing" "$(field visible)" "visible=0"
drv tray 0x203
drv wait-visible 1 5000 && e2e_pass "a double-click on the icon shows the window" || e2e_fail "double-click shows"

drv close
drv wait-visible 0 5000
drv tray 0x204
drv menu N && e2e_pass "the popup menu opens on a right press" || e2e_fail "the popup menu opens on a right press"
drv wait-title "Vospel - 激活" 5000 && e2e_pass "arming from the popup while hidden" || e2e_fail "arming from the popup"
e2e_expect_eq "armed from the popup: the window stays hidden" "$(field visible)" "visible=0"
e2e_expect_eq "armed: the pickers are locked" "$(field cboHour)" "cboHour enabled=0 text=11 count=12"

before=$(sha256sum "$INI")
(cd "$EXE_DIR" && timeout 20 wine Brellix.exe shutdown > /dev/null 2>&1)
second_status=$?
e2e_expect_eq "a second start with an action ends at once with status 2" "$second_status" "2"
e2e_expect_eq "a second start changes no settings" "$(sha256sum "$INI")" "$before"
app_ended && e2e_fail "the first instance runs on" || e2e_pass "the first instance runs on"

drv drop-icon
e2e_expect_eq "the shell lost the icon" "$(drv icon)" "icon=0"
drv taskbar-created
e2e_expect_eq "a new taskbar gets the icon back" "$(drv icon)" "icon=1"
drv taskbar-created   # announced again while the icon is still there
drv tray 0x203
drv wait-visible 1 5000
drv close
drv wait-visible 0 5000 && e2e_pass "a tray that still had the icon: closing still hides" \
  || e2e_fail "a tray that still had the icon: closing still hides: $(drv dump | grep -E '^(visible|minimized)=' | tr '\n' ' ')"

drv tray 0x204 && drv menu F
drv wait-title "Vospel - 取消" 5000 && e2e_pass "disarming from the popup" || e2e_fail "disarming from the popup"
drv choose 7 44   # minute 44
drv tray 0x204 && drv menu E
drv wait-gone 10000 && e2e_pass "Exit from the popup ends the program" || e2e_fail "Exit ends the program"
wait "$APP_PID" 2> /dev/null
e2e_expect_eq "Exit writes the settings" "$(ini_text)" "[Options]
Selected=3
[Extra]
Selected=0
[Shutdown]
Hour=11
Minute=44
Second=0
AMPM=PM
Daily=0
[Position]
Left=1500
Top=1200
[Warning]
Seconds=60
SnoozeMinutes=10"

# --- A position far off every monitor: the title bar comes up on the 1024x768 desktop, and stays ---
install_brellix "[Position]
Left=15000
Top=-3000"
start_brellix
read -r left top right bottom <<< "$(field rect | sed 's/rect=//; s/,/ /g')"
((left >= 0 && top >= 0 && right <= 1024 && bottom <= 768)) && e2e_pass "a lost position: the window comes up on the screen" \
  || e2e_fail "a lost position: the window comes up on the screen: $left,$top,$right,$bottom"
drv tray 0x204 && drv menu E
drv wait-gone 10000
wait "$APP_PID" 2> /dev/null
e2e_expect_eq "a lost position: the corrected one is stored" "$(ini_text | grep -E '^(Left|Top)=' | tr '\n' ' ')" \
  "Left=$((left * 15)) Top=$((top * 15)) "

# --- The end of the session: agreed to, settings stored ---
install_brellix ""
start_brellix
drv choose 8 6   # hour 7
e2e_expect_eq "the end of the session is agreed to" "$(drv end-session)" "agreed=1"
e2e_expect_eq "the end of the session removes the icon" "$(drv icon)" "icon=0"
grep -q '^Hour=7$' <(ini_text) && e2e_pass "the end of the session stores the settings" \
  || e2e_fail "the end of the session stores the settings: $(ini_text | tr '\n' ' ')"

# --- Asked to close by an installer's restart manager: stored and ended, as by Exit ---
install_brellix ""
start_brellix
drv choose 8 8   # hour 9
e2e_expect_eq "a close for an installer is agreed to" "$(drv end-session-close-app)" "agreed=1"
e2e_wait_for app_ended 5 && e2e_pass "a close for an installer ends the program" \
  || e2e_fail "a close for an installer ends the program: $(drv dump | grep -E '^(visible|minimized)=' | tr '\n' ' ')"
grep -q '^Hour=9$' <(ini_text) && e2e_pass "a close for an installer stores the settings" \
  || e2e_fail "a close for an installer stores the settings: $(ini_text | tr '\n' ' ')"
start_brellix
drv wait-visible 1 5000 && e2e_pass "after it a new start shows its window" || e2e_fail "after it a new start shows"

# --- A schedule a few seconds ahead fires once with the chosen flags ---
read -r hour minute second ampm <<< "$(LC_ALL=C date -d '+8 seconds' '+%-I %-M %-S %p')"
install_brellix "[Options]
Selected=3
[Extra]
Selected=1
[Shutdown]
Hour=$hour
Minute=$minute
Second=$second
AMPM=$ampm"
(cd "$EXE_DIR" && WINEDEBUG=+relay exec wine Brellix.exe > /dev/null 2> "$CASE_DIR/trace.txt") &
APP_PID=$!
drv wait-visible 1 20000 > /dev/null
drv click 10
drv wait-title "Vospel - 激活" 5000 && e2e_pass "armed for $hour:$minute:$second $ampm" || e2e_fail "armed"
for _ in $(seq 300); do app_ended && break; sleep 0.1; done
app_ended && e2e_pass "the session's end took the program with it" || e2e_fail "the program ended with the session"
e2e_expect_eq "the schedule fired once with log off + force if hung" \
  "$(grep -oE 'Call user32\.ExitWindowsEx\([0-9a-f,]*\)' "$CASE_DIR/trace.txt" | tr '\n' ' ')" \
  "Call user32.ExitWindowsEx(00000010,80000000) "
grep -q '^Selected=3$' <(ini_text) && e2e_pass "the program's own end of session stored the settings" \
  || e2e_fail "the program's own end of session stored the settings: $(ini_text | tr '\n' ' ')"

e2e_finish
