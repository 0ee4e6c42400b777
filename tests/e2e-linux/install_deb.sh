#!/usr/bin/env bash
# The release .deb installs (dpkg -i, then apt-get -f for what it depends on) and the installed
# /usr/bin/brellix works on a private desktop, run by an ordinary user as on a real desktop:
# "brellix poweroff" reaches the mock logind, and an interactive start stores its settings under
# $XDG_CONFIG_HOME, since /usr/bin is not that user's to write. A package that was not installed
# before is removed again at the end.
# Usage (as root, or through sudo): tests/e2e-linux/install_deb.sh build/linux/brellix_<version>-<release>_amd64.deb
set -uo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
RUN_AS=${BRELLIX_TEST_USER:-nobody}

# --- Part two, as the ordinary user: the installed program on a private desktop ---
if [[ ${1:-} == --installed ]]; then
  export BRELLIX_BIN=/usr/bin/brellix
  source "$HERE/lib.sh"
  CASE_DIR=$(mktemp -d "$E2E_RUN/case.XXXXXX")
  APP=/usr/bin/brellix
  INI=$XDG_CONFIG_HOME/Brellix/Brellix.ini

  run_brellix 10 --version
  e2e_expect_eq "installed: \"brellix --version\" names the package's upstream version" \
    "$APP_STATUS $(cat "$CASE_DIR/out")" "0 brellix ${BRELLIX_DEB_VERSION%-*}"

  mock_mark
  run_brellix 10 poweroff
  e2e_expect_eq "installed, as $(id -un): \"brellix poweroff\" ends with status 0" "$APP_STATUS" "0"
  e2e_expect_eq "installed: \"brellix poweroff\" asks logind to power off" "$(end_calls)" "PowerOff False"

  start_brellix
  e2e_check "installed: the window opens" wait_window 10
  press Escape
  e2e_check "installed: Esc ends it" wait_app_end 10
  e2e_check "installed: the settings went to \$XDG_CONFIG_HOME/Brellix/Brellix.ini" test -s "$INI"
  e2e_check "installed: nothing was written beside the binary" test ! -e /usr/bin/Brellix.ini
  e2e_finish
  exit
fi

# --- Part one, as root: the package ---
DEB=$(realpath "${1:?usage: install_deb.sh PACKAGE.deb}")
sudo_cmd=()
[[ $(id -u) == 0 ]] || sudo_cmd=(sudo)
failures=0
check() {  # description command...
  if "${@:2}"; then echo "ok: $1"; else echo "FAIL: $1"; failures=$((failures + 1)); fi
}

was_installed=$(dpkg-query -W -f='${Status}' brellix 2> /dev/null)
log=$(mktemp)
if ! "${sudo_cmd[@]}" dpkg -i "$DEB" > "$log" 2>&1; then
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -f -y -q --no-install-recommends >> "$log" 2>&1
fi
check "the package is installed" [ "$(dpkg-query -W -f='${Status}' brellix 2> /dev/null)" == "install ok installed" ]
((failures == 0)) || cat "$log"
check "its version is the build's" [ "$(dpkg-query -W -f='${Version}' brellix)" == "$(dpkg-deb -f "$DEB" Version)" ]
check "the binary is /usr/bin/brellix" test -x /usr/bin/brellix
check "the desktop entry is installed" test -f /usr/share/applications/brellix.desktop
check "the icon is installed" test -f /usr/share/icons/hicolor/32x32/apps/brellix.png
check "man finds the manual page brellix(1)" eval 'man -w brellix > /dev/null 2>&1'
check "the package depends on a CJK font" eval 'dpkg-deb -f "$DEB" Depends | grep -q "fonts-wqy-microhei | fonts-noto-cjk"'
check "the package depends on Qt's D-Bus and widgets libraries" \
  eval 'dpkg-deb -f "$DEB" Depends | grep -q libqt6dbus6 && dpkg-deb -f "$DEB" Depends | grep -q libqt6widgets6'

# The private desktop's run directory belongs to the user who runs it.
work=$(mktemp -d /tmp/brellix-install-test.XXXXXX)
version=$(dpkg-deb -f "$DEB" Version)
if [[ $(id -u) == 0 ]]; then
  chown "$RUN_AS" "$work"
  runuser -u "$RUN_AS" -- env BRELLIX_E2E_WORK="$work" BRELLIX_DEB_VERSION="$version" PATH="$PATH" bash "$HERE/install_deb.sh" --installed ||
    failures=$((failures + 1))
else
  BRELLIX_E2E_WORK=$work BRELLIX_DEB_VERSION=$version bash "$HERE/install_deb.sh" --installed || failures=$((failures + 1))
fi
if ((failures == 0)); then rm -rf "$work"; else echo "kept for inspection: $work"; fi

[[ $was_installed == "install ok installed" ]] || "${sudo_cmd[@]}" dpkg -r brellix > /dev/null
rm -f "$log"
((failures == 0))
