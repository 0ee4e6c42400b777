#!/usr/bin/env bash
# Installs what is missing, builds every preset and runs every test: native, the Linux desktop
# program (Qt contract tests, end-to-end on a private headless desktop, its .deb checked as a
# distribution checks it, installed and run), the Win32 backends under Wine, and end-to-end under
# Wine in a private Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh

echo "== native build and tests"
cmake --preset native > /dev/null
cmake --build --preset native
ctest --preset native -j2

echo "== Linux desktop build (Qt 6): contract tests, end-to-end on a private headless desktop"
cmake --preset linux > /dev/null
cmake --build --preset linux -j2
ctest --preset linux

echo "== Linux .deb: the distribution's checkers, then installed and run against the mock logind"
python3 tools/make_icon.py --check
rm -f build/linux/brellix_*.deb
(cd build/linux && cpack -G DEB > /dev/null)
deb=(build/linux/brellix_*_amd64.deb)
scripts/check-package.sh "${deb[0]}"
bash tests/e2e-linux/install_deb.sh "${deb[0]}"

echo "== fuzzing: profile reader and writer, command line, settings through start and exit (bounded)"
scripts/fuzz.sh 15

echo "== Windows build (MinGW-w64)"
cmake --preset mingw-x64 > /dev/null
cmake --build --preset mingw-x64

echo "== 32-bit exe, and the reproducible release zip"
cmake --preset mingw-x86 > /dev/null
cmake --build --preset mingw-x86
scripts/check-imports.sh build/mingw-x64/Brellix.exe build/mingw-x86/Brellix.exe
scripts/package.sh

# Tests never draw on the user's desktop: a private display for the whole run.
unset DISPLAY
source scripts/wine-env.sh
trap brellix_stop_display EXIT
brellix_wine_prefix
brellix_ensure_display

echo "== Win32 backend and end-to-end tests under Wine (DISPLAY=$DISPLAY)"
ctest --preset mingw-x64
