#!/usr/bin/env bash
# What a real screen reader says of the window: Orca, with no synthesizer, writes each utterance to
# its debug log as "SPEECH OUTPUT: '…'". A picker is spoken with its label and value; entering a
# check list speaks its current row and check; an arrow speaks the row it moves to and the check
# the program moved there, and Shift+Tab comes back to that row. Orca's log (a terminal, so that
# it is written line by line) also shows the AT-SPI events it got; the AT-SPI tree the focus.
source "$(dirname "$0")/lib.sh"
ATSPI=("/usr/bin/python3" "$E2E_DIR/atspi_client.py")

export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
gdbus call --session -d org.a11y.Bus -o /org/a11y/bus -m org.a11y.Bus.GetAddress > /dev/null ||
  e2e_fail "the accessibility bus started"
command -v orca > /dev/null || { e2e_fail "orca is installed (scripts/deps.sh)"; exit 1; }

ORCA_LOG=$E2E_RUN/orca.log
# Orca refuses to start beside another Orca of the same user.
no_other_orca() { ! pgrep -u "$(id -u)" -x orca > /dev/null; }
wait_for 30 no_other_orca || { e2e_fail "no other Orca of this user is running"; exit 1; }
mkdir -p "$E2E_RUN/orca-prefs"
# English words, whatever the machine's locale; no braille display to look for, no key echo.
linux_desktop_spawn orca env LANG=C.UTF-8 LANGUAGE= script -qfec \
  "exec orca -u '$E2E_RUN/orca-prefs' --debug-file=/dev/tty -d speech -d braille -d key-echo" /dev/null < /dev/null
ORCA_TERMINAL=$LINUX_DESKTOP_LAST_PID
e2e_check "Orca starts" wait_for 30 grep -qa 'ORCA: ATSPI registry initialized' "$ORCA_LOG"

# What Orca said since the mark, one utterance a line.
speech_mark() { SPEECH_MARK=$(stat -c %s "$ORCA_LOG"); }
spoken() {
  tail -c +$((SPEECH_MARK + 1)) "$ORCA_LOG" | tr -d '\r' |
    sed -nE "s/^[0-9:.]+ - SPEECH OUTPUT: '(.*)' ?\{.*/\1/p"
}
said() { spoken | tr '\n' ' ' | grep -qF "$1"; }
# Waits for Orca to say the text (utterances joined by spaces), then marks.
expect_said() {  # description text
  if wait_for 10 said "$2"; then e2e_pass "$1"; else e2e_fail "$1: Orca said [$(spoken | tr '\n' '|')]"; fi
  speech_mark
}
tree() { "${ATSPI[@]}" tree 2> /dev/null | sed -E 's/^ +//'; }

install_brellix "$(settings_text 3 30 0 PM 1 0)"
speech_mark
start_brellix
e2e_check "the window opens" wait_window 10
expect_said "the window opens on the hour picker, spoken with its label and value" "时钟(H): combo box. 3."
press Down
expect_said "Down on a picker speaks its new value" "4"
press Up
expect_said "Up speaks it again" "3"
pickers=("分钟(M): combo box. 30." "秒钟(S): combo box. 0." "时制(T): combo box. PM.")
for picker in "${pickers[@]}"; do
  press Tab
  expect_said "Tab to a picker: $picker" "$picker"
done
press Tab
expect_said "entering the action list speaks its current row and its check" \
  "选项(O): list. 关闭电源 check box checked."
press Down
expect_said "Down speaks the row it moves to and the check that moved there" "重启 check box checked."
e2e_check "... after Orca got the AT-SPI focus event of that row" \
  grep -qaF 'object:state-changed:focused for [check box | 重启] in [application | Brellix] (1,' "$ORCA_LOG"
e2e_check "... and the AT-SPI tree has the focus and the check on it" \
  eval 'tree | grep -qxF "check box \"重启\" [checked focused]"'
press Tab
expect_said "entering the force-mode list speaks its current row and its check" \
  "执行(E): list. 自动断电 check box checked."
press shift+Tab
expect_said "Shift+Tab goes back to the action list's current row" "重启 check box checked."
e2e_check "... and no picker value was ever missing" eval '! grep -qa "bad content sent to speak" "$ORCA_LOG"'

press Escape
e2e_check "Esc ends the program" wait_app_end 10
e2e_expect_eq "the arrow's move reached the settings" "$(ini_value Options Selected)" "2"
SPEECH_MARK=0
echo "Orca said:"; spoken | sed 's/^/  /'
# Orca ends on SIGINT as on its own quit command (stop would end it too).
pkill -INT -P "$ORCA_TERMINAL" -x orca
e2e_finish
