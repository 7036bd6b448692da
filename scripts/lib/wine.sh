# Shared by scripts/run, scripts/screenshot and scripts/lib/wine-session: a virtual X
# display and a Wine prefix of the project's own (never ~/.wine). Source it.

# start_xvfb DIR SIZE: starts Xvfb on a free display (SIZE like 1024x768), records its
# pid in DIR/xvfb.pid and exports DISPLAY.
start_xvfb() {
  local dir=$1 size=$2
  rm -f "$dir/display"
  # Xvfb picks a free display and writes its number to fd 3.
  Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$dir/display" </dev/null >/dev/null 2>&1 &
  echo $! >"$dir/xvfb.pid"
  local _
  for _ in $(seq 100); do [ -s "$dir/display" ] && break; sleep 0.1; done
  [ -s "$dir/display" ] || { echo "Xvfb did not start" >&2; return 1; }
  export DISPLAY=:$(head -n 1 "$dir/display")
}

stop_xvfb() {
  local dir=$1
  [ -f "$dir/xvfb.pid" ] || return 0
  kill "$(cat "$dir/xvfb.pid")" 2>/dev/null || true
  rm -f "$dir/xvfb.pid"
}

# wine_environment PREFIX: what every wine command of the project runs with. Code page
# 1251 comes from the locale: the wire text depends on the users' single-byte code page.
# Wine's menu builder is off: it would copy a Start-menu shortcut (the MSI's) into this
# machine's desktop menus and keep a record of it that removing the shortcut leaves.
wine_environment() {
  export WINEPREFIX=$1 WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d' \
    LC_ALL=ru_RU.UTF-8
}

# prepare_prefix: creates $WINEPREFIX once, with Wine's crash dialog off (a crash then
# prints a backtrace instead of waiting for a click), and gives it Wine's own Tahoma,
# closer to the window's design font than the fallback, and Marlett, which draws the
# frame buttons. DISPLAY must be set first: Wine's desktop keeps the display it started
# with.
prepare_prefix() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "creating the Wine prefix $WINEPREFIX (about half a minute)"
    wineboot --init </dev/null >/dev/null 2>&1
    wineserver -w
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f </dev/null >/dev/null 2>&1
    wineserver -w
  fi
  local font fonts=$WINEPREFIX/drive_c/windows/Fonts
  for font in /usr/share/wine/fonts/{tahoma,tahomabd,marlett}.ttf; do
    if [ -f "$font" ] && [ ! -f "$fonts/$(basename "$font")" ]; then
      mkdir -p "$fonts"
      cp "$font" "$fonts/"
    fi
  done
}
