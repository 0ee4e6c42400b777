#!/usr/bin/env bash
# Starts Brellix.exe in a throwaway copy of the project's Wine prefix on a private Xvfb and saves
# a picture:
# - the window, with settings for an evening's schedule (11:30:00 PM, power off, force);
# - with --balloon, Wine's desktop with the warning in the tray icon's balloon: armed to log off
#   40 s ahead, so the warning comes at once; then disarmed.
# Usage: scripts/screenshot-main-window.sh [--balloon] [build dir] [output.png]
set -euo pipefail
cd "$(dirname "$0")/.."
balloon=false
if [[ ${1:-} == --balloon ]]; then balloon=true; shift; fi
build=$(cd "${1:-build/mingw-x64}" && pwd)
if $balloon; then out=${2:-docs/screenshots/windows-balloon.png}; else out=${2:-docs/screenshots/main-window.png}; fi
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
if $balloon; then
  read -r hour minute second ampm <<< "$(LC_ALL=C date -d '+40 seconds' '+%-I %-M %-S %p')"
  settings=('[Options]' 'Selected=3' '[Extra]' 'Selected=1' '[Shutdown]' "Hour=$hour" "Minute=$minute"
    "Second=$second" "AMPM=$ampm" '[Position]' 'Left=6000' 'Top=4500' '[Warning]' 'Seconds=60')
else
  settings=('[Options]' 'Selected=1' '[Extra]' 'Selected=0' '[Shutdown]' 'Hour=11' 'Minute=30' 'Second=0'
    'AMPM=PM' '[Position]' 'Left=600' 'Top=600')
fi
printf '%s\r\n' "${settings[@]}" > "$app/Brellix.ini"
(cd "$app" && exec wine Brellix.exe > /dev/null 2>&1) &
driver() { wine "$build/tests/e2e/brellix_driver.exe" "$@" 2> /dev/null | tr -d '\r'; }
driver wait-visible 1 20000 > /dev/null || { echo "the window did not show" >&2; exit 1; }

if $balloon; then
  driver click 10   # 运行(N)
  driver balloon 10000 > /dev/null || { echo "no balloon" >&2; exit 1; }
  sleep 1  # time to paint: nothing says when the balloon has
  import -window root "$out"
  driver click 9    # 取消(F)
  echo "saved $out"
  exit 0
fi

sleep 2  # time to paint: nothing in the window says when it has
IFS=, read -r left top right bottom < <(driver dump | sed -n 's/^rect=//p')
import -window root "$work/screen.png"
margin=8
/usr/bin/convert "$work/screen.png" \
  -crop "$((right - left + 2 * margin))x$((bottom - top + 2 * margin))+$((left - margin))+$((top - margin))" +repage "$out"
echo "saved $out"
