#!/usr/bin/env bash
# Saves the main window under a virtual display with a 1080p 10-bit DPX
# sequence (made by ffmpeg) as the source, stepped to its sixth frame, and a
# movie frame as the reference in the split view: build/screenshots/media.png.
set -euo pipefail
source "$(dirname "$0")/screenshot-setup.sh"
out="$build/screenshots"
mkdir -p "$out"
if ! command -v ffmpeg >/dev/null; then
  echo "ffmpeg is needed to make the clips (scripts/install-deps.sh installs it)." >&2
  exit 1
fi
ffmpeg -v error -y -f lavfi -i testsrc2=size=1920x1080:rate=24 -frames:v 12 -pix_fmt gbrp10be \
  "$work/shot.%04d.dpx"
ffmpeg -v error -y -f lavfi -i smptehdbars=size=1280x720:rate=24 -frames:v 24 -c:v mjpeg "$work/reference.mov"
script="$work/media.txt"
{
  echo "wait-exchange"
  echo "wait 1"
  echo "load-source $work/shot.0001.dpx"
  echo "step 5"
  echo "load-reference $work/reference.mov"
  echo "tab Split Ref"
  echo "wait 0.5"
  echo "timecode"
  echo "screenshot $out/media.png"
  echo "cancel"
  echo "quit"
} >"$script"
VELMORA_LOG="$work/log.txt" run_ui "$script" 1600x1000 "$work/out"
grep -E "load-|step|timecode" "$work/log.txt" || true
[ -f "$out/media.png" ]
echo "$out/media.png"
