#!/usr/bin/env bash
# Installs what building and testing Brellix needs on Debian 12, when it is missing.
set -euo pipefail

PACKAGES=(
  cmake ninja-build g++ libgtest-dev googletest
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  wine wine64 fonts-wine xvfb x11-utils xdotool imagemagick fonts-wqy-microhei locales
  clang libclang-rt-14-dev valgrind zip
  # The Linux desktop program (Qt 6) and its private test desktop: buses, mock logind, tray hosts,
  # screen reader access, session management, the .deb's tools.
  qt6-base-dev qt6-qpa-plugins libxcb1-dev dbus dbus-x11 python3-dbus python3-gi python3-dbusmock trayer
  x11-xserver-utils xauth python3-pyatspi at-spi2-core file dpkg-dev pkg-config
  # The distribution's checkers of the .deb (scripts/check-package.sh).
  lintian appstream desktop-file-utils man-db binutils
  # Real desktop components the end-to-end tests run headless (scripts/real-desktop.sh): two window
  # managers, a notification server, the panel, the session managers, a Wayland compositor.
  xfwm4 openbox xfce4-notifyd xfce4-panel xfce4-session gnome-shell gnome-session libglib2.0-bin dconf-gsettings-backend weston qt6-wayland xwayland
  # A real screen reader, its speech written to its log (its synthesizer comes along, unused).
  orca
)

missing=()
for package in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
if ((${#missing[@]})); then
  echo "deps: installing ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}" \
    > /tmp/brellix-apt.log 2>&1 || { tail -20 /tmp/brellix-apt.log; exit 1; }
fi

# Wine takes its code page from a generated glibc locale: the program's text is Chinese.
if ! locale -a 2>/dev/null | grep -qx 'zh_CN.utf8'; then
  localedef -i zh_CN -f UTF-8 zh_CN.UTF-8 2>/dev/null || sudo localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
fi
