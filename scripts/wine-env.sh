# Sourced: the project's private Wine prefix and display. Never touches ~/.wine.
BRELLIX_ROOT=${BRELLIX_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
BRELLIX_WINE_HOME=${BRELLIX_WINE_HOME:-$BRELLIX_ROOT/build/wine}
export WINEPREFIX=${WINEPREFIX:-$BRELLIX_WINE_HOME/prefix}
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8

# Creates the prefix once: a virtual desktop (frames, taskbar and tray without a window manager),
# Chinese fonts for the 宋体 face, and the relay filter the end-to-end tests read.
brellix_wine_prefix() {
  mkdir -p "$BRELLIX_WINE_HOME"
  (
    flock 9
    [ -f "$WINEPREFIX/.brellix-ready-2" ] && exit 0
    rm -rf "$WINEPREFIX"
    wineboot -i > "$BRELLIX_WINE_HOME/wineboot.log" 2>&1
    local reg=$BRELLIX_WINE_HOME/setup.reg
    { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE <<'REG'
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1024x768"

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"SimSun"="WenQuanYi Micro Hei"
"宋体"="WenQuanYi Micro Hei"
"NSimSun"="WenQuanYi Micro Hei"
"新宋体"="WenQuanYi Micro Hei"

[HKEY_CURRENT_USER\Software\Wine\Debug]
"RelayInclude"="ExitWindowsEx;AdjustTokenPrivileges;LookupPrivilegeValueW;OpenProcessToken;CreateWindowExW;CloseHandle"
REG
    } > "$reg"
    wine regedit /S "Z:${reg//\//\\}" >> "$BRELLIX_WINE_HOME/wineboot.log" 2>&1
    cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
    wineserver -w
    touch "$WINEPREFIX/.brellix-ready-2"
  ) 9> "$BRELLIX_WINE_HOME/.lock"
}

# Starts a private Xvfb when no display is set; brellix_stop_display ends it.
BRELLIX_XVFB_PID=
brellix_ensure_display() {
  [ -n "${DISPLAY:-}" ] && return 0
  local fd_file
  fd_file=$(mktemp)
  Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp > "$fd_file" 2>/dev/null &
  BRELLIX_XVFB_PID=$!
  for _ in $(seq 100); do [ -s "$fd_file" ] && break; sleep 0.05; done
  export DISPLAY=":$(head -n1 "$fd_file")"
  rm -f "$fd_file"
}

brellix_stop_display() {
  if [ -n "$BRELLIX_XVFB_PID" ]; then
    wineserver -k 2>/dev/null || true
    kill "$BRELLIX_XVFB_PID" 2>/dev/null || true
    wait "$BRELLIX_XVFB_PID" 2>/dev/null || true
    BRELLIX_XVFB_PID=
  fi
}
