#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian 12 machine, and makes
# 32-bit Wine usable through qemu-user. A second run only checks and returns.
set -euo pipefail

need=(cmake ninja-build g++ clang libclang-rt-14-dev googletest libgtest-dev
      g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
      wine wine64 wine32:i386 xvfb xauth xdotool x11-utils imagemagick qemu-user-static)
[ "${WITH_FFMPEG:-0}" = 1 ] && need+=(ffmpeg)

sudo=""
[ "$(id -u)" = 0 ] || sudo="sudo"

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
  added_arch=1
fi

missing=()
for p in "${need[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ] || [ -n "${added_arch:-}" ]; then
  echo "setup: installing ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# 32-bit Windows programs run through qemu-i386 on this x86_64-only kernel.
if [ ! -e /proc/sys/fs/binfmt_misc/register ]; then
  $sudo mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc || true
fi
if [ ! -e /proc/sys/fs/binfmt_misc/qemu-i386 ] && [ -w /proc/sys/fs/binfmt_misc/register ]; then
  printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
    | $sudo tee /proc/sys/fs/binfmt_misc/register >/dev/null || true
fi
echo "setup: ready"
