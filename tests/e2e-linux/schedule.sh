#!/usr/bin/env bash
# An armed schedule fires once, in its target second: the settings hold a time a few seconds
# ahead in 12-hour form, Enter arms it, the mock logind logs exactly one PowerOff stamped within
# that second, and the caption goes back to disarmed.
source "$(dirname "$0")/lib.sh"

ARMED="Vospel - 激活"
DISARMED="Vospel - 取消"

# One firing: returns 2 when the arming came too late for the target second (try again).
fire_once() {  # how: enter | click
  local target hour minute second ampm
  target=$((${EPOCHREALTIME%.*} + 4))
  read -r hour minute second ampm <<< "$(LC_ALL=C date -d "@$target" '+%-I %-M %-S %p')"
  install_brellix "$(settings_text "$hour" "$minute" "$second" "$ampm" 1 1)"
  mock_mark
  start_brellix
  wait_window 10 || { e2e_fail "$1: the window opened"; return 1; }
  if [[ $1 == enter ]]; then
    press Return
  else
    # 运行 sits at twips (3240, 1080), 1095 x 495: its middle at 96 DPI is (253, 88) in the client area.
    xdotool mousemove --window "$WIN" 253 88 click 1
  fi
  wait_for 3 title_is "$ARMED" || { e2e_fail "$1 arms the schedule (title [$(window_title)])"; return 1; }
  local armed_at=${EPOCHREALTIME%.*}
  if ((armed_at >= target)); then
    echo "armed at $armed_at, after the target second $target: again"
    press Escape
    wait_app_end 5
    return 2
  fi
  e2e_pass "$1 arms the schedule: the caption says so"
  wait_for 8 eval '[[ -n $(mock_calls | grep "^PowerOff ") ]]'
  wait_for 3 title_is "$DISARMED"
  e2e_expect_eq "$1: the caption is back to disarmed after the firing" "$(window_title)" "$DISARMED"
  sleep 1.5  # a second firing would come within a tick or two: give it room to show
  # At arming, whether it would power off (the outlook); at the second, to power off, once.
  e2e_expect_eq "$1: logind was asked exactly once, to power off" "$(end_calls)" "CanPowerOff;PowerOff False"
  local stamp
  stamp=$(mock_log | awk '$2 == "PowerOff" { print $1; exit }')
  if [[ -n $stamp ]] && awk -v s="$stamp" -v t="$target" 'BEGIN { exit !(s >= t && s < t + 1) }'; then
    e2e_pass "$1: the call came within the target second ($stamp, second $target)"
  else
    e2e_fail "$1: the call came within the target second (call at [$stamp], second $target)"
  fi
  e2e_check "$1: the program runs on after the firing" app_running
  press Escape
  e2e_check "$1: Esc ends it" wait_app_end 5
  e2e_expect_eq "$1: an armed schedule is never stored: the settings keep the time" \
    "$(ini_value Shutdown Hour):$(ini_value Shutdown Minute):$(ini_value Shutdown Second) $(ini_value Shutdown AMPM)" \
    "$hour:$minute:$second $ampm"
}

for how in enter click; do
  for _ in 1 2 3; do
    fire_once "$how"
    (($? == 2)) || break
  done
done

e2e_finish
