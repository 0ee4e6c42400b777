#!/usr/bin/env bash
# weston 10 headless with XWayland: the program runs natively on Wayland and as an X11 client
# through XWayland (its choice when both are there), driven through AT-SPI (weston has no input
# devices here, and synthetic X input upsets XWayland); SIGTERM stores its choices, and natively
# it writes the stored position back as it was, since a Wayland window cannot know its own.
source "$(dirname "$0")/lib.sh"
source "$E2E_DIR/desktop_lib.sh"

real_desktop_start_weston || { e2e_fail "weston started"; e2e_finish; exit; }

# One run per row: how it is started, the platform it must take, the check box toggled.
for row in "native|wayland|$WESTON_DISPLAY||wayland|重启|2" \
  "XWayland|xcb|$WESTON_DISPLAY|$XWAYLAND_DISPLAY||关闭系统|0"; do
  IFS='|' read -r how platform wayland display asked box index <<< "$row"
  install_brellix "$(settings_text 11 30 0 PM 3 1; printf '[Position]\nLeft=6000\nTop=3000\n')"
  WAYLAND_DISPLAY=$wayland DISPLAY=$display QT_QPA_PLATFORM=$asked start_brellix
  e2e_check "$how: the window is on the accessibility bus" wait_for 15 on_atspi
  e2e_expect_eq "$how: Qt's platform" "$(qt_platform_of "$APP_PID")" "$platform"
  if [[ $how == native && ${SCREENSHOT_WESTON:-} ]]; then
    (cd "$CASE_DIR" && WAYLAND_DISPLAY=$WESTON_DISPLAY weston-screenshooter > /dev/null 2>&1 &&
      mv wayland-screenshot-*.png "$SCREENSHOT_WESTON")
  fi
  "${ATSPI[@]}" press "$box"
  e2e_check "$how: $box toggled through AT-SPI" wait_for 5 eval 'atspi_tree | grep -qF "check box \"$box\" [checked"'
  kill -TERM "$APP_PID"
  e2e_check "$how: SIGTERM ends the program" wait_app_end 10
  e2e_expect_eq "$how: SIGTERM stored the choices" "$(ini_value Options Selected) $(ini_value Extra Selected)" "$index 1"
  [[ $how == native ]] && e2e_expect_eq "native: the stored position is written back unchanged" \
    "$(ini_value Position Left) $(ini_value Position Top)" "6000 3000"
done

e2e_finish
