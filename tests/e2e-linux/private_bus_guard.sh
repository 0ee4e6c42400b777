#!/usr/bin/env bash
# The guard every Linux test passes first: it lets a test on only when DBUS_SYSTEM_BUS_ADDRESS is
# the private bus of the test's own run directory, with the mock logind on it.
set -uo pipefail
source "$(dirname "$0")/../../scripts/linux-desktop.sh"
work=$(mktemp -d "${BRELLIX_E2E_WORK:-/tmp}/guard.XXXXXX")
trap 'linux_desktop_stop "$work/a"; linux_desktop_stop "$work/b"; rm -rf "$work"' EXIT
failures=0
expect() {  # description accepted|refused address run-dir
  local got=refused
  DBUS_SYSTEM_BUS_ADDRESS=$3 linux_desktop_require_private_bus "$4" 2> /dev/null && got=accepted
  if [[ $got == "$2" ]]; then echo "ok: $1 is $2"; else echo "FAIL: $1 is $got, not $2"; failures=$((failures + 1)); fi
}

# A notification server in the user's data directory, there before the buses start.
mkdir -p "$work/a/data/dbus-1/services"
printf '[D-BUS Service]\nName=org.freedesktop.Notifications\nExec=/bin/true\n' \
  > "$work/a/data/dbus-1/services/org.freedesktop.Notifications.service"
linux_desktop_start "$work/a" || exit 1
own=$DBUS_SYSTEM_BUS_ADDRESS
# A second desktop's bus, with the same mock on it: still not the first run's own.
(linux_desktop_start "$work/b" > /dev/null && echo "$DBUS_SYSTEM_BUS_ADDRESS" > "$work/b.addr")
other=$(cat "$work/b.addr")
# A bus inside the run directory on which no mock answers.
dbus-daemon --config-file="$work/a/system-bus.conf" --nofork --nopidfile --address="unix:path=$work/a/bare.sock" --print-address=1 > "$work/bare.addr" &
echo $! >> "$work/a/pids"
until [[ -s $work/bare.addr ]]; do sleep 0.05; done

expect "the run's own private bus" accepted "$own" "$work/a"
expect "the same address without its guid" accepted "unix:path=$work/a/system.sock" "$work/a"
expect "the machine's system bus" refused "unix:path=/run/dbus/system_bus_socket" "$work/a"
expect "the machine's system bus by its old path" refused "unix:path=/var/run/dbus/system_bus_socket" "$work/a"
expect "no address (the machine's default)" refused "" "$work/a"
expect "another run's private bus" refused "$other" "$work/a"
expect "a longer path that starts like the run's socket" refused "unix:path=$work/a/system.sock.x" "$work/a"
expect "the run's socket as an abstract address" refused "unix:abstract=$work/a/system.sock" "$work/a"
expect "a bus in the run directory without the mock" refused "unix:path=$work/a/bare.sock" "$work/a"

# The buses start only what the tests provide: not a service of the user's data directory (which the
# standard session configuration would start), nor an installed notification server.
activatable() {  # --session | --system
  gdbus call "$1" -d org.freedesktop.DBus -o /org/freedesktop/DBus -m org.freedesktop.DBus.ListActivatableNames |
    grep -oE "'[^']+'" | tr -d "'" | grep -vx org.freedesktop.DBus | sort | tr '\n' ' '
}
allowed=$(for name in "${LINUX_DESKTOP_ACTIVATABLE[@]}"; do
  [[ -f /usr/share/dbus-1/services/$name.service ]] && echo "$name"; done | sort | tr '\n' ' ')
session_names=$(activatable --session)
system_names=$(activatable --system)
if [[ $session_names == "$allowed" ]]; then echo "ok: the session bus starts only [$allowed]"
else echo "FAIL: the session bus starts [$session_names], not only [$allowed]"; failures=$((failures + 1)); fi
if [[ -z $system_names ]]; then echo "ok: the system bus starts nothing"
else echo "FAIL: the system bus starts [$system_names]"; failures=$((failures + 1)); fi
echo "$((11 - failures)) passed, $failures failed"
((failures == 0))
