#!/usr/bin/env bash
# Fails when a source file includes by a relative path that climbs out of its folder
# (`#include "../…"` would let one layer reach another's headers behind the build's back), or when
# an exe imports anything but Windows' own DLLs.
set -euo pipefail
cd "$(dirname "$0")/.."
climbing=$(grep -rnE '^\s*#\s*include\s*"\.\./' src tests fuzz bench 2> /dev/null || true)
if [ -n "$climbing" ]; then
  echo "check-imports: includes that climb out of their folder (name the header from src/ instead):" >&2
  echo "$climbing" >&2
  exit 1
fi
echo "check-imports: no source includes a header by a climbing relative path"

system_dlls='^(kernel32|user32|gdi32|comctl32|shell32|advapi32|uxtheme|msvcrt|ole32|oleaut32|oleacc|shlwapi|wtsapi32)\.dll$'
for exe in "$@"; do
  imports=$(x86_64-w64-mingw32-objdump -p "$exe" | awk '/DLL Name/{print tolower($3)}')
  foreign=$(grep -vE "$system_dlls" <<< "$imports" || true)
  if [ -n "$foreign" ]; then
    echo "check-imports: $exe imports $foreign" >&2
    exit 1
  fi
  echo "check-imports: $exe imports only system DLLs: $(tr '\n' ' ' <<< "$imports")"
done
