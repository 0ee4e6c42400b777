#!/usr/bin/env bash
# Starts Brellix.exe in a throwaway copy of the project's Wine prefix on a private Xvfb, arms it to
# log off 40 s ahead (so the warning comes at once), and saves a picture of Wine's desktop with the
# warning in the tray icon's balloon; then disarms. Usage:
# scripts/screenshot-balloon.sh [build dir] [output.png]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build/mingw-x64}" && pwd)
out=${2:-docs/screenshots/windows-balloon.png}
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
read -r hour minute second ampm <<< "$(LC_ALL=C date -d '+40 seconds' '+%-I %-M %-S %p')"
printf '%s\r\n' '[Options]' 'Selected=3' '[Extra]' 'Selected=1' '[Shutdown]' "Hour=$hour" "Minute=$minute" \
  "Second=$second" "AMPM=$ampm" '[Position]' 'Left=6000' 'Top=4500' '[Warning]' 'Seconds=60' > "$app/Brellix.ini"
(cd "$app" && exec wine Brellix.exe > /dev/null 2>&1) &
driver() { wine "$build/tests/e2e/brellix_driver.exe" "$@" 2> /dev/null | tr -d '\r'; }
driver wait-visible 1 20000 > /dev/null || { echo "the window did not show" >&2; exit 1; }
driver click 10   # 运行(N)
driver balloon 10000 > /dev/null || { echo "no balloon" >&2; exit 1; }
sleep 1  # time to paint: nothing says when the balloon has
import -window root "$out"
driver click 9    # 取消(F)
echo "saved $out"
