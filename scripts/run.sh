#!/usr/bin/env bash
# Installs what is missing, builds Brellix and runs it.
#   scripts/run.sh [args]         the native Linux program, build/linux/brellix: with DISPLAY set it
#                                 opens on that desktop; without one it runs on a private headless
#                                 desktop (a mock logind: nothing is ever shut down) and saves a
#                                 screenshot
#   scripts/run.sh --wine [args]  Brellix.exe under Wine, the same way
set -euo pipefail
cd "$(dirname "$0")/.."

run_wine() {
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
}

run_linux() {
  cmake --preset linux > /dev/null
  cmake --build --preset linux -j2 --target brellix
  if [ -n "${DISPLAY:-}" ]; then
    exec build/linux/brellix "$@"
  fi

  source scripts/linux-desktop.sh
  RUN_DESKTOP=$PWD/build/linux/run-desktop
  trap 'linux_desktop_stop "$RUN_DESKTOP"' EXIT
  linux_desktop_start "$RUN_DESKTOP"
  linux_desktop_require_private_bus "$RUN_DESKTOP"
  linux_desktop_start_trayer || true
  build/linux/brellix "$@" &
  local app=$!
  for _ in $(seq 200); do
    kill -0 "$app" 2>/dev/null || break
    [ -n "$(xdotool search --onlyvisible --name '^Vospel' 2>/dev/null)" ] && break
    sleep 0.05
  done
  sleep 0.5  # time to paint: nothing in the window says when it has
  local shot=$PWD/build/brellix-linux-screenshot.png
  import -window root "$shot"
  echo "Screenshot: $shot"
  if kill -0 "$app" 2>/dev/null; then kill "$app"; fi
  wait "$app" 2>/dev/null || true
}

scripts/deps.sh
if [ "${1:-}" = --wine ]; then
  shift
  run_wine "$@"
else
  run_linux "$@"
fi
