#!/usr/bin/env bash
# A real Xfce 4.18 panel as the tray: as a StatusNotifierItem host, the icon is registered with its
# watcher and drawn in its status tray, a right click there has the panel fetch the menu over
# dbusmenu and draw it, and the entries chosen in it act; on a session bus without a watcher the
# program's XEmbed icon docks into the same tray and its own popup menu acts.
source "$(dirname "$0")/lib.sh"
source "$E2E_DIR/desktop_lib.sh"

real_desktop_start_xfce_panel || { e2e_fail "the Xfce panel started"; e2e_finish; exit; }

# The status tray plugin's place in the panel, absolute: "W H X Y".
tray_area() {
  xwininfo -root -tree 2> /dev/null | awk '
    /"xfce4-panel": \("xfce4-panel" "Xfce4-panel"\)/ { match($0, /^ */); depth = RLENGTH; inside = 1; next }
    inside { match($0, /^ */); if (RLENGTH <= depth) inside = 0 }
    inside && /\("wrapper-2.0" "Wrapper-2.0"\)/ {
      split($(NF - 1), size, /[x+]/); split($NF, at, /\+/); print size[1], size[2], at[2], at[3]; exit }'
}
# Pixels of colour in the tray (the panel itself is grey): the icon as drawn.
colour_pixels_in_tray() {
  local w h x y
  read -r w h x y <<< "$(tray_area)"
  [[ -n $y ]] || { echo 0; return; }
  import -window root -crop "${w}x${h}+${x}+${y}" +repage png:- 2> /dev/null |
    convert png:- -colorspace HSL -channel G -separate +channel -threshold 40% -format '%[fx:round(mean*w*h)]' info:
}
icon_drawn() { (($(colour_pixels_in_tray) >= 40)); }
# A right click in the middle of the tray, where the one icon is.
right_click_tray() {
  local w h x y
  read -r w h x y <<< "$(tray_area)"
  xdotool mousemove $((x + w / 2)) $((y + h / 2)) click 3
}
# A mapped override-redirect window that is not the program's: the menu the panel drew.
panel_menu_shown() {
  local id
  for id in $(xdotool search --onlyvisible --class wrapper-2.0 2> /dev/null); do
    xwininfo -id "$id" 2> /dev/null | grep -q 'Override Redirect State: yes' && return 0
  done
  return 1
}
popup_of_program_shown() {
  local id
  for id in $(xdotool search --onlyvisible --class brellix 2> /dev/null); do
    xwininfo -id "$id" 2> /dev/null | grep -q 'Override Redirect State: yes' && return 0
  done
  return 1
}
registered_items() {
  gdbus call --session -d org.kde.StatusNotifierWatcher -o /StatusNotifierWatcher \
    -m org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierWatcher RegisteredStatusNotifierItems 2> /dev/null |
    grep -oE "'[^']+'" | tr -d "'"
}
# The item whose bus name belongs to the program's process.
program_item() {
  local item pid
  for item in $(registered_items); do
    pid=$(gdbus call --session -d org.freedesktop.DBus -o /org/freedesktop/DBus \
      -m org.freedesktop.DBus.GetConnectionUnixProcessID "${item%%/*}" 2> /dev/null | grep -oE '[0-9]+' | tail -1)
    [[ $pid == "$APP_PID" ]] && { echo "$item"; return 0; }
  done
  return 1
}
program_item_registered() { program_item > /dev/null; }

# --- StatusNotifierItem in the panel's status tray ---
e2e_check "SNI: before the program, the tray holds no icon" eval '! icon_drawn'
install_brellix "$(printf '[Position]\nLeft=1500\nTop=3000\n')"  # below the panel, away from its menu
start_brellix
e2e_check "SNI: the window opens" wait_window 10
e2e_check "SNI: the program's item is registered with the panel's watcher" wait_for 10 program_item_registered
e2e_check "SNI: the panel draws the icon in its tray" wait_for 10 icon_drawn
bus_monitor_start dbusmenu
right_click_tray
e2e_check "SNI: a right click in the panel opens a menu drawn by the panel" wait_for 5 panel_menu_shown
e2e_check "SNI: the panel fetched the menu from the program over dbusmenu" \
  wait_for 5 eval '[[ -n $(bus_calls com.canonical.dbusmenu AboutToShowGroup) ]]'
# For the README: the panel's right end with the icon and its menu (scripts/screenshot-linux.sh).
[[ ${SCREENSHOT_XFCE_MENU:-} ]] && import -window root -crop 420x190+860+0 +repage "$SCREENSHOT_XFCE_MENU"
xdotool key h  # 隐藏(_H)
e2e_check "SNI: 隐藏 chosen in the panel's menu hides the window" wait_for 5 window_hidden
e2e_check "SNI: the choice reached the program as a dbusmenu event" eval '[[ -n $(bus_calls com.canonical.dbusmenu EventGroup) ]]'
e2e_check "SNI: hidden, the program runs on" app_running
right_click_tray
wait_for 5 panel_menu_shown
xdotool key s  # 显示(_S)
e2e_check "SNI: 显示 chosen in the panel's menu shows the window again" wait_for 5 window_shown
right_click_tray
wait_for 5 panel_menu_shown
xdotool key e  # 退出(_E)
e2e_check "SNI: 退出 chosen in the panel's menu ends the program" wait_app_end 10
e2e_expect_eq "SNI: it ended normally" "${APP_STATUS:-}" "0"
e2e_check "SNI: the icon leaves the tray" wait_for 5 eval '! icon_drawn'

# --- XEmbed: the program on a session bus where no watcher is ---
linux_desktop_spawn bare-session-bus dbus-daemon --config-file="$LINUX_DESKTOP_RUN/session-bus.conf" --nofork --nopidfile \
  --address="unix:path=$LINUX_DESKTOP_RUN/bare.sock" --print-address=1
wait_for 5 test -s "$LINUX_DESKTOP_RUN/bare-session-bus.log"
install_brellix
DBUS_SESSION_BUS_ADDRESS=$(head -1 "$LINUX_DESKTOP_RUN/bare-session-bus.log") start_brellix
e2e_check "XEmbed: the window opens" wait_window 10
# Its icon window is reparented into the panel's tray.
icon_in_panel() {
  xwininfo -root -tree 2> /dev/null | awk '
    /"xfce4-panel": \("xfce4-panel" "Xfce4-panel"\)/ { match($0, /^ */); depth = RLENGTH; inside = 1; next }
    inside { match($0, /^ */); if (RLENGTH <= depth) inside = 0 }
    inside && /\("brellix" / { found = 1 } END { exit !found }'
}
e2e_check "XEmbed: the icon docks into the panel's tray" wait_for 10 icon_in_panel
e2e_check "XEmbed: the panel shows it" wait_for 5 icon_drawn
right_click_tray
e2e_check "XEmbed: a right click on it opens the program's own popup menu" wait_for 5 popup_of_program_shown
xdotool key h  # 隐藏(&H)
e2e_check "XEmbed: 隐藏 in that menu hides the window" wait_for 5 window_hidden
kill "$APP_PID"
e2e_check "XEmbed: the program ends on SIGTERM" wait_app_end 10

e2e_finish
