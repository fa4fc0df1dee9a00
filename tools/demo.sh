#!/usr/bin/env bash
# Builds both releases into dist/ and runs the screen saver full screen under
# Wine: on your display when there is one, else on a virtual display, where
# it ends the saver itself after a few seconds. Leaves dist/screenshot.png.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh

for preset in i686 x86_64; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j2 --target avizolp $( [ -f installer/CMakeLists.txt ] && echo installer )
done
mkdir -p dist
cp build/i686/saver/avizolp.scr "dist/Skorrel Zolp.scr"
cp build/x86_64/saver/avizolp.scr "dist/Skorrel Zolp (x64).scr"
[ -f build/i686/installer/installer.exe ] && cp build/i686/installer/installer.exe dist/installer.exe
[ -f build/x86_64/installer/installer.exe ] && cp build/x86_64/installer/installer.exe "dist/installer (x64).exe"

session=build/demo-session
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  own_display=1
  WINE_SESSION_DISPLAY=$DISPLAY tests/e2e/wine-session.sh start "$session"
else
  own_display=0
  tests/e2e/wine-session.sh start "$session"
fi
trap 'tests/e2e/wine-session.sh stop "$session" >/dev/null' EXIT
# shellcheck disable=SC1091
source "$session/session.env"

echo "demo: running the i686 release full screen (32-bit Wine through qemu)"
wine "dist/Skorrel Zolp.scr" /s &
saver=$!
sleep 8
import -window root dist/screenshot.png
echo "demo: screenshot in dist/screenshot.png"
if [ "$own_display" = 1 ]; then
  echo "demo: move the mouse or press a key to end the saver"
  wait "$saver" || true
else
  xdotool mousemove 600 500 key space || true
  for _ in $(seq 50); do kill -0 "$saver" 2>/dev/null || break; sleep 0.1; done
  kill "$saver" 2>/dev/null || true
fi
