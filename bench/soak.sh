#!/usr/bin/env bash
# The long soak: the x86_64 saver full-screen under 64-bit Wine on a virtual
# display for the given minutes (default 30, about 220 loops of the clip), its
# handles, GDI objects, windows and private bytes sampled every minute.
#   bench/soak.sh [minutes]
# The normal test run does the same for 3 minutes (the e2e.Soak entry).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
cmake --preset x86_64 >/dev/null && cmake --build --preset x86_64 -j2 --target e2e_driver

session=build/x86_64/soak-session
tests/e2e/wine-session.sh start "$session"
trap 'tests/e2e/wine-session.sh stop "$session" >/dev/null' EXIT
AVIZOLP_BUILD=$(echo "Z:$(realpath build/x86_64)" | tr / '\\') AVIZOLP_SOAK_MINUTES=${1:-30} \
  tests/e2e/run-in-wine.sh "$session" x86_64 build/x86_64/tests/e2e/e2e_driver.exe --gtest_filter='Soak.*'
