#!/usr/bin/env bash
# The check-box lists as a screen reader finds them from its own process, through oleacc: each
# row a check box with its text and check, and a row's default action checking it.
source "$(dirname "$0")/lib.sh"

e2e_begin_case
EXE_DIR=$CASE_PREFIX/drive_c/Brellix
mkdir -p "$EXE_DIR"
cp "$BRELLIX_EXE" "$EXE_DIR/Brellix.exe"
printf '%s\r\n' '[Options]' 'Selected=1' '[Extra]' 'Selected=0' > "$EXE_DIR/Brellix.ini"
(cd "$EXE_DIR" && exec wine Brellix.exe > "$CASE_DIR/brellix.out" 2> "$CASE_DIR/brellix.err") &
drv() { wine "$BRELLIX_DRIVER" "$@" 2> /dev/null | tr -d '\r'; return "${PIPESTATUS[0]}"; }
drv wait-visible 1 20000 > /dev/null || e2e_fail "the window appeared"

# Roles: list 0x21 (33), check box 0x2c (44). States: checked 0x10, selected 0x2, focused 0x4,
# focusable 0x100000, selectable 0x200000, unavailable 0x1.
drv read-list 4 > "$CASE_DIR/options.txt"
e2e_expect_eq "the actions' list, its name and its rows" "$(cat "$CASE_DIR/options.txt")" \
"list name=选项 role=33 state=0x100000 action= rows=4
row1 name=关闭系统 role=44 state=0x300000 action=Check
row2 name=关闭电源 role=44 state=0x300012 action=Uncheck
row3 name=重启 role=44 state=0x300000 action=Check
row4 name=注销 role=44 state=0x300000 action=Check"
e2e_expect_eq "the force modes' list" "$(drv read-list 3 | head -3)" \
"list name=执行 role=33 state=0x100000 action= rows=2
row1 name=自动断电 role=44 state=0x300012 action=Uncheck
row2 name=让用户断电 role=44 state=0x300000 action=Check"

e2e_expect_eq "the default action on the restart row" "$(drv default-action 4 3)" "result=0x00000000"
e2e_wait_for '[ "$(drv dump | grep "^lstOptions")" == "lstOptions enabled=1 checks=0010 current=2" ]' 5 \
  && e2e_pass "it checks the restart row alone" \
  || e2e_fail "it checks the restart row alone: $(drv dump | grep "^lstOptions")"
e2e_expect_eq "the reader sees the new check" "$(drv read-list 4 | sed -n '3,4p')" \
"row2 name=关闭电源 role=44 state=0x300000 action=Check
row3 name=重启 role=44 state=0x300012 action=Uncheck"

drv click 10   # armed: the lists are locked
e2e_wait_for '[ "$(drv title)" == "Vospel - 激活" ]' 5 || e2e_fail "armed: $(drv title)"
e2e_expect_eq "a locked list refuses the default action" "$(drv default-action 4 1)" "result=0x80004005"
e2e_expect_eq "a locked row reads unavailable" "$(drv read-list 4 | sed -n '2p')" \
  "row1 name=关闭系统 role=44 state=0x1 action=Check"
e2e_expect_eq "nothing changed" "$(drv dump | grep '^lstOptions')" "lstOptions enabled=0 checks=0010 current=2"

e2e_finish
