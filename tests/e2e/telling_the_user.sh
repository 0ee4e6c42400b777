#!/usr/bin/env bash
# What the user is told, seen from outside under Wine: the command line's exit status, a second
# start that brings the window back, the warning before the end in the tray icon's balloon and a
# click on it, a refusal told at once, and a window that cannot be lost once the tray is gone.
# ExitWindowsEx under Wine only starts the prefix's wineboot.exe: one that is no program makes the
# call fail as a refusal would, and makes sure nothing in these cases can end even the prefix.
source "$(dirname "$0")/lib.sh"

# Wine starts the same wineboot.exe when a prefix's session begins: the session is begun first, and
# kept until the case ends.
refuse_session_end() {
  wineserver -p
  drv system-message 0 > /dev/null
  printf 'no program' > "$CASE_PREFIX/drive_c/windows/system32/wineboot.exe"
}
run_brellix() { (cd "$EXE_DIR" && timeout 60 wine Brellix.exe "$@" > /dev/null 2>&1); }
# Chooses the time $1 seconds from now in the pickers.
choose_time_ahead() {
  local hour minute second ampm
  read -r hour minute second ampm <<< "$(LC_ALL=C date -d "+$1 seconds" '+%-I %-M %-S %p')"
  drv choose 8 $((hour - 1)); drv choose 7 "$minute"; drv choose 6 "$second"
  drv choose 5 "$([ "$ampm" == PM ] && echo 1 || echo 0)"
}
# Waits up to $2 seconds for the shell's balloon to say $1. (Wine's tooltips cannot hand out a
# balloon's title: the Win32 tests watch the title where the program hands it to the shell.)
wait_balloon() { expected_balloon="text=$1"; e2e_wait_for '[ "$(drv balloon 200 | tail -1)" == "$expected_balloon" ]' "$2"; }
picker() { field "$1" | sed 's/.*text=//; s/ count=.*//'; }
settings="[Options]
Selected=3
[Extra]
Selected=1
[Warning]
Seconds=30"

# --- The command line: 0 accepted, 1 refused ---
install_brellix ""
run_brellix logoff
e2e_expect_eq "an accepted action exits 0" "$?" "0"
install_brellix ""
refuse_session_end
run_brellix logoff
e2e_expect_eq "a refused action exits 1" "$?" "1"

# --- A second start brings the window back; with an action it does nothing and exits 2 ---
install_brellix "$settings"
refuse_session_end
start_brellix
drv close
drv wait-visible 0 5000
run_brellix
e2e_expect_eq "a second start without an action exits 0" "$?" "0"
drv wait-visible 1 5000
e2e_expect_eq "a second start shows the hidden window, restored, in front" \
  "$(drv dump | grep -E '^(visible|minimized|foreground)=' | tr '\n' ' ')" "visible=1 minimized=0 foreground=1 "
drv minimize
run_brellix
e2e_wait_for '[ "$(field minimized)" == "minimized=0" ]' 5 && e2e_pass "a second start restores the minimised window" \
  || e2e_fail "a second start restores the minimised window"
before=$(drv dump)
run_brellix logoff
e2e_expect_eq "a second start with an action exits 2" "$?" "2"
e2e_expect_eq "a second start with an action changes nothing" "$(drv dump)" "$before"

# --- The warning: a balloon, a click on it shows the window at 取消, disarming takes it back ---
choose_time_ahead 25
drv click 10
drv close
target="$(picker cboHour):$(picker cboMinute):$(picker cboSecond) $(picker cboAMPM)"
wait_balloon "Brellix 将于 $target 注销。" 6 && e2e_pass "armed with less than the warning's seconds left: a balloon names the time and the action" \
  || e2e_fail "the warning balloon for $target: $(drv balloon 100 | tr '\n' ' ')"
hidden=$(field visible)
drv tray 0x405
drv wait-visible 1 2000
e2e_expect_eq "a click on the balloon shows the hidden window" "$hidden -> $(field visible)" "visible=0 -> visible=1"
e2e_expect_eq "a click on the warning puts the focus on 取消" "$(drv focus)" "focus=btnTurnOFF"
shown_before=$(drv balloon 100 | tail -1)
drv click 9
drv balloon-gone 5000 && [ "$shown_before" != "balloon=none" ] && e2e_pass "disarming takes the balloon away" \
  || e2e_fail "disarming takes the balloon away (before: $shown_before)"

# --- A refusal at the armed second: told in a balloon with the system's words, the window back ---
choose_time_ahead 4
drv click 10
drv close
drv wait-visible 0 5000
reason=$(drv system-message 1)  # the error Wine's ExitWindowsEx leaves when wineboot.exe cannot start
wait_balloon "$reason" 15 && e2e_pass "a refusal is told at once in a balloon with the system's words" \
  || e2e_fail "the refusal balloon: $(drv balloon 100 | tr '\n' ' ')"
e2e_expect_eq "after a refusal the window is back and disarmed" \
  "$(drv dump | grep -E '^(title|visible)=' | tr '\n' ' ')" "title=Vospel - 取消 visible=1 "

# --- Without a tray: closing minimises, the warning brings the window back at 取消 ---
drv refuse-icons 60000 &
e2e_wait_for '[ "$(drv icon)" == "icon=0" ]' 10
drv close
sleep 0.5
e2e_expect_eq "closing with no tray minimises" "$(drv dump | grep -E '^(visible|minimized)=' | tr '\n' ' ')" \
  "visible=1 minimized=1 "
choose_time_ahead 12
drv click 10
shown() { drv dump | grep -E '^(visible|minimized)=' | tr '\n' ' '; }
e2e_wait_for '[ "$(shown)" == "visible=1 minimized=0 " ]' 8 && e2e_pass "with no tray the warning restores the window" \
  || e2e_fail "with no tray the warning restores the window: $(shown)"
e2e_expect_eq "with no tray the warning puts the focus on 取消" "$(drv focus)" "focus=btnTurnOFF"
drv click 9
drv end-refusing
drv drop-icon
drv taskbar-created
e2e_expect_eq "a tray that comes back gets the icon" "$(drv icon)" "icon=1"
drv close
drv wait-visible 0 5000 && e2e_pass "with the tray back closing hides again" || e2e_fail "with the tray back closing hides"
app_ended && e2e_fail "the program runs on" || e2e_pass "the program runs on"

e2e_finish
