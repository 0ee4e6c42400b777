#!/usr/bin/env bash
# Brellix.exe started with keywords asks Wine's ExitWindowsEx for the right flags, after enabling
# the shutdown privilege, and creates no window; without an action keyword it asks for nothing.
source "$(dirname "$0")/lib.sh"

# Runs Brellix.exe with the relay trace on; leaves the trace's calls in $CASE_DIR/calls.txt.
run_traced() {
  e2e_begin_case
  local exe_dir=$CASE_PREFIX/drive_c/Brellix
  mkdir -p "$exe_dir"
  cp "$BRELLIX_EXE" "$exe_dir/Brellix.exe"
  (cd "$exe_dir" && WINEDEBUG=+relay timeout 60 wine Brellix.exe "$@" > "$CASE_DIR/stdout.txt" 2> "$CASE_DIR/trace.txt" &
   pid=$!
   # A command line without an action opens the window once it exists: close it from outside.
   for _ in $(seq 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
   kill -0 $pid 2>/dev/null && { sleep 1; wineserver -k; }
   wait $pid 2>/dev/null)
  # Only the calls of Brellix.exe's own thread: ExitWindowsEx starts other Wine processes that
  # create windows of their own. Only Brellix looks up the shutdown privilege by name.
  grep -oE '^[0-9a-f]+:Call (user32|advapi32|kernelbase|kernel32)\.(ExitWindowsEx|LookupPrivilegeValueW|AdjustTokenPrivileges|OpenProcessToken|CreateWindowExW)\([^)]*\)' \
    "$CASE_DIR/trace.txt" | sed -E 's/:Call [a-z0-9]+\./:/; s/[0-9a-f]{8,16} L?"/"/g' > "$CASE_DIR/all-calls.txt"
  local tid
  tid=$(grep -m1 -E '^[0-9a-f]+:LookupPrivilegeValueW\([^,]*,"SeShutdownPrivilege"' "$CASE_DIR/all-calls.txt" | cut -d: -f1)
  if [ -n "$tid" ]; then
    grep -E "^$tid:" "$CASE_DIR/all-calls.txt" | cut -d: -f2- > "$CASE_DIR/calls.txt"
  else
    # No privilege lookup: nobody of the prefix may have asked to end the session.
    grep -E '^[0-9a-f]+:ExitWindowsEx' "$CASE_DIR/all-calls.txt" | cut -d: -f2- > "$CASE_DIR/calls.txt"
  fi
}

exits() { grep -E '^ExitWindowsEx' "$CASE_DIR/calls.txt" | tr '\n' ' ' | sed 's/ $//'; }


for row in \
  "x/poweroff:forceifhung|ExitWindowsEx(00000018,80000000)" \
  "shutdown|ExitWindowsEx(00000001,80000000)" \
  "reboot shutdown|ExitWindowsEx(00000001,80000000)" \
  "/logoff force|ExitWindowsEx(00000004,80000000)" \
  "poweroff force|ExitWindowsEx(0000000c,80000000)" \
  "-reboot:now|ExitWindowsEx(00000002,80000000)"; do
  args=${row%%|*}
  expected=${row#*|}
  # shellcheck disable=SC2086
  run_traced $args
  e2e_expect_eq "\"$args\" calls ExitWindowsEx once with its flags" "$(exits)" "$expected"
  order=$(grep -nE '^(LookupPrivilegeValueW|AdjustTokenPrivileges|ExitWindowsEx)' "$CASE_DIR/calls.txt" | cut -d: -f2 | cut -d'(' -f1 | tr '\n' ' ')
  e2e_expect_eq "\"$args\" enables the privilege first" "$order" "LookupPrivilegeValueW AdjustTokenPrivileges ExitWindowsEx "
  lookup=$(grep -E '^LookupPrivilegeValueW' "$CASE_DIR/calls.txt" | head -1)
  case "$lookup" in
    "LookupPrivilegeValueW(00000000,\"SeShutdownPrivilege\","*) e2e_pass "\"$args\" looks the privilege up on this computer" ;;
    *) e2e_fail "\"$args\" privilege lookup: [$lookup], expected no system name" ;;
  esac
  e2e_expect_eq "\"$args\" creates no window" "$(grep -c '^CreateWindowExW' "$CASE_DIR/calls.txt")" "0"
done

# A command line near Windows' limit of 32,767 characters still works; the keyword is at its end.
long_text=$(head -c 32000 /dev/zero | tr '\0' 'x')
run_traced "${long_text}poweroff"
e2e_expect_eq "a 32,008-character command line still finds its keyword" "$(exits)" "ExitWindowsEx(00000008,80000000)"

for args in "Shutdown" "force" "forceifhung"; do
  run_traced "$args"
  e2e_expect_eq "\"$args\" requests no end of session" "$(exits)" ""
done

e2e_finish
