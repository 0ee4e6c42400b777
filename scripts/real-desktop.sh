#!/usr/bin/env bash
# Real desktop components on a private headless desktop (scripts/linux-desktop.sh, started first):
# Xfce 4.18's panel and session manager on its Xvfb, GNOME 43's session manager with a headless
# GNOME Shell, weston 10 headless with XWayland. Each start checks first that the system bus is
# the run's private one with the mock logind: a session manager that ends a session must never
# reach the machine's. Sourced; every process is recorded, so linux_desktop_stop ends it by PID,
# and the XSMP sockets a killed session manager leaves in /tmp/.ICE-unix go with it.
#
#   real_desktop_start_xfce_panel       the panel with a status tray (SNI watcher and XEmbed tray)
#   real_desktop_start_xfce_session     xfce4-session whose failsafe session runs that panel
#   real_desktop_start_gnome            gnome-session --builtin, gnome-shell --headless (Wayland)
#   real_desktop_start_weston           weston headless with XWayland; sets WESTON_DISPLAY, XWAYLAND_DISPLAY
#   real_desktop_start_window_manager xfwm4|openbox   a window manager on the run's Xvfb
#   REAL_DESKTOP_SESSION_PID            the session manager's PID, once started
#   gnome_eval JS                       GNOME Shell's answer to a script (its unsafe mode, on here)
REAL_DESKTOP_FILES=$LINUX_DESKTOP_ROOT/tests/e2e-linux/desktops

_real_desktop_has_name() {  # bus name on the session bus
  gdbus call --session -d org.freedesktop.DBus -o /org/freedesktop/DBus -m org.freedesktop.DBus.NameHasOwner "$1" \
    2> /dev/null | grep -q true
}

# The session manager and what it starts see only the run's directories, its HOME included, and
# none of the machine's autostart entries (screensavers, settings daemons, agents).
_real_desktop_prepare() {
  linux_desktop_require_private_bus "$LINUX_DESKTOP_RUN" || return 1
  export HOME=$LINUX_DESKTOP_RUN/home
  mkdir -p "$HOME" "$XDG_CONFIG_HOME/autostart"
  local entry
  for entry in /etc/xdg/autostart/*.desktop; do
    [[ -e $entry ]] || continue
    printf '[Desktop Entry]\nType=Application\nName=hidden\nHidden=true\n' > "$XDG_CONFIG_HOME/autostart/${entry##*/}"
  done
}

# The XSMP socket a session manager listens on (it stays when the manager is killed): removed
# when the run stops.
_real_desktop_ice_socket() { echo "/tmp/.ICE-unix/$1" >> "$LINUX_DESKTOP_RUN/cleanup-files"; }

_real_desktop_xfce_config() {
  local channels=$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml
  mkdir -p "$channels"
  cp "$REAL_DESKTOP_FILES/xfce4-panel.xml" "$REAL_DESKTOP_FILES/xfce4-session.xml" "$channels/"
}

real_desktop_start_xfce_panel() {
  _real_desktop_prepare || return 1
  _real_desktop_xfce_config
  linux_desktop_spawn xfce4-panel xfce4-panel --disable-wm-check
  _linux_desktop_wait 200 _real_desktop_has_name org.kde.StatusNotifierWatcher ||
    { echo "real-desktop: the Xfce panel's tray did not start" >&2; return 1; }
}

real_desktop_start_xfce_session() {
  _real_desktop_prepare || return 1
  _real_desktop_xfce_config
  # A session saved by an earlier log-out would start its clients (a brellix) again.
  rm -rf "$XDG_CACHE_HOME/sessions"
  XDG_CURRENT_DESKTOP=XFCE linux_desktop_spawn xfce4-session xfce4-session --disable-tcp
  REAL_DESKTOP_SESSION_PID=$LINUX_DESKTOP_LAST_PID
  _real_desktop_ice_socket "$REAL_DESKTOP_SESSION_PID"
  _linux_desktop_wait 300 eval '_real_desktop_has_name org.xfce.SessionManager && _real_desktop_has_name org.kde.StatusNotifierWatcher' ||
    { echo "real-desktop: xfce4-session did not start its session" >&2; return 1; }
  # Its clients learn the XSMP address from it; programs started from outside take the same.
  local panel
  panel=$(pgrep -P "$REAL_DESKTOP_SESSION_PID" -x xfce4-panel | head -1)
  SESSION_MANAGER=$(tr '\0' '\n' < "/proc/$panel/environ" 2> /dev/null | sed -n 's/^SESSION_MANAGER=//p')
  export SESSION_MANAGER
}

# The window manager manages what maps after it has put its check window on the root window.
_real_desktop_wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2> /dev/null | grep -q 'window id'; }

real_desktop_start_window_manager() {  # xfwm4 | openbox
  _real_desktop_prepare || return 1
  case $1 in
    xfwm4) linux_desktop_spawn xfwm4 xfwm4 --compositor=off --sm-client-disable ;;
    openbox) linux_desktop_spawn openbox openbox --sm-disable ;;
    *) echo "real-desktop: no such window manager [$1]" >&2; return 1 ;;
  esac
  _linux_desktop_wait 200 _real_desktop_wm_running || { echo "real-desktop: $1 did not start" >&2; return 1; }
}

real_desktop_start_gnome() {
  _real_desktop_prepare || return 1
  mkdir -p "$XDG_CONFIG_HOME/gnome-session/sessions" "$XDG_DATA_HOME/applications" "$XDG_DATA_HOME/gnome-shell/extensions"
  cp "$REAL_DESKTOP_FILES/gnome-headless.session" "$XDG_CONFIG_HOME/gnome-session/sessions/"
  cp "$REAL_DESKTOP_FILES/gnome-shell-headless.desktop" "$XDG_DATA_HOME/applications/"
  cp -r "$REAL_DESKTOP_FILES/shell-probe@brellix-tests" "$XDG_DATA_HOME/gnome-shell/extensions/"
  # Read by the shell at its start (dconf, activated on the private session bus).
  gsettings set org.gnome.shell enabled-extensions "['shell-probe@brellix-tests']" || return 1
  XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=GNOME linux_desktop_spawn gnome-session \
    /usr/libexec/gnome-session-binary --builtin --session=gnome-headless
  REAL_DESKTOP_SESSION_PID=$LINUX_DESKTOP_LAST_PID
  _real_desktop_ice_socket "$REAL_DESKTOP_SESSION_PID"
  _linux_desktop_wait 400 _real_desktop_shell_evals ||
    { echo "real-desktop: GNOME Shell did not start (or refuses Eval)" >&2; return 1; }
  _real_desktop_has_name org.gnome.SessionManager || { echo "real-desktop: no GNOME session manager" >&2; return 1; }
  GNOME_WAYLAND_DISPLAY=wayland-gnome
}

_real_desktop_shell_evals() { [[ $(gnome_eval '1 + 1' 2> /dev/null) == "(true, '2')" ]]; }

gnome_eval() {  # script: prints (true, 'answer')
  gdbus call --session -d org.gnome.Shell -o /org/gnome/Shell -m org.gnome.Shell.Eval "$1"
}

real_desktop_start_weston() {
  _real_desktop_prepare || return 1
  WESTON_DISPLAY=wayland-tests
  # XWayland's sockets go there; weston 10 crashes when it is missing (an Xvfb that listens only
  # on abstract sockets does not make it).
  [[ -d /tmp/.X11-unix ]] || mkdir -m 1777 /tmp/.X11-unix
  # pixman: screenshots have pixels without a GPU; --debug lets weston-screenshooter in.
  linux_desktop_spawn weston weston --config="$REAL_DESKTOP_FILES/weston.ini" --backend=headless-backend.so \
    --use-pixman --width=1280 --height=800 --socket="$WESTON_DISPLAY" --xwayland --debug \
    --log="$LINUX_DESKTOP_RUN/weston-server.log"
  _linux_desktop_wait 200 test -S "$XDG_RUNTIME_DIR/$WESTON_DISPLAY" ||
    { echo "real-desktop: weston did not start" >&2; return 1; }
  # Weston takes the first free X display for XWayland and says which in its log.
  _linux_desktop_wait 200 grep -q 'xserver listening on display' "$LINUX_DESKTOP_RUN/weston-server.log" ||
    { echo "real-desktop: weston's XWayland did not start" >&2; return 1; }
  XWAYLAND_DISPLAY=$(grep -o 'xserver listening on display :[0-9]*' "$LINUX_DESKTOP_RUN/weston-server.log" |
    grep -o ':[0-9]*' | tail -1)
}
