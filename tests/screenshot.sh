#!/usr/bin/env bash
# Starts the program under a virtual X display on a copy of a binary from
# /usr/bin and takes a screenshot of the whole screen.
#   tests/screenshot.sh [output.png] [quorvalis executable] [width]
set -euo pipefail
out=${1:-/tmp/quorvalis-shot.png}
exe=${2:-"$(cd "$(dirname "$0")/.." && pwd)/build/release/quorvalis"}
width=${3:-16}
work=$(mktemp -d)
trap 'kill "${app:-}" "${xvfb:-}" 2>/dev/null || true; rm -rf "$work"' EXIT
cp /usr/bin/ls "$work/ls.bin"
display=:$((90 + RANDOM % 9))
Xvfb "$display" -screen 0 1280x800x24 >/dev/null 2>&1 &
xvfb=$!
sleep 1
XDG_CONFIG_HOME="$work" DISPLAY=$display ASAN_OPTIONS=detect_leaks=0 "$exe" "/W$width" "$work/ls.bin" &
app=$!
sleep 3
DISPLAY=$display import -window root "$out"
echo "$out"
