#!/usr/bin/env bash
# Rebuilds the saver's media from tools/media/generate.cpp into the places
# the build picks them up from. Needs g++ and ffmpeg.
set -euo pipefail  # a generator failure mid-pipe must stop the run
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
media="$root/saver/resources/media"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM

g++ -std=c++17 -O2 -Wall -Wextra -pthread -o "$work/generate" "$here/generate.cpp"

"$work/generate" wav "$media/zolp.wav"
"$work/generate" ico "$root/installer/installer.ico"

# bitexact keeps ffmpeg's version string out of the file, so reruns with the
# same encoder give the same bytes. Cinepak's codebooks are built from a
# fixed seed; q sets how hard it trades detail for size (~1.2 MB here),
# and a key frame every second keeps seeking and looping cheap.
"$work/generate" frames | ffmpeg -nostdin -hide_banner -loglevel error -y \
    -f rawvideo -pix_fmt rgb24 -s 320x240 -r 30 -i - \
    -frames:v 243 -an -c:v cinepak -q:v 20 -g 30 \
    -fflags +bitexact -flags:v +bitexact -f avi "$work/zolp.avi"
mv "$work/zolp.avi" "$media/zolp.avi"
ls -l "$media/zolp.avi" "$media/zolp.wav" "$root/installer/installer.ico"
