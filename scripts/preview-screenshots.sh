#!/usr/bin/env bash
# Opens the grading application on the bundled clip with a virtual display
# of two screens (the toolkit's own, 1600 x 1000 and 1280 x 800 side by side:
# a virtual X server does not place a second screen beside the first) and
# saves the secondary monitor window on the second screen, then renders a
# full-screen rapid preview of the clip and saves it while it plays, as
# build/screenshots/preview/{secondary-monitor,rapid-preview-full-screen}.png.
set -euo pipefail
source "$(dirname "$0")/screenshot-setup.sh"
out="$build/screenshots/preview"
mkdir -p "$out"
rm -f "$out"/*.png

# The full-screen preview is saved once its render has ended and the movie
# has played a while.
script="$work/preview.txt"
cat >"$script" <<SCRIPT
wait-exchange
wait 1
set hsl_master_saturation 1.6
secondary-monitor 2
wait 0.5
screenshot-window secondary $out/secondary-monitor.png
secondary-monitor 0
rapid-preview full
wait-preview
wait 1
screenshot-window full-screen $out/rapid-preview-full-screen.png
key escape
wait 0.5
cancel
quit
SCRIPT

# A segment key of its own, so another exchange running meanwhile is left alone.
VELMORA_SHM_KEY=$((0x51000000 + $$ % 65536)) VELMORA_UI_SCRIPT="$script" VELMORA_UI_HEADLESS=1 VELMORA_UI_DISPLAY=1600x1000,1280x800 \
  "$build/tools/standin_host/velmora-host" --full-interface --out "$work/out" >/dev/null

count="$(ls "$out"/*.png 2>/dev/null | wc -l)"
echo "$count pictures of the preview outputs in $out"
[ "$count" -eq 2 ]
