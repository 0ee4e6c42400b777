#!/usr/bin/env bash
# KDE's session manager (ksmserver) needs a whole Plasma workspace (over 300 packages), so a
# stand-in on the private session bus answers its log-out calls as Plasma documents them and ends
# its "session" after answering: org.kde.Shutdown's logout() (Plasma 5.25 and later) and, where
# that is missing, ksmserver's logout(confirm 0 = no, type 0 = log out only, mode -1 = default).
# brellix logoff asks it and leaves logind alone; brellix logoff force leaves it alone and has
# logind terminate the session.
source "$(dirname "$0")/lib.sh"

# service | object | interface | in-signature | the call it must receive
for row in "org.kde.Shutdown|/Shutdown|org.kde.Shutdown||logout" \
  "org.kde.ksmserver|/KSMServer|org.kde.KSMServerInterface|iii|logout 0 0 -1"; do
  IFS='|' read -r service object interface signature expected <<< "$row"
  log=$LINUX_DESKTOP_RUN/$service.log
  linux_desktop_spawn "$service" "$LINUX_DESKTOP_PYTHON" -m dbusmock --session "$service" "$object" "$interface" -l "$log"
  standin=$LINUX_DESKTOP_LAST_PID
  wait_for 10 eval 'gdbus call --session -d "$service" -o "$object" -m org.freedesktop.DBus.Mock.GetCalls > /dev/null 2>&1'
  # Answers, then the session ends: the stand-in's process goes.
  gdbus call --session -d "$service" -o "$object" -m org.freedesktop.DBus.Mock.AddMethod "$interface" logout \
    "$signature" '' 'import os, threading; threading.Timer(0.2, lambda: os._exit(0)).start()' > /dev/null
  standin_calls() { cut -d' ' -f2- "$log" | grep -vE '^(AddMethod|GetCalls) ' | tr '\n' ';' | sed 's/;$//'; }

  install_brellix
  mock_mark
  run_brellix 10 logoff force
  e2e_expect_eq "$service: logoff force: logind terminates the session" "$(end_calls)" "GetSessionByPID $!;Terminate"
  e2e_expect_eq "$service: logoff force: the session manager is not asked" "$(standin_calls)" ""

  mock_mark
  run_brellix 10 logoff
  e2e_expect_eq "$service: logoff: exits 0" "$APP_STATUS" "0"
  e2e_expect_eq "$service: logoff: the documented log-out call, without a dialog" "$(standin_calls)" "$expected"
  e2e_expect_eq "$service: logoff: logind is not asked" "$(end_calls)" ""
  e2e_check "$service: logoff: the stand-in's session ends" wait_for 5 _linux_desktop_gone "$standin"
done

e2e_finish
