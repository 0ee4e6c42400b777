#!/usr/bin/env bash
# The release .deb installs (dpkg -i, then apt-get -f for what it depends on) and the installed
# /usr/bin/brellix works on a private desktop: "brellix poweroff" reaches the mock logind, and an
# interactive start stores its settings under $XDG_CONFIG_HOME, since /usr/bin is no place for them.
# Usage (as root, or through sudo): tests/e2e-linux/install_deb.sh build/linux/brellix_<version>_amd64.deb
DEB=$(realpath "${1:?usage: install_deb.sh PACKAGE.deb}")
export BRELLIX_BIN=/usr/bin/brellix
export BRELLIX_E2E_WORK=${BRELLIX_E2E_WORK:-$(dirname "$DEB")/e2e-linux}
source "$(dirname "$0")/lib.sh"

sudo_cmd=()
[[ $(id -u) == 0 ]] || sudo_cmd=(sudo)
if ! "${sudo_cmd[@]}" dpkg -i "$DEB" > "$E2E_RUN/dpkg.log" 2>&1; then
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -f -y -q --no-install-recommends \
    >> "$E2E_RUN/dpkg.log" 2>&1
fi
e2e_expect_eq "the package is installed" "$(dpkg-query -W -f='${Status}' brellix 2> /dev/null)" "install ok installed"
e2e_expect_eq "its version is the build's" "$(dpkg-query -W -f='${Version}' brellix)" \
  "$(dpkg-deb -f "$DEB" Version)"
e2e_check "the binary is /usr/bin/brellix" test -x /usr/bin/brellix
e2e_check "the desktop entry is installed" test -f /usr/share/applications/brellix.desktop
e2e_check "the icon is installed" test -f /usr/share/icons/hicolor/32x32/apps/brellix.png
e2e_check "the package says what it needs" eval 'dpkg-deb -f "$DEB" Depends | grep -q "fonts-wqy-microhei | fonts-noto-cjk"'

# The installed program, on the private desktop.
CASE_DIR=$(mktemp -d "$E2E_RUN/case.XXXXXX")
APP=/usr/bin/brellix
INI=$XDG_CONFIG_HOME/Brellix/Brellix.ini

mock_mark
run_brellix 10 poweroff
e2e_expect_eq "installed: \"brellix poweroff\" ends with status 0" "$APP_STATUS" "0"
e2e_expect_eq "installed: \"brellix poweroff\" asks logind to power off" "$(end_calls)" "PowerOff False"

start_brellix
e2e_check "installed: the window opens" wait_window 10
press Escape
e2e_check "installed: Esc ends it" wait_app_end 10
e2e_check "installed: the settings went to \$XDG_CONFIG_HOME/Brellix/Brellix.ini" test -s "$INI"
e2e_check "installed: nothing was written beside the binary" test ! -e /usr/bin/Brellix.ini

e2e_finish
