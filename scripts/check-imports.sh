#!/usr/bin/env bash
# Fails when an exe imports anything but Windows' own DLLs.
set -euo pipefail
system_dlls='^(kernel32|user32|gdi32|comctl32|shell32|advapi32|uxtheme|msvcrt|ole32|oleaut32|oleacc|shlwapi)\.dll$'
for exe in "$@"; do
  imports=$(x86_64-w64-mingw32-objdump -p "$exe" | awk '/DLL Name/{print tolower($3)}')
  foreign=$(grep -vE "$system_dlls" <<< "$imports" || true)
  if [ -n "$foreign" ]; then
    echo "check-imports: $exe imports $foreign" >&2
    exit 1
  fi
  echo "check-imports: $exe imports only system DLLs: $(tr '\n' ' ' <<< "$imports")"
done
