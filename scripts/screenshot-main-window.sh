#!/usr/bin/env bash
# Starts Brellix.exe in a throwaway copy of the project's Wine prefix on a private Xvfb, with
# settings for an evening's schedule (11:30:00 PM, power off, force), and saves a picture of its
# window. Usage: scripts/screenshot-main-window.sh [build dir] [output.png]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build/mingw-x64}" && pwd)
out=${2:-docs/screenshots/main-window.png}
unset DISPLAY
source scripts/wine-env.sh
brellix_wine_prefix
work=$(mktemp -d)
cleanup() {
  brellix_stop_display
  rm -rf "$work"
}
trap cleanup EXIT
cp -a "$WINEPREFIX" "$work/prefix"
export WINEPREFIX=$work/prefix
brellix_ensure_display

app=$WINEPREFIX/drive_c/Brellix
mkdir -p "$app"
cp "$build/Brellix.exe" "$app/"
printf '%s\r\n' '[Options]' 'Selected=1' '[Extra]' 'Selected=0' '[Shutdown]' 'Hour=11' 'Minute=30' 'Second=0' \
  'AMPM=PM' '[Position]' 'Left=600' 'Top=600' > "$app/Brellix.ini"
(cd "$app" && exec wine Brellix.exe > /dev/null 2>&1) &
driver() { wine "$build/tests/e2e/brellix_driver.exe" "$@" 2> /dev/null | tr -d '\r'; }
driver wait-visible 1 20000 > /dev/null || { echo "the window did not show" >&2; exit 1; }
sleep 2  # time to paint: nothing in the window says when it has
IFS=, read -r left top right bottom < <(driver dump | sed -n 's/^rect=//p')
import -window root "$work/screen.png"
margin=8
/usr/bin/convert "$work/screen.png" \
  -crop "$((right - left + 2 * margin))x$((bottom - top + 2 * margin))+$((left - margin))+$((top - margin))" +repage "$out"
echo "saved $out"
