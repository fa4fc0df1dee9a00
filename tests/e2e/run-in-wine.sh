#!/usr/bin/env bash
# Runs a Windows program inside the session that wine-session.sh started:
# run-in-wine.sh SESSION_DIR i686|x86_64 PROGRAM [ARGS...]
set -euo pipefail
dir=$(realpath -m "$1"); arch=$2; shift 2
# shellcheck disable=SC1091
source "$dir/session.env"
case $arch in
  x86_64) exec /usr/lib/wine/wine64 "$@" ;;
  i686) exec wine "$@" ;;
  *) echo "run-in-wine: unknown architecture $arch" >&2; exit 2 ;;
esac
