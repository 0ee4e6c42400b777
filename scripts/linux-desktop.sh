#!/usr/bin/env bash
# A private headless Linux desktop for tests, benchmarks and screenshots: Xvfb on a free display,
# a private session bus, and a private stand-in for the system bus on which python3-dbusmock's
# logind template answers (and logs every call). Nothing here talks to the machine's real buses.
#
#   called:  scripts/linux-desktop.sh start RUN [WxH]   (prints the line to source: RUN/env.sh)
#            scripts/linux-desktop.sh stop RUN
#   sourced: linux_desktop_start RUN [WxH]   exports DISPLAY, both bus addresses and XDG_* dirs
#            linux_desktop_stop RUN          ends every process started for RUN, by PID
#            linux_desktop_require_private_bus RUN   fails unless the system bus is RUN's own
#            mock_refuse METHOD | mock_accept METHOD | mock_can_halt ANSWER | mock_mark | mock_calls
#            mock_prepare_for_shutdown | mock_inhibitors
#            linux_desktop_spawn NAME COMMAND...      a helper process that stop ends too
#            linux_desktop_start_trayer | linux_desktop_start_sni_watcher
LINUX_DESKTOP_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
LINUX_DESKTOP_PYTHON=/usr/bin/python3  # Debian's interpreter: it has dbusmock and dbus-python
LOGIN1=(-d org.freedesktop.login1 -o /org/freedesktop/login1)
LOGIN1_MANAGER=org.freedesktop.login1.Manager

_linux_desktop_wait() {  # tries(0.05 s each) command...
  local tries=$1 i
  shift
  for ((i = 0; i < tries; i++)); do "$@" && return 0; sleep 0.05; done
  return 1
}

_linux_desktop_record_pid() { echo "$1" >> "$LINUX_DESKTOP_RUN/pids"; }

# Starts COMMAND in the background with its output in RUN/NAME.log; stop ends it.
linux_desktop_spawn() {  # name command...
  local name=$1
  shift
  "$@" > "$LINUX_DESKTOP_RUN/$name.log" 2>&1 &
  LINUX_DESKTOP_LAST_PID=$!
  _linux_desktop_record_pid "$LINUX_DESKTOP_LAST_PID"
}

linux_desktop_start() {  # run-dir [WxH]
  LINUX_DESKTOP_RUN=$(realpath -m "${1:?run dir}")
  local geometry=${2:-1280x800}
  # A run dir used before: what its last start left running ends first, not forgotten.
  linux_desktop_stop "$LINUX_DESKTOP_RUN"
  mkdir -p "$LINUX_DESKTOP_RUN"/{xdg,cache,config,data,home}
  chmod 700 "$LINUX_DESKTOP_RUN/xdg"
  : > "$LINUX_DESKTOP_RUN/pids"
  # Before any bus starts: what the buses activate (AT-SPI, dconf) writes only inside the run dir.
  export XDG_RUNTIME_DIR=$LINUX_DESKTOP_RUN/xdg XDG_CACHE_HOME=$LINUX_DESKTOP_RUN/cache
  export XDG_CONFIG_HOME=$LINUX_DESKTOP_RUN/config XDG_DATA_HOME=$LINUX_DESKTOP_RUN/data
  unset SESSION_MANAGER XDG_SESSION_ID WAYLAND_DISPLAY
  export QT_QPA_PLATFORM=xcb

  # Xvfb picks a free display number and writes it to the descriptor it is given.
  rm -f "$LINUX_DESKTOP_RUN/display"
  # -noreset: the X resources (Xft.dpi) outlive the client that set them.
  Xvfb -displayfd 3 -screen 0 "${geometry}x24" -nolisten tcp -nolisten unix -dpi 96 -noreset \
    3> "$LINUX_DESKTOP_RUN/display" > "$LINUX_DESKTOP_RUN/xvfb.log" 2>&1 &
  _linux_desktop_record_pid $!
  _linux_desktop_wait 200 test -s "$LINUX_DESKTOP_RUN/display" || { echo "linux-desktop: Xvfb did not start" >&2; return 1; }
  export DISPLAY=":$(head -1 "$LINUX_DESKTOP_RUN/display")"

  local bus
  for bus in session system; do
    rm -f "$LINUX_DESKTOP_RUN/$bus.sock" "$LINUX_DESKTOP_RUN/$bus.addr"
    _linux_desktop_bus_config "$bus" > "$LINUX_DESKTOP_RUN/$bus-bus.conf"
    dbus-daemon --config-file="$LINUX_DESKTOP_RUN/$bus-bus.conf" --nofork --nopidfile \
      --address="unix:path=$LINUX_DESKTOP_RUN/$bus.sock" \
      --print-address=1 > "$LINUX_DESKTOP_RUN/$bus.addr" 2> "$LINUX_DESKTOP_RUN/$bus-bus.log" &
    _linux_desktop_record_pid $!
  done
  _linux_desktop_wait 200 test -s "$LINUX_DESKTOP_RUN/session.addr" -a -s "$LINUX_DESKTOP_RUN/system.addr" ||
    { echo "linux-desktop: the buses did not start" >&2; return 1; }
  DBUS_SESSION_BUS_ADDRESS=$(head -1 "$LINUX_DESKTOP_RUN/session.addr")
  DBUS_SYSTEM_BUS_ADDRESS=$(head -1 "$LINUX_DESKTOP_RUN/system.addr")
  export DBUS_SESSION_BUS_ADDRESS DBUS_SYSTEM_BUS_ADDRESS

  : > "$LINUX_DESKTOP_RUN/logind.log"
  linux_desktop_spawn dbusmock "$LINUX_DESKTOP_PYTHON" -m dbusmock --system --template logind \
    -l "$LINUX_DESKTOP_RUN/logind.log"
  _linux_desktop_wait 200 _linux_desktop_mock_answers || { echo "linux-desktop: the mock logind did not start" >&2; return 1; }
  _linux_desktop_complete_logind || return 1
  linux_desktop_require_private_bus "$LINUX_DESKTOP_RUN" || return 1

  cat > "$LINUX_DESKTOP_RUN/env.sh" << ENV
export DISPLAY=$DISPLAY
export DBUS_SESSION_BUS_ADDRESS='$DBUS_SESSION_BUS_ADDRESS'
export DBUS_SYSTEM_BUS_ADDRESS='$DBUS_SYSTEM_BUS_ADDRESS'
export XDG_RUNTIME_DIR=$XDG_RUNTIME_DIR XDG_CACHE_HOME=$XDG_CACHE_HOME XDG_CONFIG_HOME=$XDG_CONFIG_HOME XDG_DATA_HOME=$XDG_DATA_HOME
export QT_QPA_PLATFORM=xcb LINUX_DESKTOP_RUN=$LINUX_DESKTOP_RUN
unset SESSION_MANAGER XDG_SESSION_ID WAYLAND_DISPLAY
ENV
}

# The services the private session bus may start: AT-SPI's bus launcher, dconf (GNOME) and xfconf
# (Xfce). Nothing else installed on the machine is ever activated behind a test's back (a real
# notification server would take the name from a test's mock); the stand-in system bus starts none.
LINUX_DESKTOP_ACTIVATABLE=(org.a11y.Bus ca.desrt.dconf org.xfce.Xfconf)

# The standard session bus policy, with service directories of the run's own.
_linux_desktop_bus_config() {  # session | system
  local services=$LINUX_DESKTOP_RUN/$1-services name
  rm -rf "$services"
  mkdir -p "$services"
  if [[ $1 == session ]]; then
    for name in "${LINUX_DESKTOP_ACTIVATABLE[@]}"; do
      [[ -f /usr/share/dbus-1/services/$name.service ]] && cp "/usr/share/dbus-1/services/$name.service" "$services/"
    done
  fi
  cat << CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <keep_umask/>
  <listen>unix:tmpdir=/tmp</listen>
  <auth>EXTERNAL</auth>
  <servicedir>$services</servicedir>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
  <limit name="service_start_timeout">120000</limit>
</busconfig>
CONF
}

_linux_desktop_mock_answers() {
  gdbus call --system "${LOGIN1[@]}" -m org.freedesktop.DBus.Mock.GetCalls > /dev/null 2>&1
}

# What systemd 252's logind has and the template lacks; a session c1 of the user for
# GetSessionByPID; CanHalt answers "challenge" (Debian's polkit default for an active session).
_linux_desktop_complete_logind() {
  "$LINUX_DESKTOP_PYTHON" - << 'PY'
import dbus
bus = dbus.SystemBus()
mock = dbus.Interface(bus.get_object('org.freedesktop.login1', '/org/freedesktop/login1'), 'org.freedesktop.DBus.Mock')
manager = 'org.freedesktop.login1.Manager'
for name in ('PowerOffWithFlags', 'RebootWithFlags', 'HaltWithFlags'):
    mock.AddMethod(manager, name, 't', '', '')
mock.AddMethod(manager, 'Halt', 'b', '', '')
mock.AddMethod(manager, 'CanHalt', '', 's', 'ret = "challenge"')
mock.AddMethod(manager, 'GetSessionByPID', 'u', 'o', 'ret = "/org/freedesktop/login1/session/c1"')
mock.AddSession('c1', 'seat0', dbus.UInt32(1000), 'user', True)
PY
}

# Refuses to go on unless the system bus of this environment is RUN's own private bus: its socket
# inside RUN, not the machine's, and owned by the mock.
linux_desktop_require_private_bus() {  # run-dir
  local run
  run=$(realpath -m "${1:?run dir}")
  local address=${DBUS_SYSTEM_BUS_ADDRESS:-}
  local expected="unix:path=$run/system.sock"
  local socket=${address#unix:path=}
  socket=${socket%%,*}
  if [[ $address != "$expected" && $address != "$expected,"* ]]; then
    echo "linux-desktop: REFUSED: DBUS_SYSTEM_BUS_ADDRESS is [$address], not the private bus $expected" >&2
    return 1
  fi
  if [[ ! -S $socket ]] || [[ $(realpath -m "$socket") == $(realpath -m /run/dbus/system_bus_socket) ]] ||
    [[ $(realpath -m "$socket") == $(realpath -m /var/run/dbus/system_bus_socket) ]]; then
    echo "linux-desktop: REFUSED: [$socket] is not a private bus socket" >&2
    return 1
  fi
  if ! _linux_desktop_mock_answers; then
    echo "linux-desktop: REFUSED: org.freedesktop.login1 on [$address] is not the mock" >&2
    return 1
  fi
}

# Ended: no such process, or only its exit status left for a parent to collect.
_linux_desktop_gone() {
  local state
  state=$(awk '{ print $3 }' "/proc/$1/stat" 2> /dev/null) || return 0
  [[ -z $state || $state == Z ]]
}

linux_desktop_stop() {  # run-dir
  local run
  run=$(realpath -m "${1:?run dir}")
  [[ -f $run/pids ]] || return 0
  local pids kids=() p i
  pids=$(tac "$run/pids")
  # What they started end with them, all collected before any ends (an orphan would be lost):
  # the buses' activated services (AT-SPI launcher, dconf), a session manager's clients.
  for p in $pids; do
    while read -r kid; do [[ -n $kid ]] && kids+=("$kid"); done < <(pgrep -P "$p" 2> /dev/null)
  done
  for ((i = 0; i < ${#kids[@]}; i++)); do
    while read -r kid; do [[ -n $kid ]] && kids+=("$kid"); done < <(pgrep -P "${kids[i]}" 2> /dev/null)
  done
  for p in "${kids[@]}" $pids; do kill "$p" 2> /dev/null; done
  for p in "${kids[@]}" $pids; do
    _linux_desktop_wait 40 _linux_desktop_gone "$p" || kill -9 "$p" 2> /dev/null
  done
  wait $pids 2> /dev/null  # those that were this shell's children
  : > "$run/pids"
  # What a killed process leaves outside the run (a session manager's XSMP socket).
  if [[ -f $run/cleanup-files ]]; then
    xargs -r rm -f < "$run/cleanup-files"
    : > "$run/cleanup-files"
  fi
}

# --- The mock logind, as a test drives it ---

_mock() { gdbus call --system "${LOGIN1[@]}" -m "org.freedesktop.DBus.Mock.$1" "${@:2}" > /dev/null; }

# The next calls of METHOD (a Manager method) fail as a block inhibitor makes them fail.
mock_refuse() {  # method in-signature
  _mock AddMethod "$LOGIN1_MANAGER" "$1" "${2:-b}" '' \
    "raise dbus.exceptions.DBusException('Operation inhibited', name='org.freedesktop.login1.BlockedByInhibitorLock')"
}

mock_accept() {  # method in-signature
  _mock AddMethod "$LOGIN1_MANAGER" "$1" "${2:-b}" '' ''
}

mock_can_halt() {  # yes | no | challenge
  _mock AddMethod "$LOGIN1_MANAGER" CanHalt '' s "ret = '$1'"
}

# The mock writes its log at its own offset: a mark, not a truncation, starts a new part of it.
mock_mark() { LINUX_DESKTOP_MOCK_MARK=$(stat -c %s "$LINUX_DESKTOP_RUN/logind.log"); }

# The calls the mock received since the mark, with their time stamps ("1796733838.860 PowerOff False").
mock_log() { tail -c +$((${LINUX_DESKTOP_MOCK_MARK:-0} + 1)) "$LINUX_DESKTOP_RUN/logind.log"; }

# The same without time stamps and without property reads: what a program asked logind to do.
mock_calls() { mock_log | cut -d' ' -f2- | grep -vE '^(Get|GetAll|Set|emit) '; }

# The names of the methods called on one object of the mock, one a line (e.g. session/c1).
mock_object_calls() {  # object path below /org/freedesktop/login1
  gdbus call --system -d org.freedesktop.login1 -o "/org/freedesktop/login1/$1" -m org.freedesktop.DBus.Mock.GetCalls |
    grep -oE "\(uint64 [0-9]+, '[A-Za-z]+'|\([0-9]+, '[A-Za-z]+'" | sed -E "s/.*'([A-Za-z]+)'/\1/"
}

mock_prepare_for_shutdown() {  # true | false
  _mock EmitSignal "$LOGIN1_MANAGER" PrepareForShutdown b "[<${1:-true}>]"
}

# The inhibitors the mock holds, one a line: what who why mode.
mock_inhibitors() {
  gdbus call --system "${LOGIN1[@]}" -m "$LOGIN1_MANAGER.ListInhibitors" |
    grep -oE "\('[^']*', '[^']*', '[^']*', '[^']*'" | sed -E "s/^\('//; s/', '/ | /g; s/'$//"
}

# --- Tray hosts ---

# trayer, the XEmbed tray (a GTK 2 dock at the bottom right).
linux_desktop_start_trayer() {
  linux_desktop_spawn trayer trayer --edge bottom --align right --widthtype request --height 32 \
    --SetDockType true --expand false --transparent false
  _linux_desktop_wait 600 eval 'xwininfo -root -tree 2> /dev/null | grep -q "\"panel\""'
}

# A StatusNotifierWatcher that says a host is registered; it logs to RUN/sni.log.
linux_desktop_start_sni_watcher() {
  linux_desktop_spawn sni-watcher "$LINUX_DESKTOP_PYTHON" "$LINUX_DESKTOP_ROOT/tests/e2e-linux/sni_watcher.py" \
    "$LINUX_DESKTOP_RUN/sni.log"
  _linux_desktop_wait 200 grep -q 'watcher ready' "$LINUX_DESKTOP_RUN/sni.log" 2> /dev/null
}

if [[ ${BASH_SOURCE[0]} == "$0" ]]; then
  set -euo pipefail
  case ${1:-} in
    start)
      linux_desktop_start "${2:?usage: linux-desktop.sh start RUN [WxH]}" "${3:-1280x800}" || {
        linux_desktop_stop "$2"
        exit 1
      }
      echo "source $LINUX_DESKTOP_RUN/env.sh" ;;
    stop) linux_desktop_stop "${2:?usage: linux-desktop.sh stop RUN}" ;;
    *) echo "usage: linux-desktop.sh start RUN [WxH] | stop RUN" >&2; exit 2 ;;
  esac
fi
