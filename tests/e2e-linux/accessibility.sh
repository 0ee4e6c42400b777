#!/usr/bin/env bash
# What a screen reader gets over AT-SPI: every control with its role and name, the focus on the
# first control in tab order, the lists as real check boxes whose checked state follows the
# settings, a disabled 取消; and a check box toggled
# through AT-SPI goes through the program's single-choice rule like a click.
source "$(dirname "$0")/lib.sh"
ATSPI=("/usr/bin/python3" "$E2E_DIR/atspi_client.py")

export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
# The accessibility bus must be up before the program looks for it.
gdbus call --session -d org.a11y.Bus -o /org/a11y/bus -m org.a11y.Bus.GetAddress > /dev/null ||
  e2e_fail "the accessibility bus started"

tree() { "${ATSPI[@]}" tree 2> /dev/null | sed -E 's/^ +//'; }
has_line() { grep -qxF "$1" <<< "$TREE"; }

install_brellix "$(settings_text 11 30 0 PM 3 0)"
start_brellix
e2e_check "the window opens" wait_window 10
e2e_check "the program is on the accessibility bus" wait_for 10 eval '[[ -n $(tree) ]]'
TREE=$(tree)
for line in \
  'label "时钟(H):"' 'label "分钟(M):"' 'label "秒钟(S):"' 'label "时制(T):"' 'label "选项(O):"' \
  'combo box "11" [focused]' 'combo box "30"' 'combo box "0"' 'combo box "PM"' \
  'check box "关闭系统"' 'check box "关闭电源"' 'check box "重启"' 'check box "注销" [checked]' \
  'check box "自动断电" [checked]' 'check box "让用户断电"' \
  'push button "取消(F)" [disabled]' 'push button "退出(E)"'; do
  e2e_check "a screen reader sees: $line" has_line "$line"
done
e2e_check "a screen reader sees 运行(N), enabled" has_line 'push button "运行(N)"'
e2e_expect_eq "exactly one checked item in each list" "$(grep -c '^check box .*\[checked' <<< "$TREE")" "2"

"${ATSPI[@]}" press "让用户断电"
e2e_check "AT-SPI's toggle checks 让用户断电" wait_for 5 eval 'tree | grep -qxF "check box \"让用户断电\" [checked]"'
e2e_check "... and the single choice unchecks 自动断电" eval 'tree | grep -qxF "check box \"自动断电\""'
# The action answers once the program handled it: the tree shows its outcome at once.
"${ATSPI[@]}" press "让用户断电"
e2e_check "toggling the checked item keeps the one choice checked" eval 'tree | grep -qxF "check box \"让用户断电\" [checked]"'
press Escape
e2e_check "Esc ends the program" wait_app_end 10
e2e_expect_eq "the toggle reached the settings" "$(ini_value Extra Selected)" "1"

e2e_finish
