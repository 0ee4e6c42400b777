#!/usr/bin/env bash
# Runs a Windows program of the build under Wine in the project's prefix (ctest's emulator).
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
brellix_wine_prefix
brellix_ensure_display
wine "$@"
status=$?
brellix_stop_display
exit $status
