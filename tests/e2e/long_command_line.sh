#!/usr/bin/env bash
# Brellix.exe started with a command line near Windows' limit that names no action (a force
# keyword alone has no effect): it opens its window with the saved settings, asks for no end of
# the session, and its Exit stores the settings as after any start.
source "$(dirname "$0")/lib.sh"

drv() { wine "$BRELLIX_DRIVER" "$@" 2> /dev/null | tr -d '\r'; return "${PIPESTATUS[0]}"; }
field() { drv dump | grep -E "^$1 " | head -1; }

e2e_begin_case
EXE_DIR=$CASE_PREFIX/drive_c/Brellix
INI=$EXE_DIR/Brellix.ini
mkdir -p "$EXE_DIR"
cp "$BRELLIX_EXE" "$EXE_DIR/Brellix.exe"
printf '[Options]\r\nSelected=2\r\n[Shutdown]\r\nHour=9\r\n' > "$INI"

long_text="$(head -c 32000 /dev/zero | tr '\0' 'x') /force"
(cd "$EXE_DIR" && WINEDEBUG=+relay exec wine Brellix.exe "$long_text" > /dev/null 2> "$CASE_DIR/trace.txt") &
APP_PID=$!

if drv wait-visible 1 30000; then
  e2e_pass "a 32,007-character command line without an action opens the window"
else
  e2e_fail "a 32,007-character command line without an action opens the window"
fi
e2e_expect_eq "the saved power action is checked" "$(field lstOptions)" "lstOptions enabled=1 checks=0010 current=2"
e2e_expect_eq "the saved hour is chosen" "$(field cboHour)" "cboHour enabled=1 text=9 count=12"

drv tray 0x204 && drv menu E
drv wait-gone 10000 && e2e_pass "Exit from the popup ends the program" || e2e_fail "Exit ends the program"
wait "$APP_PID" 2> /dev/null

grep -qE 'Call user32\.CreateWindowExW\(' "$CASE_DIR/trace.txt" && e2e_pass "the trace of system calls is on" \
  || e2e_fail "the trace of system calls is on"
e2e_expect_eq "no end of the session was asked for" \
  "$(grep -cE 'Call user32\.ExitWindowsEx\(' "$CASE_DIR/trace.txt")" "0"
e2e_expect_eq "Exit stored the settings" "$(tr -d '\r' < "$INI")" "[Options]
Selected=2
[Shutdown]
Hour=9
Minute=15
Second=45
AMPM=AM
Daily=0
[Position]
Left=0
Top=0
[Extra]
Selected=1
[Warning]
Seconds=60
SnoozeMinutes=10"

e2e_finish
