# Sourced by the end-to-end tests: a throwaway copy of the project's Wine prefix per case, so that
# an ExitWindowsEx that ends every process of a prefix ends nothing else.
set -uo pipefail
E2E_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$E2E_DIR/../../scripts/wine-env.sh"
brellix_wine_prefix
brellix_ensure_display
TEMPLATE_PREFIX=$WINEPREFIX
mkdir -p "$BRELLIX_E2E_WORK"
E2E_FAILURES=0
E2E_PASSES=0

e2e_cleanup() {
  if [ -n "${CASE_PREFIX:-}" ]; then
    WINEPREFIX=$CASE_PREFIX wineserver -k 2>/dev/null || true
    rm -rf "$CASE_PREFIX"
  fi
  brellix_stop_display
}
trap e2e_cleanup EXIT

# Starts a case in a fresh copy of the prefix; the case's files go to $CASE_DIR.
e2e_begin_case() {
  if [ -n "${CASE_PREFIX:-}" ]; then
    WINEPREFIX=$CASE_PREFIX wineserver -k 2>/dev/null || true
    rm -rf "$CASE_PREFIX"
  fi
  CASE_DIR=$(mktemp -d "$BRELLIX_E2E_WORK/case.XXXXXX")
  CASE_PREFIX=$CASE_DIR/prefix
  cp -a "$TEMPLATE_PREFIX" "$CASE_PREFIX"
  export WINEPREFIX=$CASE_PREFIX
}

e2e_pass() { echo "ok: $*"; E2E_PASSES=$((E2E_PASSES + 1)); }
e2e_fail() { echo "FAIL: $*"; E2E_FAILURES=$((E2E_FAILURES + 1)); }

e2e_expect_eq() {  # description actual expected
  if [ "$2" == "$3" ]; then e2e_pass "$1"; else e2e_fail "$1: got [$2], expected [$3]"; fi
}

# Waits up to $2 seconds for a command to succeed.
e2e_wait_for() {
  local command=$1 seconds=$2 i
  for ((i = 0; i < seconds * 10; i++)); do
    eval "$command" && return 0
    sleep 0.1
  done
  return 1
}

e2e_finish() {
  echo "$E2E_PASSES passed, $E2E_FAILURES failed"
  [ "$E2E_FAILURES" -eq 0 ]
}

# --- The program itself ---
CAPTION="Vospel - https://brellix.example.org"

# A fresh prefix with Brellix.exe in C:\Brellix and, when given, its settings file.
install_brellix() {
  e2e_begin_case
  EXE_DIR=$CASE_PREFIX/drive_c/Brellix
  INI=$EXE_DIR/Brellix.ini
  mkdir -p "$EXE_DIR"
  cp "$BRELLIX_EXE" "$EXE_DIR/Brellix.exe"
  [ -n "${1:-}" ] && printf '%s' "$1" | sed 's/$/\r/' > "$INI"
  return 0
}

start_brellix() {
  (cd "$EXE_DIR" && exec wine Brellix.exe "$@" > "$CASE_DIR/brellix.out" 2> "$CASE_DIR/brellix.err") &
  APP_PID=$!
  # Shown means loaded: the window exists, hidden, while its load handler still fills it.
  drv wait-visible 1 20000 > /dev/null || e2e_fail "the window appeared"
}

drv() { wine "$BRELLIX_DRIVER" "$@" 2> /dev/null | tr -d '\r'; return "${PIPESTATUS[0]}"; }

field() { drv dump | grep -E "^$1" | head -1; }

app_ended() { ! kill -0 "$APP_PID" 2> /dev/null; }

ini_text() { tr -d '\r' < "$INI" 2> /dev/null || echo "<no file>"; }
