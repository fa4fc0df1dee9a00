#!/usr/bin/env bash
# One Wine session for a run of the platform tests: a fresh prefix copied from
# a template made once per build tree, a private Xvfb display, and one
# persistent wineserver. `start DIR` writes DIR/session.env for the tests;
# `stop DIR` ends the server and the display by what start recorded.
set -euo pipefail

action=${1:?start or stop}
dir=$(realpath -m "${2:?session directory}")
mkdir -p "$dir"
env_file=$dir/session.env

wine64=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver

common_env() {
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  # Without it every 32-bit process spends a minute reserving memory under qemu.
  export QEMU_RESERVED_VA=0x7fff0000
}

make_template() {
  local template=$dir/prefix-template
  # The stamp names this script's version, so a changed set-up remakes it.
  local version
  version=$(sha1sum "$0" | cut -d' ' -f1)
  [ "$(cat "$template/.avizolp-ready" 2>/dev/null)" = "$version" ] && return
  rm -rf "$template"
  echo "wine-session: making a Wine prefix template (once per build tree)"
  WINEPREFIX=$template "$wine64" wineboot -i >/dev/null 2>&1
  WINEPREFIX=$template "$wineserver" -w
  local reg=(env WINEPREFIX="$template" "$wine64" reg)
  # No window manager here: unmanaged windows close about 2 s faster.
  "${reg[@]}" add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
  # No sound card on these machines.
  "${reg[@]}" add 'HKCU\Software\Wine\Drivers' /v Audio /d "" /f >/dev/null
  # A crashing program must end, not wait for a dialog or a debugger.
  "${reg[@]}" add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null
  # Wine starts winedbg when AeDebug names no debugger, and asks first when
  # Auto is 0; a debugger that cannot be started makes UnhandledExceptionFilter
  # answer EXCEPTION_EXECUTE_HANDLER, as on a machine without one.
  for key in 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
             'HKLM\Software\Wow6432Node\Microsoft\Windows NT\CurrentVersion\AeDebug'; do
    "${reg[@]}" add "$key" /v Debugger /d 'C:\windows\no-debugger.exe %ld %ld' /f >/dev/null
    "${reg[@]}" add "$key" /v Auto /d 1 /f >/dev/null
  done
  WINEPREFIX=$template "$wineserver" -w
  echo "$version" >"$template/.avizolp-ready"
}

free_display() {
  local n
  for n in $(seq 90 190); do
    if [ ! -e /tmp/.X$n-lock ] && [ ! -e /tmp/.X11-unix/X$n ]; then
      echo "$n"
      return
    fi
  done
  echo "wine-session: no free X display" >&2
  exit 1
}

start() {
  [ -f "$env_file" ] && stop_session || true
  common_env
  make_template
  rm -rf "$dir/prefix"
  cp -a "$dir/prefix-template" "$dir/prefix"

  # WINE_SESSION_DISPLAY=:0 shows the session on an existing display instead.
  local display xvfb_pid=""
  if [ -n "${WINE_SESSION_DISPLAY:-}" ]; then
    display=${WINE_SESSION_DISPLAY#:}
  else
    display=$(free_display)
    Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp </dev/null >"$dir/xvfb.log" 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do
      [ -e "/tmp/.X11-unix/X$display" ] && break
      sleep 0.1
    done
  fi

  export WINEPREFIX=$dir/prefix DISPLAY=:$display
  "$wineserver" -p </dev/null >/dev/null 2>&1
  # Start the prefix's services now, detached from our output: started by
  # the first test instead, they would inherit its pipe and ctest would wait
  # for them to close it.
  "$wine64" cmd /c exit </dev/null >/dev/null 2>&1
  cat >"$env_file" <<ENV
export WINEPREFIX='$WINEPREFIX'
export DISPLAY=':$display'
export WINEDEBUG='$WINEDEBUG'
export WINEDLLOVERRIDES='$WINEDLLOVERRIDES'
export QEMU_RESERVED_VA='$QEMU_RESERVED_VA'
XVFB_PID='$xvfb_pid'
ENV
  echo "wine-session: display :$display, prefix $WINEPREFIX"
}

stop_session() {
  # shellcheck disable=SC1090
  source "$env_file"
  WINEPREFIX=$WINEPREFIX "$wineserver" -k 2>/dev/null || true
  if [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null; then
    for _ in $(seq 50); do
      kill -0 "$XVFB_PID" 2>/dev/null || break
      sleep 0.1
    done
  fi
  rm -f "$env_file"
}

case $action in
  start) start ;;
  stop) [ -f "$env_file" ] && stop_session; echo "wine-session: stopped" ;;
  *) echo "usage: $0 start|stop DIR" >&2; exit 2 ;;
esac
