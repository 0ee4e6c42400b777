#!/usr/bin/env bash
# Shows frmMain, filled as the program fills it, in the project's Wine prefix on a private Xvfb
# and saves a picture of it. Usage: scripts/screenshot-main-window.sh [build dir] [output.png]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/mingw-x64}
out=${2:-docs/screenshots/main-window.png}
unset DISPLAY
source scripts/wine-env.sh
work=$(mktemp -d)
cleanup() {
  brellix_stop_display
  rm -rf "$work"
}
trap cleanup EXIT
brellix_wine_prefix
brellix_ensure_display

BRELLIX_HOLD_MS=10000 wine "$build/tests/brellix_win32_tests.exe" --gtest_also_run_disabled_tests \
  --gtest_filter='Win32FormsScreenshot.*' > "$work/log" 2>&1 &
shower=$!
shown=
for _ in $(seq 200); do
  if grep -q '^window ' "$work/log"; then shown=1; break; fi
  sleep 0.1
done
[ -n "$shown" ] || { cat "$work/log"; echo "the window did not show" >&2; exit 1; }
sleep 2  # time to paint: nothing in the window says when it has
read -r _ left top right bottom < <(grep '^window ' "$work/log" | tr -d '\r')
import -window root "$work/screen.png"
margin=8
/usr/bin/convert "$work/screen.png" \
  -crop "$((right - left + 2 * margin))x$((bottom - top + 2 * margin))+$((left - margin))+$((top - margin))" +repage "$out"
wait "$shower" || true
echo "saved $out"
