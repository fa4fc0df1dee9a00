#!/usr/bin/env bash
# Runs the benchmarks: the x86_64 saver against the reference player under
# 64-bit Wine on a virtual display, side by side in one run.
#   bench/run.sh [runs] [seconds] [loops]   (defaults: 5 runs, 30 s of playback, 10 loops)
# Prints the figures and keeps them in build/x86_64/bench-results.txt.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
cmake --preset i686 >/dev/null && cmake --build --preset i686 -j2 --target avizolp
cmake --preset x86_64 >/dev/null && cmake --build --preset x86_64 -j2 --target avizolp reference_player bench

session=build/x86_64/bench-session
tests/e2e/wine-session.sh start "$session"
trap 'tests/e2e/wine-session.sh stop "$session" >/dev/null' EXIT
# shellcheck disable=SC1091
source "$session/session.env"
windows_path() { echo "Z:$(realpath "$1")" | tr / '\\'; }
/usr/lib/wine/wine64 build/x86_64/bench/bench.exe \
  "$(windows_path build/x86_64/saver/avizolp.scr)" \
  "$(windows_path build/x86_64/bench/reference_player.exe)" \
  "$(windows_path build/i686/saver/avizolp.scr)" "${1:-5}" "${2:-30}" "${3:-10}" | tee build/x86_64/bench-results.txt
