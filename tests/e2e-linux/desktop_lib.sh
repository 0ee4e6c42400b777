# Sourced after lib.sh by the cases against real desktop components (scripts/real-desktop.sh):
# the program driven through AT-SPI, as a screen reader would (the only way into a window on a
# headless Wayland compositor), and what reached the session manager and logind.
source "$E2E_DIR/../../scripts/real-desktop.sh"
ATSPI=("/usr/bin/python3" "$E2E_DIR/atspi_client.py")
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1

# The window as AT-SPI sees it: its first line is the top-level window with its title.
atspi_tree() { "${ATSPI[@]}" tree 2> /dev/null; }
atspi_title() { atspi_tree | sed -n '1s/^[a-z ]* "\(.*\)".*$/\1/p'; }
atspi_title_is() { [[ $(atspi_title) == "$1" ]]; }
on_atspi() { [[ -n $(atspi_tree) ]]; }

# Which platform plugin the running program loaded: wayland or xcb.
qt_platform_of() {  # pid
  grep -oE 'libq(wayland-[a-z]+|xcb)\.so' "/proc/$1/maps" 2> /dev/null | head -1 | sed -E 's/^libq//; s/-[a-z]+//; s/\.so$//'
}

# Session-bus method calls of one member, as "member arg arg..." lines, from a dbus-monitor log.
bus_monitor_start() {  # name
  linux_desktop_spawn "monitor-$1" dbus-monitor --session
  BUS_MONITOR_LOG=$LINUX_DESKTOP_RUN/monitor-$1.log
  wait_for 5 test -s "$BUS_MONITOR_LOG"
}
bus_calls() {  # interface member
  awk -v want="interface=$1; member=$2" '
    /^method call / { if (call != "") print call; call = ""; if (index($0, want)) call = "'"$2"'"; next }
    /^(signal|method return|error) / { if (call != "") print call; call = ""; next }
    call != "" { $1 = $1; sub(/^(boolean|uint32|int32|string) /, ""); call = call " " $0 }
    END { if (call != "") print call }' "$BUS_MONITOR_LOG"
}

# What the program asked logind to end since mock_mark (its own inhibitor bookkeeping left out,
# and whatever else the desktop's own components asked about).
logind_end_calls() {
  mock_calls | grep -E '^(GetSessionByPID|Terminate|TerminateSession|KillSession|PowerOff|Reboot|Halt|LockSession)( |$)' |
    tr '\n' ';' | sed 's/;$//'
}
pid_ended() { ! kill -0 "$1" 2> /dev/null; }

# Arms the window's schedule a few seconds ahead for an action (index in 选项) and a force
# (index in the second list), to fire within seconds; 2 when the arming came too late.
arm_and_fire() {  # option extra what
  local target hour minute second ampm
  target=$((${EPOCHREALTIME%.*} + 5))
  read -r hour minute second ampm <<< "$(LC_ALL=C date -d "@$target" '+%-I %-M %-S %p')"
  install_brellix "$(settings_text "$hour" "$minute" "$second" "$ampm" "$1" "$2")"
  start_brellix
  wait_for 15 on_atspi || { e2e_fail "$3: the program is on the accessibility bus"; return 1; }
  mock_mark
  "${ATSPI[@]}" press "运行(N)"
  wait_for 3 atspi_title_is "Vospel - 激活" || { e2e_fail "$3: 运行(N) arms it (title [$(atspi_title)])"; return 1; }
  if ((${EPOCHREALTIME%.*} >= target)); then
    kill "$APP_PID"; wait_app_end 5
    return 2
  fi
  e2e_pass "$3: 运行(N) pressed through AT-SPI arms it"
}
