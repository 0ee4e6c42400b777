#!/usr/bin/env bash
# Pictures of the native Linux program on a private headless desktop (no window manager, so no
# frame; trayer as the tray), with settings for an evening's schedule (11:30:00 PM, power off,
# force): the main window at 96 DPI and at 144 DPI (Xft.dpi), and the tray icon's popup menu.
# Then a notification drawn by xfce4-notifyd, the icon in the Xfce panel with its menu open, and
# the window under weston (its own tests).
# Usage: scripts/screenshot-linux.sh [brellix binary] [output dir]
set -euo pipefail
cd "$(dirname "$0")/.."
binary=$(realpath "${1:-build/linux/brellix}")
out=$(realpath "${2:-docs/screenshots}")
source scripts/linux-desktop.sh

run=$(mktemp -d "$PWD/build/screenshot-linux.XXXXXX")
app=
cleanup() {
  [[ -n $app ]] && kill "$app" 2> /dev/null
  local desktop
  for desktop in "$run"/dpi* "$run"/notify; do [[ -d $desktop ]] && linux_desktop_stop "$desktop"; done
  rm -rf "$run"
}
trap cleanup EXIT

# The evening's settings, as the pictures show them.
EVENING=('[Options]' 'Selected=1' '[Extra]' 'Selected=0' '[Shutdown]' 'Hour=11' 'Minute=30' 'Second=0' 'AMPM=PM'
  '[Position]' 'Left=600' 'Top=600')

# Starts brellix from a fresh directory with the given settings lines (default: the evening's);
# $win is its window.
start_brellix() {  # name [settings line...]
  local dir=$run/app.$1
  shift
  mkdir -p "$dir"
  cp "$binary" "$dir/brellix"
  if (($#)); then printf '%s\n' "$@"; else printf '%s\n' "${EVENING[@]}"; fi > "$dir/Brellix.ini"
  "$dir/brellix" > "$dir/out" 2>&1 &
  app=$!
  win=
  for _ in $(seq 200); do
    win=$(xdotool search --onlyvisible --name '^Vospel' 2> /dev/null | head -1 || true)
    [[ -n $win ]] && break
    sleep 0.05
  done
  [[ -n $win ]] || { echo "screenshot-linux: the window did not show" >&2; exit 1; }
  sleep 1  # time to paint: nothing in the window says when it has
}

stop_brellix() {
  kill "$app"
  wait "$app" 2> /dev/null || true
  app=
}

# The window with a margin of the desktop around it, as the Windows picture has.
shoot_window() {  # output
  local x y w h margin=8
  eval "$(xdotool getwindowgeometry --shell "$win")"
  x=$X y=$Y w=$WIDTH h=$HEIGHT
  import -window root "$run/screen.png"
  convert "$run/screen.png" -crop "$((w + 2 * margin))x$((h + 2 * margin))+$((x - margin))+$((y - margin))" +repage "$1"
  echo "saved $1 (${w}x${h})"
}

shoot_desktop() {  # name
  linux_desktop_start "$run/$1"
  linux_desktop_require_private_bus "$run/$1"
}

# 96 DPI, and the tray menu on the same desktop.
shoot_desktop dpi96
linux_desktop_start_trayer
start_brellix 96
shoot_window "$out/linux-main-window.png"
icon=
for _ in $(seq 100); do
  icon=$(xwininfo -root -tree | awk '
    /"panel": \("panel" "trayer"\)/ { match($0, /^ */); depth = RLENGTH; inside = 1; next }
    inside { match($0, /^ */); if (RLENGTH <= depth) inside = 0 }
    inside && /\("brellix" / { print $1; exit }')
  [[ -n $icon ]] && break
  sleep 0.05
done
if [[ -n $icon ]]; then
  xdotool mousemove --window "$icon" 8 8 click 3
  sleep 1
  import -window root "$run/screen.png"
  # The bottom right corner: the tray and the menu above it.
  convert "$run/screen.png" -gravity SouthEast -crop 360x260+0+0 +repage "$out/linux-tray-menu.png"
  echo "saved $out/linux-tray-menu.png"
  xdotool key Escape
else
  echo "screenshot-linux: the icon did not dock in trayer; no tray picture" >&2
fi
stop_brellix
linux_desktop_stop "$run/dpi96"

# 144 DPI through the X resources, as a desktop's scaling setting sets it.
shoot_desktop dpi144
printf 'Xft.dpi: 144\n' > "$run/dpi144/Xresources"
xrdb -nocpp -merge "$run/dpi144/Xresources"
start_brellix 144
shoot_window "$out/linux-main-window-144dpi.png"
stop_brellix
linux_desktop_stop "$run/dpi144"

# A notification drawn by a real server: xfce4-notifyd, unpacked into build/ rather than installed,
# so that no session bus of this machine's tests starts it by activation. The program is armed
# 20 s ahead with a warning 19 s before: its warning, with the 取消 action, comes a second later.
notifyd_dir=$PWD/build/xfce4-notifyd
notifyd=$notifyd_dir/root/usr/lib/x86_64-linux-gnu/xfce4/notifyd/xfce4-notifyd
if [[ ! -x $notifyd ]]; then
  (cd "$notifyd_dir" 2> /dev/null || { mkdir -p "$notifyd_dir" && cd "$notifyd_dir"; } && apt-get download xfce4-notifyd > /dev/null)
  dpkg -x "$(ls "$notifyd_dir"/xfce4-notifyd_*.deb | head -1)" "$notifyd_dir/root"
fi
shoot_desktop notify
# The program's icon by its name, as the installed package puts it in the icon theme.
mkdir -p "$run/notify/share/icons/hicolor/48x48/apps"
cp res/linux/brellix-48.png "$run/notify/share/icons/hicolor/48x48/apps/brellix.png"
XDG_DATA_DIRS=$run/notify/share:/usr/share linux_desktop_spawn notifyd "$notifyd"
for _ in $(seq 100); do
  gdbus call --session -d org.freedesktop.Notifications -o /org/freedesktop/Notifications \
    -m org.freedesktop.Notifications.GetServerInformation > /dev/null 2>&1 && break
  sleep 0.05
done
target=$(($(date +%s) + 20))
read -r hour minute second ampm <<< "$(LC_ALL=C date -d "@$target" '+%-I %-M %-S %p')"
start_brellix notify '[Options]' 'Selected=1' '[Extra]' 'Selected=0' '[Shutdown]' "Hour=$hour" "Minute=$minute" \
  "Second=$second" "AMPM=$ampm" '[Position]' 'Left=600' 'Top=600' '[Warning]' 'Seconds=19'
xdotool windowfocus --sync "$win" key Return
popup=
for _ in $(seq 100); do
  popup=$(xdotool search --onlyvisible --class xfce4-notifyd 2> /dev/null | head -1 || true)
  [[ -n $popup ]] && break
  sleep 0.05
done
if [[ -n $popup ]]; then
  sleep 1  # its fade-in
  import -window root "$run/screen.png"
  eval "$(xdotool getwindowgeometry --shell "$popup")"
  convert "$run/screen.png" -crop "$((WIDTH + 16))x$((HEIGHT + 16))+$((X - 8))+$((Y - 8))" +repage \
    "$out/linux-notification.png"
  echo "saved $out/linux-notification.png"
else
  echo "screenshot-linux: no notification showed" >&2
fi
stop_brellix
linux_desktop_stop "$run/notify"

# On real desktop components, taken by their end-to-end tests at the right moment: the icon in
# Xfce's panel with the menu the panel draws from it, and the window natively on weston.
export BRELLIX_BIN=$binary BRELLIX_E2E_WORK=$run/e2e
SCREENSHOT_XFCE_MENU=$out/linux-xfce-panel-menu.png bash tests/e2e-linux/xfce_panel.sh > /dev/null &&
  echo "saved $out/linux-xfce-panel-menu.png"
SCREENSHOT_WESTON=$out/linux-weston-wayland.png bash tests/e2e-linux/weston.sh > /dev/null &&
  echo "saved $out/linux-weston-wayland.png"
