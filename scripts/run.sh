#!/usr/bin/env bash
# Installs what is missing, builds Brellix.exe and runs it under Wine. With DISPLAY set it opens
# on that desktop; without one it runs in a private Xvfb and saves a screenshot.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh
cmake --preset mingw-x64 > /dev/null
cmake --build --preset mingw-x64 --target Brellix

source scripts/wine-env.sh
brellix_wine_prefix
if [ -n "${DISPLAY:-}" ]; then
  exec wine build/mingw-x64/Brellix.exe "$@"
fi

trap brellix_stop_display EXIT
brellix_ensure_display
wine build/mingw-x64/Brellix.exe "$@" &
app=$!
shot=$PWD/build/brellix-screenshot.png
# Wait for the window (up to 20 s), then photograph the whole virtual desktop.
for _ in $(seq 80); do
  kill -0 "$app" 2>/dev/null || break
  xwininfo -root -tree 2>/dev/null | grep -q 'Vospel' && break
  sleep 0.25
done
sleep 1
import -window root "$shot"
echo "Screenshot: $shot"
if kill -0 "$app" 2>/dev/null; then
  wineserver -k 2>/dev/null || true
fi
wait "$app" 2>/dev/null || true
